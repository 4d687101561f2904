// SPDX-License-Identifier: MIT
// A dialog's modal run on Qt: the stack of runs, the window of each, and the
// data exchange with its controls.
#include "AfxControl.h"
#include "AfxDialogUnits.h"
#include "AfxDialogWindow.h"
#include "AfxQt.h"

#include <QApplication>
#include <QScreen>

#include <algorithm>

namespace {

// The dialogs in a modal run, the one beneath first. Runs nest; this deep is
// far beyond anything the program opens.
constexpr int kMaxModalDepth = 16;
CDialog* s_modalStack[kMaxModalDepth] = {};
int s_modalDepth = 0;
// Set once the program is being ended from outside: no new dialog opens.
bool s_endingAll = false;

} // namespace

CDialog::CDialog(UINT templateId, CWnd* pParent)
    : m_pTemplate(FindDialogTemplate(static_cast<int>(templateId))), m_pParentWnd(pParent) {}

CDialog::CDialog(const SDialogTemplate* pTemplate, CWnd* pParent)
    : m_pTemplate(pTemplate), m_pParentWnd(pParent) {}

CDialog::~CDialog() {
    DestroyWindow();
}

CDialog* CDialog::GetActiveModal() {
    return s_modalDepth > 0 ? s_modalStack[s_modalDepth - 1] : nullptr;
}

void CDialog::CancelAllModal() {
    s_endingAll = true;
    // A menu or other popup runs a loop of its own that must end first.
    while (QWidget* pPopup = QApplication::activePopupWidget()) {
        if (!pPopup->close())
            break;
    }
    for (int i = s_modalDepth - 1; i >= 0; --i) {
        CDialog* pDialog = s_modalStack[i];
        if (pDialog->m_pWindow && !pDialog->m_ended)
            pDialog->SendMessage(WM_COMMAND, IDCANCEL, 0);
    }
}

INT_PTR CDialog::DoModal() {
    if (!m_pTemplate || m_pWindow || s_endingAll || s_modalDepth >= kMaxModalDepth ||
        !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return -1;

    // Owned by the window open beneath it; centred over that, or in the work
    // area of the screen when there is none.
    m_pBelow = m_pParentWnd ? dynamic_cast<CDialog*>(m_pParentWnd) : GetActiveModal();
    QWidget* pOwner = (m_pBelow && m_pBelow->m_pWindow) ? m_pBelow->m_pWindow.get() : nullptr;
    m_pWindow =
        std::make_unique<CDialogWindow>(this, *m_pTemplate, pOwner, AfxDialogFont(*m_pTemplate));
    m_hWnd = AfxHandleFromWidget(m_pWindow.get());
    m_sysMenu.Attach(AfxHandleFromMenu(m_pWindow->SystemMenu()));
    m_result = -1;
    m_ended = FALSE;
    s_modalStack[s_modalDepth++] = this;

    const BOOL focusFirst = OnInitDialog();
    if (!m_ended) {
        QRect area;
        if (pOwner) {
            area = pOwner->frameGeometry();
        } else if (QScreen* pScreen = QGuiApplication::primaryScreen()) {
            area = pScreen->availableGeometry();
        }
        // The frame is not known before the first show; the owner's is the best guess.
        const QSize frameExtra = pOwner ? pOwner->frameGeometry().size() - pOwner->size() : QSize();
        QRect frame(QPoint(0, 0), m_pWindow->size() + frameExtra);
        frame.moveCenter(area.center());
        if (QScreen* pScreen = QGuiApplication::primaryScreen()) {
            const QRect screen = pScreen->availableGeometry();
            frame.moveLeft(
                std::max(screen.left(), std::min(frame.left(), screen.right() - frame.width())));
            frame.moveTop(
                std::max(screen.top(), std::min(frame.top(), screen.bottom() - frame.height())));
        }
        m_pWindow->move(frame.topLeft());
        // Visible only now that the initialisation has returned.
        m_pWindow->show();
        m_pWindow->activateWindow();
        if (focusFirst) {
            if (QWidget* pFirst = m_pWindow->FirstTabStop())
                pFirst->setFocus(Qt::TabFocusReason);
        }
    }
    if (!m_ended)
        m_pWindow->RunModalLoop();
    --s_modalDepth;
    if (s_modalDepth == 0)
        s_endingAll = false;
    DestroyWindow();
    // As on Windows, the owner takes the activation back from its ended dialog.
    if (pOwner && pOwner->isVisible())
        pOwner->activateWindow();
    return m_result;
}

void CDialog::EndDialog(int result) {
    m_result = result;
    m_ended = TRUE;
    if (m_pWindow)
        m_pWindow->ExitModalLoop(result);
}

void CDialog::DestroyWindow() {
    if (!m_pWindow)
        return;
    // Focus leaving the controls while the window goes must not reach handlers.
    m_pWindow->Retire();
    for (int i = 0; i < m_boundCount; ++i)
        m_bound[i]->Detach();
    m_boundCount = 0;
    m_sysMenu.Attach(nullptr);
    m_pWindow->hide();
    m_pWindow.reset();
    m_hWnd = nullptr;
}

void CDialog::MapDialogRect(CRect* pRect) const {
    if (!m_pWindow)
        return;
    pRect->left = m_pWindow->DialogToPixelsX(pRect->left);
    pRect->right = m_pWindow->DialogToPixelsX(pRect->right);
    pRect->top = m_pWindow->DialogToPixelsY(pRect->top);
    pRect->bottom = m_pWindow->DialogToPixelsY(pRect->bottom);
}

void CDialog::GetDlgItem(int id, HWND* phWnd) const {
    *phWnd = m_pWindow ? AfxHandleFromWidget(m_pWindow->Control(id)) : nullptr;
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    auto* pControl = dynamic_cast<IAfxControl*>(AfxGetDlgItem(*pDX->m_pDlgWnd, id));
    if (!pControl)
        return;
    if (pDX->m_bSaveAndValidate)
        value = pControl->TextBytes();
    else
        pControl->SetTextBytes(value);
}
