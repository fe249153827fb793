#include "mail_addin/event_sink.h"

#include <cwchar>
#include <new>

#include "classlib/exceptions.h"
#include "mail_addin/event_handlers.h"

const IID IID_OutlookApplicationEvents = {0x0006304E, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_OutlookItemEvents = {0x0006303A, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

CEventListenerList g_eventListeners;

CAppEventListener::CAppEventListener() = default;

HRESULT CAppEventListener::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == m_eventIid) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CAppEventListener::AddRef()
{
    return static_cast<ULONG>(++m_refCount);
}

ULONG CAppEventListener::Release()
{
    const LONG left = --m_refCount;
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT CAppEventListener::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CAppEventListener::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

HRESULT CAppEventListener::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT CAppEventListener::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                  EXCEPINFO*, UINT*)
{
    wchar_t line[32];
    swprintf(line, 32, L"DISP_ID: %x\n", static_cast<unsigned>(dispid));
    OutputDebugStringW(line);

    const EventHandlerEntry* handler = FindEventHandler(m_eventIid, dispid);
    if (!handler)
        return S_OK;
    const UINT argumentCount = params ? params->cArgs : 0;
    if (argumentCount != handler->arguments)
        return E_INVALIDARG;
    // Nothing raised while handling an event may reach Outlook.
    try {
        handler->handle(*this, argumentCount ? params->rgvarg : nullptr);
    } catch (CException* raised) {
        raised->Delete();
    } catch (...) {
    }
    return S_OK;
}

HRESULT CAppEventListener::Advise(IDispatch* source, REFIID eventIid)
{
    if (m_connectionPoint)
        return S_FALSE;
    m_eventIid = eventIid;
    m_source = source;
    if (!source)
        return E_POINTER;

    IConnectionPointContainer* container = nullptr;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (FAILED(hr))
        return hr;
    hr = container->FindConnectionPoint(m_eventIid, &m_connectionPoint);
    if (SUCCEEDED(hr) && m_connectionPoint) {
        hr = m_connectionPoint->Advise(static_cast<IDispatch*>(this), &m_cookie);
        if (FAILED(hr)) {
            // Not advised means disconnected: the listener can be taken again.
            m_connectionPoint->Release();
            m_connectionPoint = nullptr;
        }
    } else {
        m_connectionPoint = nullptr;
        if (SUCCEEDED(hr))
            hr = E_NOINTERFACE;
    }
    container->Release();
    return hr;
}

void CAppEventListener::Unadvise()
{
    if (m_connectionPoint) {
        IConnectionPoint* point = m_connectionPoint;
        m_connectionPoint = nullptr;
        point->Unadvise(m_cookie);
        point->Release();
    }
    m_cookie = 0;
    m_source = nullptr;
    m_eventIid = IID{};
}

void CAppEventListener::SafeUnadvise(CAppEventListener* listener)
{
    if (!listener)
        return;
    try {
        listener->Unadvise();
    } catch (CException* raised) {
        raised->Delete();
    }
}

CEventListenerList::~CEventListenerList()
{
    try {
        for (CAppEventListener* listener : m_listeners) {
            if (listener->IsConnected())
                listener->Unadvise();
            delete listener;
        }
    } catch (CException* raised) {
        raised->Delete();
    }
    m_listeners.clear();
}

void CEventListenerList::DisconnectAll()
{
    for (CAppEventListener* listener : m_listeners) {
        if (listener->IsConnected())
            CAppEventListener::SafeUnadvise(listener);
    }
}

CAppEventListener* CEventListenerList::Attach(IDispatch* source, REFIID eventIid)
{
    CAppEventListener* disconnected = nullptr;
    for (CAppEventListener* listener : m_listeners) {
        if (listener->IsConnected()) {
            if (source && listener->Source() == source && listener->EventIid() == eventIid)
                return listener;
        } else if (!disconnected) {
            disconnected = listener;
        }
    }
    if (disconnected) {
        if (source)
            disconnected->Advise(source, eventIid);
        return disconnected;
    }

    CAppEventListener* created = new (std::nothrow) CAppEventListener();
    if (!created)
        return nullptr;
    try {
        m_listeners.reserve(m_listeners.size() + 1);
    } catch (const std::bad_alloc&) {
        delete created;  // never advised, so nothing refers to it
        return nullptr;
    }
    if (source)
        created->Advise(source, eventIid);
    m_listeners.push_back(created);
    return created;
}
