// Function definitions: their record, registers, preloading and hoisting.

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

TEST(AscFunctions, ThisAndRootArePreloadedInTheirOrder) {
    const auto ops = opsOf("function f() { this.x = _root.y; }");
    EXPECT_EQ(
        ops[1],
        R"(DefineFunction2 "f" () regs:3 flags:PreloadThis|SuppressArguments|SuppressSuper|PreloadRoot size:13)");
    EXPECT_EQ(ops[2], R"(Push r:1 c8:0:"x" r:2 c8:1:"y")");
}

TEST(AscFunctions, AllImplicitVariablesTakeRegistersFromOne) {
    const auto ops = opsOf("function f(p) { g(_global, _parent, _root, arguments, this, p); }");
    EXPECT_EQ(
        ops[1],
        R"(DefineFunction2 "f" (r:6 p) regs:7 flags:PreloadThis|PreloadArguments|SuppressSuper|PreloadRoot|PreloadParent|PreloadGlobal size:24)");
    EXPECT_EQ(ops[2], R"(Push r:6 r:1 r:2 r:3 r:4 r:5 int:6 c8:0:"g")");
}

TEST(AscFunctions, AtTheTopLevelImplicitVariablesAreLookedUpByName) {
    const auto ops = opsOf("this.x = _root;");
    EXPECT_EQ(ops[1], R"(Push c8:0:"this")");
    EXPECT_EQ(ops[2], "GetVariable");
    EXPECT_EQ(ops[3], R"(Push c8:1:"x" c8:2:"_root")");
}

TEST(AscFunctions, NestedFunctionsKeepTheirOuterVariablesByName) {
    // The inner function reads `a` by name, so the outer one may not keep it in a register.
    const auto ops = opsOf("function f(a) { var b = 1; g = function () { return a; }; }");
    const std::vector<std::string> expected = {
        R"(ConstantPool "b" "g" "a")",
        R"(DefineFunction2 "f" (r:0 a) regs:1 flags:SuppressThis|SuppressArguments|SuppressSuper size:35)",
        R"(Push c8:0:"b" int:1)",
        "DefineLocal",
        R"(Push c8:1:"g")",
        R"(DefineFunction2 "" () regs:1 flags:SuppressThis|SuppressArguments|SuppressSuper size:7)",
        R"(Push c8:2:"a")",
        "GetVariable",
        "Return",
        "SetVariable",
        "End",
    };
    EXPECT_EQ(ops, expected);
}

TEST(AscFunctions, DeclarationsAreDefinedBeforeTheCodeThatUsesThem) {
    const auto ops = opsOf("x();\nif (c) { function x() { } }\nfunction y() { }");
    EXPECT_EQ(ops[1].substr(0, 19), R"(DefineFunction2 "x")");
    EXPECT_EQ(ops[2].substr(0, 19), R"(DefineFunction2 "y")");
    EXPECT_EQ(ops[3], R"(Push int:0 c8:0:"x")");
}

TEST(AscFunctions, DeclarationsInsideAFunctionAreHoistedToItsTop) {
    const auto ops = opsOf("function f() { g(); function g() { } }");
    EXPECT_EQ(ops[1].substr(0, 19), R"(DefineFunction2 "f")");
    EXPECT_EQ(ops[2].substr(0, 19), R"(DefineFunction2 "g")");
    EXPECT_EQ(ops[3], R"(Push int:0 c8:0:"g")");
}

TEST(AscFunctions, LiteralsLeaveTheFunctionOnTheStack) {
    const auto ops = opsOf("o.onPress = function () { };");
    EXPECT_EQ(ops[3], R"(Push c8:1:"onPress")");
    EXPECT_EQ(
        ops[4],
        R"(DefineFunction2 "" () regs:1 flags:SuppressThis|SuppressArguments|SuppressSuper size:0)");
    EXPECT_EQ(ops[5], "SetMember");
}

TEST(AscFunctions, RegisterLocalsUpdateInPlace) {
    const auto ops = opsOf("function f() { var i = 0; i++; i += 2; return i--; }");
    const std::vector<std::string> expected = {
        R"(DefineFunction2 "f" () regs:2 flags:SuppressThis|SuppressArguments|SuppressSuper size:54)",
        "Push int:0",
        "StoreRegister r:1",
        "Pop",
        "Push r:1",
        "Increment",
        "StoreRegister r:1",
        "Pop",
        "Push r:1 int:2",
        "Add2",
        "StoreRegister r:1",
        "Pop",
        "Push r:1 r:1",
        "Decrement",
        "StoreRegister r:1",
        "Pop",
        "Return",
        "End",
    };
    EXPECT_EQ(ops, expected);
}

TEST(AscFunctions, IntermediatesUseRegistersAfterTheLocals) {
    const auto ops = opsOf("function f(a) { return o.p = a; }");
    EXPECT_EQ(ops[1].find("regs:3"), ops[1].find("regs:"));
    EXPECT_NE(ops[1].find("regs:3"), std::string::npos) << ops[1];
    EXPECT_NE(std::find(ops.begin(), ops.end(), "StoreRegister r:2"), ops.end());
}

TEST(AscFunctions, ReturnWithoutValueReturnsUndefined) {
    const auto ops = opsOf("function f() { return; }");
    EXPECT_EQ(ops[1], "Push undefined");
    EXPECT_EQ(ops[2], "Return");
}

} // namespace
} // namespace zimo::asc::test
