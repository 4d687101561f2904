// SPDX-License-Identifier: MIT
// A dialog template stored in memory the way the resource compiler stores
// one (DLGTEMPLATEEX with its DLGITEMTEMPLATEEX items), for the dialog
// manager to build a window from.
#include "AfxWin32.h"

namespace {

// The predefined control classes, by the atoms a template names them with.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;
constexpr WORD kListBoxAtom = 0x0083;

class CTemplateWriter {
public:
    void Word(WORD value) { m_words.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Short(int value) { Word(static_cast<WORD>(static_cast<int16_t>(value))); }
    // A text in the system's code page, stored as UTF-16 with its NUL.
    void Text(const char* text) {
        const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        const size_t start = m_words.size();
        m_words.resize(start + static_cast<size_t>(length > 0 ? length : 1), 0);
        if (length > 0) {
            MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<wchar_t*>(&m_words[start]),
                                length);
        }
    }
    void Ordinal(WORD value) {
        Word(0xFFFF);
        Word(value);
    }
    void AlignDword() {
        if (m_words.size() % 2 != 0)
            Word(0);
    }
    std::vector<WORD> Take() { return std::move(m_words); }

private:
    std::vector<WORD> m_words;
};

void WriteItem(CTemplateWriter& out, const SDialogItem& item) {
    out.AlignDword();
    out.Dword(0); // help id
    out.Dword(item.m_exStyle);
    DWORD style = WS_CHILD | WS_VISIBLE | item.m_style;
    if (item.m_kind == EControlKind::Icon)
        style |= SS_ICON;
    out.Dword(style);
    out.Short(item.m_x);
    out.Short(item.m_y);
    out.Short(item.m_cx);
    out.Short(item.m_cy);
    out.Dword(static_cast<DWORD>(item.m_id));
    switch (item.m_kind) {
    case EControlKind::Static:
    case EControlKind::Icon:
        out.Ordinal(kStaticAtom);
        break;
    case EControlKind::PushButton:
        out.Ordinal(kButtonAtom);
        break;
    case EControlKind::Edit:
        out.Ordinal(kEditAtom);
        break;
    case EControlKind::ListBox:
        out.Ordinal(kListBoxAtom);
        break;
    case EControlKind::ListView:
        out.Text(WC_LISTVIEWA);
        break;
    }
    // An icon control names its icon resource by number.
    if (item.m_kind == EControlKind::Icon)
        out.Ordinal(static_cast<WORD>(item.m_imageId));
    else
        out.Text(item.m_text);
    out.Word(0); // no creation data
}

} // namespace

std::vector<WORD> AfxBuildDialogTemplate(const SDialogTemplate& dialogTemplate) {
    CTemplateWriter out;
    out.Word(1);      // version
    out.Word(0xFFFF); // the extended template's signature
    out.Dword(0);     // help id
    out.Dword(dialogTemplate.m_exStyle);
    out.Dword(dialogTemplate.m_style | DS_SETFONT);
    out.Word(static_cast<WORD>(dialogTemplate.m_itemCount));
    out.Short(0);
    out.Short(0);
    out.Short(dialogTemplate.m_cx);
    out.Short(dialogTemplate.m_cy);
    out.Word(0); // no menu
    out.Word(0); // the dialog class
    out.Text(dialogTemplate.m_title);
    out.Word(static_cast<WORD>(dialogTemplate.m_pointSize));
    out.Word(FW_NORMAL);
    out.Word(MAKEWORD(FALSE, DEFAULT_CHARSET)); // not italic; the charset
    out.Text(dialogTemplate.m_fontName);
    for (int i = 0; i < dialogTemplate.m_itemCount; ++i)
        WriteItem(out, dialogTemplate.m_pItems[i]);
    return out.Take();
}
