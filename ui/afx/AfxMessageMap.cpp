// SPDX-License-Identifier: MIT
// Message maps: finding the handler of a message, and a window's messages sent
// through its map to its handlers or to the default processing.
#include "AfxWin.h"

const SMessageMap* CCmdTarget::GetThisMessageMap() {
    static const SMessageMapEntry kEntries[] = {{0, 0, 0, nullptr}};
    static const SMessageMap kMap = {nullptr, kEntries};
    return &kMap;
}

const SMessageMap* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const SMessageMapEntry* CCmdTarget::FindEntry(UINT message, UINT code, UINT id) const {
    const bool byControl = message == WM_COMMAND || message == WM_NOTIFY;
    for (const SMessageMap* pMap = GetMessageMap(); pMap;
         pMap = pMap->m_pfnGetBaseMap ? pMap->m_pfnGetBaseMap() : nullptr) {
        for (const SMessageMapEntry* pEntry = pMap->m_pEntries; pEntry->m_pfn; ++pEntry) {
            if (pEntry->m_message != message)
                continue;
            if (!byControl || (pEntry->m_code == code && pEntry->m_id == id))
                return pEntry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, UINT code) {
    const SMessageMapEntry* pEntry = FindEntry(WM_COMMAND, code, id);
    if (!pEntry)
        return FALSE;
    const SMessage message = {WM_COMMAND,
                              (static_cast<WPARAM>(code & 0xFFFF) << 16) | (id & 0xFFFF), 0};
    pEntry->m_pfn(this, message);
    return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    UINT code = 0;
    UINT id = 0;
    if (message == WM_COMMAND) {
        id = static_cast<UINT>(wParam & 0xFFFF);
        code = static_cast<UINT>((wParam >> 16) & 0xFFFF);
    } else if (message == WM_NOTIFY) {
        const auto* pHeader = reinterpret_cast<const NMHDR*>(lParam);
        if (!pHeader)
            return 0;
        id = static_cast<UINT>(pHeader->idFrom);
        code = pHeader->code;
    }
    if (const SMessageMapEntry* pEntry = FindEntry(message, code, id))
        return pEntry->m_pfn(this, SMessage{message, wParam, lParam});
    return DefWindowProc(message, wParam, lParam);
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

void CWnd::OnSysCommand(UINT id, LPARAM lParam) {
    DefWindowProc(WM_SYSCOMMAND, id, lParam);
}

void CWnd::OnPaint() {
    DefWindowProc(WM_PAINT, 0, 0);
}

HCURSOR CWnd::OnQueryDragIcon() {
    return nullptr;
}

void CWnd::OnKeyDown(UINT virtualKey, UINT repeatCount, UINT flags) {
    DefWindowProc(WM_KEYDOWN, virtualKey,
                  static_cast<LPARAM>((flags & 0xFFFF) << 16 | (repeatCount & 0xFFFF)));
}

void CWnd::OnEndSession(BOOL ending) {
    DefWindowProc(WM_ENDSESSION, static_cast<WPARAM>(ending), 0);
}
