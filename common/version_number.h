#pragma once
// Four-part version numbers ("major.minor.build.revision", each a signed 32-bit integer)
// read from the start of a text and compared.

struct VersionNumber {
    int parts[4] = {0, 0, 0, 0};
};

// Reads "%d.%d.%d.%d" from the start of text as the C scanner does (white space before
// each number is skipped, an optional sign, text after the fourth number is ignored) and
// returns how many numbers were read, 0 to 4. A number outside the 32-bit range ends the
// reading there, where the C scanner's result would be undefined. Null text reads nothing.
int ReadVersionNumber(const char* text, VersionNumber& version);

// True when candidate is larger than current at the first part where they differ.
bool IsNewerVersion(const VersionNumber& candidate, const VersionNumber& current);
