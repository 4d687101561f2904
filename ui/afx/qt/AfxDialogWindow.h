// SPDX-License-Identifier: MIT
// The Qt window of one modal run of a CDialog: its controls made from the
// template, placed in dialog units; the dialog keys; the window menu standing
// in for the system menu; painting; and the event loop of the run. Internal
// to the implementation.
#pragma once

#include "AfxWin.h"

#include <QFont>
#include <QWidget>

class QEventLoop;
class QMenu;

// Watches the platform's events for dialog windows destroyed from outside
// (an X11 DestroyNotify: `xdotool windowclose`, say), so that the program does
// not run on without them. Returns 1 once watching.
int AfxWatchDestroyedWindows();

class CDialogWindow : public QWidget {
public:
    CDialogWindow(CDialog* pDialog, const SDialogTemplate& dialogTemplate, QWidget* pOwner,
                  const QFont& font);
    ~CDialogWindow() override;

    CDialog* Dialog() const { return m_pDialog; }
    bool IsLive() const { return m_live; }
    void Retire() { m_live = false; }
    QWidget* Control(int id) const;
    QWidget* FirstTabStop() const;
    QMenu* SystemMenu() const { return m_pSystemMenu; }
    // Shows the window menu at a global position and runs the command chosen.
    void TrackSystemMenu(const QPoint& globalPos);
    // Whether a paint message is being handled, and the widget to paint.
    bool IsPainting() const { return m_painting; }
    // Dialog units to pixels: the horizontal unit in quarter pixels, as widened
    // for the font actually used; the vertical one as Windows has it.
    int DialogToPixelsX(int units) const;
    int DialogToPixelsY(int units) const;
    // Runs the modal loop until ExitModalLoop.
    void RunModalLoop();
    void ExitModalLoop(int result);
    // The platform's window was destroyed from outside.
    void CancelAsGone() { m_pDialog->CancelAsGone(); }
    // The modal run of a dialog, with its owner's window (null: none).
    static void RunModal(CDialog& dialog, CWnd* pOwner);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QWidget* MakeControl(const SDialogItem& item);
    bool TemplateTextsFit() const;
    void PlaceControl(const SDialogItem& item, QWidget* pControl);

    CDialog* m_pDialog;
    int m_unitX4 = 0;
    int m_baseY = 0;
    bool m_live = true;
    bool m_painting = false;
    QMenu* m_pSystemMenu = nullptr;
    QEventLoop* m_pLoop = nullptr;
    static constexpr int kMaxControls = 32;
    QWidget* m_controls[kMaxControls] = {};
    const SDialogItem* m_items[kMaxControls] = {};
    int m_controlCount = 0;
    QWidget* m_tabStops[kMaxControls] = {};
    int m_tabStopCount = 0;
};
