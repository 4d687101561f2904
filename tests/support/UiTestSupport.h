// SPDX-License-Identifier: MIT
// Helpers for the offscreen tests of the windows: the Qt application, and key
// and mouse events with native scan codes (modal runs: DialogDriver.h).
// Linking `ui_support` creates the Qt application and the program's
// application object around every test.
#pragma once

#include "AfxToolkit.h"
#include "AfxWin.h"
#include "KernelKeys.h"
#include "QtEvents.h"

#include <QPoint>
#include <QString>
#include <QWidget>
#include <Qt>

#include <functional>

// Runs the action once, from the event loop running at the time (a nested
// modal loop included), as soon as the condition holds.
void RunWhen(const std::function<bool()>& condition, const std::function<void()>& action);

// A key press and release sent to the widget with the focus, as X11 reports a
// key with this kernel code (KernelKeys.h; native scan code = kernel code + 8).
void PressKey(int qtKey, unsigned kernelCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
              const QString& text = QString());
// A key press only, optionally as an automatic repetition.
void SendKeyPress(QWidget* pTarget, int qtKey, unsigned kernelCode,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false,
                  const QString& text = QString());

// Mouse clicks at a position in the widget (for item views, the viewport).
void Click(QWidget* pWidget, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
void DoubleClick(QWidget* pWidget, QPoint pos);

QWidget* FocusWidget();
// The text a label shows.
QString LabelText(QWidget* pLabel);
