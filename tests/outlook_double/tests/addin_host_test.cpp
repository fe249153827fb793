// The host driver: Outlook's start and stop sequence, the ribbon's callbacks, and
// creation of an add-in from its registration, by class factory and by ProgID.
#include <gtest/gtest.h>

#include <string>

#include "tests/outlook_double/addin_host.h"
#include "tests/outlook_double/tests/fake_addin.h"

namespace outlook_double {
namespace {

const wchar_t kProgId[] = L"PlenzarDoubleTest.Fake";
const wchar_t kVersionedProgId[] = L"PlenzarDoubleTest.Fake.1";
const wchar_t kAddinKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\PlenzarDoubleTest.Fake";

std::wstring ClsidText() {
    wchar_t text[40] = {};
    StringFromGUID2(kFakeAddinClsid, text, 40);
    return text;
}

void SetText(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(root, path.c_str(), name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring FakeDllPath() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"fake_addin.dll";
}

class AddinHostTest : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kAddinKey);
        for (const wchar_t* progId : {kProgId, kVersionedProgId}) {
            RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + progId).c_str());
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(L"Software\\Classes\\") + progId).c_str());
        }
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\CLSID\\" + ClsidText()).c_str());
        CoUninitialize();
    }

    void RegisterAddin(DWORD loadBehavior) {
        SetText(HKEY_CURRENT_USER, kAddinKey, L"FriendlyName", L"Fake");
        RegSetKeyValueW(HKEY_CURRENT_USER, kAddinKey, L"LoadBehavior", REG_DWORD, &loadBehavior,
                        sizeof(loadBehavior));
    }
    // The class keys as a per-user registration writes them (version-independent ProgID
    // with CurVer only).
    void RegisterClassPerUser() {
        SetText(HKEY_CURRENT_USER, std::wstring(L"Software\\Classes\\") + kProgId + L"\\CurVer", nullptr,
                kVersionedProgId);
        SetText(HKEY_CURRENT_USER, std::wstring(L"Software\\Classes\\") + kVersionedProgId + L"\\CLSID",
                nullptr, ClsidText());
    }
    void RegisterClassMachineWide() {
        SetText(HKEY_LOCAL_MACHINE, std::wstring(L"Software\\Classes\\") + kProgId + L"\\CLSID", nullptr,
                ClsidText());
        const std::wstring server = L"Software\\Classes\\CLSID\\" + ClsidText() + L"\\InprocServer32";
        SetText(HKEY_LOCAL_MACHINE, server, nullptr, FakeDllPath());
        SetText(HKEY_LOCAL_MACHINE, server, L"ThreadingModel", L"Apartment");
    }

    OutlookDouble outlook_;
};

TEST_F(AddinHostTest, StartAndShutdownRunOutlooksSequenceAndReleaseTheAddin) {
    const LONG liveBefore = FakeAddinLiveObjects();
    {
        AddinHost host(outlook_);
        _IDTExtensibility2* addin = CreateFakeAddin();
        ASSERT_EQ(S_OK, host.Attach(addin));
        addin->Release();
        outlook_.App().SetVersion(L"15.0.4420.1017");

        ASSERT_EQ(S_OK, host.Start()) << host.LoadError();
        EXPECT_EQ(1u, outlook_.App().SinkCount());  // the add-in's application sink
        auto item = outlook_.ComposeNewMail();
        ASSERT_FALSE(outlook_.Events().empty());
        EXPECT_EQ(dispid::ItemLoad, outlook_.Events().back().dispid);
        EXPECT_EQ(1u, outlook_.Events().back().sinks);
        EXPECT_EQ(item->AsDispatch(), outlook_.App().ActiveInspector()->CurrentItem());
        EXPECT_EQ(S_OK, host.Shutdown());
        EXPECT_EQ(0u, outlook_.App().SinkCount());
    }
    const std::wstring log = FakeAddinLogText();
    EXPECT_NE(std::wstring::npos,
              log.find(L"OnConnection:15.0.4420.1017:addin|GetCustomUI:Microsoft.Outlook.Explorer|"
                       L"GetCustomUI:Microsoft.Outlook.Mail.Compose|OnLoadRibbon:IRibbonUI|"
                       L"OnLoadRibbon:IRibbonUI|OnStartupComplete|OnBeginShutdown|Quit|"
                       L"OnDisconnection|Released"))
        << log;
    EXPECT_EQ(liveBefore, FakeAddinLiveObjects());
}

