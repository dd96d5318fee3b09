// zimo-bench: the measuring side of tools/bench.sh.
//   zimo-bench play CLIP [WxH] [--trace]  plays a clip in a window hosting the player control
//                                     (--trace: the figures every 50 ms as it plays)
//   zimo-bench tick CLIP WxH [TICKS]  times the movie's tick plus a render of its stage
//   zimo-bench cpu COMMAND...         runs a command and prints the CPU time it used
// Each prints one line of name=value figures for the script to read.
#include "bench_common.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc >= 2) {
        if (std::strcmp(argv[1], "play") == 0) return zimo::bench::runPlay(argc - 1, argv + 1);
        if (std::strcmp(argv[1], "tick") == 0) return zimo::bench::runTick(argc - 1, argv + 1);
        if (std::strcmp(argv[1], "cpu") == 0) return zimo::bench::runCpu(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "usage: zimo-bench play CLIP [WxH] | tick CLIP WxH [TICKS] | "
                         "cpu COMMAND...\n");
    return 2;
}
