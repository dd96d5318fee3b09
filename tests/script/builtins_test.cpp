// The global classes the movie's scripts use.
#include "fixture.h"

#include <cmath>

namespace zimo::script::test {
namespace {

class Builtins : public EngineTest {
protected:
    Value callOn(const Value& self, const std::string& method, std::vector<Value> args = {}) {
        return engine.callMethod(self, method, args);
    }
    Value global(const std::string& name, std::vector<Value> args = {}) {
        return engine.callMethod(Value(engine.globals()), name, args);
    }
    Value math(const std::string& name, std::vector<Value> args = {}) {
        return engine.callMethod(engine.get(Value(engine.globals()), "Math"), name, args);
    }
};

TEST_F(Builtins, StringMethodsCountUtf16Units) {
    Value s("Hello, world");
    EXPECT_EQ(callOn(s, "toUpperCase"), Value("HELLO, WORLD"));
    EXPECT_EQ(callOn(s, "charAt", {Value(4)}), Value("o"));
    EXPECT_EQ(callOn(s, "charCodeAt", {Value(0)}), Value(72));
    EXPECT_TRUE(std::isnan(callOn(s, "charCodeAt", {Value(99)}).number()));
    EXPECT_EQ(callOn(s, "indexOf", {Value("o")}), Value(4));
    EXPECT_EQ(callOn(s, "lastIndexOf", {Value("o")}), Value(8));
    EXPECT_EQ(callOn(s, "indexOf", {Value("zz")}), Value(-1));
    EXPECT_EQ(callOn(s, "substr", {Value(-5), Value(3)}), Value("wor"));
    EXPECT_EQ(callOn(s, "substring", {Value(5), Value(0)}), Value("Hello"));
    EXPECT_EQ(callOn(s, "slice", {Value(-5)}), Value("world"));
    auto* parts = dynamic_cast<ArrayObject*>(callOn(s, "split", {Value(", ")}).asObject());
    ASSERT_NE(parts, nullptr);
    EXPECT_EQ(parts->elements(), (std::vector<Value>{Value("Hello"), Value("world")}));
    Value chinese("播放器");
    EXPECT_EQ(engine.get(chinese, "length"), Value(3));
    EXPECT_EQ(callOn(chinese, "charAt", {Value(1)}), Value("放"));
    Value stringClass = engine.get(Value(engine.globals()), "String");
    EXPECT_EQ(callOn(stringClass, "fromCharCode", {Value(0x41), Value(0x42)}), Value("AB"));
    EXPECT_EQ(global("String", {Value(1.5)}), Value("1.5"));
}

TEST_F(Builtins, ArrayMethods) {
    ArrayObject* a = engine.newArray({Value(3), Value(1), Value(2)});
    Value av(a);
    EXPECT_EQ(callOn(av, "push", {Value(10)}), Value(4));
    EXPECT_EQ(callOn(av, "join", {Value("-")}), Value("3-1-2-10"));
    callOn(av, "sort");
    EXPECT_EQ(engine.toString(av), "1,10,2,3"); // as strings by default
    callOn(av, "sort", {Value(16 | 2)});        // NUMERIC | DESCENDING
    EXPECT_EQ(engine.toString(av), "10,3,2,1");
    EXPECT_EQ(callOn(av, "pop"), Value(1));
    Value removed = callOn(av, "splice", {Value(0), Value(1), Value("x"), Value("y")});
    EXPECT_EQ(engine.toString(removed), "10");
    EXPECT_EQ(engine.toString(av), "x,y,3,2");
    EXPECT_EQ(engine.toString(callOn(av, "slice", {Value(1), Value(-1)})), "y,3");
    EXPECT_EQ(engine.toString(callOn(av, "concat", {Value(engine.newArray({Value(7)})), Value(8)})),
              "x,y,3,2,7,8");
    engine.set(a, "length", Value(1));
    EXPECT_EQ(engine.toString(av), "x");
    engine.set(a, "3", Value("z"));
    EXPECT_EQ(engine.get(av, "length"), Value(4));
    EXPECT_EQ(engine.toString(av), "x,undefined,undefined,z");
    Value arrayClass = engine.get(Value(engine.globals()), "Array");
    EXPECT_EQ(engine.get(engine.construct(arrayClass, std::vector<Value>{Value(3)}), "length"),
              Value(3));
    // A comparator that answers nonsense still leaves a well-formed array.
    Value liar(engine.newFunction(
        "liar", [](NativeCall& c) { return c.engine.random() < 0.5 ? Value(-1) : Value(1); }));
    ArrayObject* big = engine.newArray();
    for (int i = 0; i < 100; ++i)
        big->push(Value(i));
    engine.callMethod(Value(big), "sort", std::vector<Value>{liar});
    EXPECT_EQ(big->length(), 100u);
}

TEST_F(Builtins, NumbersMathAndGlobals) {
    EXPECT_EQ(callOn(Value(255), "toString", {Value(16)}), Value("ff"));
    EXPECT_EQ(callOn(Value(0.1), "toString"), Value("0.1"));
    EXPECT_EQ(global("Number", {Value("0x10")}), Value(16));
    EXPECT_TRUE(std::isnan(global("Number", {Value()}).number()));
    EXPECT_EQ(global("parseInt", {Value("12abc")}), Value(12));
    EXPECT_EQ(global("parseFloat", {Value("1.5e2x")}), Value(150));
    EXPECT_EQ(global("isNaN", {Value("abc")}), Value(true));
    EXPECT_EQ(global("isFinite", {Value(1)}), Value(true));
    EXPECT_EQ(global("escape", {Value("a b/c")}), Value("a%20b%2Fc"));
    EXPECT_EQ(global("unescape", {Value("a%20b%2Fc")}), Value("a b/c"));
    EXPECT_EQ(math("floor", {Value(-1.5)}), Value(-2));
    EXPECT_EQ(math("round", {Value(2.5)}), Value(3));
    EXPECT_EQ(math("round", {Value(-2.5)}), Value(-2));
    EXPECT_EQ(math("max", {Value(1), Value(5), Value(3)}), Value(5));
    EXPECT_TRUE(std::isnan(math("min", {Value(1), Value()}).number()));
    EXPECT_EQ(math("pow", {Value(2), Value(10)}), Value(1024));
    EXPECT_EQ(engine.get(engine.get(Value(engine.globals()), "Math"), "PI"),
              Value(3.141592653589793));
    engine.setRandomSeed(7);
    double r1 = math("random").number();
    engine.setRandomSeed(7);
    EXPECT_EQ(math("random").number(), r1);
    EXPECT_GE(r1, 0);
    EXPECT_LT(r1, 1);
    Value numberClass = engine.get(Value(engine.globals()), "Number");
    Value boxed = engine.construct(numberClass, std::vector<Value>{Value(5)});
    EXPECT_EQ(engine.typeOf(boxed), "object");
    EXPECT_EQ(engine.add(boxed, Value(1)), Value(6));
}

TEST_F(Builtins, ObjectFacilities) {
    Object* o = engine.newObject();
    engine.set(o, "a", Value(1));
    engine.set(o, "b", Value(2));
    Value ov(o);
    EXPECT_EQ(callOn(ov, "hasOwnProperty", {Value("a")}), Value(true));
    EXPECT_EQ(callOn(ov, "hasOwnProperty", {Value("toString")}), Value(false));
    global("ASSetPropFlags", {ov, Value("a"), Value(1)});
    EXPECT_EQ(engine.enumerate(o), std::vector<std::string>{"b"});
    global("ASSetPropFlags", {ov, Value::null(), Value(4)}); // read-only
    engine.set(o, "b", Value(99));
    EXPECT_EQ(engine.get(ov, "b"), Value(2));

    // addProperty: a getter and a setter behind one name.
    double stored = 0;
    Value getter(engine.newFunction("g", [&](NativeCall&) { return Value(stored * 2); }));
    Value setter(engine.newFunction("s", [&](NativeCall& c) {
        stored = c.engine.toNumber(c.arg(0));
        return Value();
    }));
    EXPECT_EQ(callOn(ov, "addProperty", {Value("twice"), getter, setter}), Value(true));
    engine.set(o, "twice", Value(4));
    EXPECT_EQ(engine.get(ov, "twice"), Value(8));

    // AsBroadcaster, as Stage listeners use it.
    Object* stage = engine.newObject();
    Value broadcaster = engine.get(Value(engine.globals()), "AsBroadcaster");
    callOn(broadcaster, "initialize", {Value(stage)});
    Object* listener = engine.newObject();
    int resized = 0;
    listener->define("onResize", Value(engine.newFunction("r", [&](NativeCall&) {
                         ++resized;
                         return Value();
                     })));
    callOn(Value(stage), "addListener", {Value(listener)});
    callOn(Value(stage), "addListener", {Value(listener)}); // once only
    engine.broadcast(stage, "onResize");
    EXPECT_EQ(resized, 1);
}

} // namespace
} // namespace zimo::script::test
