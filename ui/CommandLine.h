// SPDX-License-Identifier: MIT
// The Linux program's command line. Linux programs answer --help and
// --version; Kadenzo has no other options of its own. Both are answered
// before Qt starts, so they need no display. Qt then takes its own options
// (-platform, -display, -style, -session, ...), and whatever it leaves is
// refused. While Qt starts, its messages are held back, so that a start
// without a usable display ends with one clear line rather than Qt's abort.
#pragma once

#include <cstdio>

// Exit statuses of the command line's own answers.
inline constexpr int kExitUsage = 2;     // an argument that nobody takes
inline constexpr int kExitNoDisplay = 1; // no platform plugin could start

// Answers --help, -h or --version (the first of them on the line) on `out`.
// Returns 1 when it answered and the program should end with status 0, else 0.
int AnswerInfoOption(int argc, char** argv, std::FILE* out);

// Holds back Qt's messages from here until QtHasStarted; a fatal one about
// the platform plugin ends the program with one line on stderr and status 1.
void HoldQtStartMessages(int argc, char** argv);

// Qt has taken its own arguments: hands the held messages on as usual, then
// refuses what is left of the command line (a line on stderr, status 2).
void QtHasStarted();
