// SPDX-License-Identifier: MIT
// Identifiers of the program's built-in resources: dialog templates, icon,
// strings, menu commands and control ids.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_DRUMPAD 102
#define IDR_MAINFRAME 128
#define IDD_KEYDEF 179
#define IDD_SOUNDNAME 181

#define IDM_ABOUTBOX 0x0010

#define IDC_KEY_LIST 1000
#define IDC_LAST_STROKE 1007
#define IDC_DRUM_BOX 1010
#define IDC_KEY_BOX 1012
#define IDC_SOUND_LIST 1013
#define IDC_SOUND_NAME 1015
#define IDC_ERROR_TEXT 1016
#define IDC_SAVE_SET 1017
#define IDC_STATUS_TEXT 1019

#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
