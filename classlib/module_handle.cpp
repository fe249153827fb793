#include "classlib/module_handle.h"

HMODULE AtlModuleHandle()
{
    // This function's own address lies in the module that the static library was linked
    // into; no reference is taken, since a module cannot unload while its code runs.
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&AtlModuleHandle), &module);
    return module;
}
