#include "shell_ext/output_name.h"

bool ProposeOutputPath(const std::wstring& source, wchar_t (&proposal)[kOutputPathChars])
{
    SplitPath parts;
    return SplitFilePath(source.c_str(), parts) && FindFreeOutputPath(parts, proposal);
}

std::wstring SourceExtension(const std::wstring& source)
{
    SplitPath parts;
    return SplitFilePath(source.c_str(), parts) ? parts.extension : L"";
}
