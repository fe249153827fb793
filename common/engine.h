#pragma once
// Binding to the engine library Plenzar.dll, loaded at run time from the folder of the
// module that holds this code (the deliverable's own exe or DLL), never searched for.
#include "common/plenzar_profile.h"

#include <windows.h>

#include <cstdint>

// The engine's entries use the C calling convention (the caller cleans the stack).
#define PLENZAR_ENGINE_CALL __cdecl

// Writes the picture at source, shrunk to profile (0..4), to the path held in
// destination (capacity UTF-16 units, NUL included); the engine may change that path
// within the capacity. 0: the output file exists and is complete; anything else: no output.
using EngineOptimizeFunction = int(PLENZAR_ENGINE_CALL*)(const wchar_t* source, wchar_t* destination,
                                                         std::int32_t capacity, PlenzarProfile profile);
// 1: the engine takes this path or bare file name (judged from the name alone).
using EngineIsSupportedFunction = int(PLENZAR_ENGINE_CALL*)(const wchar_t* fileName);

// Owned by the engine; the binding copies the entries and never writes or frees it.
struct EngineFunctionTable {
    EngineOptimizeFunction Optimize;
    EngineIsSupportedFunction IsSupported;
};

// The export "Handshake".
using EngineHandshakeFunction = const EngineFunctionTable*(PLENZAR_ENGINE_CALL*)();

constexpr wchar_t kEngineBaseName[] = L"Plenzar";
constexpr char kEngineHandshakeExport[] = "Handshake";

// Null while no engine is loaded; an engine that loaded but failed its handshake stays
// loaded with one or both entries null.
extern HMODULE g_hEngineModule;
extern EngineFunctionTable g_engineFunctions;

// True when the engine is loaded and both entries are set. Only the first call of a
// process (or the first after UnloadEngine) loads the library; later calls answer from
// what that load found, without trying again.
bool LoadEngine() noexcept;
// Frees the engine when one is loaded and clears the handle and both entries.
void UnloadEngine() noexcept;

// The mail add-in's view of the engine: loads it on construction, and refuses every
// call when it is not there.
class CEngine {
public:
    CEngine() noexcept;

    // The engine's result, with the arguments passed through; 1 (no output) when the
    // engine is missing, for a null path or buffer or a capacity below 1, and when the
    // engine leaves no NUL within the buffer (the buffer is then cut to an empty path).
    int Optimize(const wchar_t* source, wchar_t* destination, std::int32_t capacity,
                 PlenzarProfile profile) noexcept;
    // True exactly when the engine answers 1; false without an engine or a name.
    bool IsSupported(const wchar_t* fileName) noexcept;
};
