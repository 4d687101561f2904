// SPDX-License-Identifier: MIT
// How much of a text a control shows, and the whole texts behind what it shows.
//
// A sound name may be of any length, and a toolkit lays out the whole text of
// a control whenever it measures or paints it: a name of megabytes keeps the
// window busy for seconds. So no control shows more than kAfxMaxShownText
// bytes of a text. What the program reads back from a control is nonetheless
// the whole text it gave, never the part shown: "Save Drums Set" copies every
// list entry back into the kit, and a name shown cut must never be stored cut.
//
// The same keeps the bytes of a text that the control would not give back by
// itself (AfxBytesReadBack): a name stored in UTF-8 by an older Linux build
// reads back in UTF-8, not in the Windows-1252 that typing it would store.
//
// Toolkit-free, for every implementation of the layer. A list control keeps a
// CAfxWholeTexts (CListBox and CListCtrl hold one each) and an edit box a
// CAfxEditText; the implementation shows what Show returns and answers a read
// with Whole or Read before asking the control.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// Far more than a control is wide: a text this long is never seen whole
// anyway, and a toolkit lays it out at once.
inline constexpr size_t kAfxMaxShownText = 512;

// The length of the part of a text a control shows: the text up to its first
// NUL (where a control's text ends anyway), and at most kAfxMaxShownText
// bytes of it, moved back to the start of the character the cap falls in, so
// that the part ends on a whole character of the toolkit's encoding.
size_t AfxShownLength(const std::string& text);
std::string AfxShownText(const std::string& text);

// The toolkit's: the start of the character of its encoding (UTF-8 on Qt, the
// system's code page on Win32) that byte `at` of the text falls in.
size_t AfxCharacterStart(const std::string& text, size_t at);

// The whole texts behind the cells of a list (list box entries in column 0,
// list view items by row and column) that show only part of theirs, or whose
// bytes would not read back by themselves. Rows shift as rows come and go, so
// the list object reports every insertion and deletion. Cells holding the same
// long text share one copy of it: a name of megabytes bound to many keys is
// kept once.
class CAfxWholeTexts {
public:
    // The part of text to show in the cell; remembers the whole when it is cut
    // or would not read back, and forgets what the cell held before.
    std::string Show(int row, int column, const std::string& text);
    // The whole text of a cell that Show remembered; null for any other (the
    // control's own text is then the text).
    const std::string* Whole(int row, int column) const;
    void InsertRow(int row);
    void DeleteRow(int row);
    void Clear() { m_cells.clear(); }

private:
    struct SCell {
        int m_row;
        int m_column;
        std::shared_ptr<const std::string> m_pWhole;
    };
    void Forget(int row, int column);

    std::vector<SCell> m_cells; // only the cells shown cut
};

// The whole text behind a static text or an edit box. The box shows part of a
// long text; while it still shows exactly that part, reading it gives the
// whole text back, its very bytes. A text counts as edited when it differs
// from what was put there: once the user has changed it, the box holds what
// was typed, and that is the text (typing and then restoring the part shown
// is no edit).
class CAfxEditText {
public:
    // The part of text the box is to show.
    std::string Show(const std::string& text);
    // The program's text for what the box shows now.
    std::string Read(std::string shown) const;

private:
    std::string m_whole;    // empty unless kept
    std::string m_readBack; // what the box gives back while untouched
    bool m_kept = false;
};
