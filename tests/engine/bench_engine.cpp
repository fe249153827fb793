// The bare engine of the benchmarks: it judges ".jpg" and ".png" names (any case) and
// writes nothing, without the control file and call record of the development engine, so
// what a benchmark measures beyond it is the deliverable's own cost.
#include "common/engine.h"

#include <cwchar>

namespace {

int PLENZAR_ENGINE_CALL Optimize(const wchar_t*, wchar_t*, std::int32_t, PlenzarProfile)
{
    return 1;  // no output
}

int PLENZAR_ENGINE_CALL IsSupported(const wchar_t* path)
{
    const size_t length = path ? std::wcslen(path) : 0;
    if (length < 4)
        return 0;
    const wchar_t* extension = path + length - 4;
    return _wcsicmp(extension, L".jpg") == 0 || _wcsicmp(extension, L".png") == 0 ? 1 : 0;
}

const EngineFunctionTable kTable = {&Optimize, &IsSupported};

}  // namespace

extern "C" const EngineFunctionTable* PLENZAR_ENGINE_CALL Handshake()
{
    return &kTable;
}
