// SPDX-License-Identifier: MIT
// The three operations the kit needs of the window's key list, so that the kit
// can fill it without knowing the toolkit.
#pragma once

#include <string>

class IKeyList {
public:
    virtual int DeleteAllItems() = 0;
    // Inserts a row at row number item with text in column 0; returns its row or -1.
    virtual int InsertItem(int item, const std::string& text) = 0;
    virtual int SetItemText(int item, int subItem, const std::string& text) = 0;

protected:
    ~IKeyList() = default;
};
