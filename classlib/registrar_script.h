#pragma once
// The parsed form of a registrar script (see registrar.h), and its parser.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace registrar {

enum class KeyRule { Normal, NoRemove, ForceRemove, Delete };

struct ScriptValue {
    bool present = false;
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
};

struct ScriptNode {
    bool isNamedValue = false;  // "val name = ..."
    KeyRule rule = KeyRule::Normal;
    std::wstring name;
    ScriptValue value;  // a key's default value, or the named value
    std::vector<ScriptNode> children;
};

struct ScriptRoot {
    HKEY root = nullptr;
    bool isClassesRoot = false;
    std::vector<ScriptNode> keys;
};

std::wstring UpperCase(std::wstring text);

// Replaces %NAME% by its replacement and %% by %. False for an unknown or unclosed name.
bool Preprocess(const std::wstring& text, const std::map<std::wstring, std::wstring>& replacements,
                std::wstring& result);

// Parses preprocessed text; false on any syntax error.
bool ParseScript(const std::wstring& text, std::vector<ScriptRoot>& roots);

}  // namespace registrar
