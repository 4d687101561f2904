// SPDX-License-Identifier: MIT
// Painting, the application's icons and the program's entry on Win32.
#include "AfxWin32.h"

namespace {

// The paint device contexts open, innermost last: a CPaintDC is a local of a
// WM_PAINT handler, so they close in the reverse order.
struct SPaint {
    HWND m_hWnd;
    PAINTSTRUCT m_paint;
};
constexpr int kMaxPaints = 4;
SPaint s_paints[kMaxPaints] = {};
int s_paintDepth = 0;

} // namespace

CPaintDC::CPaintDC(CWnd* pWnd) {
    if (!pWnd || !pWnd->m_hWnd || s_paintDepth >= kMaxPaints)
        return;
    SPaint& paint = s_paints[s_paintDepth];
    paint.m_hWnd = pWnd->m_hWnd;
    m_hDC = BeginPaint(paint.m_hWnd, &paint.m_paint);
    if (m_hDC)
        ++s_paintDepth;
}

CPaintDC::~CPaintDC() {
    if (!m_hDC)
        return;
    SPaint& paint = s_paints[--s_paintDepth];
    EndPaint(paint.m_hWnd, &paint.m_paint);
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    return m_hDC && icon && ::DrawIcon(m_hDC, x, y, icon);
}

HICON CWinApp::LoadIcon(UINT id) {
    int freeSlot = -1;
    for (int i = 0; i < kMaxIcons; ++i) {
        if (m_icons[i] && m_iconIds[i] == id)
            return m_icons[i];
        if (!m_icons[i] && freeSlot < 0)
            freeSlot = i;
    }
    // The system's shared icon of the resource: it lives as long as the
    // program and is never destroyed.
    HICON icon = ::LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    if (icon && freeSlot >= 0) {
        m_icons[freeSlot] = icon;
        m_iconIds[freeSlot] = id;
    }
    return icon;
}

void CWinApp::DestroyIcons() {
    for (HICON& icon : m_icons)
        icon = nullptr;
}

int AfxWinMain(int /*argc*/, char** /*argv*/) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return 1;
    AfxInstallTerminationHandler();
    // The desktop session's end comes as WM_ENDSESSION to the main window,
    // through its message map.
    if (pApp->InitInstance()) {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return pApp->ExitInstance();
}
