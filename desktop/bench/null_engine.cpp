// An engine that accepts every ".jpg" name and writes nothing: what is left of a batch
// with it is the program's own cost.
#include <cwchar>

namespace {

extern "C" int Optimize(const wchar_t*, wchar_t*, int, int)
{
    return 1;
}

extern "C" int IsSupported(const wchar_t* path)
{
    const size_t length = path ? wcslen(path) : 0;
    return length >= 4 && _wcsicmp(path + length - 4, L".jpg") == 0 ? 1 : 0;
}

struct EngineFunctionTable {
    int (*optimize)(const wchar_t*, wchar_t*, int, int);
    int (*isSupported)(const wchar_t*);
};
const EngineFunctionTable kFunctions = { &Optimize, &IsSupported };

}  // namespace

extern "C" const EngineFunctionTable* Handshake()
{
    return &kFunctions;
}
