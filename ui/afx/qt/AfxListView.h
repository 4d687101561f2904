// SPDX-License-Identifier: MIT
// The list view of the Qt implementation. In report view it is a list with
// headers that the user moves through with the keys; in icon and list view
// (the drum box, the key box) it holds at most one item and takes every key
// as a key to report. Internal to the implementation.
#pragma once

#include "AfxControl.h"

#include <QPoint>
#include <QTreeWidget>

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
