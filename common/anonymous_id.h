#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The anonymous installation id: the MD5 of the user's SID followed by the MD5 of the
// processor's CPUID leaf 1 values, each written as one "%X" entry per digest byte. Built afresh
// on every call; nothing is stored.

// Hex text of the MD5 of the buffer. Before hashing, the first byte is exchanged with the first
// later byte that differs from it, in the caller's buffer.
std::wstring HashToHexString(BYTE* bytes, DWORD length);

std::wstring GetProcessorHash();
// Empty when the user's SID cannot be had.
std::wstring GetUserSidHash();
// The SID hash followed directly by the processor hash; empty when anything throws.
std::wstring GetAnonymousId();

using LookupAccountNameFunction = BOOL(WINAPI*)(LPCWSTR systemName, LPCWSTR accountName, PSID sid,
                                                LPDWORD sidSize, LPWSTR domain, LPDWORD domainSize,
                                                PSID_NAME_USE use);

// The SID of a local account as bytes, growing the buffers as the lookup asks; empty when the
// lookup fails. The lookup function is a parameter so that its answers can be scripted.
std::vector<BYTE> LookupAccountSidBytes(const wchar_t* accountName,
                                        LookupAccountNameFunction lookup = ::LookupAccountNameW);
