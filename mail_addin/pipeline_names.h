#pragma once
// The names the attachment pipeline makes: output paths by Outlook's naming rule, the
// names of the copies kept for diagnosis, the test a kept first version's name passes, and
// a name given another extension.
#include <cstddef>
#include <string>

#include "common/plenzar_profile.h"

// The output path's buffer, NUL included; the engine gets the same capacity.
constexpr int OUTPUT_PATH_CAPACITY = 520;

// Below Outlook 16 the display name names the output file, with every "." but the last
// changed to "_". Throws COleException(E_INVALIDARG) for a name without ".".
std::wstring OutputNameBelowOutlook16(const std::wstring& displayName);

// From this Outlook version on, each output file lies in a fresh folder of its own and bears
// the attachment's name; below it, the display name names the file in the work folder.
constexpr int OUTLOOK_VERSION_OUTPUT_IN_OWN_FOLDER = 16;

// The display name as a file name: every character that no file name may hold becomes "_",
// trailing dots and blanks go, and an empty name or a device's (NUL.jpg) gets a leading "_",
// so that it names a file in the folder it is put in, never one elsewhere or a device.
std::wstring AttachmentFileName(const std::wstring& displayName);

// Writes the proposed output path into buffer: Outlook 16 and later, the output's own folder
// and AttachmentFileName; below 16, the work folder and OutputNameBelowOutlook16.
// *replacementName gets the replacement's display name, the name of the file proposed. False,
// with an empty buffer, when the path does not fit the capacity.
bool ProposeOutputPath(const std::wstring& folder, const std::wstring& displayName,
                       int outlookMajorVersion, wchar_t* buffer, size_t capacity,
                       std::wstring* replacementName);

// "%d_%s" of the profile and the kept name: the not-smaller and fail copies.
std::wstring DiagnosticCopyName(PlenzarProfile profile, const std::wstring& keptName);

// A name of the form the pipeline gives its kept first versions: MakeRandomName's ten
// characters, then nothing or one extension ("." and no further ".", folder separator or
// drive). Any other "PlenzarOrig" value came from elsewhere.
bool IsKeptFirstVersionName(const std::wstring& name);

// The name with its extension (from the last "." on) replaced by extension, or extension
// appended when it has none.
std::wstring WithExtension(const std::wstring& name, const std::wstring& extension);
