// SPDX-License-Identifier: MIT
// A window or control object over its Qt widget, and the default processing
// of the window messages the program handles.
#include "AfxControl.h"
#include "AfxIcon.h"
#include "AfxText.h"
#include "AfxToolkit.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    QWidget* pWidget = AfxGetWidget(*this);
    switch (message) {
    case WM_SYSCOMMAND:
        switch (static_cast<UINT>(wParam) & 0xFFF0) {
        case SC_MINIMIZE:
            if (pWidget)
                pWidget->showMinimized();
            break;
        case SC_RESTORE:
            if (pWidget)
                pWidget->showNormal();
            break;
        case SC_CLOSE:
            SendMessage(WM_CLOSE, 0, 0);
            break;
        default:
            break;
        }
        return 0;
    case WM_ICONERASEBKGND:
        // The device context paints on this window: its background fills the client area.
        if (QPainter* pPainter = AfxPainterFromHandle(reinterpret_cast<HDC>(wParam))) {
            if (auto* pTarget = dynamic_cast<QWidget*>(pPainter->device())) {
                CRect client;
                GetClientRect(&client);
                pPainter->fillRect(QRect(client.left, client.top, client.Width(), client.Height()),
                                   pTarget->palette().window());
            }
        }
        return 1;
    case WM_SETICON: {
        HICON previous = wParam == ICON_BIG ? m_bigIcon : m_smallIcon;
        (wParam == ICON_BIG ? m_bigIcon : m_smallIcon) = reinterpret_cast<HICON>(lParam);
        if (pWidget && pWidget->isWindow()) {
            QIcon icon;
            if (m_bigIcon)
                icon.addPixmap(QPixmap::fromImage(AfxIconImage(m_bigIcon)->m_big));
            if (m_smallIcon && !AfxIconImage(m_smallIcon)->m_small.isNull())
                icon.addPixmap(QPixmap::fromImage(AfxIconImage(m_smallIcon)->m_small));
            pWidget->setWindowIcon(icon);
        }
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_KEYDOWN:
        if (wParam == VK_F1) {
            if (auto* pDialog = dynamic_cast<CDialog*>(this))
                pDialog->OnHelpKey(0);
        }
        return 0;
    default:
        (void)lParam;
        return 0;
    }
}

HWND CWnd::GetSafeHwnd() const {
    QWidget* pWidget = AfxGetWidget(*this);
    if (!pWidget)
        return nullptr;
    // Only windows get a handle of the platform; a control's handle names it
    // to the layer alone, as Qt controls have no window of their own.
    if (pWidget->isWindow())
        return reinterpret_cast<HWND>(pWidget->winId());
    return m_hWnd;
}

BOOL CWnd::IsWindowEnabled() const {
    QWidget* pWidget = AfxGetWidget(*this);
    return pWidget && pWidget->isEnabled();
}

BOOL CWnd::EnableWindow(BOOL enable) {
    QWidget* pWidget = AfxGetWidget(*this);
    if (!pWidget)
        return FALSE;
    const BOOL wasDisabled = !pWidget->isEnabled();
    pWidget->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsIconic() const {
    QWidget* pWidget = AfxGetWidget(*this);
    return pWidget && pWidget->isMinimized();
}

void CWnd::GetClientRect(CRect* pRect) const {
    *pRect = CRect{};
    if (QWidget* pWidget = AfxGetWidget(*this)) {
        pRect->right = pWidget->width();
        pRect->bottom = pWidget->height();
    }
}

void CWnd::SetFocus() {
    if (QWidget* pWidget = AfxGetWidget(*this))
        pWidget->setFocus(Qt::OtherFocusReason);
}

BOOL CWnd::HasFocus() const {
    QWidget* pWidget = AfxGetWidget(*this);
    return pWidget && pWidget->hasFocus();
}

void CWnd::Invalidate() {
    if (QWidget* pWidget = AfxGetWidget(*this))
        pWidget->update();
}

void CWnd::UpdateWindow() {
    if (QWidget* pWidget = AfxGetWidget(*this))
        pWidget->repaint();
}
