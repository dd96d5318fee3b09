// SWF tag codes and their names.
#pragma once

namespace zimo::swf {

enum TagCode : int {
    kTagEnd = 0,
    kTagShowFrame = 1,
    kTagDefineShape = 2,
    kTagPlaceObject = 4,
    kTagRemoveObject = 5,
    kTagDefineButton = 7,
    kTagSetBackgroundColor = 9,
    kTagDefineFont = 10,
    kTagDefineText = 11,
    kTagDoAction = 12,
    kTagDefineShape2 = 22,
    kTagPlaceObject2 = 26,
    kTagRemoveObject2 = 28,
    kTagDefineShape3 = 32,
    kTagDefineText2 = 33,
    kTagDefineButton2 = 34,
    kTagDefineEditText = 37,
    kTagDefineSprite = 39,
    kTagFrameLabel = 43,
    kTagDefineFont2 = 48,
    kTagDoInitAction = 59,
    kTagDefineVideoStream = 60,
    kTagFileAttributes = 69,
    kTagPlaceObject3 = 70,
    kTagDefineFont3 = 75,
    kTagDefineShape4 = 83,
};

// The tag's name, or "Unknown".
const char* tagName(int code);

// True for tags that define a character and start with its id.
bool definesCharacter(int code);

} // namespace zimo::swf
