// Runs a test body in a child process, so that a read or write that waits for good fails the test
// instead of hanging it (POSIX only).
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace tessivar::test {

// Whether `body` returns true in a child process within ten seconds.
inline bool inChildWithin10s(const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(10);
        ::_exit(body() ? 0 : 1);
    }
    int status = -1;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tessivar::test
