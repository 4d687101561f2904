// SPDX-License-Identifier: MIT
// The dialog templates, kept as plain data the way a resource compiler would
// store them: window styles, size in dialog units, title and font, then the
// controls in template order, which is also the tab order. Texts are in the
// template notation: "&&" shows one ampersand, a single '&' marks the mnemonic
// of a button or menu item. The toolkit layer turns each into a window.
#pragma once

#include "WinApi.h"

#include <cstdint>

enum class EControlKind {
    Static,     // text
    Icon,       // static picture of an icon resource (m_imageId)
    PushButton, // BS_DEFPUSHBUTTON in m_style marks the default button
    Edit,
    ListBox,
    ListView, // "SysListView32"; LVS_TYPEMASK picks icon, report or list view
};

struct SDialogItem {
    int m_id;
    EControlKind m_kind;
    const char* m_text; // template notation; "" when none
    int m_x;
    int m_y;
    int m_cx;
    int m_cy;
    uint32_t m_style;
    uint32_t m_exStyle;
    int m_imageId; // the icon resource of an Icon item, else 0
};

struct SDialogTemplate {
    int m_id;
    uint32_t m_style;
    uint32_t m_exStyle;
    int m_cx;
    int m_cy;
    const char* m_title;
    const char* m_fontName;
    int m_pointSize;
    const SDialogItem* m_pItems;
    int m_itemCount;
};

// The template with the given id, or null when the program has none.
const SDialogTemplate* FindDialogTemplate(int id);
