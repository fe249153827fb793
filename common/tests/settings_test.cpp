#include "common/registry_key.h"
#include "common/settings.h"
#include "common/tests/import_spy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const StoredValue& other) const { return type == other.type && data == other.data; }
};

// Every case starts and ends without the settings key.
class Settings : public ::testing::Test {
protected:
    void SetUp() override { DeleteKey(); }
    void TearDown() override { DeleteKey(); }

    static void DeleteKey() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKeyPath); }

    static bool KeyExists()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    static void Store(const wchar_t* name, DWORD type, const std::vector<BYTE>& data)
    {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, name, type, data.data(),
                                  static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }

    static void StoreDword(const wchar_t* name, DWORD value)
    {
        Store(name, REG_DWORD, {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)});
    }

    // Every value under the key, by name.
    static std::map<std::wstring, StoredValue> StoredValues()
    {
        std::map<std::wstring, StoredValue> values;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return values;
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD nameLength = 256;
            BYTE data[1024];
            DWORD size = sizeof(data);
            StoredValue value;
            if (RegEnumValueW(key, index, name, &nameLength, nullptr, &value.type, data, &size) != ERROR_SUCCESS)
                break;
            value.data.assign(data, data + size);
            values[name] = value;
        }
        RegCloseKey(key);
        return values;
    }

    static void ExpectDefaults(const CSettings& s)
    {
        EXPECT_EQ(s.mailDefaultPlenzarProfile, 2);
        EXPECT_EQ(s.checkForUpdate, 1);
        EXPECT_EQ(s.productImprovement, 1);
        EXPECT_EQ(s.checkForUpdateLastDate, 0);
        EXPECT_EQ(s.productImprovementSendData, 0);
        EXPECT_EQ(s.mailPlenzarOnAdd, 0);
        EXPECT_EQ(s.appDefaultPlenzarProfile, 2);
        EXPECT_EQ(s.appOutputToDesktop, 0);
    }

    // A record whose eight fields all differ from the defaults and from each other.
    static CSettings Distinct()
    {
        CSettings s;
        s.mailDefaultPlenzarProfile = -1;
        s.checkForUpdate = 0;
        s.productImprovement = 0;
        s.checkForUpdateLastDate = 31;
        s.productImprovementSendData = 365;
        s.mailPlenzarOnAdd = 1;
        s.appDefaultPlenzarProfile = 4;
        s.appOutputToDesktop = 1;
        return s;
    }
};

StoredValue Dword(DWORD value)
{
    return {REG_DWORD, {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)}};
}

TEST_F(Settings, WithoutTheKeyTheRecordHasItsDefaultsAndLoadingNeverCreatesTheKey)
{
    CSettings settings;
    ExpectDefaults(settings);
    settings.Load();
    ExpectDefaults(settings);
    EXPECT_FALSE(KeyExists());
}

TEST_F(Settings, SavingWithMaskZeroCreatesTheKeyAndWritesNoValue)
{
    CSettings().Save(0);
    EXPECT_TRUE(KeyExists());
    EXPECT_THAT(StoredValues(), IsEmpty());
}

TEST_F(Settings, SavingAllWritesEightDwordsWithTheFieldsBitPatterns)
{
    Distinct().Save(SETTING_ALL);
    std::map<std::wstring, StoredValue> expected = {
        {L"mailDefaultPlenzarProfile", Dword(0xFFFFFFFF)}, {L"checkForUpdate", Dword(0)},
        {L"productImprovement", Dword(0)}, {L"checkForUpdateLastDate", Dword(31)},
        {L"productImprovementSendData", Dword(365)}, {L"mailPlenzarOnAdd", Dword(1)},
        {L"appDefaultPlenzarProfile", Dword(4)}, {L"appOutputToDesktop", Dword(1)},
    };
    EXPECT_EQ(StoredValues(), expected);

    CSettings loaded;
    CSettings saved = Distinct();
    EXPECT_EQ(loaded.mailDefaultPlenzarProfile, -1);
    EXPECT_EQ(std::memcmp(&loaded, &saved, sizeof(CSettings)), 0);
}

TEST_F(Settings, BitsAboveTheEightFieldsAreIgnored)
{
    Distinct().Save(0xFFFF);
    auto withWideMask = StoredValues();
    DeleteKey();
    Distinct().Save(0xFF);
    EXPECT_EQ(withWideMask, StoredValues());
    EXPECT_EQ(withWideMask.size(), 8u);

    DeleteKey();
    Distinct().Save(0xFFFFFF00);
    EXPECT_TRUE(KeyExists());
    EXPECT_THAT(StoredValues(), IsEmpty());
}

