#include "common/file_conversion.h"

#include "common/engine.h"
#include "common/output_name_lock.h"
#include "common/source_file.h"

bool ConvertIntoFreeName(const std::wstring& source, const SplitPath& outputParts, PlenzarProfile profile,
                         ConversionCounter count)
{
    // Held until the engine has written: no other conversion can choose this name meanwhile.
    const COutputNameLock lock(outputParts);
    if (!lock.Held())
        return false;
    wchar_t output[kOutputPathChars] = {};
    if (!FindFreeOutputPath(outputParts, output))
        return false;
    count(outputParts.extension, QueryFileLength(source), profile);
    g_engineFunctions.Optimize(source.c_str(), output, static_cast<std::int32_t>(kOutputPathChars), profile);
    return true;
}
