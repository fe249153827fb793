#pragma once
// The exports of engine_probe.dll: the engine binding, run inside that DLL so that the
// engine is looked for beside it. Every export uses the C calling convention.
#include "common/engine.h"

extern "C" {
typedef BOOL(__cdecl* ProbeLoadEngineFunction)();
typedef void(__cdecl* ProbeUnloadEngineFunction)();
// The probe's g_hEngineModule and g_engineFunctions.
typedef HMODULE(__cdecl* ProbeEngineModuleFunction)();
typedef EngineFunctionTable(__cdecl* ProbeEngineFunctionsFunction)();
// A CEngine living inside the probe.
typedef CEngine*(__cdecl* ProbeNewEngineFunction)();
typedef void(__cdecl* ProbeDeleteEngineFunction)(CEngine*);
typedef int(__cdecl* ProbeEngineOptimizeFunction)(CEngine*, const wchar_t*, wchar_t*, std::int32_t, PlenzarProfile);
typedef BOOL(__cdecl* ProbeEngineIsSupportedFunction)(CEngine*, const wchar_t*);
}
