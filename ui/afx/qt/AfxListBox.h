// SPDX-License-Identifier: MIT
// The list box of the Qt implementation. Internal to the implementation.
#pragma once

#include "AfxControl.h"

#include <QListWidget>

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
