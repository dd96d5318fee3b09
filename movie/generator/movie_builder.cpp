#include "movie_builder.h"

#include "stage.h"
#include "swf/tag_codes.h"

namespace zimo::movie {

namespace {

constexpr int kStageWidth = 480;             // px
constexpr int kStageHeight = 360;            // px
constexpr std::uint16_t kFrameRate = 0x1e00; // 30 frames a second, 8.8 fixed point
constexpr int kFrameCount = 6;

} // namespace

Bytes buildMovieBody(const MovieScripts& scripts) {
    SwfWriter w;
    w.rect(0, twips(kStageWidth), 0, twips(kStageHeight));
    w.u16(kFrameRate);
    w.u16(kFrameCount);

    Timeline root;
    // Every attribute flag clear: the older action model and local file access.
    root.append(tag(swf::kTagFileAttributes, Bytes{0, 0, 0, 0}));
    root.append(tag(swf::kTagSetBackgroundColor, Bytes{0, 0, 0}));

    // Frame 1: the loading check; only the background shows.
    root.actions(scripts.loading);
    root.showFrame();
    // Frame 2: empty.
    root.showFrame();
    // Frame 3: everything is defined and placed, then the main script runs. The playhead
    // stays here.
    Library lib;
    const auto vidplayer = stage::defineVideoPlayer(lib);
    const auto controlpanel = stage::defineControlPanel(lib);
    root.append(lib.tags());
    root.place(stage::videoPlayerPlacement(vidplayer));
    root.place(stage::controlPanelPlacement(controlpanel));
    root.actions(scripts.main);
    root.showFrame();
    // Frames 4 to 6 are never shown.
    while (root.frameCount() < kFrameCount)
        root.showFrame();

    w.bytes(root.controlTags());
    return w.data();
}

Bytes buildMovie(const MovieScripts& scripts) {
    return compressedMovie(kMovieVersion, buildMovieBody(scripts));
}

} // namespace zimo::movie
