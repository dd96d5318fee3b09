// The player movie's stage: its drawings and display items, as the script finds them.
// Drawings are in their own units (pixels); each define function writes an item's
// characters into the library and returns the id of the item's sprite.
#pragma once

#include "shape.h"
#include "timeline.h"

namespace zimo::movie::stage {

// Drawings of the control panel.
Shape panelBackground();   // main_bg
Shape seekGroove();        // sliderbackground
Shape seekPressArea();     // seektotime
Shape playedBar();         // sliderpassedtime
Shape sliderKnob();        // slider
Shape volumeHitArea();     // volumehitarea
Shape volumeMask();        // volumemask
Shape volumeLevelBlocks(); // volumeslider
Shape buttonFace();
Shape pauseIcon();
Shape playIcon();

// Items.
std::uint16_t defineVideoPlayer(Library& lib);   // vidplayer with its surface player
std::uint16_t defineTimeDisplay(Library& lib);   // timer with its font and three fields
std::uint16_t defineVolumeControl(Library& lib); // volumecontrol
std::uint16_t definePlayPause(Library& lib);     // playpause with play_button
std::uint16_t defineControlPanel(Library& lib);  // controlpanel and everything in it

// A one-frame sprite showing `character` at depth 1 at its own origin.
std::uint16_t spriteOf(Library& lib, std::uint16_t character);
std::uint16_t shapeItem(Library& lib, const Shape& shape);

// The two items of the root timeline, placed on its third frame.
Placement videoPlayerPlacement(std::uint16_t vidplayer);
Placement controlPanelPlacement(std::uint16_t controlpanel);

} // namespace zimo::movie::stage
