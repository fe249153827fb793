#include "mail_addin/tests/support/ribbon_test_host.h"

#include <fstream>
#include <iterator>

#include "mail_addin/tests/support/ribbon_test_addin.h"

using namespace outlook_double;

RibbonTest::RibbonTest()
{
    IUnknown* addin = CreateRibbonTestAddin();
    EXPECT_EQ(m_host.Attach(addin), S_OK);
    addin->Release();
    EXPECT_EQ(m_host.Start(), S_OK);
}

std::vector<std::string> RibbonTest::LogLines() const
{
    std::ifstream file((m_temp.Path() + L"\\PlenzarMail\\Log.txt").c_str(), std::ios::binary);
    const std::string log(std::istreambuf_iterator<char>(file), {});
    std::vector<std::string> lines;
    for (size_t start = 0; start < log.size();) {
        size_t end = log.find("\r\n", start);
        if (end == std::string::npos)
            end = log.size();
        const std::string line = log.substr(start, end - start);
        const size_t tab = line.find('\t');
        lines.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
        start = end + 2;
    }
    return lines;
}

ComPtr<MailItem> RibbonTest::OpenMail(int profile)
{
    ComPtr<MailItem> item = m_outlook.NewMailItem();
    if (profile != -2)
        item->Properties().AddQuietly(L"PlenzarType", 20, Variant::Int(profile));
    m_outlook.OpenInspector(item.Get());
    return item;
}

int RibbonTest::StoredProfile(MailItem* item)
{
    const ComPtr<ItemProperty> property = item->Properties().Find(L"PlenzarType");
    return property ? property->Value().AsInt() : -2;
}

ComPtr<RibbonControl> RibbonTest::Control(const std::wstring& id, const std::wstring& tag)
{
    return Make<RibbonControl>(m_outlook.App().SharedHost(), id, tag, nullptr);
}
