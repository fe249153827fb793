// PlenzarFile.exe with file arguments, run with the recording engine beside it.
#include "desktop/tests/program_run.h"
#include "tests/engine/test_engine.h"
#include "tests/support/program_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

constexpr int kOutputCapacity = 260;

std::wstring Optimized(const std::wstring& source, const std::wstring& output, int profile = 2,
                       int capacity = kOutputCapacity)
{
    return L"Optimize|" + source + L"|" + output + L"|" + std::to_wstring(capacity) + L"|" + std::to_wstring(profile);
}

std::wstring Asked(const std::wstring& path)
{
    return L"IsSupported|" + path;
}

std::wstring DesktopFolder()
{
    wchar_t desktop[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, 0, desktop);
    std::wstring folder = desktop;
    if (folder.empty() || folder.back() != L'\\')
        folder += L'\\';
    return folder;
}

// A scratch folder holding program\ (the program and the recording engine) and
// pictures\ (the sources).
class Batch : public ::testing::Test {
protected:
    Batch()
    {
        m_program = m_folder.Path() + L"\\program\\";
        m_pictures = m_folder.Path() + L"\\pictures\\";
        CreateDirectoryW(m_program.c_str(), nullptr);
        CreateDirectoryW(m_pictures.c_str(), nullptr);
        CopyFileW(testsupport::BesideProgram(L"PlenzarFile.exe").c_str(), Exe().c_str(), FALSE);
        test_engine::PlaceEngine(test_engine::Variant::Working, EngineFolder());
        Accept({ L"*" });
    }

    std::wstring EngineFolder() const { return m_program.substr(0, m_program.size() - 1); }
    void Accept(const std::vector<std::wstring>& extensions, bool writeOutput = true) const
    {
        test_engine::Behaviour behaviour;
        behaviour.supportedExtensions = extensions;
        behaviour.optimize = writeOutput ? test_engine::OptimizeAction::WriteOutput : test_engine::OptimizeAction::Fail;
        test_engine::SetBehaviour(EngineFolder(), behaviour);
    }
    void EngineWritesNothing() const { Accept({ L"*" }, false); }

    std::wstring Exe() const { return m_program + L"PlenzarFile.exe"; }
    std::wstring Picture(const std::wstring& name, const std::string& contents = "picture") const
    {
        WriteFile(m_pictures + name, contents);
        return m_pictures + name;
    }

    void Run(const std::vector<std::wstring>& arguments, const std::wstring& workingFolder = L"") const
    {
        ASSERT_EQ(RunToEnd(Exe(), arguments, workingFolder.empty() ? m_folder.Path() : workingFolder), 0u);
    }

    // The engine calls of every run so far; with onlyOptimize, the Optimize calls alone.
    std::vector<std::wstring> Calls(bool onlyOptimize = true) const
    {
        std::vector<std::wstring> calls;
        for (const test_engine::Call& call : test_engine::ReadCalls(EngineFolder())) {
            if (call.entry == L"Optimize")
                calls.push_back(Optimized(call.path, call.proposedOutput, call.profile, call.capacity));
            else if (!onlyOptimize)
                calls.push_back(Asked(call.path));
        }
        return calls;
    }

    test_engine::ScopedTempFolder m_folder;
    SettingsKeyScope m_settings;
    DataFileScope m_dataFile;
    std::wstring m_program;
    std::wstring m_pictures;
};

TEST_F(Batch, OutputGoesIntoTheFirstFreeNumberedNameBesideTheSource)
{
    const std::wstring photo = Picture(L"photo.jpg");
    const std::wstring bare = Picture(L"README");
    const std::wstring dotted = Picture(L"a.b.jpg");
    Run({ photo, bare, dotted });
    Run({ photo });
    EXPECT_THAT(Calls(), ElementsAre(Optimized(photo, m_pictures + L"photo (1).jpg"),
                                     Optimized(bare, m_pictures + L"README (1)"),
                                     Optimized(dotted, m_pictures + L"a.b (1).jpg"),
                                     Optimized(photo, m_pictures + L"photo (2).jpg")));
}

TEST_F(Batch, SameFileNamedTwiceGetsTheNextNumberOnlyWhenTheFirstWasWritten)
{
    const std::wstring photo = Picture(L"photo.jpg");
    Run({ photo, photo });
    EngineWritesNothing();
    Run({ photo, photo });
    EXPECT_THAT(Calls(), ElementsAre(Optimized(photo, m_pictures + L"photo (1).jpg"),
                                     Optimized(photo, m_pictures + L"photo (2).jpg"),
                                     Optimized(photo, m_pictures + L"photo (3).jpg"),
                                     Optimized(photo, m_pictures + L"photo (3).jpg")));
}

TEST_F(Batch, RelativePathIsJoinedAsWrittenAndStoredProfileIsPassedUnchanged)
{
    Picture(L"photo.jpg");
    m_settings.Set(L"appDefaultPlenzarProfile", -1);
    Run({ L"pictures\\photo.jpg" }, m_folder.Path());
    EXPECT_THAT(Calls(false), ElementsAre(Asked(L"pictures\\photo.jpg"),
                                          Optimized(L"pictures\\photo.jpg", L"pictures\\photo (1).jpg", -1)));
    EXPECT_TRUE(FileExists(m_pictures + L"photo (1).jpg"));
}

