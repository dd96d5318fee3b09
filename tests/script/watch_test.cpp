// Variable watchers as the shell's assignments meet them; how scripts use them is in
// snippets/watch.as.
#include "fixture.h"

namespace zimo::script::test {
namespace {

using enum Action;

class Watch : public EngineTest {
protected:
    bool watch(const std::string& name, const Value& fn, const Value& userData = Value(0)) {
        Value args[] = {Value(name), fn, userData};
        return toBoolean(engine.callMethod(Value(root), "watch", args));
    }
};

TEST_F(Watch, ScriptWatcherRunsBeforeTheHostsAssignmentReturns) {
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
    EXPECT_EQ(str("Ff"), "movie.flv");
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
