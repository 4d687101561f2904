// SPDX-License-Identifier: MIT
// The one crossing between the program's 8-bit texts and the toolkit's strings.
//
// Bytes that form valid UTF-8 show as their characters; any others -- a name
// written by the Windows program in its own code page, say -- as Windows-1252
// (AfxCodePage.h). Text coming back is stored in Windows-1252 where that holds
// it, else in UTF-8: the controls keep the bytes they were given where those
// would not come back by themselves (AfxWholeText.h), so only what the user
// typed is encoded.
#pragma once

#include <QString>

#include <string>

QString AfxTextFromBytes(const std::string& bytes);
QString AfxTextFromBytes(const char* bytes);
std::string AfxBytesFromText(const QString& text);

// A template text for a label: "&&" shows one ampersand, a lone '&' marks a
// mnemonic that a label does not underline. Buttons and menu items take the
// notation unchanged, as Qt reads it the same way.
QString AfxLabelTextFromTemplate(const char* text);