TEST_F(Batch, DesktopOutputTakesTheSourceNameWhenItIsFreeThere)
{
    const std::wstring desktop = DesktopFolder();
    const std::wstring name = L"plenzar_batch_desktop.jpg";
    const std::wstring photo = Picture(name);
    DeleteFileW((desktop + name).c_str());
    DeleteFileW((desktop + L"plenzar_batch_desktop (1).jpg").c_str());
    m_settings.Set(L"appOutputToDesktop", 1);
    Run({ photo });
    m_settings.Set(L"appOutputToDesktop", 2);  // a hand-edited value counts as the desktop
    Run({ photo });
    const bool firstWritten = FileExists(desktop + name);
    const bool secondWritten = FileExists(desktop + L"plenzar_batch_desktop (1).jpg");
    DeleteFileW((desktop + name).c_str());
    DeleteFileW((desktop + L"plenzar_batch_desktop (1).jpg").c_str());
    EXPECT_THAT(Calls(), ElementsAre(Optimized(photo, desktop + name),
                                     Optimized(photo, desktop + L"plenzar_batch_desktop (1).jpg")));
    EXPECT_TRUE(firstWritten);
    EXPECT_TRUE(secondWritten);
}

TEST_F(Batch, OnTheDesktopNoOutputLandsOnAFileOfItsNameWhateverTheExtensionOrWhoeverWritesIt)
{
    const std::wstring desktop = DesktopFolder();
    const std::vector<std::wstring> outputs = {L"plenzar_drawing.png", L"plenzar_drawing (1).png", L"plenzar_race.png",
                                               L"plenzar_race (1).png"};
    const auto clearDesktop = [&] {
        for (const std::wstring& name : outputs) DeleteFileW((desktop + name).c_str());
    };
    clearDesktop();
    WriteFile(desktop + L"plenzar_drawing.png", "the user's drawing");
    const std::wstring drawing = Picture(L"plenzar_drawing.bmp", "bitmap");
    CreateDirectoryW((m_pictures + L"a").c_str(), nullptr);
    CreateDirectoryW((m_pictures + L"b").c_str(), nullptr);
    const std::wstring raceA = Picture(L"a\\plenzar_race.jpg", "from a");
    const std::wstring raceB = Picture(L"b\\plenzar_race.jpg", "from b");
    test_engine::Behaviour slowToPng;
    slowToPng.supportedExtensions = { L"*" };
    slowToPng.optimize = test_engine::OptimizeAction::RewriteExtension;
    slowToPng.waitBeforeWriteMs = 700;  // the other program chooses while this output is not yet written
    test_engine::SetBehaviour(EngineFolder(), slowToPng);
    m_settings.Set(L"appOutputToDesktop", 1);

    RunningProgram first(Exe(), { raceA, drawing }, m_folder.Path());
    RunningProgram second(Exe(), { raceB }, m_folder.Path());
    EXPECT_EQ(first.WaitForExit(), 0u);
    EXPECT_EQ(second.WaitForExit(), 0u);
    std::vector<std::string> contents;
    for (const std::wstring& name : outputs) contents.push_back(ReadFile(desktop + name));
    clearDesktop();

    std::vector<std::wstring> proposals;  // either program may come first
    for (const test_engine::Call& call : test_engine::ReadCalls(EngineFolder()))
        if (call.entry == L"Optimize") proposals.push_back(call.proposedOutput);
    EXPECT_THAT(proposals, UnorderedElementsAre(desktop + L"plenzar_race.jpg", desktop + L"plenzar_race (1).jpg",
                                                desktop + L"plenzar_drawing (1).bmp"));
    EXPECT_EQ(contents[0], "the user's drawing");
    EXPECT_EQ(contents[1], "bitmap");
    EXPECT_THAT((std::vector<std::string>{ contents[2], contents[3] }), UnorderedElementsAre("from a", "from b"));
}

TEST_F(Batch, RefusedFileIsNeitherCountedNorConvertedAndTheDataFileIsWrittenAtTheEnd)
{
    Accept({ L".jpg" });
    const std::wstring refused = Picture(L"refused.png", "123456789");
    const std::wstring photo = Picture(L"photo.JPG", "12345");
    const std::wstring other = Picture(L"other.jpg", "1234567");
    Run({ refused, photo, other });
    EXPECT_THAT(Calls(false), ElementsAre(Asked(refused), Asked(photo), Optimized(photo, m_pictures + L"photo (1).JPG"),
                                          Asked(other), Optimized(other, m_pictures + L"other (1).jpg")));
    const auto records = m_dataFile.Records();
    ASSERT_EQ(records.count(".jpg"), 1u);
    EXPECT_EQ(records.at(".jpg").count, 2);
    EXPECT_EQ(records.at(".jpg").value, 5 + 7);
    EXPECT_EQ(records.size(), 1u);
}

TEST_F(Batch, WithoutTheEngineNothingHappensAndTheDataFileIsUntouched)
{
    ASSERT_TRUE(DeleteFileW((m_program + L"Plenzar.dll").c_str()));
    const std::string previous(72, '\x01');
    WriteFile(m_dataFile.Path(), previous);
    const std::wstring photo = Picture(L"photo.jpg");
    Run({ photo });
    EXPECT_EQ(ReadFile(m_dataFile.Path()), previous);
    EXPECT_FALSE(FileExists(m_pictures + L"photo (1).jpg"));
    EXPECT_THAT(Calls(false), IsEmpty());
}

TEST_F(Batch, SourceThatCannotBeOpenedIsNeverProposedAsItsOwnOutput)
{
    const std::wstring photo = Picture(L"photo.jpg");
    EngineWritesNothing();
    HANDLE locked = CreateFileW(photo.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    Run({ photo });
    CloseHandle(locked);
    EXPECT_THAT(Calls(), ElementsAre(Optimized(photo, m_pictures + L"photo (1).jpg")));
    const auto records = m_dataFile.Records();
    ASSERT_EQ(records.count(".jpg"), 1u);
    EXPECT_EQ(records.at(".jpg").value, 0);  // its size could not be read
}

}  // namespace