TEST_F(AddinHostTest, RibbonCallbacksGetAControlWithIdAndTagAndInvalidateIsCounted) {
    AddinHost host(outlook_);
    _IDTExtensibility2* addin = CreateFakeAddin();
    ASSERT_EQ(S_OK, host.Attach(addin));
    addin->Release();
    ASSERT_EQ(S_OK, host.Start());
    ASSERT_NE(nullptr, host.Ribbon(kExplorerRibbonId));
    EXPECT_EQ(L"A & B", host.Ribbon(kExplorerRibbonId)->FindControl(L"G")->Attribute(L"label"));

    EXPECT_EQ(S_OK, host.Click(L"Small"));
    EXPECT_EQ(S_OK, host.ClickToggle(L"Toggle", true));
    std::wstring label;
    EXPECT_EQ(S_OK, host.GetLabel(L"Toggle", &label));
    bool pressed = false;
    EXPECT_EQ(S_OK, host.GetPressed(L"Toggle", &pressed));
    EXPECT_EQ(L"Medium", label);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(E_INVALIDARG, host.GetLabel(L"Small", &label));  // no getLabel on that control

    const std::wstring log = FakeAddinLogText();
    EXPECT_NE(std::wstring::npos, log.find(L"ButtonClicked:Small/1|ToggleButtonClicked:Toggle/:pressed|"
                                           L"GetLabel:Toggle/|GetPressed:Toggle/"))
        << log;
    // The add-in kept the compose ribbon's IRibbonUI, the last one loaded.
    EXPECT_EQ(1, host.RibbonUiOf(kComposeRibbonId)->InvalidateCount());
    EXPECT_EQ(1, host.InvalidateCount());
    EXPECT_EQ(4u, outlook_.CallsTo(L"IRibbonControl", dispid::ControlTag).size());
}

TEST_F(AddinHostTest, ACallbackNameThatDoesNotResolveFailsTheRibbonLoadButNotTheRest) {
    AddinHost host(outlook_);
    _IDTExtensibility2* addin = CreateFakeAddin(true);
    ASSERT_EQ(S_OK, host.Attach(addin));
    addin->Release();
    EXPECT_EQ(DISP_E_UNKNOWNNAME, host.Start());
    EXPECT_EQ(std::vector<std::wstring>{L"NoSuchCallback"}, host.UnresolvedCallbacks());
    EXPECT_EQ(DISP_E_UNKNOWNNAME, host.Click(L"Broken"));
    EXPECT_EQ(S_OK, host.Click(L"Small"));
    EXPECT_NE(std::wstring::npos, std::wstring(FakeAddinLogText()).find(L"OnStartupComplete"));
}

TEST(RibbonXmlTest, RefusesDefinitionsThatAreNotWellFormed) {
    std::vector<RibbonElement> elements;
    std::wstring error;
    EXPECT_TRUE(ParseRibbonXml(L"<?xml version=\"1.0\"?><!-- c --><a x='1'><b/></a>", &elements, &error));
    EXPECT_EQ(2u, elements.size());
    for (const wchar_t* bad : {L"<a><b></a>", L"<a x=1/>", L"<a x=\"&nbsp;\"/>", L"<a>", L"<a/><b/>"}) {
        EXPECT_FALSE(ParseRibbonXml(bad, &elements, &error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST_F(AddinHostTest, AddinKeyDecidesWhetherAnythingIsCreated) {
    AddinHost host(outlook_);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), host.CreateFromDll(kProgId, FakeDllPath()));
    RegisterAddin(2);
    RegisterClassPerUser();
    EXPECT_EQ(S_FALSE, host.CreateFromDll(kProgId, FakeDllPath()));
    EXPECT_EQ(nullptr, host.Extensibility());
}

TEST_F(AddinHostTest, CreatesFromTheLibraryThroughAPerUserRegistration) {
    RegisterAddin(3);
    RegisterClassPerUser();
    AddinHost host(outlook_);
    ASSERT_EQ(S_OK, host.CreateFromDll(kProgId, FakeDllPath()));
    ASSERT_EQ(S_OK, host.Start());
    EXPECT_EQ(S_OK, host.Click(L"Prefs"));
    EXPECT_EQ(1, host.InvalidateCount());
    EXPECT_EQ(S_FALSE, host.UnloadLibrary());  // the add-in is alive
    EXPECT_EQ(S_OK, host.Shutdown());
    EXPECT_EQ(1u, outlook_.CallsTo(L"Application", dispid::Version).size());
    EXPECT_EQ(S_OK, host.UnloadLibrary());
}

TEST_F(AddinHostTest, CreatesByProgIdThroughAMachineWideRegistration) {
    RegisterAddin(3);
    RegisterClassMachineWide();
    AddinHost host(outlook_);
    ASSERT_EQ(S_OK, host.CreateByProgId(kProgId));
    ASSERT_EQ(S_OK, host.Start());
    EXPECT_TRUE(host.UnresolvedCallbacks().empty());
    EXPECT_EQ(1u, outlook_.CallsTo(L"Application", dispid::Version).size());
    EXPECT_EQ(S_OK, host.Shutdown());
}

}  // namespace
}  // namespace outlook_double
