// SPDX-License-Identifier: MIT
// The Qt widgets behind the layer's windows and controls. Internal to the
// layer: the program's dialogs see only AfxWin.h.
#pragma once

#include "AfxWin.h"

#include <QFont>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

class QKeyEvent;

struct SIconImage {
    QImage m_big;   // 32 x 32
    QImage m_small; // 16 x 16
};

class CDialogWindow;

// What every control widget offers the layer, whatever Qt class it is.
class IAfxControl {
public:
    IAfxControl(CDialogWindow* pWindow, const SDialogItem& item)
        : m_pWindow(pWindow), m_id(item.m_id), m_style(item.m_style) {}
    virtual ~IAfxControl() = default;
    int ControlId() const { return m_id; }
    virtual void SetTextBytes(const std::string& text) = 0;
    virtual std::string TextBytes() const = 0;

protected:
    // Reports a notification to the dialog, unless its window is going away.
    LRESULT Notify(NMHDR* pHeader);
    void Command(UINT code);
    QWidget* Self();

    CDialogWindow* m_pWindow;
    int m_id;
    uint32_t m_style;
};

class CStaticWidget : public QLabel, public IAfxControl {
public:
    CStaticWidget(CDialogWindow* pWindow, const SDialogItem& item);
    void SetTextBytes(const std::string& text) override;
    std::string TextBytes() const override { return m_bytes; }

private:
    std::string m_bytes; // what the label shows, as the program gave it
};

class CButtonWidget : public QPushButton, public IAfxControl {
public:
    CButtonWidget(CDialogWindow* pWindow, const SDialogItem& item);
    void SetTextBytes(const std::string& text) override;
    std::string TextBytes() const override;
    bool IsDefaultButton() const { return (m_style & BS_DEFPUSHBUTTON) != 0; }
};

class CEditWidget : public QLineEdit, public IAfxControl {
public:
    CEditWidget(CDialogWindow* pWindow, const SDialogItem& item);
    void SetTextBytes(const std::string& text) override;
    std::string TextBytes() const override;
};

class CListBoxWidget : public QListWidget, public IAfxControl {
public:
    CListBoxWidget(CDialogWindow* pWindow, const SDialogItem& item);
    void SetTextBytes(const std::string&) override {}
    std::string TextBytes() const override { return std::string(); }

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_doubleClicked = false;
};

// A list view. In report view it is a list with headers that the user moves
// through with the keys; in icon and list view (the drum box, the key box) it
// holds at most one item and takes every key as a key to report.
class CListViewWidget : public QTreeWidget, public IAfxControl {
public:
    CListViewWidget(CDialogWindow* pWindow, const SDialogItem& item);
    void SetTextBytes(const std::string&) override {}
    std::string TextBytes() const override { return std::string(); }
    bool IsReportView() const { return (m_style & LVS_TYPEMASK) == LVS_REPORT; }
    bool IsListView() const { return (m_style & LVS_TYPEMASK) == LVS_LIST; }
    int ColumnCount() const { return m_columns; }
    int AddColumn(int column, const QString& heading, int width);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void NotifyClick(UINT code, const QPoint& pos);

    int m_columns = 0;
    bool m_doubleClicked = false;
    QPoint m_doubleClickPos;
};

// The window of one modal run of a CDialog.
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
    void ShowHelp();
    // Dialog units to pixels: the horizontal unit in quarter pixels, as widened
    // for the font actually used; the vertical one as Windows has it.
    int DialogToPixelsX(int units) const;
    int DialogToPixelsY(int units) const;

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
    static constexpr int kMaxControls = 32;
    QWidget* m_controls[kMaxControls] = {};
    const SDialogItem* m_items[kMaxControls] = {};
    int m_controlCount = 0;
    QWidget* m_tabStops[kMaxControls] = {};
    int m_tabStopCount = 0;
};

// The flags word of a key message for a Qt key event (scan code, extended and
// repeat bits), and its virtual-key code.
uint16_t AfxKeyFlags(const QKeyEvent& event);
UINT AfxVirtualKey(const QKeyEvent& event);
// Keys the dialog keeps for itself and never hands a control as a key-down:
// Tab, Enter, Esc, and the system keys (Alt, F10, anything with Alt held).
bool AfxIsDialogKey(const QKeyEvent& event);

// Dialog font and base units, as Windows derives them.
QFont AfxDialogFont(const SDialogTemplate& dialogTemplate);
void AfxDialogBaseUnits(const QFont& font, int* pBaseX, int* pBaseY);
int AfxMulDiv(int value, int numerator, int denominator);
