// SPDX-License-Identifier: MIT
#include "DialogTemplates.h"

#include "BuildInfo.h"
#include "resource.h"

namespace {

// clang-format off
constexpr SDialogItem kDrumPadItems[] = {
    {IDC_KEY_LIST, EControlKind::ListView, "", 30, 27, 168, 175,
     LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOLABELWRAP | LVS_AUTOARRANGE |
         LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP,
     0, 0},
    {IDC_LAST_STROKE, EControlKind::Static, "Last Stroke", 237, 50, 51, 8,
     SS_CENTER | WS_GROUP, 0, 0},
    {IDC_DRUM_BOX, EControlKind::ListView, "", 235, 76, 60, 50,
     LVS_ICON | WS_BORDER | WS_TABSTOP, WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME, 0},
    {IDC_STATUS_TEXT, EControlKind::Static, "Click the above box before you start to drum",
     228, 127, 75, 17, SS_CENTER | WS_GROUP, 0, 0},
    {IDC_STATIC, EControlKind::Static, "Last key hit:", 244, 41, 39, 8, SS_LEFT | WS_GROUP, 0, 0},
    {IDC_STATIC, EControlKind::Static,
     "Double-Click the key list to add a key definition, or rename a sound. "
     "Right-Click a key definition to delete it.",
     7, 205, 216, 22, SS_CENTER | WS_GROUP, 0, 0},
};

// The three lines the program is free to word say only what is true of this
// build: the version and the licence, and the web page where the build was
// given one (KADENZO_HOMEPAGE); otherwise they say that there is none rather
// than invent an address.
//
// Each must fit its field in MS Sans Serif 8, the font Windows shows these
// templates in. That font is a bitmap font; at 96 dpi its dialog base units
// are 6 x 13 pixels, so a dialog unit is 1.5 pixels across and one average
// character (6 pixels) takes 4 units. A line was judged to fit when its
// characters times 4 units stay within the field's width: 18 characters in
// the 72-unit contact line, 28 in the 115-unit web line, 31 in the 124-unit
// credit line. The average counts capitals, which these lines hardly use, and
// blanks and punctuation are narrower, so the lines come out shorter still.
// They must also fit in the fallback font at the unit the other dialogs get,
// which the tests measure.
constexpr bool kHasHomepage = KADENZO_HOMEPAGE[0] != '\0';
constexpr const char* kAboutCredit = "Version " KADENZO_VERSION ", MIT licence";
constexpr const char* kAboutContact = kHasHomepage ? "the page below" : "no address given";
constexpr const char* kAboutWeb = kHasHomepage ? KADENZO_HOMEPAGE_SHOWN : "no web page given";

constexpr SDialogItem kAboutItems[] = {
    {IDOK, EControlKind::PushButton, "OK", 129, 105, 50, 14,
     BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 0},
    {IDC_STATIC, EControlKind::Static, "Kadenzo For Windows, by Orvan", 32, 14, 100, 8, SS_LEFT, 0, 0},
    {IDC_STATIC, EControlKind::Static, kAboutCredit, 7, 41, 124, 8, SS_LEFT, 0, 0},
    {IDC_STATIC, EControlKind::Static, "You like this program? Tell me about it, drop a note to:",
     7, 58, 170, 8, SS_LEFT, 0, 0},
    {IDC_STATIC, EControlKind::Static, kAboutContact, 7, 67, 72, 8, SS_LEFT, 0, 0},
    {IDC_STATIC, EControlKind::Static, "Check out other stuff I've made at:", 7, 83, 110, 8,
     SS_LEFT, 0, 0},
    {IDC_STATIC, EControlKind::Static, kAboutWeb, 7, 92, 115, 8, SS_LEFT, 0, 0},
    {IDC_STATIC, EControlKind::Icon, "", 7, 7, 21, 20, 0, 0, IDR_MAINFRAME},
};

constexpr SDialogItem kKeyDefItems[] = {
    {IDOK, EControlKind::PushButton, "Set Key && Exit", 167, 109, 50, 14,
     BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 0},
    {IDCANCEL, EControlKind::PushButton, "Exit", 112, 109, 50, 14, WS_TABSTOP, 0, 0},
    {IDC_STATIC, EControlKind::Static,
     "To set a key, Click the box that's next to \"The Key:\" text, and hit a key. "
     "Then select the sound from the right, and press \"Set Key && Exit\".",
     20, 7, 183, 26, SS_LEFT | WS_GROUP, 0, 0},
    {IDC_STATIC, EControlKind::Static, "Sounds", 97, 39, 25, 8, SS_LEFT | WS_GROUP, 0, 0},
    {IDC_STATIC, EControlKind::Static, "The Key:", 7, 39, 30, 8, SS_LEFT | WS_GROUP, 0, 0},
    {IDC_KEY_BOX, EControlKind::ListView, "", 40, 36, 54, 13,
     LVS_LIST | LVS_NOSCROLL | WS_BORDER | WS_TABSTOP, 0, 0},
    // Never LBS_SORT: entry i is sound i.
    {IDC_SOUND_LIST, EControlKind::ListBox, "", 127, 36, 90, 64,
     LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0, 0},
    {IDC_STATIC, EControlKind::Static, "The box ^", 43, 51, 33, 8, SS_LEFT | WS_GROUP, 0, 0},
    {IDC_STATIC, EControlKind::Static,
     "To rename a drum sound,  Double-Click it on the list that's on the right. "
     "After done changing the names, press \"Save Drums Set\".",
     7, 62, 92, 43, SS_LEFT | WS_GROUP, 0, 0},
    {IDC_SAVE_SET, EControlKind::PushButton, "Save Drums Set", 7, 109, 58, 14, WS_TABSTOP, 0, 0},
};

constexpr SDialogItem kSoundNameItems[] = {
    {IDOK, EControlKind::PushButton, "OK", 129, 38, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 0},
    {IDCANCEL, EControlKind::PushButton, "Cancel", 77, 38, 50, 14, WS_TABSTOP, 0, 0},
    {IDC_SOUND_NAME, EControlKind::Edit, "", 27, 7, 131, 14,
     ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 0},
    {IDC_ERROR_TEXT, EControlKind::Static, "Error Desc.", 7, 25, 172, 8, SS_LEFT | WS_GROUP, 0, 0},
};

constexpr SDialogTemplate kTemplates[] = {
    {IDD_DRUMPAD, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME,
     WS_EX_APPWINDOW, 323, 234, "Orvan's Drums for Windows", "MS Sans Serif", 8,
     kDrumPadItems, int(sizeof kDrumPadItems / sizeof kDrumPadItems[0])},
    {IDD_ABOUTBOX, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 186, 126,
     "About Kadenzo", "MS Sans Serif", 8,
     kAboutItems, int(sizeof kAboutItems / sizeof kAboutItems[0])},
    {IDD_KEYDEF, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 224, 130,
     "Add Key Definition / Rename Sounds", "MS Sans Serif", 8,
     kKeyDefItems, int(sizeof kKeyDefItems / sizeof kKeyDefItems[0])},
    {IDD_SOUNDNAME, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 186, 58,
     "Set New Name For A Sound ", "MS Sans Serif", 8,
     kSoundNameItems, int(sizeof kSoundNameItems / sizeof kSoundNameItems[0])},
};
// clang-format on

} // namespace

const SDialogTemplate* FindDialogTemplate(int id) {
    for (const SDialogTemplate& t : kTemplates) {
        if (t.m_id == id)
            return &t;
    }
    return nullptr;
}
