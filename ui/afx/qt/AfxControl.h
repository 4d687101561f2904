// SPDX-License-Identifier: MIT
// What every control widget of the Qt implementation offers the layer,
// whatever Qt class it is: its id, its text as the program's bytes, and the
// road of its notifications to the dialog. Internal to the implementation.
#pragma once

#include "AfxWin.h"

#include <cstdint>
#include <string>

class CDialogWindow;

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

    CDialogWindow* m_pWindow;
    int m_id;
    uint32_t m_style;
};
