// SPDX-License-Identifier: MIT
// A window for real keys: runs the drum pad's or the key definition dialog's
// template with the focus in its drum box or key box and prints, one line
// each, what its message map receives, until the run ends:
//   ready                      the window shows, the focus in the box
//   keydown VK FLAGS           LVN_KEYDOWN of the box (hexadecimal)
//   syscommand ID              WM_SYSCOMMAND; the About command opens the About box
//   about RESULT               the About box's run ended
//   end RESULT                 the run ended
//   afx_keys_probe.exe drumpad|keydef
#include "AfxWin.h"
#include "Resources.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT kIdReady = 0x7001;

class CKeyProbeDlg : public CDialog {
public:
    CKeyProbeDlg(UINT templateId, int box) : CDialog(templateId), m_box(box) {}

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        // The drum pad's own system menu item.
        if (CMenu* pMenu = GetSystemMenu(FALSE)) {
            pMenu->AppendMenu(MF_SEPARATOR);
            pMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, LoadResourceString(IDS_ABOUTBOX));
        }
        // Reported once the window shows, after the dialog manager's focus.
        PostMessageA(m_hWnd, WM_COMMAND, kIdReady, 0);
        return TRUE;
    }

    void OnReady() {
        HWND hBox = nullptr;
        GetDlgItem(m_box, &hBox);
        SetForegroundWindow(m_hWnd);
        ::SetFocus(hBox);
        Print("ready\n");
    }

    void OnKeyDownBox(NMHDR* pHeader, LRESULT* pResult) {
        const auto* pKeyDown = reinterpret_cast<const NMLVKEYDOWN*>(pHeader);
        std::printf("keydown %x %x\n", pKeyDown->wVKey, pKeyDown->flags);
        std::fflush(stdout);
        *pResult = 0;
    }

    void OnSysCommand(UINT id, LPARAM lParam) {
        std::printf("syscommand %x\n", id);
        std::fflush(stdout);
        if ((id & 0xFFF0) == IDM_ABOUTBOX) {
            CDialog about(IDD_ABOUTBOX);
            std::printf("about %d\n", static_cast<int>(about.DoModal()));
            std::fflush(stdout);
            return;
        }
        CDialog::OnSysCommand(id, lParam);
    }

    DECLARE_MESSAGE_MAP()

private:
    static void Print(const char* text) {
        std::fputs(text, stdout);
        std::fflush(stdout);
    }

    int m_box;
};

BEGIN_MESSAGE_MAP(CKeyProbeDlg, CDialog)
ON_COMMAND(kIdReady, OnReady)
ON_NOTIFY(LVN_KEYDOWN, IDC_DRUM_BOX, OnKeyDownBox)
ON_NOTIFY(LVN_KEYDOWN, IDC_KEY_BOX, OnKeyDownBox)
ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

} // namespace

int main(int argc, char** argv) {
    const bool keyDef = argc > 1 && std::strcmp(argv[1], "keydef") == 0;
    CKeyProbeDlg dlg(keyDef ? IDD_KEYDEF : IDD_DRUMPAD, keyDef ? IDC_KEY_BOX : IDC_DRUM_BOX);
    const INT_PTR result = dlg.DoModal();
    std::printf("end %d\n", static_cast<int>(result));
    return result == -1 ? 1 : 0;
}
