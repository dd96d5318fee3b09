// The codes of action records, one list each: the actions, the value types of Push, the
// flags of DefineFunction2 and the property numbers of GetProperty and SetProperty. The
// compiler writes them, the interpreter runs them, the disassembler and the tests'
// assembler name them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace zimo::swf {

// X(name, code) for every action a Flash 8 player knows.
#define ZIMO_SWF_ACTIONS(X)                                                                        \
    X(End, 0x00)                                                                                   \
    X(NextFrame, 0x04)                                                                             \
    X(PreviousFrame, 0x05)                                                                         \
    X(Play, 0x06)                                                                                  \
    X(Stop, 0x07)                                                                                  \
    X(ToggleQuality, 0x08)                                                                         \
    X(StopSounds, 0x09)                                                                            \
    X(Add, 0x0A)                                                                                   \
    X(Subtract, 0x0B)                                                                              \
    X(Multiply, 0x0C)                                                                              \
    X(Divide, 0x0D)                                                                                \
    X(Equals, 0x0E)                                                                                \
    X(Less, 0x0F)                                                                                  \
    X(And, 0x10)                                                                                   \
    X(Or, 0x11)                                                                                    \
    X(Not, 0x12)                                                                                   \
    X(StringEquals, 0x13)                                                                          \
    X(StringLength, 0x14)                                                                          \
    X(StringExtract, 0x15)                                                                         \
    X(Pop, 0x17)                                                                                   \
    X(ToInteger, 0x18)                                                                             \
    X(GetVariable, 0x1C)                                                                           \
    X(SetVariable, 0x1D)                                                                           \
    X(SetTarget2, 0x20)                                                                            \
    X(StringAdd, 0x21)                                                                             \
    X(GetProperty, 0x22)                                                                           \
    X(SetProperty, 0x23)                                                                           \
    X(CloneSprite, 0x24)                                                                           \
    X(RemoveSprite, 0x25)                                                                          \
    X(Trace, 0x26)                                                                                 \
    X(StartDrag, 0x27)                                                                             \
    X(EndDrag, 0x28)                                                                               \
    X(StringLess, 0x29)                                                                            \
    X(Throw, 0x2A)                                                                                 \
    X(CastOp, 0x2B)                                                                                \
    X(ImplementsOp, 0x2C)                                                                          \
    X(RandomNumber, 0x30)                                                                          \
    X(MBStringLength, 0x31)                                                                        \
    X(CharToAscii, 0x32)                                                                           \
    X(AsciiToChar, 0x33)                                                                           \
    X(GetTime, 0x34)                                                                               \
    X(MBStringExtract, 0x35)                                                                       \
    X(MBCharToAscii, 0x36)                                                                         \
    X(MBAsciiToChar, 0x37)                                                                         \
    X(Delete, 0x3A)                                                                                \
    X(Delete2, 0x3B)                                                                               \
    X(DefineLocal, 0x3C)                                                                           \
    X(CallFunction, 0x3D)                                                                          \
    X(Return, 0x3E)                                                                                \
    X(Modulo, 0x3F)                                                                                \
    X(NewObject, 0x40)                                                                             \
    X(DefineLocal2, 0x41)                                                                          \
    X(InitArray, 0x42)                                                                             \
    X(InitObject, 0x43)                                                                            \
    X(TypeOf, 0x44)                                                                                \
    X(TargetPath, 0x45)                                                                            \
    X(Enumerate, 0x46)                                                                             \
    X(Add2, 0x47)                                                                                  \
    X(Less2, 0x48)                                                                                 \
    X(Equals2, 0x49)                                                                               \
    X(ToNumber, 0x4A)                                                                              \
    X(ToString, 0x4B)                                                                              \
    X(PushDuplicate, 0x4C)                                                                         \
    X(StackSwap, 0x4D)                                                                             \
    X(GetMember, 0x4E)                                                                             \
    X(SetMember, 0x4F)                                                                             \
    X(Increment, 0x50)                                                                             \
    X(Decrement, 0x51)                                                                             \
    X(CallMethod, 0x52)                                                                            \
    X(NewMethod, 0x53)                                                                             \
    X(InstanceOf, 0x54)                                                                            \
    X(Enumerate2, 0x55)                                                                            \
    X(BitAnd, 0x60)                                                                                \
    X(BitOr, 0x61)                                                                                 \
    X(BitXor, 0x62)                                                                                \
    X(BitLShift, 0x63)                                                                             \
    X(BitRShift, 0x64)                                                                             \
    X(BitURShift, 0x65)                                                                            \
    X(StrictEquals, 0x66)                                                                          \
    X(Greater, 0x67)                                                                               \
    X(StringGreater, 0x68)                                                                         \
    X(Extends, 0x69)                                                                               \
    X(GotoFrame, 0x81)                                                                             \
    X(GetURL, 0x83)                                                                                \
    X(StoreRegister, 0x87)                                                                         \
    X(ConstantPool, 0x88)                                                                          \
    X(WaitForFrame, 0x8A)                                                                          \
    X(SetTarget, 0x8B)                                                                             \
    X(GoToLabel, 0x8C)                                                                             \
    X(WaitForFrame2, 0x8D)                                                                         \
    X(DefineFunction2, 0x8E)                                                                       \
    X(Try, 0x8F)                                                                                   \
    X(With, 0x94)                                                                                  \
    X(Push, 0x96)                                                                                  \
    X(Jump, 0x99)                                                                                  \
    X(GetURL2, 0x9A)                                                                               \
    X(DefineFunction, 0x9B)                                                                        \
    X(If, 0x9D)                                                                                    \
    X(Call, 0x9E)                                                                                  \
    X(GotoFrame2, 0x9F)

