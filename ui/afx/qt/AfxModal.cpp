// SPDX-License-Identifier: MIT
// A dialog's modal run on Qt: the window of the run, placed and shown once the
// dialog is initialised, and the event loop of the run.
#include "AfxBackEnd.h"
#include "AfxDialogUnits.h"
#include "AfxDialogWindow.h"
#include "AfxToolkit.h"

#include <QApplication>
#include <QScreen>

#include <algorithm>

BOOL AfxToolkitReady() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

void AfxRunModal(CDialog& dialog, CWnd* pOwner) {
    CDialogWindow::RunModal(dialog, pOwner);
}

void CDialogWindow::RunModal(CDialog& dialog, CWnd* pOwnerWnd) {
    // Centred over the owner, or in the work area of the screen when there is none.
    QWidget* pOwner = pOwnerWnd ? AfxGetWidget(*pOwnerWnd) : nullptr;
    if (pOwner && !pOwner->isWindow())
        pOwner = pOwner->window();
    const SDialogTemplate& dialogTemplate = *dialog.m_pTemplate;
    dialog.m_pWindow.reset(
        new CDialogWindow(&dialog, dialogTemplate, pOwner, AfxDialogFont(dialogTemplate)));
    CDialogWindow& window = *dialog.m_pWindow;
    const BOOL focusFirst =
        dialog.BeginRun(AfxHandleFromWidget(&window), AfxHandleFromMenu(window.SystemMenu()));
    if (dialog.m_ended)
        return;
    QRect area;
    if (pOwner) {
        area = pOwner->frameGeometry();
    } else if (QScreen* pScreen = QGuiApplication::primaryScreen()) {
        area = pScreen->availableGeometry();
    }
    // The frame is not known before the first show; the owner's is the best guess.
    const QSize frameExtra = pOwner ? pOwner->frameGeometry().size() - pOwner->size() : QSize();
    QRect frame(QPoint(0, 0), window.size() + frameExtra);
    frame.moveCenter(area.center());
    if (QScreen* pScreen = QGuiApplication::primaryScreen()) {
        const QRect screen = pScreen->availableGeometry();
        frame.moveLeft(
            std::max(screen.left(), std::min(frame.left(), screen.right() - frame.width())));
        frame.moveTop(
            std::max(screen.top(), std::min(frame.top(), screen.bottom() - frame.height())));
    }
    window.move(frame.topLeft());
    // Visible only now that the initialisation has returned.
    window.show();
    window.activateWindow();
    if (focusFirst) {
        if (QWidget* pFirst = window.FirstTabStop())
            pFirst->setFocus(Qt::TabFocusReason);
    }
    if (!dialog.m_ended)
        window.RunModalLoop();
}

void AfxEndRun(CDialogWindow& window, int result) {
    window.ExitModalLoop(result);
}

void SDialogWindowDeleter::operator()(CDialogWindow* pWindow) const {
    // Focus leaving the controls while the window goes must not reach handlers.
    pWindow->Retire();
    QWidget* pOwner = pWindow->parentWidget();
    pWindow->hide();
    delete pWindow;
    // As on Windows, the owner takes the activation back from its ended dialog.
    if (pOwner && pOwner->isVisible())
        pOwner->activateWindow();
}

void AfxCloseMenus() {
    while (QWidget* pPopup = QApplication::activePopupWidget()) {
        if (!pPopup->close())
            break;
    }
}
