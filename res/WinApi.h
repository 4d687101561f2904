// SPDX-License-Identifier: MIT
// The Windows programming interface's basic types, messages, styles and
// structures, as far as the program and its templates use them. On Windows
// they come from the system's own headers; elsewhere they are defined here,
// with the same names and values, so that one source reads alike on both.
//
// Handles are opaque pointers, as the Windows headers declare them in their
// strict form: each toolkit implementation maps a handle to an object of its own.
#pragma once

#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
// Without the multimedia and shell headers: <mmsystem.h> defines PlaySound as
// a macro, which would rename the kit's operation of that name in every file
// that sees both.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <commctrl.h>
// Also when a file included the whole of <windows.h> first.
#ifdef PlaySound
#undef PlaySound
#endif

#else

#include <cstdint>

// ---------------------------------------------------------------------------
// Basic types.

using BOOL = int;
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
using UINT = unsigned int;
using WORD = uint16_t;
using LONG = int32_t;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

struct HWND__;
using HWND = HWND__*;
struct HMENU__;
using HMENU = HMENU__*;
struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HDC__;
using HDC = HDC__*;

struct POINT {
    LONG x;
    LONG y;
};

// ---------------------------------------------------------------------------
// Window messages and their arguments.

inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_ENDSESSION = 0x0016;
inline constexpr UINT WM_ICONERASEBKGND = 0x0027;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_SETICON = 0x0080;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;

inline constexpr WPARAM ICON_SMALL = 0;
inline constexpr WPARAM ICON_BIG = 1;

// System commands (WM_SYSCOMMAND); the low four bits are the system's own.
inline constexpr UINT SC_MINIMIZE = 0xF020;
inline constexpr UINT SC_CLOSE = 0xF060;
inline constexpr UINT SC_KEYMENU = 0xF100;
inline constexpr UINT SC_RESTORE = 0xF120;

// Bits of a key message's flags word (the high word of its lParam); its low
// byte is the key's scan code.
inline constexpr WORD KF_EXTENDED = 0x0100;
inline constexpr WORD KF_ALTDOWN = 0x2000;
inline constexpr WORD KF_REPEAT = 0x4000;
inline constexpr WORD KF_UP = 0x8000;

// Virtual-key codes the program meets (letters and digits are their ASCII codes).
inline constexpr UINT VK_BACK = 0x08;
inline constexpr UINT VK_TAB = 0x09;
inline constexpr UINT VK_RETURN = 0x0D;
inline constexpr UINT VK_ESCAPE = 0x1B;
inline constexpr UINT VK_SPACE = 0x20;
inline constexpr UINT VK_DELETE = 0x2E;
inline constexpr UINT VK_F1 = 0x70;

inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;

// ---------------------------------------------------------------------------
// Control notifications and what goes with them.

inline constexpr UINT NM_DBLCLK = static_cast<UINT>(-3);
inline constexpr UINT NM_RCLICK = static_cast<UINT>(-5);
inline constexpr UINT NM_SETFOCUS = static_cast<UINT>(-7);
inline constexpr UINT NM_KILLFOCUS = static_cast<UINT>(-8);
inline constexpr UINT LVN_KEYDOWN = static_cast<UINT>(-155);
inline constexpr UINT LBN_SELCHANGE = 1;
inline constexpr UINT LBN_DBLCLK = 2;
inline constexpr UINT BN_CLICKED = 0;

inline constexpr int LB_ERR = -1;
inline constexpr UINT LVNI_ALL = 0x0000;
inline constexpr UINT LVNI_SELECTED = 0x0002;
inline constexpr UINT LVIS_SELECTED = 0x0002;
inline constexpr int LVCFMT_LEFT = 0;
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_SEPARATOR = 0x0800;

struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};

// NM_DBLCLK and NM_RCLICK of a list view: the row hit, or -1 for none.
struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    POINT ptAction;
};

// LVN_KEYDOWN: the key's virtual-key code and the key message's flags word.
struct NMLVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};

// ---------------------------------------------------------------------------
// Window and control styles, as a template's resource script names them.

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

#endif
