// Code generation for statements and expressions, read back byte by byte or as a listing.

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

TEST(AscOperators, ComparisonsAsThePlayersCompilerWroteThem) {
    // ConstantPool, Push "x" "a", GetVariable, Push "b", GetVariable, then the operator.
    EXPECT_EQ(opsOf("x = a < b;")[5], "Less2");
    EXPECT_EQ(opsOf("x = a > b;")[5], "Greater");
    const auto le = opsOf("x = a <= b;");
    EXPECT_EQ(le[5], "Greater");
    EXPECT_EQ(le[6], "Not");
    const auto ge = opsOf("x = a >= b;");
    EXPECT_EQ(ge[5], "Less2");
    EXPECT_EQ(ge[6], "Not");
    EXPECT_EQ(opsOf("x = a == b;")[5], "Equals2");
    const auto ne = opsOf("x = a != b;");
    EXPECT_EQ(ne[5], "Equals2");
    EXPECT_EQ(ne[6], "Not");
    EXPECT_EQ(opsOf("x = a === b;")[5], "StrictEquals");
    const auto sne = opsOf("x = a !== b;");
    EXPECT_EQ(sne[5], "StrictEquals");
    EXPECT_EQ(sne[6], "Not");
}

TEST(AscOperators, ArithmeticAndPrecedence) {
    const auto ops = opsOf("x = a + b * c % d - e / f;");
    const std::vector<std::string> expected = {
        R"(ConstantPool "x" "a" "b" "c" "d" "e" "f")",
        R"(Push c8:0:"x" c8:1:"a")",
        "GetVariable",
        R"(Push c8:2:"b")",
        "GetVariable",
        R"(Push c8:3:"c")",
        "GetVariable",
        "Multiply",
        R"(Push c8:4:"d")",
        "GetVariable",
        "Modulo",
        "Add2",
        R"(Push c8:5:"e")",
        "GetVariable",
        R"(Push c8:6:"f")",
        "GetVariable",
        "Divide",
        "Subtract",
        "SetVariable",
        "End",
    };
    EXPECT_EQ(ops, expected);
}

TEST(AscOperators, UnaryOperators) {
    EXPECT_EQ(opsOf("x = -y;")[1], R"(Push c8:0:"x" int:0 c8:1:"y")");
    EXPECT_EQ(opsOf("x = -y;")[3], "Subtract");
    EXPECT_EQ(opsOf("x = -2.5;")[1], R"(Push c8:0:"x" dbl:-2.5)");
    EXPECT_EQ(opsOf("x = !y;")[3], "Not");
    EXPECT_EQ(opsOf("x = typeof y;")[3], "TypeOf");
    EXPECT_EQ(opsOf("x = +y;")[3], "ToNumber");
}

TEST(AscShortCircuit, AndKeepsAFalseLeftSideAndSkipsTheRight) {
    const auto listing = listingOf("r = a && b;");
    const auto ops = opsOf("r = a && b;");
    EXPECT_EQ(ops[3], "PushDuplicate");
    EXPECT_EQ(ops[4], "Not");
    EXPECT_EQ(ops[5].substr(0, 2), "If");
    EXPECT_EQ(ops[6], "Pop");
    // The branch lands after the right side, on the assignment.
    EXPECT_EQ(lineAt(listing, branchTarget(listing, "If")), "SetVariable");
}

TEST(AscShortCircuit, OrKeepsATrueLeftSideAndSkipsTheRight) {
    const auto listing = listingOf("r = a || b();");
    const auto ops = opsOf("r = a || b();");
    EXPECT_EQ(ops[3], "PushDuplicate");
    EXPECT_EQ(ops[4].substr(0, 2), "If");
    EXPECT_EQ(ops[5], "Pop");
    EXPECT_EQ(lineAt(listing, branchTarget(listing, "If")), "SetVariable");
}

TEST(AscControlFlow, IfElseBranchesLandOnTheirBlocks) {
    const auto listing = listingOf("if (a) b(); else c();");
    EXPECT_EQ(lineAt(listing, branchTarget(listing, "If")), R"(Push int:0 c8:2:"c")");
    EXPECT_EQ(lineAt(listing, branchTarget(listing, "Jump")), "End");
}

TEST(AscControlFlow, NegatedTestsBranchWithoutDoubleNot) {
    const auto ops = opsOf("if (a != b) c = 1;");
    EXPECT_EQ(ops[5], "Equals2");
    EXPECT_EQ(ops[6].substr(0, 2), "If");
    const auto notOps = opsOf("if (!a) c = 1;");
    EXPECT_EQ(notOps[3].substr(0, 2), "If");
}

TEST(AscControlFlow, WhileLoopWithBreakAndContinue) {
    const auto listing =
        listingOf("while (i < 3) {\n  if (i == 1) break;\n  i++;\n  continue;\n}\nx = 1;");
    // Leaving the loop, by its test or by break, goes to the statement after it.
    EXPECT_EQ(lineAt(listing, branchTarget(listing, "If")), R"(Push c8:1:"x" int:1)");
    EXPECT_NE(listing.find("Jump +20 -> 0076"), std::string::npos) << listing; // break
    EXPECT_NE(listing.find("Jump -67 -> 0009"), std::string::npos) << listing; // back to test
}

