// SPDX-License-Identifier: MIT
// Painting on Win32: a device context is the one BeginPaint gives.
#include "AfxToolkit.h"

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
