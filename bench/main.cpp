// zimo-bench: the measuring side of tools/bench.sh.
//   zimo-bench play CLIP [WxH|full] [--trace] [--lag]  plays a clip in a window hosting
//                                     the player control (--trace: the figures every 50 ms
//                                     as it plays; --lag: the shown-picture lag)
//   zimo-bench peer-lag CLIP          ffplay's shown-picture lag for the same clip
//   zimo-bench tick CLIP WxH [TICKS]  times the movie's tick plus a render of its stage
//   zimo-bench wake CLIP WxH          counts the threads' wake-ups idle, playing and paused
//   zimo-bench pictures CLIP OUT.png  one picture drawn the painter's way and converted once
//   zimo-bench bound CLIP PICTURE-WxH WxH|full
//                                     the least a software path spends on a view: decoding
//                                     and converting to the picture's size, and presenting
//   zimo-bench cpu COMMAND...         runs a command and prints the CPU time it used
// Each but pictures prints one line of name=value figures for the script to read.
#include "bench_common.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc >= 2) {
        if (std::strcmp(argv[1], "play") == 0) return zimo::bench::runPlay(argc - 1, argv + 1);
        if (std::strcmp(argv[1], "tick") == 0) return zimo::bench::runTick(argc - 1, argv + 1);
        if (std::strcmp(argv[1], "wake") == 0) return zimo::bench::runWake(argc - 1, argv + 1);
        if (std::strcmp(argv[1], "pictures") == 0)
            return zimo::bench::runPictures(argc - 1, argv + 1);
        if (std::strcmp(argv[1], "bound") == 0) return zimo::bench::runBound(argc - 1, argv + 1);
        if (std::strcmp(argv[1], "cpu") == 0) return zimo::bench::runCpu(argc - 1, argv + 1);
        if (std::strcmp(argv[1], "peer-lag") == 0)
            return zimo::bench::runPeerLag(argc - 1, argv + 1);
    }
    std::fprintf(stderr,
                 "usage: zimo-bench play CLIP [WxH] | tick CLIP WxH [TICKS] | "
                 "wake CLIP WxH | pictures CLIP OUT.png | bound CLIP PICTURE-WxH WxH|full | "
                 "cpu COMMAND... | peer-lag CLIP\n");
    return 2;
}
