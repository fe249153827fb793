#pragma once
// Reads a ribbon definition (customUI XML) as the ribbon does: its elements with their
// attributes, the controls by id and the callback names they give.
#include <map>
#include <string>
#include <vector>

namespace outlook_double {

struct RibbonElement {
    std::wstring name;                               // as written, e.g. "toggleButton"
    std::map<std::wstring, std::wstring> attributes;  // entities decoded

    std::wstring Attribute(const std::wstring& attribute) const;
    bool Has(const std::wstring& attribute) const { return attributes.count(attribute) != 0; }
};

struct RibbonDefinition {
    std::wstring ribbonId;
    std::wstring xml;
    std::vector<RibbonElement> elements;  // in document order

    const RibbonElement* Root() const { return elements.empty() ? nullptr : &elements.front(); }
    const RibbonElement* FindControl(const std::wstring& id) const;
    // Every callback name (values of on... and get... attributes), each once.
    std::vector<std::wstring> CallbackNames() const;
};

// Parses xml into elements; false, with a reason, when it is not well-formed.
bool ParseRibbonXml(const std::wstring& xml, std::vector<RibbonElement>* elements,
                    std::wstring* error);

bool IsCallbackAttribute(const std::wstring& attribute);

}  // namespace outlook_double
