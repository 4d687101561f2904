// SPDX-License-Identifier: MIT
#include "DrumPadDlg.h"

#include "AboutDlg.h"
#include "DirectSound.h"
#include "KeyDefDlg.h"
#include "KeyNames.h"
#include "Resources.h"

namespace {

const char kStatusIdle[] = "Click the above box before you start to drum";
const char kStatusDrumming[] = "Hit some defined keys to make some noise!";

// What the save at the end has to tell goes in message boxes of their own:
// by then the drum pad window has closed.
class CSaveMessages : public ISavePrompt {
public:
    int AskRetry(const std::string& text) override {
        const int pressed =
            AfxMessageBox(text.c_str(), kSaveCaption, MB_RETRYCANCEL | MB_ICONWARNING);
        return pressed == 0 ? -1 : pressed == IDRETRY;
    }
    int Tell(const std::string& text) override {
        return AfxMessageBox(text.c_str(), kSaveCaption, MB_OK | MB_ICONWARNING) != 0;
    }

private:
    static constexpr char kSaveCaption[] = "Kadenzo";
};

CSaveMessages s_saveMessages;

// The sound device binds itself to the program's main window.
kds::HWND MainWindowHandle() {
    CWnd* pMain = AfxGetMainWnd();
    return pMain ? pMain->GetSafeHwnd() : nullptr;
}

} // namespace

CDrumPadDlg::CDrumPadDlg(CWnd* pParent) : CDialog(IDD_DRUMPAD, pParent) {
    m_lastStroke = "";
    m_status = kStatusIdle;
    CWinApp* pApp = AfxGetApp();
    m_hIcon = pApp ? pApp->LoadIcon(IDR_MAINFRAME) : nullptr;
    // The window ends the run, and the kit saves as it goes: a failure is
    // asked about.
    m_kit.m_pPrompt = &s_saveMessages;
}

CDrumPadDlg::~CDrumPadDlg() = default;

void CDrumPadDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DRUM_BOX, m_drumBox);
    DDX_Control(pDX, IDC_KEY_LIST, m_keyList);
    DDX_Text(pDX, IDC_LAST_STROKE, m_lastStroke);
    DDX_Text(pDX, IDC_STATUS_TEXT, m_status);
}

BEGIN_MESSAGE_MAP(CDrumPadDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_KEYDOWN()
ON_NOTIFY(NM_RCLICK, IDC_KEY_LIST, OnRClickKeyList)
ON_NOTIFY(LVN_KEYDOWN, IDC_DRUM_BOX, OnKeyDownDrumBox)
ON_NOTIFY(NM_DBLCLK, IDC_KEY_LIST, OnDblClkKeyList)
ON_NOTIFY(NM_KILLFOCUS, IDC_DRUM_BOX, OnKillFocusDrumBox)
ON_NOTIFY(NM_SETFOCUS, IDC_DRUM_BOX, OnSetFocusDrumBox)
ON_WM_ENDSESSION()
END_MESSAGE_MAP()

BOOL CDrumPadDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        const std::string aboutMenu = LoadResourceString(IDS_ABOUTBOX);
        if (!aboutMenu.empty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutMenu.c_str());
        }
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    m_lastSound = 0;
    m_keyList.InsertColumn(0, "Key", LVCFMT_LEFT, 60);
    m_keyList.InsertColumn(1, "Drum Sound", LVCFMT_LEFT, 170);

    kds::SetMainWindowHook(&MainWindowHandle);
    m_kit.Init();
    m_kit.FillKeyList(m_keyList);
    // The focus goes to the first tab stop, the key list: not the drum box.
    return TRUE;
}

void CDrumPadDlg::OnOK() {
    // Enter raises OK; the drum pad window ends only through Cancel.
}

void CDrumPadDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CDrumPadDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        const int cxIcon = GetSystemMetrics(SM_CXICON);
        const int cyIcon = GetSystemMetrics(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        const int x = (rect.Width() - cxIcon + 1) / 2;
        const int y = (rect.Height() - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
}

HCURSOR CDrumPadDlg::OnQueryDragIcon() {
    return m_hIcon;
}

void CDrumPadDlg::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    const ScanCode code = static_cast<ScanCode>(nFlags & 0xFF);
    m_lastStroke = KeyName(code);
    UpdateData(FALSE);
    // Several coalesced repetitions in one message play nothing.
    if (nRepCnt == 1)
        m_kit.PlayKey(code);
    CDialog::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CDrumPadDlg::OnRClickKeyList(NMHDR* /*pNMHDR*/, LRESULT* pResult) {
    // The list has already selected the row clicked, or cleared the selection.
    const int item = m_keyList.GetNextItem(-1, LVNI_SELECTED);
    if (item == -1) {
        *pResult = 0;
        return;
    }
    m_kit.Unassign(m_kit.BoundKeyAt(item));
    m_kit.FillKeyList(m_keyList);
    *pResult = 0;
}

void CDrumPadDlg::OnKeyDownDrumBox(NMHDR* pNMHDR, LRESULT* pResult) {
    // The drum path: name the key, show it, strike. Every key-down plays,
    // automatic repetitions included.
    const auto* pKeyDown = reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR);
    const ScanCode code = static_cast<ScanCode>(pKeyDown->flags & 0xFF);
    m_lastStroke = KeyName(code);
    UpdateData(FALSE);
    m_kit.PlayKey(code);
    *pResult = 0;
}

void CDrumPadDlg::OnDblClkKeyList(NMHDR* /*pNMHDR*/, LRESULT* pResult) {
    // Wherever the double-click lands, on a row or below them.
    CKeyDefDlg dlg;
    dlg.m_pNames = m_kit.m_names;
    dlg.m_count = kSoundCount;
    dlg.m_sound = m_lastSound;
    dlg.m_pKit = &m_kit;
    if (dlg.DoModal() == IDOK) {
        // Without a captured key the kit binds nothing, yet the sound chosen
        // is remembered all the same.
        m_kit.Assign(dlg.m_key, dlg.m_sound);
        m_kit.FillKeyList(m_keyList);
        m_lastSound = dlg.m_sound;
    }
    // Any other ending changes nothing here, not even the list: names stored
    // by "Save Drums Set" show at the next refill.
    *pResult = 0;
}

void CDrumPadDlg::OnKillFocusDrumBox(NMHDR* /*pNMHDR*/, LRESULT* pResult) {
    m_status = kStatusIdle;
    UpdateData(FALSE);
    *pResult = 0;
}

void CDrumPadDlg::OnSetFocusDrumBox(NMHDR* /*pNMHDR*/, LRESULT* pResult) {
    m_status = kStatusDrumming;
    UpdateData(FALSE);
    *pResult = 0;
}

void CDrumPadDlg::OnEndSession(BOOL bEnding) {
    // The desktop session may end the program without letting the window
    // close: the names and bindings are saved now, or kept aside where they
    // cannot be, as nobody may be there to ask.
    if (bEnding && IsRunning())
        m_kit.SaveOrKeep(nullptr);
    CDialog::OnEndSession(bEnding);
}
