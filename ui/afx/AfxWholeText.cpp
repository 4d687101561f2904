// SPDX-License-Identifier: MIT
#include "AfxWholeText.h"

#include "AfxCodePage.h"

#include <algorithm>
#include <utility>

size_t AfxShownLength(const std::string& text) {
    const size_t end = std::min(text.find('\0'), text.size());
    if (end <= kAfxMaxShownText)
        return end;
    // text[kAfxMaxShownText] is the first byte left out.
    return AfxCharacterStart(text, kAfxMaxShownText);
}

std::string AfxShownText(const std::string& text) {
    return text.substr(0, AfxShownLength(text));
}

std::string CAfxWholeTexts::Show(int row, int column, const std::string& text) {
    Forget(row, column);
    const size_t shown = AfxShownLength(text);
    if (shown == text.size() && AfxBytesReadBack(text) == text)
        return text;
    std::shared_ptr<const std::string> pWhole;
    for (const SCell& cell : m_cells) {
        if (cell.m_pWhole->size() == text.size() && *cell.m_pWhole == text) {
            pWhole = cell.m_pWhole;
            break;
        }
    }
    if (!pWhole)
        pWhole = std::make_shared<const std::string>(text);
    m_cells.push_back(SCell{row, column, std::move(pWhole)});
    return text.substr(0, shown);
}

const std::string* CAfxWholeTexts::Whole(int row, int column) const {
    for (const SCell& cell : m_cells) {
        if (cell.m_row == row && cell.m_column == column)
            return cell.m_pWhole.get();
    }
    return nullptr;
}

void CAfxWholeTexts::InsertRow(int row) {
    for (SCell& cell : m_cells) {
        if (cell.m_row >= row)
            ++cell.m_row;
    }
}

void CAfxWholeTexts::DeleteRow(int row) {
    std::erase_if(m_cells, [row](const SCell& cell) { return cell.m_row == row; });
    for (SCell& cell : m_cells) {
        if (cell.m_row > row)
            --cell.m_row;
    }
}

void CAfxWholeTexts::Forget(int row, int column) {
    std::erase_if(m_cells, [row, column](const SCell& cell) {
        return cell.m_row == row && cell.m_column == column;
    });
}

std::string CAfxEditText::Show(const std::string& text) {
    const std::string shown = AfxShownText(text);
    m_readBack = AfxBytesReadBack(shown);
    m_kept = shown.size() != text.size() || m_readBack != shown;
    m_whole = m_kept ? text : std::string();
    return shown;
}

std::string CAfxEditText::Read(std::string shown) const {
    if (m_kept && shown == m_readBack)
        return m_whole;
    return shown;
}
