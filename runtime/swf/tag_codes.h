// The codes of SWF tags, one list: the reader, the generator and swfdump share it.
#pragma once

namespace zimo::swf {

// X(name, code, defines a character and starts with its id) for every tag we can name.
#define ZIMO_SWF_TAGS(X)                                                                           \
    X(End, 0, false)                                                                               \
    X(ShowFrame, 1, false)                                                                         \
    X(DefineShape, 2, true)                                                                        \
    X(PlaceObject, 4, false)                                                                       \
    X(RemoveObject, 5, false)                                                                      \
    X(DefineBits, 6, true)                                                                         \
    X(DefineButton, 7, true)                                                                       \
    X(JPEGTables, 8, false)                                                                        \
    X(SetBackgroundColor, 9, false)                                                                \
    X(DefineFont, 10, true)                                                                        \
    X(DefineText, 11, true)                                                                        \
    X(DoAction, 12, false)                                                                         \
    X(DefineFontInfo, 13, false)                                                                   \
    X(DefineSound, 14, true)                                                                       \
    X(StartSound, 15, false)                                                                       \
    X(DefineButtonSound, 17, false)                                                                \
    X(SoundStreamHead, 18, false)                                                                  \
    X(SoundStreamBlock, 19, false)                                                                 \
    X(DefineBitsLossless, 20, true)                                                                \
    X(DefineBitsJPEG2, 21, true)                                                                   \
    X(DefineShape2, 22, true)                                                                      \
    X(DefineButtonCxform, 23, false)                                                               \
    X(Protect, 24, false)                                                                          \
    X(PlaceObject2, 26, false)                                                                     \
    X(RemoveObject2, 28, false)                                                                    \
    X(DefineShape3, 32, true)                                                                      \
    X(DefineText2, 33, true)                                                                       \
    X(DefineButton2, 34, true)                                                                     \
    X(DefineBitsJPEG3, 35, true)                                                                   \
    X(DefineBitsLossless2, 36, true)                                                               \
    X(DefineEditText, 37, true)                                                                    \
    X(DefineSprite, 39, true)                                                                      \
    X(FrameLabel, 43, false)                                                                       \
    X(SoundStreamHead2, 45, false)                                                                 \
    X(DefineMorphShape, 46, true)                                                                  \
    X(DefineFont2, 48, true)                                                                       \
    X(ExportAssets, 56, false)                                                                     \
    X(ImportAssets, 57, false)                                                                     \
    X(EnableDebugger, 58, false)                                                                   \
    X(DoInitAction, 59, false)                                                                     \
    X(DefineVideoStream, 60, true)                                                                 \
    X(VideoFrame, 61, false)                                                                       \
    X(DefineFontInfo2, 62, false)                                                                  \
    X(EnableDebugger2, 64, false)                                                                  \
    X(ScriptLimits, 65, false)                                                                     \
    X(SetTabIndex, 66, false)                                                                      \
    X(FileAttributes, 69, false)                                                                   \
    X(PlaceObject3, 70, false)                                                                     \
    X(ImportAssets2, 71, false)                                                                    \
    X(DefineFontAlignZones, 73, false)                                                             \
    X(CSMTextSettings, 74, false)                                                                  \
    X(DefineFont3, 75, true)                                                                       \
    X(SymbolClass, 76, false)                                                                      \
    X(Metadata, 77, false)                                                                         \
    X(DefineScalingGrid, 78, false)                                                                \
    X(DoABC, 82, false)                                                                            \
    X(DefineShape4, 83, true)                                                                      \
    X(DefineMorphShape2, 84, true)                                                                 \
    X(DefineSceneAndFrameLabelData, 86, false)                                                     \
    X(DefineBinaryData, 87, true)                                                                  \
    X(DefineFontName, 88, false)                                                                   \
    X(StartSound2, 89, false)                                                                      \
    X(DefineBitsJPEG4, 90, true)                                                                   \
    X(DefineFont4, 91, true)

enum TagCode : int {
#define ZIMO_SWF_TAG_ENUMERATOR(name, code, character) kTag##name = code,
    ZIMO_SWF_TAGS(ZIMO_SWF_TAG_ENUMERATOR)
#undef ZIMO_SWF_TAG_ENUMERATOR
};

// The tag's name, or "Unknown".
constexpr const char* tagName(int code) {
    switch (code) {
#define ZIMO_SWF_TAG_NAME(name, code, character)                                                   \
    case code:                                                                                     \
        return #name;
        ZIMO_SWF_TAGS(ZIMO_SWF_TAG_NAME)
#undef ZIMO_SWF_TAG_NAME
    }
    return "Unknown";
}

// True for tags that define a character and start with its id.
constexpr bool definesCharacter(int code) {
    switch (code) {
#define ZIMO_SWF_TAG_CHARACTER(name, code, character)                                              \
    case code:                                                                                     \
        return character;
        ZIMO_SWF_TAGS(ZIMO_SWF_TAG_CHARACTER)
#undef ZIMO_SWF_TAG_CHARACTER
    }
    return false;
}

} // namespace zimo::swf