TEST(AscControlFlow, ForLoopRunsUpdateBeforeTheTest) {
    const auto ops = opsOf("for (var i = 0; i < 2; i++) f(i);");
    const std::vector<std::string> expected = {
        R"(ConstantPool "i" "f")",
        R"(Push c8:0:"i" int:0)",
        "DefineLocal",
        R"(Push c8:0:"i")",
        "GetVariable",
        R"(Push int:2)",
        "Less2",
        "Not",
        "If +33 -> 0074",
        R"(Push c8:0:"i")",
        "GetVariable",
        R"(Push int:1 c8:1:"f")",
        "CallFunction",
        "Pop",
        R"(Push c8:0:"i" c8:0:"i")",
        "GetVariable",
        "Increment",
        "SetVariable",
        "Jump -54 -> 0020",
        "End",
    };
    EXPECT_EQ(ops, expected);
}

TEST(AscMembers, DotAndBracketReadsAndWrites) {
    const auto ops = opsOf(R"(a.b.c = 5; a["k"] = x.y;)");
    const std::vector<std::string> expected = {
        R"(ConstantPool "a" "b" "c" "k" "x" "y")",
        R"(Push c8:0:"a")",
        "GetVariable",
        R"(Push c8:1:"b")",
        "GetMember",
        R"(Push c8:2:"c" int:5)",
        "SetMember",
        R"(Push c8:0:"a")",
        "GetVariable",
        R"(Push c8:3:"k" c8:4:"x")",
        "GetVariable",
        R"(Push c8:5:"y")",
        "GetMember",
        "SetMember",
        "End",
    };
    EXPECT_EQ(ops, expected);
}

TEST(AscMembers, CompoundAssignmentReadsTheObjectOnce) {
    const std::vector<std::string> dot = {
        R"(ConstantPool "a" "b")", R"(Push c8:0:"a")", "GetVariable",   "PushDuplicate",
        R"(Push c8:1:"b")",        "GetMember",        R"(Push int:2)", "Add2",
        R"(Push c8:1:"b")",        "StackSwap",        "SetMember",     "End",
    };
    EXPECT_EQ(opsOf("a.b += 2;"), dot);
    // A computed key is evaluated once too; the object and key wait in registers.
    const std::vector<std::string> bracket = {
        R"(ConstantPool "x" "a" "k")",
        R"(Push c8:0:"x" c8:1:"a")",
        "GetVariable",
        "StoreRegister r:0",
        R"(Push c8:2:"k")",
        "GetVariable",
        "StoreRegister r:1",
        "Push r:0 r:1",
        "GetMember",
        "Increment",
        "StoreRegister r:2",
        "SetMember",
        "Push r:2",
        "SetVariable",
        "End",
    };
    EXPECT_EQ(opsOf("x = ++a[k];"), bracket);
}

TEST(AscMembers, ChainedAssignmentSharesOneValue) {
    const auto ops = opsOf("a.x = b.y = f;");
    const std::vector<std::string> expected = {
        R"(ConstantPool "a" "x" "b" "y" "f")",
        R"(Push c8:0:"a")",
        "GetVariable",
        R"(Push c8:1:"x" c8:2:"b")",
        "GetVariable",
        R"(Push c8:3:"y" c8:4:"f")",
        "GetVariable",
        "StoreRegister r:0",
        "SetMember",
        "Push r:0",
        "SetMember",
        "End",
    };
    EXPECT_EQ(ops, expected);
}

TEST(AscCalls, FunctionsMethodsAndConstructors) {
    EXPECT_EQ(opsOf("f(1, \"s\");")[1], R"(Push c8:0:"s" int:1 int:2 c8:1:"f")");
    EXPECT_EQ(opsOf("f(1, \"s\");")[2], "CallFunction");
    EXPECT_EQ(opsOf("f(1, \"s\");")[3], "Pop");
    const auto method = opsOf("o.m(true);");
    EXPECT_EQ(method[1], R"(Push true int:1 c8:0:"o")");
    EXPECT_EQ(method[3], R"(Push c8:1:"m")");
    EXPECT_EQ(method[4], "CallMethod");
    const auto created = opsOf("x = new Foo(1, 2);");
    EXPECT_EQ(created[1], R"(Push c8:0:"x" int:2 int:1 int:2 c8:1:"Foo")");
    EXPECT_EQ(created[2], "NewObject");
    const auto byMember = opsOf("x = new a.B();");
    EXPECT_EQ(byMember[1], R"(Push c8:0:"x" int:0 c8:1:"a")");
    EXPECT_EQ(byMember[4], "NewMethod");
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

TEST(AscLiterals, ObjectAndArray) {
    const auto object = opsOf("o = {a: 1, b: \"x\"};");
    EXPECT_EQ(object[1], R"(Push c8:0:"o" c8:1:"b" c8:2:"x" c8:3:"a" int:1 int:2)");
    EXPECT_EQ(object[2], "InitObject");
    const auto array = opsOf("o = [1, 2, 3];");
    EXPECT_EQ(array[1], R"(Push c8:0:"o" int:3 int:2 int:1 int:3)");
    EXPECT_EQ(array[2], "InitArray");
}

TEST(AscStatements, TopLevelVarAndDelete) {
    const auto ops = opsOf("var a = 1; var b; delete o.p;");
    const std::vector<std::string> expected = {
        R"(ConstantPool "a" "b" "o" "p")",
        R"(Push c8:0:"a" int:1)",
        "DefineLocal",
        R"(Push c8:1:"b")",
        "DefineLocal2",
        R"(Push c8:2:"o")",
        "GetVariable",
        R"(Push c8:3:"p")",
        "Delete",
        "Pop",
        "End",
    };
    EXPECT_EQ(ops, expected);
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
