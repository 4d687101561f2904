// SPDX-License-Identifier: MIT
// The simple controls of the Qt implementation: static text (and icon), push
// button, one-line edit box. Internal to the implementation.
#pragma once

#include "AfxControl.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
