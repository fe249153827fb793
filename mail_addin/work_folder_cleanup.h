#pragma once
// What the work folder must not keep for ever: the copies of a kept first version once it is
// released, and whatever a mail that was never sent left behind.
#include <windows.h>

#include <string>

// Files last written longer ago than this are deleted at start-up.
constexpr unsigned kWorkFileMaxAgeDays = 30;

// The not-smaller and fail copies ("<profile>_<kept name>") of one kept first version, under
// any profile. The folders are not created for it.
void DeleteDiagnosticCopies(const std::wstring& workFolder, const std::wstring& keptName);

// Deletes the files of the work folder, of its two copy folders and of its output folders
// last written before limit (UTC), and an output folder left empty. The log files stay: they
// bound themselves. A draft older than that then meets no kept first version, which the
// pipeline takes for an untagged attachment.
void DeleteWorkFilesWrittenBefore(const std::wstring& workFolder, const FILETIME& limit);
// The same, kWorkFileMaxAgeDays before now; for OnStartupComplete. Never raises.
void DeleteAgedWorkFiles();
