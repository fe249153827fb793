// InvokeCommand converts the kept files beside their sources, under free numbered names.
#include "handler_client.h"
#include "shell_test.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
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

TEST_F(ConversionTest, AnEngineThatChangesTheExtensionNeverWritesOverAFileOfTheNumberedName)
{
    folder.Write(L"photo.jpg", "photo");
    folder.Write(L"photo (1).png", "downloaded");  // as a browser names a second download
    folder.Write(L"scan.bmp", "bitmap");
    folder.Write(L"scan.tif", "tiff");
    test_engine::Behaviour toPng;
    toPng.optimize = test_engine::OptimizeAction::RewriteExtension;
    SetEngine(toPng);
    ASSERT_EQ(S_OK, Select({L"photo.jpg", L"photo (1).png", L"scan.bmp", L"scan.tif"}));

    ASSERT_EQ(S_OK, Invoke(0));
    std::vector<std::wstring> proposals;
    for (const auto& call : OptimizeCalls()) proposals.push_back(call.proposedOutput);
    EXPECT_EQ(proposals, (std::vector<std::wstring>{folder / L"photo (2).jpg", folder / L"photo (1) (1).png",
                                                    folder / L"scan (1).bmp", folder / L"scan (2).tif"}))
        << "scan (1).png was written just before scan.tif's turn";
    EXPECT_EQ("downloaded", folder.Content(L"photo (1).png"));
    EXPECT_EQ("photo", folder.Content(L"photo (2).png"));
    EXPECT_EQ("downloaded", folder.Content(L"photo (1) (1).png"));
    EXPECT_EQ("bitmap", folder.Content(L"scan (1).png"));
    EXPECT_EQ("tiff", folder.Content(L"scan (2).png"));
}

TEST_F(ConversionTest, TwoWindowsConvertingOneFileAtOnceNeverChooseOneOutput)
{
    folder.Write(L"photo.jpg", "photo");
    test_engine::Behaviour slow;
    slow.waitBeforeWriteMs = 700;  // the second choice comes while the first output is not yet written
    SetEngine(slow);
    std::atomic<int> ready{0};
    HRESULT invoked[2] = {E_FAIL, E_FAIL};
    const auto window = [&](UINT offset, HRESULT* result) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            HandlerClient windowHandler;
            const bool selected = SUCCEEDED(windowHandler.Create(server))
                                  && SUCCEEDED(windowHandler.Select({folder / L"photo.jpg"}));
            for (++ready; ready < 2;) Sleep(1);  // both windows invoke together
            if (selected) *result = windowHandler.Invoke(offset);
        }
        CoUninitialize();
    };
    std::thread tiny(window, 0, &invoked[0]), large(window, 3, &invoked[1]);
    tiny.join();
    large.join();

    EXPECT_EQ(S_OK, invoked[0]);
    EXPECT_EQ(S_OK, invoked[1]);
    const auto calls = OptimizeCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_NE(calls[0].proposedOutput, calls[1].proposedOutput);
    EXPECT_TRUE(folder.Has(L"photo (1).jpg") && folder.Has(L"photo (2).jpg"));
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
    CMINVOKECOMMANDINFOEX unicode = {};
    unicode.cbSize = sizeof(unicode);
    unicode.fMask = CMIC_MASK_UNICODE;
    unicode.lpVerbW = L"delete";  // and no ANSI verb at all
    EXPECT_EQ(E_INVALIDARG, handler.Menu()->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&unicode)));
    EXPECT_TRUE(OptimizeCalls().empty());
    EXPECT_FALSE(folder.Has(L"photo (1).jpg"));
}

}  // namespace
