// SPDX-License-Identifier: MIT
#include "CommandLine.h"

#include "BuildInfo.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstdlib>
#include <cstring>

namespace {

const char kHelpText[] =
    "Usage: kadenzo [--help | --version]\n"
    "\n"
    "Kadenzo turns the computer keyboard into a drum pad: bind keys to its 28\n"
    "drum sounds, give the sounds names, and play. Started without options it\n"
    "opens its window.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "Qt's own options (-platform, -display, -style, -session, ...) go to Qt.\n"
    "\n"
    "Key bindings and sound names live in \"drums.set\" in the working folder.\n"
    "The kadenzo command starts the program in $XDG_DATA_HOME/kadenzo\n"
    "(~/.local/share/kadenzo when XDG_DATA_HOME is not set) and places a\n"
    "starter drums.set there on the first start. See kadenzo(1).\n";

const char kVersionText[] = "kadenzo " KADENZO_VERSION "\n"
                            "Copyright 2026 The Kadenzo developers\n"
                            "Released under the MIT licence.\n";

// Qt's messages while it starts, handed on once it has. A start says little;
// past this many the rest are dropped.
constexpr int kMaxHeld = 32;
struct SHeldMessage {
    QtMsgType m_type;
    const char* m_category; // Qt's categories are static texts
    QString m_text;
};
SHeldMessage s_held[kMaxHeld];
int s_heldCount = 0;
QtMessageHandler s_previousHandler = nullptr;
bool s_holding = false;
// The platform asked for on the command line, for the one line on failure.
const char* s_platformArgument = nullptr;

bool HeldMessageContains(const char* text) {
    for (int i = 0; i < s_heldCount; ++i) {
        if (s_held[i].m_text.contains(QLatin1String(text)))
            return true;
    }
    return false;
}

const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// Says in one line why no window can open, from what Qt was asked to use.
void ReportNoDisplay() {
    const char* platform = s_platformArgument ? s_platformArgument : Environment("QT_QPA_PLATFORM");
    const char* x11 = Environment("DISPLAY");
    const char* wayland = Environment("WAYLAND_DISPLAY");
    if (platform) {
        std::fprintf(stderr, "kadenzo: cannot open a window: Qt's platform \"%s\" did not start.\n",
                     platform);
    } else if (!x11 && !wayland) {
        std::fputs("kadenzo: no graphical display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                   "start it from a desktop session.\n",
                   stderr);
    } else if (wayland &&
               HeldMessageContains("Could not find the Qt platform plugin \"wayland\"")) {
        std::fprintf(stderr,
                     "kadenzo: cannot open a window on Wayland display '%s': Qt's Wayland plugin "
                     "is not installed (package qt6-wayland)%s.\n",
                     wayland, x11 ? ", and the X display fails too" : ", and DISPLAY is not set");
    } else if (wayland && x11) {
        std::fprintf(
            stderr,
            "kadenzo: cannot open a window on Wayland display '%s' nor on X display '%s'.\n",
            wayland, x11);
    } else if (wayland) {
        std::fprintf(stderr, "kadenzo: cannot open a window on Wayland display '%s'.\n", wayland);
    } else {
        std::fprintf(stderr, "kadenzo: cannot open a window on X display '%s'.\n", x11);
    }
    std::fflush(stderr);
}

void PassOn(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (s_previousHandler) {
        s_previousHandler(type, context, text);
    } else {
        const QByteArray line = qFormatLogMessage(type, context, text).toLocal8Bit();
        std::fprintf(stderr, "%s\n", line.constData());
    }
}

void HoldingHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg && text.contains(QLatin1String("platform plugin"))) {
        ReportNoDisplay();
        // Nothing has been built that needs taking down: Qt is half started
        // and the program's own objects do not exist yet.
        std::_Exit(kExitNoDisplay);
    }
    if (type == QtFatalMsg) {
        PassOn(type, context, text);
        return;
    }
    if (s_heldCount < kMaxHeld)
        s_held[s_heldCount++] = SHeldMessage{type, context.category, text};
}

bool Is(const char* argument, const char* option) {
    return std::strcmp(argument, option) == 0;
}

} // namespace

int AnswerInfoOption(int argc, char** argv, std::FILE* out) {
    for (int i = 1; i < argc; ++i) {
        if (Is(argv[i], "--help") || Is(argv[i], "-h")) {
            std::fputs(kHelpText, out);
            return 1;
        }
        if (Is(argv[i], "--version")) {
            std::fputs(kVersionText, out);
            return 1;
        }
    }
    return 0;
}

void HoldQtStartMessages(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (Is(argv[i], "-platform") || Is(argv[i], "--platform"))
            s_platformArgument = argv[i + 1];
    }
    s_holding = true;
    s_previousHandler = qInstallMessageHandler(HoldingHandler);
}

void QtHasStarted() {
    if (s_holding) {
        qInstallMessageHandler(s_previousHandler);
        s_holding = false;
        for (int i = 0; i < s_heldCount; ++i) {
            const SHeldMessage& held = s_held[i];
            const QMessageLogContext context(nullptr, 0, nullptr, held.m_category);
            PassOn(held.m_type, context, held.m_text);
            s_held[i].m_text.clear();
        }
        s_heldCount = 0;
    }
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1) {
        std::fprintf(stderr,
                     "kadenzo: unknown argument '%s'; the options are --help and --version.\n",
                     arguments.at(1).toLocal8Bit().constData());
        std::fflush(stderr);
        std::_Exit(kExitUsage);
    }
}
