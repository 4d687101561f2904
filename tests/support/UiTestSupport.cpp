// SPDX-License-Identifier: MIT
#include "UiTestSupport.h"
#include "AfxToolkit.h"

#include "DrumApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The Qt application and the program's application object, for every test.
class CQtEnvironment : public testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "kadenzo-ui-tests";
        static char* argv[] = {name, nullptr};
        m_application = std::make_unique<QApplication>(argc, argv);
        m_app = std::make_unique<CDrumApp>();
    }
    void TearDown() override {
        m_app.reset();
        m_application.reset();
    }

private:
    std::unique_ptr<QApplication> m_application;
    std::unique_ptr<CDrumApp> m_app;
};

[[maybe_unused]] testing::Environment* const s_pEnvironment =
    testing::AddGlobalTestEnvironment(new CQtEnvironment);

} // namespace

void RunWhen(const std::function<bool()>& condition, const std::function<void()>& action) {
    auto* pTimer = new QTimer();
    auto* pElapsed = new QElapsedTimer();
    pElapsed->start();
    QObject::connect(pTimer, &QTimer::timeout, [pTimer, pElapsed, condition, action] {
        const bool ready = condition();
        if (!ready && pElapsed->elapsed() < 10000)
            return;
        pTimer->stop();
        pTimer->deleteLater();
        delete pElapsed;
        if (ready)
            action();
        else
            ADD_FAILURE() << "the awaited state never came";
    });
    pTimer->start(10);
}

QWidget* FocusWidget() {
    return QApplication::focusWidget();
}

void SendKeyPress(QWidget* pTarget, int qtKey, unsigned kernelCode, Qt::KeyboardModifiers modifiers,
                  bool autoRepeat, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, kernelCode + 8, 0, 0, text, autoRepeat);
    QApplication::sendEvent(pTarget, &press);
}

void PressKey(int qtKey, unsigned kernelCode, Qt::KeyboardModifiers modifiers,
              const QString& text) {
    // A window that a closing dialog hands the focus back to takes it a moment later.
    WaitUntil([] { return FocusWidget() != nullptr; }, 2000);
    QWidget* pTarget = FocusWidget();
    ASSERT_NE(pTarget, nullptr) << "no widget has the focus";
    SendKeyPress(pTarget, qtKey, kernelCode, modifiers, false, text);
    if (QWidget* pNow = FocusWidget()) {
        QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, kernelCode + 8, 0, 0, text);
        QApplication::sendEvent(pNow, &release);
    }
}

namespace {

// Sent to the top-level window, as the platform sends it, so that Qt finds the
// widget under the mouse and moves the focus on a press as for a real click.
void SendMouse(QWidget* pWidget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QWidget* pTop = pWidget->window();
    const QPointF local(pWidget->mapTo(pTop, pos));
    const QPointF global(pWidget->mapToGlobal(pos));
    QMouseEvent event(type, local, local, global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(pTop->windowHandle(), &event);
}

} // namespace

void Click(QWidget* pWidget, QPoint pos, Qt::MouseButton button) {
    SendMouse(pWidget, QEvent::MouseButtonPress, pos, button, button);
    SendMouse(pWidget, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

void DoubleClick(QWidget* pWidget, QPoint pos) {
    // The second press makes the window note the button as down, as for a
    // real double-click, so that the last release reaches the widget.
    Click(pWidget, pos);
    SendMouse(pWidget, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
    SendMouse(pWidget, QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
    SendMouse(pWidget, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

QString LabelText(QWidget* pLabel) {
    auto* pQLabel = qobject_cast<QLabel*>(pLabel);
    return pQLabel ? pQLabel->text() : QString();
}
