// Variable watchers: the call contract the movie's shell-assigned variables rely on.
#include "fixture.h"

namespace zimo::script::test {
namespace {

using enum Action;

class Watch : public EngineTest {
protected:
    struct CallRecord {
        std::string name;
        Value oldValue, newValue, userData, self;
    };

    // A native watcher that records its calls and returns `answer(newValue)`.
    Value recorder(std::function<Value(const Value&)> answer = {}) {
        return Value(engine.newFunction("w", [this, answer](NativeCall& c) {
            calls.push_back({engine.toString(c.arg(0)), c.arg(1), c.arg(2), c.arg(3), c.thisValue});
            return answer ? answer(c.arg(2)) : c.arg(2);
        }));
    }
    bool watch(const std::string& name, const Value& fn, const Value& userData = Value(0)) {
        Value args[] = {Value(name), fn, userData};
        return toBoolean(engine.callMethod(Value(root), "watch", args));
    }

    std::vector<CallRecord> calls;
};

TEST_F(Watch, CalledOnEveryAssignmentAlsoOfAnEqualValue) {
    ASSERT_TRUE(watch("Ff", recorder(), Value(0)));
    engine.setVariable(root, "Ff", Value("C:/a.flv"));
    engine.setVariable(root, "Ff", Value("C:/a.flv"));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].name, "Ff");
    EXPECT_TRUE(calls[0].oldValue.isUndefined());
    EXPECT_EQ(calls[0].newValue, Value("C:/a.flv"));
    EXPECT_EQ(calls[0].userData, Value(0));
    EXPECT_EQ(calls[0].self, Value(root));
    EXPECT_EQ(calls[1].oldValue, Value("C:/a.flv"));
    EXPECT_EQ(str("Ff"), "C:/a.flv");
}

TEST_F(Watch, StoresWhatTheWatcherReturns) {
    watch("RTo", recorder([](const Value& v) { return Value("w:" + v.string()); }), Value("data"));
    engine.setVariable(root, "RTo", Value("1"));
    EXPECT_EQ(str("RTo"), "w:1");
    EXPECT_EQ(calls.at(0).userData, Value("data"));
    // A watcher that returns nothing stores undefined.
    watch("Vlm", Value(engine.newFunction("none", [](NativeCall&) { return Value(); })));
    engine.setVariable(root, "Vlm", Value("999"));
    EXPECT_TRUE(var("Vlm").isUndefined());
}

TEST_F(Watch, TheWatchersOwnAssignmentDoesNotCallItAgain) {
    int depth = 0;
    Value fn(engine.newFunction("w", [&](NativeCall& c) {
        ++depth;
        c.engine.set(root, "Ff", Value("inner"));
        return c.arg(2);
    }));
    watch("Ff", fn);
    engine.setVariable(root, "Ff", Value("outer"));
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(str("Ff"), "outer"); // the return value wins over the inner assignment
    engine.setVariable(root, "Ff", Value("again"));
    EXPECT_EQ(depth, 2); // the guard is released afterwards
}

TEST_F(Watch, ScriptWatcherRunsBeforeTheAssignmentReturns) {
    // function FLVFileWatcher(prop, oldVal, newVal, userData) { trace(newVal); return newVal; }
    Asm body;
    body.get("newVal").op(Trace).get("newVal").op(Return);
    Asm a;
    a.function("FLVFileWatcher", {"prop", "oldVal", "newVal", "userData"}, body);
    a.push({0})
        .get("FLVFileWatcher")
        .push({"Ff", 3})
        .push({"this"})
        .op(GetVariable)
        .push({"watch"})
        .op(CallMethod)
        .op(Pop);
    run(a);
    engine.setVariable(root, "Ff", Value("movie.flv"));
    EXPECT_EQ(traced, std::vector<std::string>{"movie.flv"});
    // Assignments from scripts trigger it too, through SetVariable and SetMember.
    run(Asm().set("Ff", "x").push({"this"}).op(GetVariable).push({"Ff", "y"}).op(SetMember));
    EXPECT_EQ(traced, (std::vector<std::string>{"movie.flv", "x", "y"}));
}

TEST_F(Watch, UnwatchStopsTheCallsAndBadWatchersAreRefused) {
    watch("Ff", recorder());
    engine.setVariable(root, "Ff", Value("1"));
    Value args[] = {Value("Ff")};
    EXPECT_EQ(engine.callMethod(Value(root), "unwatch", args), Value(true));
    engine.setVariable(root, "Ff", Value("2"));
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_FALSE(watch("Ff", Value("not a function")));
    engine.setVariable(root, "Ff", Value("3"));
    EXPECT_EQ(str("Ff"), "3");
}

TEST_F(Watch, AWatcherThatFailsStillReleasesItsGuard) {
    int calls = 0;
    watch("Ff", Value(engine.newFunction("w", [&](NativeCall&) -> Value {
              ++calls;
              throw ScriptThrow{Value("bad")};
          })));
    engine.setVariable(root, "Ff", Value("a"));
    engine.setVariable(root, "Ff", Value("b"));
    EXPECT_EQ(calls, 2);
}

} // namespace
} // namespace zimo::script::test
