// Faulty and hostile scripts end quietly: no crash, no hang, the engine keeps working.
#include "fixture.h"

#include <random>

namespace zimo::script::test {
namespace {

using enum Action;

class Robustness : public EngineTest {};

TEST_F(Robustness, CallingWhatIsNotAFunctionGivesUndefined) {
    Asm a;
    a.push({"r"}).call("nothing", 0).op(SetVariable);
    a.push({"m"}).push({0}).get("nothing").push({"method"}).op(CallMethod).op(SetVariable);
    a.push({"n"}).push({0, "Math"}).op(NewObject).op(SetVariable);
    a.set("after", 1);
    run(a);
    EXPECT_TRUE(var("r").isUndefined());
    EXPECT_TRUE(var("m").isUndefined());
    EXPECT_TRUE(var("n").isUndefined());
    EXPECT_EQ(num("after"), 1);
}

TEST_F(Robustness, PoppingAnEmptyStackGivesUndefined) {
    Asm a;
    a.op(Pop).op(Pop).op(Add2).op(Pop).op(StackSwap).op(PushDuplicate).op(SetMember).op(CallMethod);
    a.set("after", 1);
    run(a);
    EXPECT_EQ(num("after"), 1);
    // A function cannot eat its caller's stack either.
    Asm greedy;
    greedy.op(Pop).op(Pop).op(Pop).push({"ok"}).op(Return);
    run(Asm()
            .function("greedy", {}, greedy)
            .push({"keep"})
            .call("greedy", 0)
            .op(Pop)
            .store("kept"));
    EXPECT_EQ(str("kept"), "keep");
    // A call that claims more arguments than the stack holds gets those there are.
    Asm count;
    count.push({"arguments"}).op(GetVariable).push({"length"}).op(GetMember).op(Return);
    run(Asm().function("count", {}, count).push({1, 9, "count"}).op(CallFunction).store("n"));
    EXPECT_EQ(num("n"), 1);
}

TEST_F(Robustness, RunawayLoopIsAbandonedByTheBudget) {
    engine.setActionBudget(100000);
    run(Asm()
            .set("before", 1)
            .set("i", 0)
            .label("l")
            .push({"i"})
            .get("i")
            .op(Increment)
            .op(SetVariable)
            .jump("l"));
    EXPECT_EQ(num("before"), 1);
    EXPECT_GT(num("i"), 1000);
    EXPECT_NE(engine.lastError().find("budget"), std::string::npos);
    run(Asm().set("next", 1));
    EXPECT_EQ(num("next"), 1);
}

TEST_F(Robustness, DeepRecursionIsStopped) {
    Asm body;
    body.push({"depth"}).get("depth").op(Increment).op(SetVariable).call("r", 0).op(Return);
    run(Asm().set("depth", 0).function("r", {}, body).call("r", 0).op(Pop).set("after", 1));
    EXPECT_LE(num("depth"), 256);
    EXPECT_GT(num("depth"), 200);
    EXPECT_TRUE(var("after").isUndefined());
    EXPECT_NE(engine.lastError().find("recursion"), std::string::npos);
    // toString recursing through itself is stopped the same way.
    Object* o = engine.newObject();
    o->define("toString", Value(engine.newFunction("t", [](NativeCall& c) {
                  return Value(c.engine.toString(c.thisValue) + "x");
              })));
    EXPECT_TRUE(engine.call(engine.get(Value(o), "toString"), Value(o)).isUndefined());
    run(Asm().set("fine", 1));
    EXPECT_EQ(num("fine"), 1);
}

TEST_F(Robustness, MalformedRecordsEndTheScript) {
    // A Push whose length runs past the end of the code.
    engine.runActions(std::vector<std::uint8_t>{0x96, 0xFF, 0x00, 0x00, 'x'}, root);
    // A jump far outside the code.
    run(Asm().set("a", 1).raw({0x99, 0x02, 0x00, 0x00, 0x70}).set("b", 1));
    EXPECT_EQ(num("a"), 1);
    EXPECT_TRUE(var("b").isUndefined());
    // Unknown push type, unknown action, truncated header.
    engine.runActions(std::vector<std::uint8_t>{0x96, 0x02, 0x00, 0x42, 0x00, 0x77, 0x96, 0x01},
                      root);
    // A function whose declared body is longer than the code.
    engine.runActions(std::vector<std::uint8_t>{0x9B, 0x05, 0x00, 'f', 0, 0, 0, 0xFF, 0x17}, root);
    // A nested with/try chain deeper than the recursion limit.
    std::vector<std::uint8_t> nested;
    for (int i = 0; i < 400; ++i) {
        nested.insert(nested.end(), {0x96, 0x02, 0x00, 0x02, 0x02}); // push null
        std::size_t remaining = (400 - i - 1) * 10;
        nested.insert(nested.end(), {0x94, 0x02, 0x00, static_cast<std::uint8_t>(remaining),
                                     static_cast<std::uint8_t>(remaining >> 8)});
    }
    engine.runActions(nested, root);
    run(Asm().set("alive", 1));
    EXPECT_EQ(num("alive"), 1);
}

TEST_F(Robustness, GrowingStringsAndStacksHitTheirLimits) {
    Asm grow;
    grow.set("s", "xxxxxxxxxxxxxxxx").set("i", 0).label("l");
    grow.push({"s"}).get("s").get("s").op(Add2).op(SetVariable);
    grow.push({"i"}).get("i").op(Increment).op(SetVariable);
    grow.get("i").push({40}).op(Less2).ifTrue("l");
    run(grow);
    EXPECT_NE(engine.lastError().find("string"), std::string::npos);
    run(Asm().label("l").push({1}).jump("l"));
    EXPECT_NE(engine.lastError().find("stack"), std::string::npos);
}

TEST_F(Robustness, UnreachableObjectsAreCollectedAndPinnedOnesKept) {
    Object* kept = engine.newObject();
    engine.pin(kept);
    engine.set(kept, "v", Value(1));
    run(Asm().function("keepMe", {}, Asm().push({"alive"}).op(Return)));
    std::size_t before = engine.objectCount();
    Asm churn;
    churn.set("i", 0).label("l");
    churn.push({"tmp"}).push({0, "Object"}).op(NewObject).op(SetVariable);
    churn.push({"i"}).get("i").op(Increment).op(SetVariable);
    churn.get("i").push({5000}).op(Less2).ifTrue("l");
    run(churn);
    EXPECT_GT(engine.objectCount(), before + 4000);
    engine.collectGarbage();
    EXPECT_LT(engine.objectCount(), before + 100);
    EXPECT_EQ(engine.get(Value(kept), "v"), Value(1));
    EXPECT_EQ(engine.call(var("keepMe"), Value()), Value("alive"));
    engine.unpin(kept);
}

// Random action streams, biased towards real action codes.
TEST_F(Robustness, RandomBytesNeverCrash) {
    std::vector<std::uint8_t> codes;
    for (int c = 0; c < 256; ++c)
        if (!swf::actionName(static_cast<std::uint8_t>(c)).empty())
            codes.push_back(static_cast<std::uint8_t>(c));
    std::mt19937 rng(12345);
    engine.setActionBudget(20000);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> code;
        int records = 1 + static_cast<int>(rng() % 24);
        for (int i = 0; i < records; ++i) {
            std::uint8_t c = codes[rng() % codes.size()];
            code.push_back(c);
            if (swf::hasPayload(c)) {
                std::size_t len = rng() % 12;
                code.push_back(static_cast<std::uint8_t>(len));
                code.push_back(static_cast<std::uint8_t>(rng() % 8 == 0 ? rng() : 0));
                for (std::size_t k = 0; k < len; ++k)
                    code.push_back(static_cast<std::uint8_t>(rng() % 4 == 0 ? rng() % 10 : rng()));
            }
        }
        engine.runActions(code, root);
        engine.advanceTime(50);
    }
    engine.collectGarbage();
    run(Asm().set("survived", 1));
    EXPECT_EQ(num("survived"), 1);
}

} // namespace
} // namespace zimo::script::test
