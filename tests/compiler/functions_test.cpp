// Function definitions: their record, and which registers hold parameters, locals and the
// preloaded implicit variables.

#include "support.h"

namespace zimo::asc::test {
namespace {

TEST(AscFunctions, DefineFunction2RecordLayout) {
    const std::vector<std::uint8_t> bytes = bytesOf("function f(a) { return a; }");
    const std::vector<std::uint8_t> expected = {
        0x8E, 0x0C, 0x00,             // DefineFunction2, 12 bytes of header
        'f',  0x00,                   // name
        0x01, 0x00,                   // one parameter
        0x02,                         // registers 0 and 1
        0x2A, 0x00,                   // SuppressThis | SuppressArguments | SuppressSuper
        0x01, 'a',  0x00,             // parameter a in register 1
        0x06, 0x00,                   // body of 6 bytes
        0x96, 0x02, 0x00, 0x04, 0x01, // Push r:1
        0x3E,                         // Return
        0x00,                         // End
    };
    EXPECT_EQ(bytes, expected);
}

TEST(AscFunctions, ParametersAndLocalsLiveInRegisters) {
    const auto ops = opsOf("function f(a, b) { var c = a + b; return c; }");
    const std::vector<std::string> expected = {
        R"(DefineFunction2 "f" (r:1 a, r:2 b) regs:4 flags:SuppressThis|SuppressArguments|SuppressSuper size:19)",
        "Push r:1 r:2",
        "Add2",
        "StoreRegister r:3",
        "Pop",
        "Push r:3",
        "Return",
        "End",
    };
    EXPECT_EQ(ops, expected);
}

TEST(AscFunctions, AllImplicitVariablesTakeRegistersFromOne) {
    const auto ops = opsOf("function f(p) { g(_global, _parent, _root, arguments, this, p); }");
    EXPECT_EQ(
        ops[1],
        R"(DefineFunction2 "f" (r:6 p) regs:7 flags:PreloadThis|PreloadArguments|SuppressSuper|PreloadRoot|PreloadParent|PreloadGlobal size:24)");
    EXPECT_EQ(ops[2], R"(Push r:6 r:1 r:2 r:3 r:4 r:5 int:6 c8:0:"g")");
}

} // namespace
} // namespace zimo::asc::test
