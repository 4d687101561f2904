// SPDX-License-Identifier: MIT
// The start-up of the real program, seen from outside: from the moment it is
// started to the moment the X server reports its drum pad window mapped (the
// MapNotify event on the root window, which a client watching the root's
// children receives; without a window manager, as under Xvfb, a top-level
// window is one of them). Then, once the window has shown for a second, the
// program's peak resident memory; then SIGTERM, and the wait for its end. The
// scheduler's accounting splits the time to the window: on a processor, waiting
// for one (the load of the machine), and the rest.
//
// Usage: startup_probe PROGRAM FOLDER [--figures FILE]
// The program runs in FOLDER with this environment; Qt's logging is switched
// off so that it costs nothing. Prints startup_ms and peak_rss_mib.
#include "BenchFigures.h"

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

const char kTitle[] = "Orvan's Drums for Windows";
constexpr int kWaitMs = 60000;

std::string WindowName(xcb_connection_t* pConnection, xcb_window_t window) {
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        pConnection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t* pReply = xcb_get_property_reply(pConnection, cookie, nullptr);
    if (pReply == nullptr)
        return std::string();
    const std::string name(static_cast<const char*>(xcb_get_property_value(pReply)),
                           size_t(xcb_get_property_value_length(pReply)));
    std::free(pReply);
    return name;
}

// Peak resident memory of the process, in KiB.
long PeakResidentKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string word;
    while (in >> word) {
        if (word == "VmHWM:") {
            long kib = -1;
            in >> kib;
            return kib;
        }
    }
    return -1;
}

// Nanoseconds the process's threads have spent on a processor and waiting for
// one, from the scheduler's own accounting. Threads that have ended are missed.
void SchedulerTimes(pid_t pid, double* pRunNs, double* pWaitNs) {
    *pRunNs = *pWaitNs = 0;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        double run = 0;
        double wait = 0;
        if (std::ifstream(task.path() / "schedstat") >> run >> wait) {
            *pRunNs += run;
            *pWaitNs += wait;
        }
    }
}

bool Ended(pid_t pid, int* pStatus) {
    return waitpid(pid, pStatus, WNOHANG) == pid;
}

// Waits for the map of the program's window; its moment, or false.
bool WaitForWindow(xcb_connection_t* pConnection, pid_t pid, CClock::time_point* pMapped) {
    const auto until = CClock::now() + std::chrono::milliseconds(kWaitMs);
    pollfd watch = {xcb_get_file_descriptor(pConnection), POLLIN, 0};
    int status = 0;
    while (CClock::now() < until) {
        while (xcb_generic_event_t* pEvent = xcb_poll_for_event(pConnection)) {
            const auto seen = CClock::now();
            const bool mapped = (pEvent->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const xcb_window_t window =
                mapped ? reinterpret_cast<xcb_map_notify_event_t*>(pEvent)->window : 0;
            std::free(pEvent);
            if (mapped && WindowName(pConnection, window) == kTitle) {
                *pMapped = seen;
                return true;
            }
        }
        if (xcb_connection_has_error(pConnection) || Ended(pid, &status))
            return false;
        poll(&watch, 1, 10);
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 5 && std::strcmp(argv[3], "--figures") == 0)) {
        std::fprintf(stderr, "usage: startup_probe PROGRAM FOLDER [--figures FILE]\n");
        return 2;
    }
    xcb_connection_t* pConnection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(pConnection)) {
        std::fprintf(stderr, "startup_probe: no X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(pConnection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(pConnection, root, XCB_CW_EVENT_MASK, &mask);
    // A round trip: the server watches the root for us before the program starts.
    std::free(xcb_get_input_focus_reply(pConnection, xcb_get_input_focus(pConnection), nullptr));

    CFigures figures(argc == 5 ? argv[4] : "", true);
    if (!figures.IsOpen())
        return 1;
    setenv("QT_LOGGING_RULES", "*=false", 1);
    const auto started = CClock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(argv[2]) != 0)
            _exit(126);
        execl(argv[1], argv[1], static_cast<char*>(nullptr));
        _exit(127);
    }
    CClock::time_point mapped;
    const bool shown = pid > 0 && WaitForWindow(pConnection, pid, &mapped);
    double runNs = 0;
    double waitNs = 0;
    long peakKiB = -1;
    if (shown) {
        SchedulerTimes(pid, &runNs, &waitNs);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        peakKiB = PeakResidentKiB(pid);
    }
    int status = 0;
    if (pid > 0 && !Ended(pid, &status)) {
        kill(pid, SIGTERM);
        const auto until = CClock::now() + std::chrono::seconds(15);
        while (!Ended(pid, &status)) {
            if (CClock::now() > until) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    xcb_disconnect(pConnection);
    if (!shown) {
        std::fprintf(stderr, "startup_probe: the window \"%s\" was not mapped\n", kTitle);
        return 1;
    }
    figures.Add("startup_ms", NsBetween(started, mapped) / 1e6, "ms start -> window mapped");
    // What the time was made of: the program on a processor, the program ready
    // but waiting for one (the machine's load), the rest blocked (I/O, X server).
    figures.Add("startup_cpu_ms", runNs / 1e6, "ms of it on a processor (all threads)");
    figures.Add("startup_wait_ms", waitNs / 1e6, "ms of it ready, waiting for a processor");
    figures.Add("peak_rss_mib", double(peakKiB) / 1024.0, "MiB peak resident (VmHWM)");
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
