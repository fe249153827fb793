#include "common/tests/engine_probe.h"

#define PROBE_EXPORT extern "C" __declspec(dllexport)

PROBE_EXPORT BOOL __cdecl ProbeLoadEngine()
{
    return LoadEngine();
}

PROBE_EXPORT void __cdecl ProbeUnloadEngine()
{
    UnloadEngine();
}

PROBE_EXPORT HMODULE __cdecl ProbeEngineModule()
{
    return g_hEngineModule;
}

PROBE_EXPORT EngineFunctionTable __cdecl ProbeEngineFunctions()
{
    return g_engineFunctions;
}

PROBE_EXPORT CEngine* __cdecl ProbeNewEngine()
{
    return new CEngine;
}

PROBE_EXPORT void __cdecl ProbeDeleteEngine(CEngine* engine)
{
    delete engine;
}

PROBE_EXPORT int __cdecl ProbeEngineOptimize(CEngine* engine, const wchar_t* source, wchar_t* destination,
                                             std::int32_t capacity, PlenzarProfile profile)
{
    return engine->Optimize(source, destination, capacity, profile);
}

PROBE_EXPORT BOOL __cdecl ProbeEngineIsSupported(CEngine* engine, const wchar_t* fileName)
{
    return engine->IsSupported(fileName);
}
