#pragma once
// The files through which a test steers the development engine and reads back what it
// was asked: shared by the engine and by the test-side helper.
#include <string>
#include <vector>

namespace test_engine_format {

constexpr wchar_t kControlFileName[] = L"PlenzarEngine.control";
constexpr wchar_t kCallRecordFileName[] = L"PlenzarEngine.calls";
// When set, names the folder holding both files instead of the engine's own folder.
constexpr wchar_t kFolderVariable[] = L"PLENZAR_TEST_ENGINE_DIR";

// Control file: UTF-8 lines "key=value".
constexpr char kSupportedKey[] = "supported";          // extensions separated by spaces; "*": every name
constexpr char kOptimizeKey[] = "optimize";            // one of the actions below
constexpr char kFailureResultKey[] = "failure_result"; // what "fail" returns
constexpr char kRewriteExtensionKey[] = "rewrite_extension";
constexpr char kWaitBeforeWriteKey[] = "wait_before_write_ms";

constexpr char kActionWrite[] = "write";         // copy the source to the proposed output, return 0
constexpr char kActionFail[] = "fail";           // write nothing, return failure_result
constexpr char kActionRewrite[] = "rewrite";     // change the output's extension in the buffer, then write
constexpr char kActionOverfill[] = "overfill";   // fill the whole buffer with no NUL, return 0

constexpr char kDefaultSupported[] = ".jpg .jpeg .png .gif .bmp .tif .tiff";

// Call record: one UTF-8 line per call, fields separated by tabs:
//   Optimize <source> <proposed output> <capacity> <profile>
//   IsSupported <name>
constexpr char kOptimizeEntry[] = "Optimize";
constexpr char kIsSupportedEntry[] = "IsSupported";

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// Record fields escape '%', tab, line breaks and other control characters as %XX.
std::string EscapeField(const std::string& field);
std::string UnescapeField(const std::string& field);
std::vector<std::string> SplitFields(const std::string& line);

// Reads a whole small file; false when it cannot be opened.
bool ReadFileText(const std::wstring& path, std::string& text);
bool AppendFileText(const std::wstring& path, const std::string& text);
bool WriteFileText(const std::wstring& path, const std::string& text);
std::vector<std::string> SplitLines(const std::string& text);

} // namespace test_engine_format
