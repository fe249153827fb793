#include "mail_addin/tests/support/ribbon_test_host.h"

#include "mail_addin/tests/support/ribbon_test_addin.h"

using namespace outlook_double;

RibbonTest::RibbonTest()
{
    IUnknown* addin = CreateRibbonTestAddin();
    EXPECT_EQ(m_host.Attach(addin), S_OK);
    addin->Release();
    EXPECT_EQ(m_host.Start(), S_OK);
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
