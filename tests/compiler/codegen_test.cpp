// The records the compiler writes: their bytes, value encodings and constant pool, and the
// actions of timeline calls. What the compiled code does is told by the snippets the
// script tests run (tests/script/snippets).

#include "support.h"

#include <algorithm>

namespace zimo::asc::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool containsBytes(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

TEST(AscBytes, AssignmentIsPoolPushSetVariableEnd) {
    const Bytes expected = {
        0x88, 0x04, 0x00, 0x01, 0x00, 'x',  0x00,          // ConstantPool "x"
        0x96, 0x07, 0x00, 0x08, 0x00, 0x07, 0x01, 0, 0, 0, // Push c8:0, int 1
        0x1D,                                              // SetVariable
        0x00,                                              // End
    };
    EXPECT_EQ(bytesOf("x = 1;"), expected);
}

TEST(AscBytes, EmptyScriptIsJustEnd) {
    EXPECT_EQ(bytesOf(""), Bytes{0x00});
    EXPECT_EQ(bytesOf("// nothing\n/* at all */"), Bytes{0x00});
}

TEST(AscBytes, DoubleIsStoredHighWordFirst) {
    // 1.5 is 0x3FF8000000000000.
    EXPECT_TRUE(containsBytes(bytesOf("x = 1.5;"), {0x06, 0x00, 0x00, 0xF8, 0x3F, 0, 0, 0, 0}));
    // 0.1 is 0x3FB999999999999A.
    EXPECT_TRUE(
        containsBytes(bytesOf("x = 0.1;"), {0x06, 0x99, 0x99, 0xB9, 0x3F, 0x9A, 0x99, 0x99, 0x99}));
}

TEST(AscPush, CompactTypesForEachKindOfValue) {
    const auto ops = opsOf("a = 7; b = -2; c = 1.25; d = 2147483648; e = -0; f = 1e3;"
                           "g = true; h = false; i = null; j = undefined; k = 0x1F;");
    const std::vector<std::string> expected = {
        R"(ConstantPool "a" "b" "c" "d" "e" "f" "g" "h" "i" "j" "k")",
        R"(Push c8:0:"a" int:7)",
        "SetVariable",
        R"(Push c8:1:"b" int:-2)",
        "SetVariable",
        R"(Push c8:2:"c" dbl:1.25)",
        "SetVariable",
        R"(Push c8:3:"d" dbl:2147483648)",
        "SetVariable",
        R"(Push c8:4:"e" dbl:-0)",
        "SetVariable",
        R"(Push c8:5:"f" int:1000)",
        "SetVariable",
        R"(Push c8:6:"g" true)",
        "SetVariable",
        R"(Push c8:7:"h" false)",
        "SetVariable",
        R"(Push c8:8:"i" null)",
        "SetVariable",
        R"(Push c8:9:"j" undefined)",
        "SetVariable",
        R"(Push c8:10:"k" int:31)",
        "SetVariable",
        "End",
    };
    EXPECT_EQ(ops, expected);
}

TEST(AscPush, StringEscapesAreDecoded) {
    const auto listing = listingOf(R"(s = "a\"b\\c\n\t\x41\u00e9\'";)");
    EXPECT_NE(listing.find(R"("a\"b\\c\n\tAé'")"), std::string::npos) << listing;
}

TEST(AscConstantPool, EachStringOnceInOrderOfFirstUse) {
    const auto ops = opsOf(R"(a = "s"; b = "s"; a = b;)");
    EXPECT_EQ(ops[0], R"(ConstantPool "a" "s" "b")");
    EXPECT_EQ(ops[1], R"(Push c8:0:"a" c8:1:"s")");
    EXPECT_EQ(ops[3], R"(Push c8:2:"b" c8:1:"s")");
}

TEST(AscConstantPool, IndexesFrom256Use16Bits) {
    std::string source;
    for (int i = 0; i < 300; ++i)
        source += "v" + std::to_string(i) + " = 0;\n";
    const auto listing = listingOf(source);
    EXPECT_NE(listing.find(R"(Push c8:255:"v255" int:0)"), std::string::npos);
    EXPECT_NE(listing.find(R"(Push c16:256:"v256" int:0)"), std::string::npos);
    EXPECT_NE(listing.find(R"(Push c16:299:"v299" int:0)"), std::string::npos);
}

TEST(AscConstantPool, StringsBeyondThePoolsRoomArePushedInline) {
    const std::string big(30000, 'x');
    const std::string source = "a = \"" + big + "1\"; b = \"" + big + "2\"; c = \"" + big + "3\";";
    const auto listing = listingOf(source);
    EXPECT_EQ(listing.find("<truncated"), std::string::npos);
    EXPECT_NE(listing.find("str:\"" + big + "3\""), std::string::npos);
    EXPECT_NE(listing.find("c8:1:\"" + big + "1\""), std::string::npos);
}

TEST(AscControlFlow, NegatedTestsBranchWithoutDoubleNot) {
    const auto ops = opsOf("if (a != b) c = 1;");
    EXPECT_EQ(ops[5], "Equals2");
    EXPECT_EQ(ops[6].substr(0, 2), "If");
    const auto notOps = opsOf("if (!a) c = 1;");
    EXPECT_EQ(notOps[3].substr(0, 2), "If");
}

TEST(AscCalls, TimelineFunctionsHaveTheirOwnActions) {
    EXPECT_EQ(opsOf("stop();")[0], "Stop");
    EXPECT_EQ(opsOf("play();")[0], "Play");
    EXPECT_EQ(opsOf("gotoAndStop(3);")[0], "GotoFrame 2");
    const auto andPlay = opsOf("gotoAndPlay(1);");
    EXPECT_EQ(andPlay[0], "GotoFrame 0");
    EXPECT_EQ(andPlay[1], "Play");
    const auto computed = opsOf("gotoAndPlay(n);");
    EXPECT_EQ(computed[3], "GotoFrame2 play");
    // As methods they are ordinary calls.
    EXPECT_EQ(opsOf("mc.gotoAndStop(2);")[4], "CallMethod");
}

TEST(AscStatements, SemicolonsMayBeLeftOutAtLineEnds) {
    EXPECT_EQ(opsOf("a = 1\nb = 2\n"), opsOf("a = 1; b = 2;"));
    EXPECT_EQ(opsOf("if (a) { b = 1 }"), opsOf("if (a) { b = 1; }"));
}

TEST(AscStatements, TypeAnnotationsAreAccepted) {
    EXPECT_EQ(opsOf("var a:Number = 1; function f(x:String):Void { }"),
              opsOf("var a = 1; function f(x) { }"));
}

} // namespace
} // namespace zimo::asc::test
