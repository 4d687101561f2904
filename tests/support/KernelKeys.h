// SPDX-License-Identifier: MIT
// The Linux kernel's key codes of the keys the tests press, by name. X11
// reports a key's native scan code as its kernel code plus 8. Up to 83
// (kKeyKpDelete) the kernel code is also the key's Windows scan code, the
// number the kit's key map is indexed by; the keys after it are numbered
// differently by the two (kKeyUp is 103 here, 72 on Windows).
#pragma once

// No key: text typed without a key behind it.
inline constexpr unsigned kKeyNone = 0;

inline constexpr unsigned kKeyEsc = 1;
inline constexpr unsigned kKey1 = 2;
inline constexpr unsigned kKey2 = 3;
inline constexpr unsigned kKeyBackspace = 14;
inline constexpr unsigned kKeyTab = 15;
inline constexpr unsigned kKeyQ = 16;
inline constexpr unsigned kKeyW = 17;
inline constexpr unsigned kKeyE = 18;
inline constexpr unsigned kKeyR = 19;
inline constexpr unsigned kKeyT = 20;
inline constexpr unsigned kKeyY = 21;
inline constexpr unsigned kKeyU = 22;
inline constexpr unsigned kKeyI = 23;
inline constexpr unsigned kKeyO = 24;
inline constexpr unsigned kKeyP = 25;
// The key right of P: the dead circumflex on French and German layouts.
inline constexpr unsigned kKeyLeftBrace = 26;
inline constexpr unsigned kKeyEnter = 28;
inline constexpr unsigned kKeyA = 30;
inline constexpr unsigned kKeyS = 31;
inline constexpr unsigned kKeyD = 32;
inline constexpr unsigned kKeyF = 33;
inline constexpr unsigned kKeyG = 34;
inline constexpr unsigned kKeyH = 35;
inline constexpr unsigned kKeyJ = 36;
inline constexpr unsigned kKeyK = 37;
inline constexpr unsigned kKeyL = 38;
inline constexpr unsigned kKeyLeftShift = 42;
inline constexpr unsigned kKeyZ = 44;
inline constexpr unsigned kKeyX = 45;
inline constexpr unsigned kKeyC = 46;
inline constexpr unsigned kKeyV = 47;
inline constexpr unsigned kKeyB = 48;
inline constexpr unsigned kKeyN = 49;
inline constexpr unsigned kKeyM = 50;
inline constexpr unsigned kKeyLeftAlt = 56;
inline constexpr unsigned kKeySpace = 57;
inline constexpr unsigned kKeyF1 = 59;
inline constexpr unsigned kKeyF4 = 62;
inline constexpr unsigned kKeyF10 = 68;
inline constexpr unsigned kKeyKpDelete = 83; // the keypad's Delete (Num Lock off)
inline constexpr unsigned kKeyKpEnter = 96;
inline constexpr unsigned kKeyRightCtrl = 97;
inline constexpr unsigned kKeyUp = 103;
inline constexpr unsigned kKeyEnd = 107;
inline constexpr unsigned kKeyDown = 108;
inline constexpr unsigned kKeyDelete = 111;
inline constexpr unsigned kKeyPause = 119;
inline constexpr unsigned kKeyF13 = 183;
