// SPDX-License-Identifier: MIT
// Names between the Windows code page of "drums.set" and the UTF-8 of Linux.
//
// The Windows program keeps names as bytes in the system's code page. On
// Linux Kadenzo takes that code page to be Windows-1252, the Western one, so
// that a name with accents reads the same on both systems:
// - stored bytes that form valid UTF-8 show as UTF-8 (names made by Linux
//   builds that stored UTF-8); any other bytes show as Windows-1252, its five
//   undefined bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) as U+FFFD;
// - a typed name is stored in Windows-1252 when that holds every character of
//   it, otherwise in UTF-8. A Windows-1252 form that would itself read as
//   UTF-8 ("Ã©" is C3 A9, the UTF-8 of "é") is stored in UTF-8 instead, so
//   that the name reads back as typed.
// Only typed text is encoded: bytes read from a file go back to it untouched
// (AfxBytesReadBack tells which bytes would not come back by themselves).
//
// Toolkit-free; the Qt layer's text crossing and the whole texts behind its
// controls (AfxWholeText.h) use it. On Windows the controls take and give the
// system's code page themselves.
#pragma once

#include <string>

// Whether bytes are valid UTF-8: no overlong forms, surrogates, or code points
// beyond U+10FFFF.
bool AfxIsUtf8(const std::string& bytes);

// Stored bytes as the UTF-8 text they show.
std::string AfxUtf8FromBytes(const std::string& bytes);

// A typed text, in valid UTF-8, as the bytes to store.
std::string AfxBytesFromUtf8(const std::string& utf8);

// What a control of the Linux layer gives back for these bytes while nobody
// has typed in it; different from them where the control must keep them
// itself. On Windows, the bytes.
std::string AfxBytesReadBack(const std::string& bytes);
