// The work folder below the temporary folder and the log's lines, read back byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "mail_addin/log_clock.h"
#include "mail_addin/tests/support/temp_folder_scope.h"
#include "mail_addin/work_folder.h"

namespace {

const std::wstring kTemp = L"C:\\plenzar_mail_tmp\\";

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadLog(const wchar_t* name = L"Log.txt")
{
    std::ifstream file((kTemp + L"PlenzarMail\\" + name).c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteLogFile(const wchar_t* name, const std::string& bytes)
{
    std::ofstream file((kTemp + L"PlenzarMail\\" + name).c_str(), std::ios::binary);
    file << bytes;
}

__time64_t LocalMoment(int year, int month, int day, int hour, int minute, int second)
{
    tm moment = {};
    moment.tm_year = year - 1900;
    moment.tm_mon = month - 1;
    moment.tm_mday = day;
    moment.tm_hour = hour;
    moment.tm_min = minute;
    moment.tm_sec = second;
    moment.tm_isdst = -1;
    return _mktime64(&moment);
}

__time64_t g_now;
__time64_t FixedClock() { return g_now; }

class WorkFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveTree();
        CreateDirectoryW(kTemp.c_str(), nullptr);
        SetLogClock(&FixedClock);
        g_now = LocalMoment(2015, 3, 7, 9, 5, 0);
    }
    void TearDown() override {
        SetLogClock(nullptr);
        RemoveTree();
    }
    static void RemoveTree() {
        const std::wstring work = kTemp + L"PlenzarMail\\";
        DeleteFileW((work + L"Log.txt").c_str());
        DeleteFileW((work + L"Log.old.txt").c_str());
        RemoveDirectoryW((work + L"Fail").c_str());
        RemoveDirectoryW((work + L"NotSmaller").c_str());
        RemoveDirectoryW(work.c_str());
        RemoveDirectoryW(kTemp.c_str());
    }

    CTempFolderScope m_temp{kTemp};
};

TEST_F(WorkFolderTest, FoldersLieBelowTheTemporaryFolderAndAreMadeOnDemand)
{
    EXPECT_EQ(GetFailFolder(), kTemp + L"PlenzarMail\\Fail\\");
    EXPECT_TRUE(IsFolder(kTemp + L"PlenzarMail\\Fail\\"));
    EXPECT_EQ(GetNotSmallerFolder(), kTemp + L"PlenzarMail\\NotSmaller\\");
    EXPECT_TRUE(IsFolder(kTemp + L"PlenzarMail\\NotSmaller\\"));
    EXPECT_EQ(GetWorkFolder(), kTemp + L"PlenzarMail\\");
}

TEST_F(WorkFolderTest, ATemporaryFolderTooLongForTheWorkFolderMakesEveryOperationFail)
{
    // The first fits the temporary folder but not the work folder; the second not even that.
    for (size_t length : {255, 300}) {
        CTempFolderScope longTemp(L"C:\\" + std::wstring(length, L'd') + L"\\");
        EXPECT_EQ(GetWorkFolder(), L"") << length;
        EXPECT_EQ(GetFailFolder(), L"");
        EXPECT_EQ(GetNotSmallerFolder(), L"");
        WriteLog("lost");
        EXPECT_TRUE(g_logFilePath.empty());
    }
    EXPECT_EQ(GetFileAttributesW(L"C:\\PlenzarMail"), INVALID_FILE_ATTRIBUTES)
        << "nothing lands on the drive's root";
    EXPECT_EQ(GetFileAttributesW(L"PlenzarMail"), INVALID_FILE_ATTRIBUTES)
        << "nothing lands in the current folder";
}

TEST_F(WorkFolderTest, LinesCarryTheDateWithoutLeadingZerosATabAndCrLf)
{
    WriteLog("first %d %s", 1, "x");
    g_now = LocalMoment(2016, 1, 2, 0, 0, 9);
    WriteLog("ends in a break\n");
    g_now = LocalMoment(2016, 12, 31, 23, 59, 58);
    WriteLog("%s", "caf\xC3\xA9");
    EXPECT_EQ(ReadLog(),
              "2015/3/7 9:5:0\tfirst 1 x\r\n"
              "2016/1/2 0:0:9\tends in a break\n\r\n"
              "2016/12/31 23:59:58\tcaf\xC3\xA9\r\n");
}

TEST_F(WorkFolderTest, TextBeyondTheBoundIsCutAtACharacterBoundary)
{
    // 998 ASCII bytes, then a two-byte character that would end at byte 1000.
    const std::string text = std::string(998, 'a') + "\xC3\xA9" + "tail";
    WriteLog("%s", text.c_str());
    EXPECT_EQ(ReadLog(), "2015/3/7 9:5:0\t" + std::string(998, 'a') + "\r\n");
}

TEST_F(WorkFolderTest, ALogThatCannotBeOpenedLosesTheLineQuietly)
{
    WriteLog("kept");
    {
        // Held open by someone else without sharing, as a virus scanner or editor may.
        HANDLE held = CreateFileW((kTemp + L"PlenzarMail\\Log.txt").c_str(), GENERIC_READ, 0,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        WriteLog("lost");
        CloseHandle(held);
    }
    EXPECT_EQ(ReadLog(), "2015/3/7 9:5:0\tkept\r\n");
}

TEST_F(WorkFolderTest, TheLogPathIsFixedByTheFirstLineAndTheFolderMadeOnlyThen)
{
    WriteLog("one");
    EXPECT_EQ(g_logFilePath, "C:\\plenzar_mail_tmp\\PlenzarMail\\Log.txt");
    DeleteFileW((kTemp + L"PlenzarMail\\Log.txt").c_str());
    RemoveDirectoryW((kTemp + L"PlenzarMail").c_str());
    WriteLog("lost while the folder is gone");
    EXPECT_FALSE(IsFolder(kTemp + L"PlenzarMail\\"));
    GetWorkFolder();
    WriteLog("two");
    EXPECT_EQ(ReadLog(), "2015/3/7 9:5:0\ttwo\r\n");
}

// The log grown to its bound takes one line more; past it, the next line starts a new log and
// the full one replaces the old log, so the two hold about twice the bound.
TEST_F(WorkFolderTest, ALogPastItsBoundBecomesTheOldLogBeforeTheNextLine)
{
    GetWorkFolder();
    const std::string full(kLogRotationBytes, 'x');
    WriteLogFile(L"Log.txt", full);
    WriteLogFile(L"Log.old.txt", "older\r\n");
    WriteLog("last of the full log");
    EXPECT_EQ(ReadLog(L"Log.old.txt"), "older\r\n");
    WriteLog("first of the new log");
    EXPECT_EQ(ReadLog(L"Log.old.txt"), full + "2015/3/7 9:5:0\tlast of the full log\r\n");
    EXPECT_EQ(ReadLog(), "2015/3/7 9:5:0\tfirst of the new log\r\n");
}

}  // namespace
