// The conversion step of the desktop program and the shell extension, with the development
// engine loaded into this program as a deliverable loads it.
#include "common/engine.h"
#include "common/file_conversion.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

struct Counted {
    std::wstring extension;
    std::int32_t length;
    PlenzarProfile profile;
    size_t engineCallsBefore;  // Optimize calls the engine had received when the count came
    bool operator==(const Counted& other) const
    {
        return extension == other.extension && length == other.length && profile == other.profile
               && engineCallsBefore == other.engineCallsBefore;
    }
};

std::vector<Counted> g_counted;
std::wstring g_engineFolder;

size_t OptimizeCalls()
{
    size_t count = 0;
    for (const test_engine::Call& call : test_engine::ReadCalls(g_engineFolder))
        count += call.entry == L"Optimize" ? 1 : 0;
    return count;
}

void Record(const std::wstring& extension, std::int32_t length, PlenzarProfile profile)
{
    g_counted.push_back({extension, length, profile, OptimizeCalls()});
}

// The engine beside this program, told to keep its control file and record in a scratch
// folder of the test.
class FileConversion : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_engineFolder = m_engine.Path();
        g_counted.clear();
        SetEnvironmentVariableW(L"PLENZAR_TEST_ENGINE_DIR", g_engineFolder.c_str());
        ASSERT_TRUE(LoadEngine());
        m_pictures = m_scratch.MakeSubFolder(L"pictures") + L"\\";
    }
    void TearDown() override
    {
        UnloadEngine();
        SetEnvironmentVariableW(L"PLENZAR_TEST_ENGINE_DIR", nullptr);
    }

    std::wstring Picture(const std::wstring& name, const std::string& bytes) const
    {
        const std::wstring path = m_pictures + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        return path;
    }

    std::vector<std::wstring> Conversions() const
    {
        std::vector<std::wstring> calls;
        for (const test_engine::Call& call : test_engine::ReadCalls(g_engineFolder)) {
            if (call.entry == L"Optimize")
                calls.push_back(call.path + L" -> " + call.proposedOutput + L" " + std::to_wstring(call.capacity) + L" "
                                + std::to_wstring(call.profile));
        }
        return calls;
    }

    test_engine::ScopedTempFolder m_engine;
    test_engine::ScopedTempFolder m_scratch;
    std::wstring m_pictures;
};

TEST_F(FileConversion, CountsBeforeTheEngineRunsAndProposesTheFirstFreeNameOfTheGivenFolder)
{
    const std::wstring photo = Picture(L"photo.JPG", "12345");
    SplitPath beside;
    ASSERT_TRUE(SplitFilePath(photo.c_str(), beside));
    EXPECT_TRUE(ConvertIntoFreeName(photo, beside, PROFILE_LARGE, &Record));

    const std::wstring elsewhere = m_scratch.MakeSubFolder(L"elsewhere") + L"\\";
    SplitPath moved = beside;
    ASSERT_TRUE(SplitFilePath(elsewhere.c_str(), moved));
    wcscpy_s(moved.baseName, beside.baseName);
    wcscpy_s(moved.extension, beside.extension);
    test_engine::Behaviour failing;
    failing.optimize = test_engine::OptimizeAction::Fail;
    test_engine::SetBehaviour(g_engineFolder, failing);
    EXPECT_TRUE(ConvertIntoFreeName(photo, moved, -1, &Record)) << "the engine's failure is not looked at";

    EXPECT_EQ(Conversions(), (std::vector<std::wstring>{photo + L" -> " + m_pictures + L"photo (1).JPG 260 3",
                                                        photo + L" -> " + elsewhere + L"photo.JPG 260 -1"}));
    EXPECT_EQ(g_counted, (std::vector<Counted>{{L".JPG", 5, PROFILE_LARGE, 0}, {L".JPG", 5, -1, 1}}));
}

TEST_F(FileConversion, ASourceWhoseNumberedNameDoesNotFitIsNeitherCountedNorConverted)
{
    const std::wstring longest = Picture(std::wstring(259 - m_pictures.size() - 4, L'n') + L".jpg", "x");
    ASSERT_EQ(longest.size(), 259u);
    SplitPath parts;
    ASSERT_TRUE(SplitFilePath(longest.c_str(), parts));
    EXPECT_FALSE(ConvertIntoFreeName(longest, parts, PROFILE_MEDIUM, &Record));
    EXPECT_TRUE(g_counted.empty());
    EXPECT_TRUE(Conversions().empty());
}

}  // namespace
