#pragma once
// A late-bound caller of one IDispatch object: typed property reads and writes and method
// calls by DISPID. A call that fails throws: COleDispatchException (with the object's
// EXCEPINFO description) when the object answers DISP_E_EXCEPTION, COleException with
// the HRESULT for any other failure.
#include <windows.h>
#include <oleauto.h>

#include "classlib/exceptions.h"

// Parameter-type strings for InvokeHelper and SetProperty: one byte per argument, in
// call order, NUL-terminated (for example VTS_BSTR VTS_I4).
#define VTS_I4 "\x03"
#define VTS_BSTR "\x08"        // argument: const wchar_t*
#define VTS_DISPATCH "\x09"    // argument: IDispatch*
#define VTS_VARIANT "\x0C"     // argument: const VARIANT*
#define VTS_INT "\x16"         // argument: int
#define VTS_NONE ""

class COleDispatchDriver {
public:
    COleDispatchDriver() = default;
    // Takes over the caller's reference when autoRelease is TRUE; borrows it otherwise.
    explicit COleDispatchDriver(LPDISPATCH dispatch, BOOL autoRelease = TRUE);
    ~COleDispatchDriver() { ReleaseDispatch(); }
    COleDispatchDriver(const COleDispatchDriver&) = delete;
    COleDispatchDriver& operator=(const COleDispatchDriver&) = delete;

    // Releases what is held first.
    void AttachDispatch(LPDISPATCH dispatch, BOOL autoRelease = TRUE);
    // Gives the pointer back without releasing it.
    LPDISPATCH DetachDispatch();
    // Releases the pointer when it is owned; empties the driver either way.
    void ReleaseDispatch();

    // Results by type: VT_EMPTY none (pvRet may be null); VT_I4 long*; VT_INT int*;
    // VT_BSTR std::wstring*; VT_DISPATCH LPDISPATCH* (a reference for the caller, null
    // for Nothing); VT_VARIANT VARIANT* (initialised by the caller, cleared first);
    // VT_BOOL BOOL*.
    void InvokeHelper(DISPID dispid, WORD flags, VARTYPE vtRet, void* pvRet, const char* paramInfo, ...);
    void GetProperty(DISPID dispid, VARTYPE vtProp, void* pvProp) const;
    // One argument of type vtProp (as in VTS_...), put with DISPID_PROPERTYPUT.
    void SetProperty(DISPID dispid, VARTYPE vtProp, ...);

    LPDISPATCH m_lpDispatch = nullptr;
    BOOL m_bAutoRelease = TRUE;
};
