// The interpreter on hand-made actions our compiler does not write: target paths, registers
// and flags of DefineFunction2, with, try, for-in, super, the constant pool and timeline
// actions. What compiled scripts do is in snippets/.
#include "fixture.h"

namespace zimo::script::test {
namespace {

using enum Action;

class Interpreter : public EngineTest {};

TEST_F(Interpreter, PathsReachClipsRootAndGlobal) {
    TestClip* mc = addChild(root, "mc");
    Asm a;
    a.set("_root.p", 1);
    a.set("/:q", 2);
    a.set("mc.v", 3);
    a.set("/mc:w", 4);
    a.set("_global.g", 5);
    a.push({"fromGlobal"}).get("g").op(SetVariable);
    a.push({"deep"}).get("_root.mc.v").op(SetVariable);
    a.push({"parentName"}).get("mc._parent._name").op(SetVariable);
    run(a);
    EXPECT_EQ(num("p"), 1);
    EXPECT_EQ(num("q"), 2);
    EXPECT_EQ(engine.toNumber(engine.get(Value(mc), "v")), 3);
    EXPECT_EQ(engine.toNumber(engine.get(Value(mc), "w")), 4);
    EXPECT_EQ(num("fromGlobal"), 5);
    EXPECT_FALSE(root->findOwn("g")); // the plain read did not copy it
    EXPECT_EQ(num("deep"), 3);
    EXPECT_EQ(str("parentName"), "");

    // A script on the child sees its own timeline first and _root through the path.
    Asm b;
    b.set("own", 8);
    b.push({"sum"}).get("_root.p").get("own").op(Add2).op(SetVariable);
    run(b, mc);
    EXPECT_EQ(engine.toNumber(engine.get(Value(mc), "sum")), 9);
}

TEST_F(Interpreter, DefineFunction2UsesRegistersAndPreloads) {
    // function f(a, b) { return a - b } with a in r2, b in r3, this preloaded into r1.
    Asm body;
    body.push({Reg{2}, Reg{3}}).op(Subtract).op(Return);
    Asm self;
    self.push({Reg{1}}).op(Return);
    Asm a;
    a.function2("f", {{2, "a"}, {3, "b"}}, 4, swf::PreloadThis | swf::SuppressArguments, body);
    a.push({"r"}).push({4, 10, 2, "f"}).op(CallFunction).op(SetVariable);
    a.push({"o"}).push({0, "Object"}).op(NewObject).op(SetVariable);
    a.get("o").push({"me"}).function2("", {}, 2, swf::PreloadThis, self).op(SetMember);
    a.push({"same"})
        .push({0})
        .get("o")
        .push({"me"})
        .op(CallMethod)
        .get("o")
        .op(StrictEquals)
        .op(SetVariable);
    // A register outside the function's count reads as undefined and stores nothing.
    a.function2("g", {}, 1, 0, Asm().push({5}).storeRegister(9).op(Pop).push({Reg{9}}).op(Return));
    a.push({"g"}).call("g", 0).op(SetVariable);
    run(a);
    EXPECT_EQ(num("r"), 6);
    EXPECT_EQ(var("same"), Value(true));
    EXPECT_TRUE(var("g").isUndefined());
}

TEST_F(Interpreter, WithSearchesTheObjectFirst) {
    Asm body;
    body.set("a", 5).set("b", 6);
    Asm a;
    a.push({"o"}).push({"a", 1, 1}).op(InitObject).op(SetVariable);
    a.get("o").with(body);
    a.push({"oa"}).get("o.a").op(SetVariable);
    run(a);
    EXPECT_EQ(num("oa"), 5);
    EXPECT_EQ(num("b"), 6);
    EXPECT_TRUE(engine.get(var("o"), "b").isUndefined());
}

TEST_F(Interpreter, TryCatchFinally) {
    Asm thrower;
    thrower.push({"boom"}).op(Throw);
    Asm body;
    body.function("t", {}, thrower).call("t", 0).op(Pop).set("notReached", 1);
    Asm handler;
    handler.push({"caught"}).get("e").op(SetVariable);
    Asm last;
    last.set("fin", 1);
    Asm a;
    a.tryCatch(body, "e", &handler, &last);
    a.set("after", 1);
    run(a);
    EXPECT_EQ(str("caught"), "boom");
    EXPECT_EQ(num("fin"), 1);
    EXPECT_EQ(num("after"), 1);
    EXPECT_TRUE(var("notReached").isUndefined());

    // Uncaught: the turn ends, the next one runs.
    run(Asm().push({"lost"}).op(Throw).set("x", 1));
    EXPECT_TRUE(var("x").isUndefined());
    EXPECT_NE(engine.lastError().find("lost"), std::string::npos);
    run(Asm().set("x", 2));
    EXPECT_EQ(num("x"), 2);
}

TEST_F(Interpreter, ForInYieldsTheNewestPropertyFirst) {
    Asm a;
    a.set("s", "");
    a.push({"o"}).push({"a", 1, "b", 2, "c", 3, 3}).op(InitObject).op(SetVariable);
    a.get("o").op(Enumerate2);
    a.label("loop").storeRegister(0).push({Null{}}).op(Equals2).ifTrue("end");
    a.push({"s"}).get("s").push({Reg{0}}).op(Add2).op(SetVariable).jump("loop");
    a.label("end");
    run(a);
    EXPECT_EQ(str("s"), "cba");
}

TEST_F(Interpreter, SuperReachesTheParentClass) {
    Asm ctorA;
    ctorA.push({"this"}).op(GetVariable).push({"v"}).get("v").op(SetMember);
    Asm ctorB;
    ctorB.push({9, 1}).push({"super"}).op(GetVariable).push({Undef{}}).op(CallMethod).op(Pop);
    Asm whoB;
    whoB.push({"B"})
        .push({0})
        .push({"super"})
        .op(GetVariable)
        .push({"who"})
        .op(CallMethod)
        .op(Add2)
        .op(Return);
    Asm a;
    a.function("A", {"v"}, ctorA);
    a.get("A")
        .push({"prototype"})
        .op(GetMember)
        .push({"who"})
        .function("", {}, Asm().push({"A"}).op(Return))
        .op(SetMember);
    a.function("B", {}, ctorB);
    a.get("B").get("A").op(Extends);
    a.get("B").push({"prototype"}).op(GetMember).push({"who"}).function("", {}, whoB).op(SetMember);
    a.push({"b"}).push({0, "B"}).op(NewObject).op(SetVariable);
    a.push({"r"}).push({0}).get("b").push({"who"}).op(CallMethod).op(SetVariable);
    a.push({"bv"}).get("b.v").op(SetVariable);
    a.push({"isA"}).get("b").get("A").op(InstanceOf).op(SetVariable);
    run(a);
    EXPECT_EQ(str("r"), "BA");
    EXPECT_EQ(num("bv"), 9);
    EXPECT_EQ(var("isA"), Value(true));
}

TEST_F(Interpreter, TimelineActionsGoToTheHost) {
    addChild(root, "mc");
    Asm a;
    a.op(Stop);
    a.record(GotoFrame, {4, 0});
    a.record(SetTarget, {'m', 'c', 0}).op(Play).record(SetTarget, {0}).op(Stop);
    a.push({"label"}).record(GotoFrame2, {1});
    a.push({"mc", 0, 50}).op(SetProperty);
    a.push({"x"}).push({"mc", 0}).op(GetProperty).op(SetVariable);
    a.push({"path"}).get("mc").op(TargetPath).op(SetVariable);
    a.push({"t"}).op(GetTime).op(SetVariable);
    run(a);
    std::vector<std::string> expected{"stop _level0", "goto _level0 4 stop", "play _level0.mc",
                                      "stop _level0", "label _level0 label play"};
    EXPECT_EQ(host.log, expected);
    EXPECT_EQ(num("x"), 50);
    EXPECT_EQ(str("path"), "_level0.mc");
    EXPECT_EQ(num("t"), 0);
}

TEST_F(Interpreter, FunctionsActOnTheTimelineThatDefinedThem) {
    TestClip* mc = addChild(root, "mc");
    run(Asm().function("halt", {}, Asm().op(Stop)));
    run(Asm().push({0, "_root.halt"}).op(CallFunction).op(Pop), mc);
    EXPECT_EQ(host.log, std::vector<std::string>{"stop _level0"});
}

TEST_F(Interpreter, ConstantPoolFeedsPushes) {
    Asm a;
    a.constantPool({"x", "hello"}).push({Const{0}, Const{1}}).op(SetVariable);
    a.push({"y", Const{7}}).op(SetVariable);
    run(a);
    EXPECT_EQ(str("x"), "hello");
    EXPECT_TRUE(var("y").isUndefined());
}

} // namespace
} // namespace zimo::script::test
