// Runs a command to its end and prints the CPU time it and its children used, and the
// wall time it took.
#include "bench_common.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace zimo::bench {

int runCpu(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zimo-bench cpu COMMAND...\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) return 1;
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::perror(argv[1]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return 1;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    std::printf("user_s=%.3f sys_s=%.3f wall_s=%.3f exit=%d\n", seconds(usage.ru_utime),
                seconds(usage.ru_stime), wall, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return 0;
}

} // namespace zimo::bench
