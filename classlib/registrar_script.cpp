#include "classlib/registrar_script.h"

#include <cwctype>

namespace registrar {
std::wstring UpperCase(std::wstring text)
{
    for (auto& ch : text) ch = static_cast<wchar_t>(std::towupper(ch));
    return text;
}

namespace {

struct Token {
    enum Kind { End, Word, Quoted, Open, Close, Equals } kind = End;
    std::wstring text;
};

class Tokenizer {
public:
    explicit Tokenizer(const std::wstring& text) : m_text(text) {}

    // False on an unterminated quoted string.
    bool Next(Token& token)
    {
        token = Token{};
        while (m_pos < m_text.size() && std::iswspace(m_text[m_pos])) ++m_pos;
        if (m_pos >= m_text.size()) return true;
        const wchar_t ch = m_text[m_pos];
        if (ch == L'\'') return ReadQuoted(token);
        if ((ch == L'{' || ch == L'}') && EndsHere(m_pos + 1)) {
            token.kind = ch == L'{' ? Token::Open : Token::Close;
            ++m_pos;
            return true;
        }
        if (ch == L'=') {
            token.kind = Token::Equals;
            ++m_pos;
            return true;
        }
        token.kind = Token::Word;
        while (m_pos < m_text.size() && !std::iswspace(m_text[m_pos]) && m_text[m_pos] != L'=')
            token.text += m_text[m_pos++];
        return true;
    }

private:
    // A brace is a token of its own when a blank, another brace or the end follows;
    // otherwise it starts a name such as {guid}.
    bool EndsHere(size_t pos) const
    {
        return pos >= m_text.size() || std::iswspace(m_text[pos]) || m_text[pos] == L'{' ||
               m_text[pos] == L'}';
    }

    bool ReadQuoted(Token& token)
    {
        token.kind = Token::Quoted;
        ++m_pos;
        while (m_pos < m_text.size()) {
            if (m_text[m_pos] == L'\'') {
                if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == L'\'') {
                    token.text += L'\'';
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                return true;
            }
            token.text += m_text[m_pos++];
        }
        return false;
    }

    const std::wstring& m_text;
    size_t m_pos = 0;
};

class Parser {
public:
    explicit Parser(const std::wstring& text) : m_tokens(text) {}

    bool ParseRoots(std::vector<ScriptRoot>& roots)
    {
        if (!Advance()) return false;
        while (m_token.kind != Token::End) {
            ScriptRoot root;
            if (m_token.kind != Token::Word || !RootKey(UpperCase(m_token.text), root)) return false;
            if (!Advance() || m_token.kind != Token::Open || !Advance()) return false;
            if (!ParseBody(root.keys, false)) return false;
            roots.push_back(std::move(root));
        }
        return true;
    }

private:
    bool Advance() { return m_tokens.Next(m_token); }

    static bool RootKey(const std::wstring& name, ScriptRoot& root)
    {
        static const struct { const wchar_t* shortName; const wchar_t* longName; HKEY key; } kRoots[] = {
            {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
            {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
            {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
            {L"HKU", L"HKEY_USERS", HKEY_USERS},
        };
        for (const auto& candidate : kRoots) {
            if (name == candidate.shortName || name == candidate.longName) {
                root.root = candidate.key;
                root.isClassesRoot = candidate.key == HKEY_CLASSES_ROOT;
                return true;
            }
        }
        return false;
    }

    // Reads entries up to and including the closing brace.
    bool ParseBody(std::vector<ScriptNode>& nodes, bool valuesAllowed)
    {
        for (;;) {
            if (m_token.kind == Token::Close) return Advance();
            if (m_token.kind != Token::Word && m_token.kind != Token::Quoted) return false;
            ScriptNode node;
            if (!ParseEntry(node, valuesAllowed)) return false;
            nodes.push_back(std::move(node));
        }
    }

    bool ParseEntry(ScriptNode& node, bool valuesAllowed)
    {
        if (m_token.kind == Token::Word) {
            const std::wstring word = UpperCase(m_token.text);
            if (word == L"VAL") {
                if (!valuesAllowed) return false;
                node.isNamedValue = true;
                if (!Advance() || (m_token.kind != Token::Word && m_token.kind != Token::Quoted)) return false;
            } else if (word == L"NOREMOVE" || word == L"FORCEREMOVE" || word == L"DELETE") {
                node.rule = word == L"NOREMOVE" ? KeyRule::NoRemove
                          : word == L"FORCEREMOVE" ? KeyRule::ForceRemove : KeyRule::Delete;
                if (!Advance() || (m_token.kind != Token::Word && m_token.kind != Token::Quoted)) return false;
            }
        }
        node.name = m_token.text;
        if (node.name.empty() || !Advance()) return false;
        if (m_token.kind == Token::Equals) {
            if (!Advance() || !ParseValue(node.value)) return false;
        } else if (node.isNamedValue) {
            return false;
        }
        if (m_token.kind == Token::Open && !node.isNamedValue) {
            if (!Advance()) return false;
            return ParseBody(node.children, true);
        }
        return true;
    }

    bool ParseValue(ScriptValue& value)
    {
        if (m_token.kind != Token::Word) return false;
        const std::wstring type = UpperCase(m_token.text);
        if (!Advance() || m_token.kind != Token::Quoted) return false;
        const std::wstring& text = m_token.text;
        value.present = true;
        if (type == L"S") {
            value.type = REG_SZ;
            const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
            value.data.assign(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
        } else if (type == L"D") {
            wchar_t* end = nullptr;
            const DWORD number = std::wcstoul(text.c_str(), &end, 0);
            if (text.empty() || *end != L'\0') return false;
            value.type = REG_DWORD;
            const auto* bytes = reinterpret_cast<const BYTE*>(&number);
            value.data.assign(bytes, bytes + sizeof(number));
        } else if (type == L"B") {
            if (text.size() % 2 != 0) return false;
            value.type = REG_BINARY;
            for (size_t i = 0; i < text.size(); i += 2) {
                wchar_t* end = nullptr;
                const std::wstring pair = text.substr(i, 2);
                const unsigned long byte = std::wcstoul(pair.c_str(), &end, 16);
                if (*end != L'\0' || !std::iswxdigit(pair[0])) return false;
                value.data.push_back(static_cast<BYTE>(byte));
            }
        } else {
            return false;
        }
        return Advance();
    }

    Tokenizer m_tokens;
    Token m_token;
};

}  // namespace

bool Preprocess(const std::wstring& text, const std::map<std::wstring, std::wstring>& replacements,
                std::wstring& result)
{
    result.clear();
    for (size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] != L'%') {
            result += text[pos];
            continue;
        }
        const size_t close = text.find(L'%', pos + 1);
        if (close == std::wstring::npos) return false;
        if (close == pos + 1) {
            result += L'%';
        } else {
            const auto found = replacements.find(UpperCase(text.substr(pos + 1, close - pos - 1)));
            if (found == replacements.end()) return false;
            result += found->second;
        }
        pos = close;
    }
    return true;
}

bool ParseScript(const std::wstring& text, std::vector<ScriptRoot>& roots)
{
    roots.clear();
    return Parser(text).ParseRoots(roots);
}

}  // namespace registrar
