// SPDX-License-Identifier: MIT
// Painting on Qt: a device context is a QPainter on the window being painted.
#include "AfxDialogWindow.h"
#include "AfxIcon.h"
#include "AfxToolkit.h"

#include <QPainter>

CPaintDC::CPaintDC(CWnd* pWnd) {
    auto* pWindow = dynamic_cast<CDialogWindow*>(pWnd ? AfxGetWidget(*pWnd) : nullptr);
    if (!pWindow || !pWindow->IsPainting())
        return;
    m_hDC = AfxHandleFromPainter(new QPainter(pWindow));
}

CPaintDC::~CPaintDC() {
    if (QPainter* pPainter = AfxPainterFromHandle(m_hDC)) {
        pPainter->end();
        delete pPainter;
    }
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    QPainter* pPainter = AfxPainterFromHandle(m_hDC);
    if (!pPainter || !icon)
        return FALSE;
    pPainter->drawImage(QPoint(x, y), AfxIconImage(icon)->m_big);
    return TRUE;
}
