// InvokeCommand converts the kept files beside their sources, under free numbered names.
#include "handler_client.h"
#include "shell_test.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ConversionTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        ASSERT_EQ(S_OK, handler.Create(server));
    }
    void TearDown() override
    {
        handler.Release();
        ShellTest::TearDown();
    }
    HRESULT Select(const std::vector<std::wstring>& names)
    {
        std::vector<std::wstring> paths;
        for (const auto& name : names) paths.push_back(folder / name);
        return handler.Select(paths);
    }
    HRESULT Invoke(UINT offset) { return handler.Invoke(offset); }
    std::vector<test_engine::Call> OptimizeCalls() const
    {
        std::vector<test_engine::Call> calls;
        for (auto& call : test_engine::ReadCalls(server.Folder()))
            if (call.entry == L"Optimize") calls.push_back(call);
        return calls;
    }
    void ExpectOptimize(const test_engine::Call& call, const std::wstring& source, const std::wstring& output,
                        int profile) const
    {
        EXPECT_EQ(folder / source, call.path);
        EXPECT_EQ(folder / output, call.proposedOutput);
        EXPECT_EQ(260, call.capacity);
        EXPECT_EQ(profile, call.profile);
    }

    HandlerClient handler;
};

TEST_F(ConversionTest, AcceptedFilesGetTheNextFreeNumberInTheirOwnFolder)
{
    folder.Write(L"photo.jpg", "first photo");
    folder.Write(L"photo (1).jpg", "taken name");
    folder.Write(L"sub\\photo.jpg", "second photo");
    folder.Write(L"a.b.PNG", "dotted");
    folder.Write(L"notes.txt");
    ASSERT_EQ(S_OK, Select({L"photo.jpg", L"sub\\photo.jpg", L"a.b.PNG", L"notes.txt"}));

    ASSERT_EQ(S_OK, Invoke(2));
    EXPECT_EQ("first photo", folder.Content(L"photo (2).jpg"));
    EXPECT_EQ("taken name", folder.Content(L"photo (1).jpg")) << "an existing file is never the output";
    EXPECT_EQ("second photo", folder.Content(L"sub\\photo (1).jpg"));
    EXPECT_EQ("dotted", folder.Content(L"a.b (1).PNG"));
    EXPECT_FALSE(folder.Has(L"notes (1).txt")) << "a refused file is not converted";

    ASSERT_EQ(S_OK, Invoke(4));
    const auto calls = OptimizeCalls();
    ASSERT_EQ(6u, calls.size());
    ExpectOptimize(calls[0], L"photo.jpg", L"photo (2).jpg", 2);
    ExpectOptimize(calls[1], L"sub\\photo.jpg", L"sub\\photo (1).jpg", 2);
    ExpectOptimize(calls[2], L"a.b.PNG", L"a.b (1).PNG", 2);
    ExpectOptimize(calls[3], L"photo.jpg", L"photo (3).jpg", 4);
    ExpectOptimize(calls[4], L"sub\\photo.jpg", L"sub\\photo (2).jpg", 4);
    ExpectOptimize(calls[5], L"a.b.PNG", L"a.b (2).PNG", 4);
}

TEST_F(ConversionTest, EveryProfileReachesTheEngineAndFailuresStopNothing)
{
    folder.Write(L"a.jpg");
    folder.Write(L"b.jpg");
    test_engine::Behaviour failing;
    failing.optimize = test_engine::OptimizeAction::Fail;
    SetEngine(failing);
    ASSERT_EQ(S_OK, Select({L"a.jpg", L"b.jpg"}));
    for (UINT offset = 0; offset < 5; ++offset) EXPECT_EQ(S_OK, Invoke(offset));
    const auto calls = OptimizeCalls();
    ASSERT_EQ(10u, calls.size());
    for (int i = 0; i < 10; ++i) ExpectOptimize(calls[i], i % 2 ? L"b.jpg" : L"a.jpg", i % 2 ? L"b (1).jpg" : L"a (1).jpg", i / 2);
}

TEST_F(ConversionTest, RefusedCommandsConvertNothing)
{
    folder.Write(L"photo.jpg");
    ASSERT_EQ(S_OK, Select({L"photo.jpg"}));
    EXPECT_EQ(E_INVALIDARG, Invoke(5));
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = "open";
    EXPECT_EQ(E_INVALIDARG, handler.Menu()->InvokeCommand(&info));
    EXPECT_TRUE(OptimizeCalls().empty());
    EXPECT_FALSE(folder.Has(L"photo (1).jpg"));
}

}  // namespace
