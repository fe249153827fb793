#include "shell_ext/output_name.h"

#include <windows.h>

#include <climits>

namespace {

struct SplitPath {
    std::wstring folder;  // drive and folder, with the final backslash
    std::wstring name;
    std::wstring extension;  // with its leading dot, or empty
};

SplitPath Split(const std::wstring& path)
{
    SplitPath parts;
    const size_t slash = path.find_last_of(L"\\/");
    const size_t nameStart = slash == std::wstring::npos ? (path.size() >= 2 && path[1] == L':' ? 2 : 0) : slash + 1;
    parts.folder = path.substr(0, nameStart);
    const std::wstring file = path.substr(nameStart);
    const size_t dot = file.find_last_of(L'.');
    parts.name = dot == std::wstring::npos ? file : file.substr(0, dot);
    parts.extension = dot == std::wstring::npos ? std::wstring() : file.substr(dot);
    return parts;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

bool ProposeOutputPath(const std::wstring& source, std::wstring& proposal)
{
    const SplitPath parts = Split(source);
    if (parts.folder.size() > kMaxPathPartLength || parts.name.size() > kMaxPathPartLength ||
        parts.extension.size() > kMaxPathPartLength)
        return false;
    std::wstring candidate = source;
    for (int counter = 1; FileExists(candidate); ++counter) {
        if (counter == INT_MAX) return false;
        const std::wstring numbered = parts.name + L" (" + std::to_wstring(counter) + L")";
        if (numbered.size() > kMaxPathPartLength) return false;
        candidate = parts.folder + numbered + parts.extension;
        if (candidate.size() > kMaxOutputPathLength) return false;
    }
    proposal = candidate;
    return true;
}
