// The display items: the video holder, the volume indicator, the play/pause control, the
// control panel, and their places on the root.
#include "stage.h"

#include "characters.h"

namespace zimo::movie::stage {

namespace {

const Bytes kStop = {0x07, 0x00}; // ActionStop, ActionEnd

Placement item(std::uint16_t depth, std::uint16_t character, std::string name, Matrix m) {
    return {depth, character, std::move(name), m, std::nullopt, 0};
}

} // namespace

std::uint16_t spriteOf(Library& lib, std::uint16_t character) {
    Timeline t;
    t.place({1, character, "", Matrix{}, std::nullopt, 0});
    t.showFrame();
    return lib.sprite(t);
}

std::uint16_t shapeItem(Library& lib, const Shape& shape) {
    const auto id = lib.define([&](std::uint16_t i) { return defineShape(i, shape); });
    return spriteOf(lib, id);
}

std::uint16_t defineVideoPlayer(Library& lib) {
    // 160 x 120, no frames and no codec of its own: the stream's pictures fill it.
    const auto surface = lib.define([](std::uint16_t id) {
        return defineVideoStream(id, {0, 160, 120, 0, false, 0});
    });
    Timeline t;
    // 464 x 347 in the holder's units, 480 x 360 on the stage.
    t.place(item(1, surface, "player", Matrix::scaled(0, 0, 2.89999, 2.89166)));
    t.showFrame();
    return lib.sprite(t);
}

std::uint16_t defineVolumeControl(Library& lib) {
    const auto hitArea = shapeItem(lib, volumeHitArea());
    const auto mask = shapeItem(lib, volumeMask());
    const auto level = shapeItem(lib, volumeLevelBlocks());
    Timeline t;
    t.place(item(1, hitArea, "volumehitarea", Matrix{}));
    Placement maskPlacement = item(2, mask, "volumemask", Matrix{});
    maskPlacement.clipDepth = 6; // shows depths 3 to 6 only through the speaker and bars
    t.place(maskPlacement);
    t.place(item(3, level, "volumeslider", Matrix::scaled(52.80, -0.10, 1.15559, 1.24989)));
    t.showFrame();
    return lib.sprite(t);
}

std::uint16_t definePlayPause(Library& lib) {
    const auto face = lib.define([](std::uint16_t id) { return defineShape(id, buttonFace()); });
    const auto pause = lib.define([](std::uint16_t id) { return defineShape(id, pauseIcon()); });
    const auto play = lib.define([](std::uint16_t id) { return defineShape(id, playIcon()); });

    // Each symbol over a light copy of itself, offset down and right: an engraved edge.
    const auto light = ColorTransform::rgb(51, 204);
    // The play symbol is narrowed to 12.57 px; its corners at (9.49, 6.55) and (8.84, 5.85)
    // fall on the nearest twips, (9.50, 6.55) and (8.85, 5.85).
    const double narrow = 0.897964;
    const auto playButton = lib.define([&](std::uint16_t id) {
        ButtonRecord lightCopy{
            true, true, true, false, play, 1, Matrix::scaled(9.49, 6.55, narrow, 1), light};
        ButtonRecord plain{true, true, true, false, play, 2, Matrix::scaled(8.84, 5.85, narrow, 1),
                           {}};
        // No hit-test state: presses pass through to playpause.
        return defineButton2(id, {lightCopy, plain});
    });

    Timeline t;
    t.label("playing"); // shows the pause symbol
    t.place(item(1, face, "", Matrix{}));
    Placement lightPause = item(4, pause, "", Matrix::at(7.95, 8.35));
    lightPause.color = light;
    t.place(lightPause);
    t.place(item(8, pause, "", Matrix::at(6.95, 7.40)));
    t.actions(kStop);
    t.showFrame();

    t.label("paused"); // shows the play symbol
    t.remove(4);
    t.remove(8);
    t.place(item(2, playButton, "play_button", Matrix::at(1.55, 1.05)));
    t.actions(kStop);
    t.showFrame();
    return lib.sprite(t);
}

std::uint16_t defineControlPanel(Library& lib) {
    const auto background = shapeItem(lib, panelBackground());
    const auto groove = shapeItem(lib, seekGroove());
    const auto timer = defineTimeDisplay(lib);
    Timeline empty;
    empty.showFrame();
    const auto anchor = lib.sprite(empty);
    const auto pressArea = shapeItem(lib, seekPressArea());
    const auto volume = defineVolumeControl(lib);
    const auto played = shapeItem(lib, playedBar());
    const auto knob = shapeItem(lib, sliderKnob());
    const auto playPause = definePlayPause(lib);

    Timeline t;
    Placement bg = item(1, background, "main_bg", Matrix::scaled(0, 1.10, 1.05051, 1.00069));
    bg.color = ColorTransform::rgb(223, 27); // lifts the greys: #F6F6F6 top, #B5B5B5 outline
    t.place(bg);
    t.place(item(3, groove, "sliderbackground", Matrix::scaled(37, 9.55, 1.35127, 0.887466)));
    t.place(item(5, timer, "timer", Matrix::scaled(245, 6, 0.766068, 0.750122)));
    t.place(item(9, anchor, "mrdiv", Matrix::at(-0.10, 25.50)));
    Placement press =
        item(13, pressArea, "seektotime", Matrix::scaled(37, 10.10, 199.999, 7.99998));
    press.color = ColorTransform::alpha(0); // never seen, but takes presses
    t.place(press);
    t.place(item(15, volume, "volumecontrol", Matrix::scaled(343.95, 13.70, 1.34451, 1.16153)));
    t.place(item(22, played, "sliderpassedtime", Matrix::scaled(37.80, 9.45, 0.49765, 1.16667)));
    t.place(item(24, knob, "slider", Matrix::scaled(79.50, 13.45, 1.0625, 1.0625)));
    t.place(item(28, playPause, "playpause", Matrix::at(0, 0.05)));
    t.showFrame();
    return lib.sprite(t);
}

Placement videoPlayerPlacement(std::uint16_t vidplayer) {
    return item(1, vidplayer, "vidplayer", Matrix::scaled(0, 0, 1.03448, 1.03746));
}

Placement controlPanelPlacement(std::uint16_t controlpanel) {
    // Not quite 1 across: one panel unit is 1.00345 stage pixels.
    return item(3, controlpanel, "controlpanel", Matrix::scaled(0, 334, 1.00345, 0.999954));
}

} // namespace zimo::movie::stage
