// SPDX-License-Identifier: MIT
// The drum pad window's key list: a list view the kit fills through its own
// three operations, so that the kit never meets the toolkit.
#pragma once

#include "AfxWin.h"
#include "KeyList.h"

#include <string>

class CKeyListCtrl : public CListCtrl, public IKeyList {
public:
    int DeleteAllItems() override { return CListCtrl::DeleteAllItems(); }
    int InsertItem(int item, const std::string& text) override {
        return CListCtrl::InsertItem(item, text);
    }
    int SetItemText(int item, int subItem, const std::string& text) override {
        return CListCtrl::SetItemText(item, subItem, text);
    }
};
