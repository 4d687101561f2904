// SPDX-License-Identifier: MIT
// Helpers for the offscreen tests of the windows: the Qt application, a
// working folder per test, key and mouse events with native scan codes, and
// modal runs driven from inside their own loop.
#pragma once

#include "AfxWin.h"
#include "DrumTypes.h"
#include "TempFolder.h"

#include <QPoint>
#include <QString>
#include <Qt>

#include <filesystem>
#include <functional>
#include <string>

class QWidget;

// Writes "drums.set" in the working folder with these names and bindings
// (key code, sound) in the kit's own format.
struct SBinding {
    int m_key;
    int m_sound;
};
void WriteDrumSet(const std::string (&names)[kSoundCount], const SBinding* pBindings, int count);
std::string ReadFileBytes(const std::filesystem::path& path);

// Processes events until the predicate holds or the time is up; returns it.
bool WaitUntil(const std::function<bool()>& predicate, int milliseconds = 3000);
void ProcessEventsFor(int milliseconds);
// Runs the action once, from the event loop running at the time (a nested
// modal loop included), as soon as the condition holds.
void RunWhen(const std::function<bool()>& condition, const std::function<void()>& action);

// Runs the dialog modally; the script runs inside the dialog's own loop once its
// window is shown and active. A run the script leaves open is cancelled after a
// while, so that a failing test cannot hang.
INT_PTR RunModal(CDialog& dialog, const std::function<void()>& script);

// A key press and release sent to the widget with the focus, as X11 reports a
// key with this kernel code (native scan code = kernel code + 8).
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
