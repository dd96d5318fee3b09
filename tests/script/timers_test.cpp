// setTimeout and setInterval on the stepped clock.
#include "fixture.h"

namespace zimo::script::test {
namespace {

using enum Action;

class Timers : public EngineTest {
protected:
    // Defines `name` as a function that traces `tag` followed by its first argument.
    void defineTracer(const std::string& name, const std::string& tag) {
        Asm body;
        body.push({tag}).get("a").op(Add2).op(Trace);
        run(Asm().function(name, {"a"}, body));
    }
};

TEST_F(Timers, TimeoutFiresOnceWhenTheClockReachesIt) {
    defineTracer("f", "f:");
    run(Asm().push({"arg", 100}).get("f").push({3, "setTimeout"}).op(CallFunction).op(Pop));
    engine.advanceTime(99);
    EXPECT_TRUE(traced.empty());
    engine.advanceTime(1);
    EXPECT_EQ(traced, std::vector<std::string>{"f:arg"});
    engine.advanceTime(1000);
    EXPECT_EQ(traced.size(), 1u);
}

TEST_F(Timers, DueTimersFireInTimeOrderThenCreationOrder) {
    defineTracer("a", "a");
    defineTracer("b", "b");
    defineTracer("c", "c");
    Asm s;
    s.push({"", 50}).get("a").push({3, "setTimeout"}).op(CallFunction).op(Pop);
    s.push({"", 20}).get("b").push({3, "setTimeout"}).op(CallFunction).op(Pop);
    s.push({"", 20}).get("c").push({3, "setTimeout"}).op(CallFunction).op(Pop);
    run(s);
    engine.advanceTime(100);
    EXPECT_EQ(traced, (std::vector<std::string>{"b", "c", "a"}));
}

TEST_F(Timers, IntervalsRepeatUntilCleared) {
    defineTracer("tick", "t");
    run(Asm()
            .push({"id"})
            .push({"", 10})
            .get("tick")
            .push({3, "setInterval"})
            .op(CallFunction)
            .op(SetVariable));
    engine.advanceTime(100);
    EXPECT_EQ(traced.size(), 10u);
    run(Asm().get("id").push({1, "clearInterval"}).op(CallFunction).op(Pop));
    engine.advanceTime(100);
    EXPECT_EQ(traced.size(), 10u);
}

TEST_F(Timers, OneMillisecondTimerWaitsForTheNextStep) {
    defineTracer("replay", "replay");
    // Set from inside a handler: it never fires within that handler's turn.
    Value handler(engine.newFunction("h", [this](NativeCall& c) {
        Value args[] = {c.engine.getVariable(root, "replay"), Value(1), Value("")};
        c.engine.call(c.engine.get(Value(c.engine.globals()), "setTimeout"), Value(), args);
        traced.push_back("handler done");
        return Value();
    }));
    engine.call(handler, Value());
    EXPECT_EQ(traced, std::vector<std::string>{"handler done"});
    engine.advanceTime(33);
    EXPECT_EQ(traced, (std::vector<std::string>{"handler done", "replay"}));
}

TEST_F(Timers, EachTimerRunsInItsOwnTurn) {
    engine.setActionBudget(5000);
    run(Asm().function("spin", {}, Asm().label("l").jump("l")));
    defineTracer("ok", "ok");
    Asm s;
    s.push({"", 5}).get("spin").push({3, "setTimeout"}).op(CallFunction).op(Pop);
    s.push({"", 5}).get("ok").push({3, "setTimeout"}).op(CallFunction).op(Pop);
    run(s);
    engine.advanceTime(10);
    EXPECT_EQ(traced, std::vector<std::string>{"ok"});
    EXPECT_FALSE(engine.lastError().empty());
}

TEST_F(Timers, MethodFormAndGetTimer) {
    Asm body;
    body.op(GetTime).op(Trace);
    run(Asm()
            .push({"o"})
            .push({0, "Object"})
            .op(NewObject)
            .op(SetVariable)
            .get("o")
            .push({"m"})
            .function("", {}, body)
            .op(SetMember)
            .push({25})
            .push({"m"})
            .get("o")
            .push({3, "setTimeout"})
            .op(CallFunction)
            .op(Pop));
    engine.advanceTime(40);
    EXPECT_EQ(traced, std::vector<std::string>{"25"});
    EXPECT_EQ(engine.now(), 40);
}

} // namespace
} // namespace zimo::script::test
