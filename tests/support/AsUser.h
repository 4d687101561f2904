// SPDX-License-Identifier: MIT
// Runs a piece of a test in a child process as another user: the tests run as
// root, whom permission bits do not stop, so what an ordinary user meets has
// to be met as one.
#pragma once

#include <functional>
#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

inline constexpr uid_t kNobody = 65534;

// The exit status of a child process that ran body as user and group id (no
// other groups): body's answer, 126 when the user could not be taken on, -1
// when the child could not be made or did not exit.
inline int RunAsUser(uid_t id, const std::function<int()>& body) {
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setresgid(id, id, id) != 0 || setresuid(id, id, id) != 0)
            _exit(126);
        _exit(body());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
