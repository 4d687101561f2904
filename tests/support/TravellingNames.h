// SPDX-License-Identifier: MIT
// Names that read the same in the Windows program, in a Western system's code
// page (1252), and on Linux: the bytes each stores, the characters each shows.
// The Linux tests and the Windows tests both go through them.
#pragma once

struct STravellingName {
    const char* m_what;
    const char* m_bytes;
    const char16_t* m_shown;
};

inline constexpr STravellingName kTravellingNames[] = {
    {"accented", "Caf\xE9", u"Caf\u00E9"},
    {"typographic", "\x80 \x84\x93\x94 \x96 \x8A\x9F",
     u"\u20AC \u201E\u201C\u201D \u2013 \u0160\u0178"},
    {"Latin-1 letters", "\xC0\xDF\xF1\xFF", u"\u00C0\u00DF\u00F1\u00FF"},
};
