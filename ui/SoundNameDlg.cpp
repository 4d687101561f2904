// SPDX-License-Identifier: MIT
#include "SoundNameDlg.h"

namespace {

const char kBlankNameError[] = "Error: Sound name cannot be blank";
// Blank, horizontal tab, line feed, vertical tab, form feed, carriage return.
const char kWhiteSpace[] = " \t\n\v\f\r";

} // namespace

CSoundNameDlg::CSoundNameDlg(CWnd* pParent) : CDialog(IDD_SOUNDNAME, pParent) {}

CSoundNameDlg::~CSoundNameDlg() = default;

void CSoundNameDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_SOUND_NAME, m_name);
    DDX_Text(pDX, IDC_ERROR_TEXT, m_error);
}

BEGIN_MESSAGE_MAP(CSoundNameDlg, CDialog)
END_MESSAGE_MAP()

void CSoundNameDlg::OnOK() {
    if (!UpdateData(TRUE))
        return;
    // The white space at either end only decides whether the name is blank;
    // the name returned is the text exactly as typed.
    const size_t first = m_name.find_first_not_of(kWhiteSpace);
    if (first != std::string::npos) {
        CDialog::OnOK();
        return;
    }
    // The user's blanks stay in the box; the error line stays until the end.
    m_error = kBlankNameError;
    UpdateData(FALSE);
    Invalidate();
    UpdateWindow();
}