enum class Action : std::uint8_t {
#define ZIMO_SWF_ACTION_ENUMERATOR(name, code) name = code,
    ZIMO_SWF_ACTIONS(ZIMO_SWF_ACTION_ENUMERATOR)
#undef ZIMO_SWF_ACTION_ENUMERATOR
};

// Records with a code of 0x80 or more carry a 16-bit length and a payload.
constexpr bool hasPayload(std::uint8_t code) {
    return code >= 0x80;
}

// The action's name, or an empty view for a code no player knows.
constexpr std::string_view actionName(std::uint8_t code) {
    switch (code) {
#define ZIMO_SWF_ACTION_NAME(name, code)                                                           \
    case code:                                                                                     \
        return #name;
        ZIMO_SWF_ACTIONS(ZIMO_SWF_ACTION_NAME)
#undef ZIMO_SWF_ACTION_NAME
    }
    return {};
}

// Types of the values of a Push record, numbered from 0.
enum class PushType : std::uint8_t {
    String,
    Float,
    Null,
    Undefined,
    Register,
    Boolean,
    Double,
    Integer,
    Constant8,
    Constant16
};

// X(name, bit) for the flags of DefineFunction2: what the function's registers are
// preloaded with and which implicit variables it does without.
#define ZIMO_SWF_FUNCTION_FLAGS(X)                                                                 \
    X(PreloadThis, 0)                                                                              \
    X(SuppressThis, 1)                                                                             \
    X(PreloadArguments, 2)                                                                         \
    X(SuppressArguments, 3)                                                                        \
    X(PreloadSuper, 4)                                                                             \
    X(SuppressSuper, 5)                                                                            \
    X(PreloadRoot, 6)                                                                              \
    X(PreloadParent, 7)                                                                            \
    X(PreloadGlobal, 8)

enum FunctionFlag : std::uint16_t {
#define ZIMO_SWF_FUNCTION_FLAG(name, bit) name = 1u << bit,
    ZIMO_SWF_FUNCTION_FLAGS(ZIMO_SWF_FUNCTION_FLAG)
#undef ZIMO_SWF_FUNCTION_FLAG
};

struct NamedFunctionFlag {
    FunctionFlag flag;
    std::string_view name;
};

// Every flag with its name, in the order of their bits.
inline constexpr NamedFunctionFlag kFunctionFlags[] = {
#define ZIMO_SWF_FUNCTION_FLAG_NAME(name, bit) {name, #name},
    ZIMO_SWF_FUNCTION_FLAGS(ZIMO_SWF_FUNCTION_FLAG_NAME)
#undef ZIMO_SWF_FUNCTION_FLAG_NAME
};

// Flags of GotoFrame2: play on arriving, and a frame bias follows.
enum GotoFrame2Flag : std::uint8_t { GotoAndPlay = 1, GotoHasBias = 2 };

// Flags of Try: which blocks follow, and whether the caught value goes to a register.
enum TryFlag : std::uint8_t { TryHasCatch = 1, TryHasFinally = 2, TryCatchInRegister = 4 };

// The properties GetProperty and SetProperty reach by number, in the order of their numbers.
inline constexpr std::string_view kPropertyNames[] = {
    "_x",           "_y",           "_xscale",       "_yscale",       "_currentframe",
    "_totalframes", "_alpha",       "_visible",      "_width",        "_height",
    "_rotation",    "_target",      "_framesloaded", "_name",         "_droptarget",
    "_url",         "_highquality", "_focusrect",    "_soundbuftime", "_quality",
    "_xmouse",      "_ymouse"};

// The property's name for its number, or an empty view for a number out of range.
constexpr std::string_view propertyName(double number) {
    constexpr auto count = static_cast<double>(std::size(kPropertyNames));
    if (!(number >= 0 && number < count)) return {};
    return kPropertyNames[static_cast<std::size_t>(number)];
}

} // namespace zimo::swf
