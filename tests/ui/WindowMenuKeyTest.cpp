// SPDX-License-Identifier: MIT
// Alt+Space opens the drum pad window's own window menu where no window
// manager takes the key first (Qt's offscreen platform has none, like a bare X
// server). Under a desktop the manager's own menu opens instead, which no
// test here can see; the right-click on a free spot always opens ours.
#include "DrumPadDlg.h"
#include "FakeDirectSound.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(WindowMenuKey, AltSpaceOpensTheWindowMenuWithTheAboutItem) {
    CTempFolder folder;
    CFakeSoundScope sound;
    std::optional<CDrumPadDlg> dlg;
    dlg.emplace();
    AfxGetApp()->m_pMainWnd = &*dlg;
    QString lastItem;
    const INT_PTR result = RunModal(*dlg, [&] {
        RunWhen([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
                [&] {
                    auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                    lastItem = pMenu->actions().last()->text();
                    pMenu->close();
                    RunWhen([] { return QApplication::activePopupWidget() == nullptr; },
                            [] { PressKey(Qt::Key_Escape, 1); });
                });
        PressKey(Qt::Key_Space, 57, Qt::AltModifier, QStringLiteral(" "));
    });
    AfxGetApp()->m_pMainWnd = nullptr;
    EXPECT_EQ(QStringLiteral("&About Kadenzo..."), lastItem);
    EXPECT_EQ(IDCANCEL, result);
}

} // namespace
