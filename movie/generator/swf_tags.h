// Tag codes of the SWF tags the movie uses.
#pragma once

namespace zimo::movie {

enum TagCode : int {
    kEnd = 0,
    kShowFrame = 1,
    kDefineShape = 2,
    kSetBackgroundColor = 9,
    kDoAction = 12,
    kDefineShape2 = 22,
    kPlaceObject2 = 26,
    kRemoveObject2 = 28,
    kDefineShape3 = 32,
    kDefineButton2 = 34,
    kDefineEditText = 37,
    kDefineSprite = 39,
    kFrameLabel = 43,
    kDefineFont2 = 48,
    kDefineVideoStream = 60,
    kFileAttributes = 69,
    kDefineShape4 = 83,
};

} // namespace zimo::movie
