#pragma once
// Sinks for Outlook's application and item events, and the list that owns them.
#include <windows.h>
#include <ocidl.h>

#include <vector>

extern const IID IID_OutlookApplicationEvents;  // {0006304E-0000-0000-C000-000000000046}
extern const IID IID_OutlookItemEvents;         // {0006303A-0000-0000-C000-000000000046}

class CAppEventListener final : public IDispatch {
public:
    CAppEventListener();
    // IUnknown, IDispatch
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                     UINT* argError) override;

    HRESULT Advise(IDispatch* source, REFIID eventIid);
    void Unadvise();
    static void SafeUnadvise(CAppEventListener* listener);
    bool IsConnected() const { return m_connectionPoint != nullptr; }
    IDispatch* Source() const { return m_source; }
    const IID& EventIid() const { return m_eventIid; }

private:
    LONG m_refCount = 1;
    IConnectionPoint* m_connectionPoint = nullptr;
    DWORD m_cookie = 0;
    IID m_eventIid = {};
    IDispatch* m_source = nullptr;  // not referenced: only to recognise the source
};

class CEventListenerList {
public:
    CEventListenerList() = default;
    ~CEventListenerList();
    CEventListenerList(const CEventListenerList&) = delete;
    CEventListenerList& operator=(const CEventListenerList&) = delete;

    // The connected listener of that source and interface, else a disconnected one reused,
    // else a new one; null only when none could be made.
    CAppEventListener* Attach(IDispatch* source, REFIID eventIid);
    // Unadvises every connected listener (Quit, or the user turning the add-in off); they
    // stay in the list to be taken again.
    void DisconnectAll();
    size_t Count() const { return m_listeners.size(); }
    CAppEventListener* At(size_t index) const { return m_listeners[index]; }

private:
    std::vector<CAppEventListener*> m_listeners;
};

extern CEventListenerList g_eventListeners;
