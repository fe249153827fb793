// The development engine as other suites rely on it, called through its handshake.
#include "common/engine.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

using test_engine::Behaviour;
using test_engine::OptimizeAction;

class DevelopmentEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Steered through the environment variable, so the shared engine file stays untouched.
        SetEnvironmentVariableW(L"PLENZAR_TEST_ENGINE_DIR", control.Path().c_str());
        module = LoadLibraryW(test_engine::BuiltEnginePath(test_engine::Variant::Working).c_str());
        ASSERT_NE(module, nullptr);
        auto handshake = reinterpret_cast<EngineHandshakeFunction>(
            reinterpret_cast<void*>(GetProcAddress(module, "Handshake")));
        ASSERT_NE(handshake, nullptr);
        table = handshake();
        ASSERT_NE(table, nullptr);
        source = control.Path() + L"\\source.jpg";
        HANDLE file = CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "picture", 7, &written, nullptr);
        CloseHandle(file);
    }
    void TearDown() override
    {
        SetEnvironmentVariableW(L"PLENZAR_TEST_ENGINE_DIR", nullptr);
        if (module)
            FreeLibrary(module);
    }

    static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    test_engine::ScopedTempFolder control;
    HMODULE module = nullptr;
    const EngineFunctionTable* table = nullptr;
    std::wstring source;
};

TEST_F(DevelopmentEngine, WithoutAControlFileAcceptsPictureNamesAndCopiesTheSource)
{
    EXPECT_EQ(table->IsSupported(L"C:\\a\\Photo.JPG"), 1);
    EXPECT_EQ(table->IsSupported(L"photo.tiff"), 1);
    EXPECT_EQ(table->IsSupported(L"notes.txt"), 0);
    EXPECT_EQ(table->IsSupported(L"C:\\folder.jpg\\noextension"), 0);

    std::wstring output = control.Path() + L"\\out.jpg";
    wchar_t buffer[260] = {};
    wcscpy(buffer, output.c_str());
    EXPECT_EQ(table->Optimize(source.c_str(), buffer, 260, PROFILE_SMALL), 0);
    EXPECT_TRUE(Exists(output));
    EXPECT_EQ(buffer, output);

    std::wstring missing = control.Path() + L"\\missing.jpg";
    std::wstring noOutput = control.Path() + L"\\none.jpg";
    wcscpy(buffer, noOutput.c_str());
    EXPECT_NE(table->Optimize(missing.c_str(), buffer, 260, PROFILE_SMALL), 0);
    EXPECT_FALSE(Exists(noOutput));
}

TEST_F(DevelopmentEngine, FollowsTheControlFileReadAtEachCall)
{
    Behaviour behaviour;
    behaviour.supportedExtensions = {L"*"};
    behaviour.optimize = OptimizeAction::Fail;
    behaviour.failureResult = -3;
    ASSERT_TRUE(test_engine::SetBehaviour(control.Path(), behaviour));
    EXPECT_EQ(table->IsSupported(L"anything"), 1);
    std::wstring output = control.Path() + L"\\out.jpg";
    wchar_t buffer[260] = {};
    wcscpy(buffer, output.c_str());
    EXPECT_EQ(table->Optimize(source.c_str(), buffer, 260, PROFILE_TINY), -3);
    EXPECT_FALSE(Exists(output));

    behaviour.supportedExtensions = {};
    behaviour.optimize = OptimizeAction::RewriteExtension;
    behaviour.rewriteExtension = L".webp";
    ASSERT_TRUE(test_engine::SetBehaviour(control.Path(), behaviour));
    EXPECT_EQ(table->IsSupported(L"photo.jpg"), 0);
    // The rewritten path does not fit in the capacity: no output, buffer untouched.
    std::wstring tight = control.Path() + L"\\o.jpg";
    wcscpy(buffer, tight.c_str());
    EXPECT_NE(table->Optimize(source.c_str(), buffer, static_cast<int>(tight.size() + 1), PROFILE_TINY), 0);
    EXPECT_EQ(buffer, tight);
    EXPECT_EQ(table->Optimize(source.c_str(), buffer, 260, PROFILE_TINY), 0);
    EXPECT_EQ(buffer, control.Path() + L"\\o.webp");
    EXPECT_TRUE(Exists(buffer));

    test_engine::Reset(control.Path());
    EXPECT_TRUE(test_engine::ReadCalls(control.Path()).empty());
    EXPECT_EQ(table->IsSupported(L"photo.jpg"), 1);
}

TEST_F(DevelopmentEngine, RecordsEveryCallWithArgumentsThatReadBackExactly)
{
    const std::wstring oddName = L"tab\there\nline 100% \u00e9t\u00e9.jpg";
    table->IsSupported(oddName.c_str());
    wchar_t buffer[300] = L"C:\\proposed output.jpg";
    table->Optimize(source.c_str(), buffer, 300, PROFILE_FULL);
    table->IsSupported(nullptr);

    auto calls = test_engine::ReadCalls(control.Path());
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].entry, L"IsSupported");
    EXPECT_EQ(calls[0].path, oddName);
    EXPECT_EQ(calls[1].entry, L"Optimize");
    EXPECT_EQ(calls[1].path, source);
    EXPECT_EQ(calls[1].proposedOutput, L"C:\\proposed output.jpg");
    EXPECT_EQ(calls[1].capacity, 300);
    EXPECT_EQ(calls[1].profile, PROFILE_FULL);
    EXPECT_EQ(calls[2].path, L"");
}

} // namespace
