// SPDX-License-Identifier: MIT
// The dialog font and dialog units.
#include "AfxDialogUnits.h"

#include "AfxDialogWindow.h"

#include "AfxText.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

QFont AfxDialogFont(const SDialogTemplate& dialogTemplate) {
    const QString family = AfxTextFromBytes(dialogTemplate.m_fontName);
    QFont font;
    if (QFontDatabase::families().contains(family, Qt::CaseInsensitive))
        font = QFont(family);
    else
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(dialogTemplate.m_pointSize);
    return font;
}

void AfxDialogBaseUnits(const QFont& font, int* pBaseX, int* pBaseY) {
    // Windows: the average width of the 52 letters, rounded, and the height of
    // the font; a dialog unit is a quarter of the one and an eighth of the other.
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    *pBaseX = (width / 26 + 1) / 2;
    *pBaseY = metrics.height();
}

int AfxMulDiv(int value, int numerator, int denominator) {
    if (denominator == 0)
        return -1;
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = (denominator > 0 ? denominator : -denominator) / 2;
    const long long rounded = product >= 0 ? product + half : product - half;
    return static_cast<int>(rounded / denominator);
}

void CDialog::MapDialogRect(CRect* pRect) const {
    if (!m_pWindow)
        return;
    pRect->left = m_pWindow->DialogToPixelsX(pRect->left);
    pRect->right = m_pWindow->DialogToPixelsX(pRect->right);
    pRect->top = m_pWindow->DialogToPixelsY(pRect->top);
    pRect->bottom = m_pWindow->DialogToPixelsY(pRect->bottom);
}
