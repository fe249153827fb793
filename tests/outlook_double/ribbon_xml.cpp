#include "tests/outlook_double/ribbon_xml.h"

#include <algorithm>
#include <cwctype>

namespace outlook_double {
namespace {

bool DecodeEntities(const std::wstring& raw, std::wstring* decoded) {
    static const std::pair<const wchar_t*, wchar_t> kEntities[] = {
        {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&apos;", L'\''}};
    decoded->clear();
    for (size_t i = 0; i < raw.size();) {
        if (raw[i] != L'&') {
            decoded->push_back(raw[i++]);
            continue;
        }
        bool known = false;
        for (const auto& entity : kEntities) {
            const std::wstring name = entity.first;
            if (raw.compare(i, name.size(), name) == 0) {
                decoded->push_back(entity.second);
                i += name.size();
                known = true;
                break;
            }
        }
        if (!known) return false;
    }
    return true;
}

class Parser {
public:
    Parser(const std::wstring& xml, std::vector<RibbonElement>* elements, std::wstring* error)
        : xml_(xml), elements_(elements), error_(error) {}

    bool Run() {
        std::vector<std::wstring> open;  // names of the elements not closed yet
        while (true) {
            const size_t lt = xml_.find(L'<', pos_);
            if (lt == std::wstring::npos) break;
            pos_ = lt + 1;
            if (Skip(L"?", L"?>") || Skip(L"!--", L"-->")) continue;
            if (At(L"/")) {
                ++pos_;
                const std::wstring name = Name();
                SkipSpace();
                if (!At(L">")) return Fail(L"bad end tag");
                ++pos_;
                if (open.empty() || open.back() != name) return Fail(L"unmatched </" + name + L">");
                open.pop_back();
                continue;
            }
            RibbonElement element;
            element.name = Name();
            if (element.name.empty()) return Fail(L"missing element name");
            bool selfClosing = false;
            while (true) {
                SkipSpace();
                if (At(L"/>")) {
                    pos_ += 2;
                    selfClosing = true;
                    break;
                }
                if (At(L">")) {
                    ++pos_;
                    break;
                }
                std::wstring attribute = Name();
                SkipSpace();
                if (attribute.empty() || !At(L"=")) return Fail(L"bad attribute in <" + element.name + L">");
                ++pos_;
                SkipSpace();
                if (pos_ >= xml_.size() || (xml_[pos_] != L'"' && xml_[pos_] != L'\'')) {
                    return Fail(L"unquoted attribute " + attribute);
                }
                const wchar_t quote = xml_[pos_++];
                const size_t end = xml_.find(quote, pos_);
                if (end == std::wstring::npos) return Fail(L"unterminated attribute " + attribute);
                std::wstring value;
                if (!DecodeEntities(xml_.substr(pos_, end - pos_), &value)) {
                    return Fail(L"unknown entity in " + attribute);
                }
                if (element.attributes.count(attribute)) return Fail(L"repeated attribute " + attribute);
                element.attributes[attribute] = value;
                pos_ = end + 1;
            }
            if (open.empty() && !elements_->empty()) return Fail(L"more than one root element");
            if (!selfClosing) open.push_back(element.name);
            elements_->push_back(std::move(element));
        }
        if (!open.empty()) return Fail(L"<" + open.back() + L"> is not closed");
        if (elements_->empty()) return Fail(L"no element");
        return true;
    }

private:
    bool At(const wchar_t* text) const { return xml_.compare(pos_, wcslen(text), text) == 0; }
    bool Skip(const wchar_t* start, const wchar_t* end) {
        if (!At(start)) return false;
        const size_t found = xml_.find(end, pos_);
        pos_ = found == std::wstring::npos ? xml_.size() : found + wcslen(end);
        return true;
    }
    void SkipSpace() {
        while (pos_ < xml_.size() && std::iswspace(xml_[pos_])) ++pos_;
    }
    std::wstring Name() {
        const size_t start = pos_;
        while (pos_ < xml_.size() && (std::iswalnum(xml_[pos_]) || wcschr(L"_:-.", xml_[pos_]))) ++pos_;
        return xml_.substr(start, pos_ - start);
    }
    bool Fail(const std::wstring& why) {
        if (error_) *error_ = why;
        return false;
    }

    const std::wstring& xml_;
    std::vector<RibbonElement>* elements_;
    std::wstring* error_;
    size_t pos_ = 0;
};

}  // namespace

std::wstring RibbonElement::Attribute(const std::wstring& attribute) const {
    const auto found = attributes.find(attribute);
    return found == attributes.end() ? std::wstring() : found->second;
}

const RibbonElement* RibbonDefinition::FindControl(const std::wstring& id) const {
    for (const RibbonElement& element : elements) {
        if (element.Attribute(L"id") == id) return &element;
    }
    return nullptr;
}

std::vector<std::wstring> RibbonDefinition::CallbackNames() const {
    std::vector<std::wstring> names;
    for (const RibbonElement& element : elements) {
        for (const auto& attribute : element.attributes) {
            if (IsCallbackAttribute(attribute.first) &&
                std::find(names.begin(), names.end(), attribute.second) == names.end()) {
                names.push_back(attribute.second);
            }
        }
    }
    return names;
}

bool IsCallbackAttribute(const std::wstring& attribute) {
    auto startsWith = [&](const wchar_t* prefix) {
        const size_t n = wcslen(prefix);
        return attribute.size() > n && attribute.compare(0, n, prefix) == 0 &&
               std::iswupper(attribute[n]);
    };
    return startsWith(L"on") || startsWith(L"get");
}

bool ParseRibbonXml(const std::wstring& xml, std::vector<RibbonElement>* elements,
                    std::wstring* error) {
    elements->clear();
    return Parser(xml, elements, error).Run();
}

}  // namespace outlook_double
