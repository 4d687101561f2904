// SPDX-License-Identifier: MIT
// The one crossing between the program's 8-bit texts and the toolkit's strings.
//
// Bytes that form valid UTF-8 (the code page of a Linux system) show as their
// characters. Every other byte -- a name written by the Windows program in its
// own code page, say -- becomes the private-use character U+F700 + byte, shown
// by most fonts as a box, and turns back into that same byte on the way home,
// so a text survives the trip to a control and back byte for byte. A valid
// UTF-8 sequence that itself encodes one of those private characters
// (U+F780..U+F7FF) is treated as invalid bytes for the same reason. Text the
// user types is stored as UTF-8; only the improbable typing of one of those
// 128 private characters stores the byte it stands for.
#pragma once

#include <QString>

#include <string>

inline constexpr char32_t kAfxByteEscapeBase = 0xF700;

QString AfxTextFromBytes(const std::string& bytes);
QString AfxTextFromBytes(const char* bytes);
std::string AfxBytesFromText(const QString& text);

// A template text for a label: "&&" shows one ampersand, a lone '&' marks a
// mnemonic that a label does not underline. Buttons and menu items take the
// notation unchanged, as Qt reads it the same way.
QString AfxLabelTextFromTemplate(const char* text);
