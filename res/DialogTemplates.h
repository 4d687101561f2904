// SPDX-License-Identifier: MIT
// The dialog templates, kept as plain data the way a resource compiler would
// store them: window styles, size in dialog units, title and font, then the
// controls in template order, which is also the tab order. Texts are in the
// template notation: "&&" shows one ampersand, a single '&' marks the mnemonic
// of a button or menu item. The toolkit layer turns each into a window.
#pragma once

#include <cstdint>

// Window and control styles, with the values of the Windows headers so that a
// template reads like its resource script.
inline constexpr uint32_t WS_POPUP = 0x80000000u;
inline constexpr uint32_t WS_VISIBLE = 0x10000000u;
inline constexpr uint32_t WS_CAPTION = 0x00C00000u;
inline constexpr uint32_t WS_BORDER = 0x00800000u;
inline constexpr uint32_t WS_VSCROLL = 0x00200000u;
inline constexpr uint32_t WS_SYSMENU = 0x00080000u;
inline constexpr uint32_t WS_MINIMIZEBOX = 0x00020000u; // on a dialog
inline constexpr uint32_t WS_GROUP = 0x00020000u;       // on a control
inline constexpr uint32_t WS_TABSTOP = 0x00010000u;
inline constexpr uint32_t DS_MODALFRAME = 0x00000080u;

inline constexpr uint32_t WS_EX_DLGMODALFRAME = 0x00000001u;
inline constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200u;
inline constexpr uint32_t WS_EX_APPWINDOW = 0x00040000u;

inline constexpr uint32_t SS_LEFT = 0x0000u;
inline constexpr uint32_t SS_CENTER = 0x0001u;
inline constexpr uint32_t SS_RIGHT = 0x0002u;

inline constexpr uint32_t BS_PUSHBUTTON = 0x0000u;
inline constexpr uint32_t BS_DEFPUSHBUTTON = 0x0001u;

inline constexpr uint32_t ES_LEFT = 0x0000u;
inline constexpr uint32_t ES_AUTOHSCROLL = 0x0080u;

inline constexpr uint32_t LBS_NOTIFY = 0x0001u;
inline constexpr uint32_t LBS_SORT = 0x0002u;
inline constexpr uint32_t LBS_NOINTEGRALHEIGHT = 0x0100u;

inline constexpr uint32_t LVS_ICON = 0x0000u;
inline constexpr uint32_t LVS_REPORT = 0x0001u;
inline constexpr uint32_t LVS_LIST = 0x0003u;
inline constexpr uint32_t LVS_TYPEMASK = 0x0003u;
inline constexpr uint32_t LVS_SINGLESEL = 0x0004u;
inline constexpr uint32_t LVS_SHOWSELALWAYS = 0x0008u;
inline constexpr uint32_t LVS_NOLABELWRAP = 0x0080u;
inline constexpr uint32_t LVS_AUTOARRANGE = 0x0100u;
inline constexpr uint32_t LVS_NOSCROLL = 0x2000u;
inline constexpr uint32_t LVS_NOSORTHEADER = 0x8000u;

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
