// Not built yet: listeners never connect and ignore every event.
#include "mail_addin/event_sink.h"

const IID IID_OutlookApplicationEvents = {0x0006304E, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_OutlookItemEvents = {0x0006303A, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

CEventListenerList g_eventListeners;

CAppEventListener::CAppEventListener() = default;
HRESULT CAppEventListener::QueryInterface(REFIID, void** object) { *object = nullptr; return E_NOINTERFACE; }
ULONG CAppEventListener::AddRef() { return ++m_refCount; }
ULONG CAppEventListener::Release() { return --m_refCount; }
HRESULT CAppEventListener::GetTypeInfoCount(UINT* count) { *count = 0; return S_OK; }
HRESULT CAppEventListener::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT CAppEventListener::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT CAppEventListener::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) { return S_OK; }
HRESULT CAppEventListener::Advise(IDispatch*, REFIID) { return E_NOTIMPL; }
void CAppEventListener::Unadvise() {}
void CAppEventListener::SafeUnadvise(CAppEventListener*) {}
CEventListenerList::~CEventListenerList() { for (auto* listener : m_listeners) delete listener; }
CAppEventListener* CEventListenerList::Attach(IDispatch*, REFIID) { return nullptr; }
