// SPDX-License-Identifier: MIT
// The Qt implementation's side of the layer's handles: which Qt object each
// handle names, and the widgets behind the program's window objects for those
// who must reach them (the implementation itself, tests, benchmarks). Under
// Qt a window handle names the QWidget, a menu handle the QMenu and a device
// context the QPainter.
#pragma once

#include "AfxWin.h"

class QMenu;
class QPainter;
class QWidget;

inline QWidget* AfxWidgetFromHandle(HWND hWnd) {
    return reinterpret_cast<QWidget*>(hWnd);
}
inline HWND AfxHandleFromWidget(QWidget* pWidget) {
    return reinterpret_cast<HWND>(pWidget);
}
inline QMenu* AfxMenuFromHandle(HMENU hMenu) {
    return reinterpret_cast<QMenu*>(hMenu);
}
inline HMENU AfxHandleFromMenu(QMenu* pMenu) {
    return reinterpret_cast<HMENU>(pMenu);
}
inline QPainter* AfxPainterFromHandle(HDC hDC) {
    return reinterpret_cast<QPainter*>(hDC);
}
inline HDC AfxHandleFromPainter(QPainter* pPainter) {
    return reinterpret_cast<HDC>(pPainter);
}

// The widget of a window or control object; null outside a modal run.
inline QWidget* AfxGetWidget(const CWnd& wnd) {
    return AfxWidgetFromHandle(wnd.m_hWnd);
}

// The widget of a dialog's control; null when there is none.
inline QWidget* AfxGetDlgItem(const CDialog& dialog, int id) {
    HWND hWnd = nullptr;
    dialog.GetDlgItem(id, &hWnd);
    return AfxWidgetFromHandle(hWnd);
}

// Whether a termination signal (SIGINT, SIGTERM, SIGHUP) has asked the program
// to end since the handler was installed: it then asks the user nothing.
bool AfxTerminationRequested();
