// SPDX-License-Identifier: MIT
// Message maps, the framework's way of binding a class's handlers to the
// messages and notifications its window receives. Each class with handlers
// declares DECLARE_MESSAGE_MAP() and lists them between BEGIN_MESSAGE_MAP and
// END_MESSAGE_MAP; a message goes to the first entry that fits, the class's
// own before its base's.
#pragma once

#include "WinApi.h"

struct SMessage {
    UINT m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
};

class CCmdTarget;
using AFX_PMSG = LRESULT (*)(CCmdTarget* pTarget, const SMessage& msg);

struct SMessageMapEntry {
    UINT m_message;
    UINT m_code; // notification code (WM_NOTIFY, WM_COMMAND)
    UINT m_id;   // control or command id (WM_NOTIFY, WM_COMMAND)
    AFX_PMSG m_pfn;
};

struct SMessageMap {
    const SMessageMap* (*m_pfnGetBaseMap)();
    const SMessageMapEntry* m_pEntries;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const SMessageMap* GetThisMessageMap();                                                 \
    const SMessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const SMessageMap* theClass::GetMessageMap() const {                                           \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const SMessageMap* theClass::GetThisMessageMap() {                                             \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const SMessageMapEntry kEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, nullptr }                                                                           \
    }                                                                                              \
    ;                                                                                              \
    static const SMessageMap kMap = {&TheBaseClass::GetThisMessageMap, kEntries};                  \
    return &kMap;                                                                                  \
    }

#define ON_WM_SYSCOMMAND()                                                                         \
    {WM_SYSCOMMAND, 0, 0, [](CCmdTarget* p, const SMessage& m) -> LRESULT {                        \
         static_cast<ThisClass*>(p)->OnSysCommand(static_cast<UINT>(m.m_wParam), m.m_lParam);      \
         return 0;                                                                                 \
     }},
#define ON_WM_PAINT()                                                                              \
    {WM_PAINT, 0, 0, [](CCmdTarget* p, const SMessage&) -> LRESULT {                               \
         static_cast<ThisClass*>(p)->OnPaint();                                                    \
         return 0;                                                                                 \
     }},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, [](CCmdTarget* p, const SMessage&) -> LRESULT {                       \
         return reinterpret_cast<LRESULT>(static_cast<ThisClass*>(p)->OnQueryDragIcon());          \
     }},
#define ON_WM_KEYDOWN()                                                                            \
    {WM_KEYDOWN, 0, 0, [](CCmdTarget* p, const SMessage& m) -> LRESULT {                           \
         static_cast<ThisClass*>(p)->OnKeyDown(static_cast<UINT>(m.m_wParam),                      \
                                               static_cast<UINT>(m.m_lParam & 0xFFFF),             \
                                               static_cast<UINT>((m.m_lParam >> 16) & 0xFFFF));    \
         return 0;                                                                                 \
     }},
#define ON_WM_ENDSESSION()                                                                         \
    {WM_ENDSESSION, 0, 0, [](CCmdTarget* p, const SMessage& m) -> LRESULT {                        \
         static_cast<ThisClass*>(p)->OnEndSession(static_cast<BOOL>(m.m_wParam));                  \
         return 0;                                                                                 \
     }},
#define ON_NOTIFY(notifyCode, id, memberFxn)                                                       \
    {WM_NOTIFY, static_cast<UINT>(notifyCode), static_cast<UINT>(id),                              \
     [](CCmdTarget* p, const SMessage& m) -> LRESULT {                                             \
         LRESULT result = 0;                                                                       \
         static_cast<ThisClass*>(p)->memberFxn(reinterpret_cast<NMHDR*>(m.m_lParam), &result);     \
         return result;                                                                            \
     }},
#define ON_CONTROL(notifyCode, id, memberFxn)                                                      \
    {WM_COMMAND, static_cast<UINT>(notifyCode), static_cast<UINT>(id),                             \
     [](CCmdTarget* p, const SMessage&) -> LRESULT {                                               \
         static_cast<ThisClass*>(p)->memberFxn();                                                  \
         return 0;                                                                                 \
     }},
#define ON_COMMAND(id, memberFxn) ON_CONTROL(0, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Runs the handler of the command (WM_COMMAND with this id and code) if the
    // message map has one; returns whether it had.
    BOOL OnCmdMsg(UINT id, UINT code);

protected:
    static const SMessageMap* GetThisMessageMap();
    virtual const SMessageMap* GetMessageMap() const;
    // The handler entry for a message, or null.
    const SMessageMapEntry* FindEntry(UINT message, UINT code, UINT id) const;
};