TEST_F(Settings, EachMaskBitWritesOnlyItsOwnValue)
{
    const std::pair<std::uint32_t, const wchar_t*> bits[] = {
        {SETTING_MAIL_DEFAULT_PROFILE, L"mailDefaultPlenzarProfile"},
        {SETTING_CHECK_FOR_UPDATE, L"checkForUpdate"},
        {SETTING_PRODUCT_IMPROVEMENT, L"productImprovement"},
        {SETTING_CHECK_FOR_UPDATE_LAST_DATE, L"checkForUpdateLastDate"},
        {SETTING_PRODUCT_IMPROVEMENT_SEND_DATA, L"productImprovementSendData"},
        {SETTING_MAIL_PLENZAR_ON_ADD, L"mailPlenzarOnAdd"},
        {SETTING_APP_DEFAULT_PROFILE, L"appDefaultPlenzarProfile"},
        {SETTING_APP_OUTPUT_TO_DESKTOP, L"appOutputToDesktop"},
    };
    for (const auto& [mask, name] : bits) {
        DeleteKey();
        Distinct().Save(mask);
        auto values = StoredValues();
        ASSERT_EQ(values.size(), 1u) << "mask " << mask;
        EXPECT_EQ(values.begin()->first, name) << "mask " << mask;
    }
}

// What the registry was asked to do during a save, in order.
std::vector<std::wstring> g_registryWrites;
ImportSpy* g_setValueSpy = nullptr;
ImportSpy* g_flushSpy = nullptr;

LONG WINAPI RecordingRegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                                    DWORD size)
{
    g_registryWrites.push_back(std::wstring(L"set ") + name);
    return reinterpret_cast<decltype(&RegSetValueExW)>(g_setValueSpy->Original())(key, name, reserved, type,
                                                                                  data, size);
}

LONG WINAPI RecordingRegFlushKey(HKEY key)
{
    g_registryWrites.push_back(L"flush");
    return reinterpret_cast<decltype(&RegFlushKey)>(g_flushSpy->Original())(key);
}

TEST_F(Settings, SaveWritesEachChosenValueInItsFixedOrderAndFlushesItAtOnce)
{
    CSettings settings = Distinct();
    ImportSpy setValueSpy("advapi32.dll", "RegSetValueExW", reinterpret_cast<void*>(&RecordingRegSetValueExW));
    ImportSpy flushSpy("advapi32.dll", "RegFlushKey", reinterpret_cast<void*>(&RecordingRegFlushKey));
    ASSERT_TRUE(setValueSpy.Installed() && flushSpy.Installed());
    g_setValueSpy = &setValueSpy;
    g_flushSpy = &flushSpy;
    g_registryWrites.clear();

    settings.Save(SETTING_ALL);
    EXPECT_THAT(g_registryWrites,
                ElementsAre(L"set mailDefaultPlenzarProfile", L"flush", L"set productImprovement", L"flush",
                            L"set checkForUpdate", L"flush", L"set checkForUpdateLastDate", L"flush",
                            L"set productImprovementSendData", L"flush", L"set mailPlenzarOnAdd", L"flush",
                            L"set appDefaultPlenzarProfile", L"flush", L"set appOutputToDesktop", L"flush"));

    g_registryWrites.clear();
    settings.Save(SETTING_APP_OUTPUT_TO_DESKTOP | SETTING_CHECK_FOR_UPDATE | SETTING_PRODUCT_IMPROVEMENT);
    EXPECT_THAT(g_registryWrites, ElementsAre(L"set productImprovement", L"flush", L"set checkForUpdate",
                                              L"flush", L"set appOutputToDesktop", L"flush"));
    EXPECT_EQ(StoredValues().size(), 8u);
}

TEST_F(Settings, SavingOneFieldKeepsWhatAnotherProgramWroteMeanwhile)
{
    CSettings mine; // built before the other program's write
    StoreDword(L"appDefaultPlenzarProfile", 4);
    StoreDword(L"checkForUpdate", 0);
    mine.mailDefaultPlenzarProfile = 0;
    mine.Save(SETTING_MAIL_DEFAULT_PROFILE);

    auto values = StoredValues();
    EXPECT_EQ(values[L"appDefaultPlenzarProfile"], Dword(4));
    EXPECT_EQ(values[L"checkForUpdate"], Dword(0));
    EXPECT_EQ(values[L"mailDefaultPlenzarProfile"], Dword(0));
    EXPECT_EQ(values.size(), 3u);
}

