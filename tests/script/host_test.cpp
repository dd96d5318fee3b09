// Native classes supplied by a host, used from scripts the way the movie uses its stream.
#include "fixture.h"

namespace zimo::script::test {
namespace {

using enum Action;

// A stand-in for a stream object: C++ state behind script methods and a built-in property.
class FakeStream : public Object {
public:
    using Object::Object;
    std::optional<Value> hostGet(Engine&, const std::string& name) override {
        if (name == "time") return Value(time);
        return std::nullopt;
    }
    std::vector<std::string> played;
    double time = 0;
};

class HostClasses : public EngineTest {
protected:
    HostClasses() {
        static const NativeMethod methods[] = {
            {"play", [](NativeCall& c) {
                 if (auto* s = dynamic_cast<FakeStream*>(c.thisObject()))
                     s->played.push_back(c.engine.toString(c.arg(0)));
                 return Value();
             }}};
        engine.defineClass(
            {.name = "NetStream",
             .constructor = [](NativeCall& c) { return c.thisValue; },
             .factory = [](Engine& e) -> Object* { return e.make<FakeStream>(nullptr); },
             .methods = methods});
    }
};

TEST_F(HostClasses, ScriptsConstructAndCallNativeClasses) {
    // ns = new NetStream(); ns.play("a.flv"); t = ns.time;
    // ns.onStatus = function (info) { if (info.code == "NetStream.Play.Stop") stopped = 1; };
    Asm onStatus;
    onStatus.get("info")
        .push({"code"})
        .op(GetMember)
        .push({"NetStream.Play.Stop"})
        .op(Equals2)
        .op(Not)
        .ifTrue("skip")
        .set("stopped", 1)
        .label("skip");
    Asm a;
    a.push({"ns"}).push({0, "NetStream"}).op(NewObject).op(SetVariable);
    a.push({"a.flv", 1}).get("ns").push({"play"}).op(CallMethod).op(Pop);
    a.push({"t"}).get("ns").push({"time"}).op(GetMember).op(SetVariable);
    a.get("ns").push({"onStatus"}).function("", {"info"}, onStatus).op(SetMember);
    a.push({"isStream"}).get("ns").get("NetStream").op(InstanceOf).op(SetVariable);
    run(a);

    auto* stream = dynamic_cast<FakeStream*>(var("ns").asObject());
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->played, std::vector<std::string>{"a.flv"});
    EXPECT_EQ(num("t"), 0);
    EXPECT_EQ(var("isStream"), Value(true));

    // The host reports an event by calling the handler the script installed.
    Object* info = engine.newObject();
    engine.set(info, "code", Value("NetStream.Play.Stop"));
    Value args[] = {Value(info)};
    engine.callMethod(Value(stream), "onStatus", args);
    EXPECT_EQ(num("stopped"), 1);
}

TEST_F(HostClasses, FrameHandlersAndListenersAreCalledByName) {
    run(Asm()
            .push({"this"})
            .op(GetVariable)
            .push({"onEnterFrame"})
            .function("", {}, Asm().push({"ticks"}).get("ticks").op(Increment).op(SetVariable))
            .op(SetMember)
            .set("ticks", 0));
    for (int i = 0; i < 3; ++i)
        engine.callMethod(Value(root), "onEnterFrame");
    EXPECT_EQ(num("ticks"), 3);
    // A handler that is not there is simply not called.
    EXPECT_TRUE(engine.callMethod(Value(root), "onResize").isUndefined());
    EXPECT_TRUE(engine.lastError().empty());
}

} // namespace
} // namespace zimo::script::test
