#pragma once
// Message maps in the class library's style: a static table per class, searched from the
// most derived class to its bases, whose entries name a message (or a control's
// notification) and the member function that handles it.
#include <windows.h>

class CCmdTarget;
class CWnd;

using AFX_PMSG = void (CCmdTarget::*)();

// Entries keep every handler as AFX_PMSG; the dispatcher casts it back to the signature
// that the entry records, which makes the round trip well defined.
// Which handler signature an entry holds; the dispatcher casts the pointer back to it.
enum AfxSig : UINT {
    AfxSig_v_v,        // void Handler()
    AfxSig_hcur_v,     // HCURSOR Handler()
    AfxSig_b_W_u_u,    // BOOL Handler(CWnd*, UINT hitTest, UINT message)
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;   // 0 ends the table
    UINT nCode;      // notification code for WM_COMMAND entries
    UINT nID;        // control or command id for WM_COMMAND entries
    AfxSig nSig;
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                                   \
protected:                                                      \
    static const AFX_MSGMAP* GetThisMessageMap();        \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                          \
    {                                                                               \
        using ThisClass [[maybe_unused]] = theClass;                                \
        using TheBaseClass = baseClass;                                             \
        _Pragma("GCC diagnostic push")                                              \
        _Pragma("GCC diagnostic ignored \"-Wcast-function-type\"")                  \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                           \
            { 0, 0, 0, AfxSig_v_v, nullptr }                                        \
        };                                                                          \
        _Pragma("GCC diagnostic pop")                                               \
        static const AFX_MSGMAP map = { &TheBaseClass::GetThisMessageMap, entries }; \
        return &map;                                                                \
    }

#define AFX_MSG_PTR(type, member) \
    reinterpret_cast<AFX_PMSG>(static_cast<type>(member))

#define ON_COMMAND(id, memberFxn) \
    { WM_COMMAND, 0, static_cast<UINT>(id), AfxSig_v_v, AFX_MSG_PTR(void (CCmdTarget::*)(), memberFxn) },
#define ON_CONTROL(code, id, memberFxn) \
    { WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), AfxSig_v_v, \
      AFX_MSG_PTR(void (CCmdTarget::*)(), memberFxn) },
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)

#define ON_WM_PAINT() \
    { WM_PAINT, 0, 0, AfxSig_v_v, AFX_MSG_PTR(void (CWnd::*)(), &ThisClass::OnPaint) },
#define ON_WM_QUERYDRAGICON() \
    { WM_QUERYDRAGICON, 0, 0, AfxSig_hcur_v, \
      AFX_MSG_PTR(HCURSOR (CWnd::*)(), &ThisClass::OnQueryDragIcon) },
#define ON_WM_SETCURSOR() \
    { WM_SETCURSOR, 0, 0, AfxSig_b_W_u_u, \
      AFX_MSG_PTR(BOOL (CWnd::*)(CWnd*, UINT, UINT), &ThisClass::OnSetCursor) },

// The root of every message map.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the handler of command `id` (notification `code`) when the map has one.
    virtual BOOL OnCmdMsg(UINT id, UINT code);

    static const AFX_MSGMAP* GetThisMessageMap();

protected:
    CCmdTarget() = default;
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // The first entry for `message` (and, for WM_COMMAND, `code` and `id`) in this
    // object's map or its bases' maps; null when none.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;
};