TEST_F(Settings, StoredProfilesLoadUncheckedAndMissingValuesKeepTheirFields)
{
    for (DWORD stored : {DWORD(7), DWORD(-5), DWORD(-1), DWORD(0x80000000)}) {
        StoreDword(L"mailDefaultPlenzarProfile", stored);
        EXPECT_EQ(CSettings().mailDefaultPlenzarProfile, static_cast<std::int32_t>(stored));
    }

    CSettings changed;
    changed.checkForUpdate = 0;
    changed.appOutputToDesktop = 9;
    StoreDword(L"appOutputToDesktop", 1);
    changed.Load();
    EXPECT_EQ(changed.checkForUpdate, 0); // no value stored: the field stays as it was
    EXPECT_EQ(changed.appOutputToDesktop, 1);
}

TEST_F(Settings, ShortBinaryValuesLoadAsNumbersAndEightByteValuesAreLeftAlone)
{
    Store(L"mailDefaultPlenzarProfile", REG_BINARY, {0x05, 0x00});
    EXPECT_EQ(CSettings().mailDefaultPlenzarProfile, 5);
    Store(L"mailDefaultPlenzarProfile", REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(CSettings().mailDefaultPlenzarProfile, 2);
    Store(L"mailDefaultPlenzarProfile", REG_QWORD, {3, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(CSettings().mailDefaultPlenzarProfile, 2);
}

// Values of every type and of sizes around the 4-byte buffer: up to 4 bytes load as a
// little-endian number, anything longer leaves the field alone and disturbs no other.
TEST_F(Settings, AValueOfAnyTypeAndSizeLoadsAsANumberOrIsLeftAlone)
{
    const DWORD types[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN,
                           REG_LINK, REG_MULTI_SZ, REG_QWORD, 0x12345};
    const size_t sizes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 4096, 70000};
    for (DWORD type : types) {
        for (size_t size : sizes) {
            std::vector<BYTE> data(size);
            for (size_t i = 0; i < size; ++i)
                data[i] = static_cast<BYTE>(0x11 * (i + 1));
            Store(L"checkForUpdateLastDate", type, data);

            CSettings settings;
            settings.checkForUpdateLastDate = 42;
            settings.Load();
            std::int32_t expected = 42;
            if (size <= 4) {
                DWORD number = 0;
                for (size_t i = 0; i < size; ++i)
                    number |= DWORD(data[i]) << (8 * i);
                expected = static_cast<std::int32_t>(number);
            }
            bool isString = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
            if (isString && size == 4) {
                // The registry may report an unterminated string with the terminator it adds
                // (Wine answers 6 bytes): then the value is longer than 4 bytes.
                EXPECT_THAT(settings.checkForUpdateLastDate, AnyOf(expected, 42)) << "type " << type;
            } else {
                EXPECT_EQ(settings.checkForUpdateLastDate, expected) << "type " << type << ", " << size << " bytes";
            }
            EXPECT_EQ(settings.productImprovementSendData, 0);
            EXPECT_EQ(settings.checkForUpdate, 1);
        }
    }
}

TEST_F(Settings, AKeyThatCannotBeCreatedMakesTheSaveWriteNothingQuietly)
{
    // A non-volatile key cannot be created below a volatile one.
    const wchar_t* parent = L"Software\\PlenzarFile";
    RegDeleteTreeW(HKEY_CURRENT_USER, parent);
    HKEY volatileParent = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, parent, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &volatileParent, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileParent);

    CSettings settings = Distinct();
    settings.Save(SETTING_ALL);
    bool created = KeyExists();
    CSettings loaded;
    RegDeleteTreeW(HKEY_CURRENT_USER, parent);

    EXPECT_FALSE(created);
    ExpectDefaults(loaded);
}

TEST(RegistryKey, AFailedOrClosedKeyAnswersFalseAndZero)
{
    CRegistryKey key;
    EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, L"Software\\PlenzarFile\\No Such Key", KEY_READ));
    EXPECT_EQ(key.Handle(), nullptr);
    DWORD value = 77;
    EXPECT_FALSE(key.GetDword(L"any", value));
    EXPECT_EQ(value, 0u);
    EXPECT_FALSE(key.SetDword(L"any", 1));
    key.Close();
    key.Close();
    EXPECT_EQ(key.Handle(), nullptr);
}

TEST_F(Settings, RegistryKeyReadsBackWhatItWroteAndAMissingValueAsZero)
{
    CRegistryKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, kSettingsKeyPath));
    EXPECT_TRUE(key.SetDword(L"checkForUpdate", 0xDEADBEEF));
    DWORD value = 0;
    EXPECT_TRUE(key.GetDword(L"checkForUpdate", value));
    EXPECT_EQ(value, 0xDEADBEEFu);
    EXPECT_FALSE(key.GetDword(L"appOutputToDesktop", value));
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);
    EXPECT_EQ(key.Handle(), nullptr);
}

} // namespace
