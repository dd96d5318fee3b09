// Conversions and operators with the rules of version 7 and later movies.
#include "fixture.h"

#include "script/value.h"

#include <cmath>
#include <limits>

namespace zimo::script::test {
namespace {

TEST(NumberText, PrintsNumbersAsThePlayerDoes) {
    EXPECT_EQ(numberToString(0), "0");
    EXPECT_EQ(numberToString(-0.0), "0");
    EXPECT_EQ(numberToString(42), "42");
    EXPECT_EQ(numberToString(-7), "-7");
    EXPECT_EQ(numberToString(2147483648.0), "2147483648");
    EXPECT_EQ(numberToString(0.5), "0.5");
    EXPECT_EQ(numberToString(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(numberToString(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(numberToString(0.1 + 0.2), "0.3");
    EXPECT_EQ(numberToString(123.456), "123.456");
    EXPECT_EQ(numberToString(1e15), "1e+15");
    EXPECT_EQ(numberToString(999999999999999.0), "999999999999999");
    EXPECT_EQ(numberToString(1.5e20), "1.5e+20");
    EXPECT_EQ(numberToString(0.00001), "0.00001");
    EXPECT_EQ(numberToString(0.000001), "1e-6");
    EXPECT_EQ(numberToString(-2.5e-7), "-2.5e-7");
    EXPECT_EQ(numberToString(std::nan("")), "NaN");
    EXPECT_EQ(numberToString(std::numeric_limits<double>::infinity()), "Infinity");
    EXPECT_EQ(numberToString(-std::numeric_limits<double>::infinity()), "-Infinity");
    EXPECT_EQ(numberToRadixString(255, 16), "ff");
    EXPECT_EQ(numberToRadixString(-5, 2), "-101");
}

TEST(NumberText, ReadsStringsAsArithmeticDoes) {
    EXPECT_TRUE(std::isnan(stringToNumber("")));
    EXPECT_TRUE(std::isnan(stringToNumber("abc")));
    EXPECT_TRUE(std::isnan(stringToNumber("12px")));
    EXPECT_TRUE(std::isnan(stringToNumber("Infinity")));
    EXPECT_EQ(stringToNumber("  12"), 12);
    EXPECT_EQ(stringToNumber("-1"), -1);
    EXPECT_EQ(stringToNumber("+2.5"), 2.5);
    EXPECT_EQ(stringToNumber(".5"), 0.5);
    EXPECT_EQ(stringToNumber("1e3"), 1000);
    EXPECT_EQ(stringToNumber("0x1F"), 31);
    EXPECT_TRUE(std::isnan(stringToNumber("-0x1F")));
    EXPECT_EQ(stringToNumber("010"), 8);
    EXPECT_EQ(stringToNumber("019"), 19);
    EXPECT_EQ(parseIntPrefix("42abc", 0), 42);
    EXPECT_EQ(parseIntPrefix("ff", 16), 255);
    EXPECT_EQ(parseIntPrefix("0x10", 0), 16);
    EXPECT_TRUE(std::isnan(parseIntPrefix("z", 10)));
    EXPECT_EQ(parseFloatPrefix("3.25kg"), 3.25);
    EXPECT_TRUE(std::isnan(parseFloatPrefix("kg")));
}

TEST(NumberText, IntegerConversionsWrap) {
    EXPECT_EQ(toInt32(4294967296.0 + 5), 5);
    EXPECT_EQ(toInt32(2147483648.0), -2147483647 - 1);
    EXPECT_EQ(toInt32(-1.9), -1);
    EXPECT_EQ(toInt32(std::nan("")), 0);
    EXPECT_EQ(toUint32(-1), 4294967295u);
}

class Conversions : public EngineTest {};

TEST_F(Conversions, UndefinedAndNullAreNotNumbers) {
    EXPECT_TRUE(std::isnan(engine.toNumber(Value())));
    EXPECT_TRUE(std::isnan(engine.toNumber(Value::null())));
    EXPECT_EQ(engine.toNumber(Value(true)), 1);
    EXPECT_EQ(engine.toString(Value()), "undefined");
    EXPECT_EQ(engine.toString(Value::null()), "null");
    EXPECT_FALSE(toBoolean(Value("")));
    EXPECT_TRUE(toBoolean(Value("0")));
    EXPECT_FALSE(toBoolean(Value(std::nan(""))));
}

TEST_F(Conversions, LooseEqualityFollowsTheAbstractAlgorithm) {
    EXPECT_TRUE(engine.looseEquals(Value("-1"), Value(-1)));
    EXPECT_TRUE(engine.looseEquals(Value(1), Value("1")));
    EXPECT_TRUE(engine.looseEquals(Value("1"), Value(true)));
    EXPECT_FALSE(engine.looseEquals(Value("1.0"), Value("1"))); // two strings: as strings
    EXPECT_TRUE(engine.looseEquals(Value("abc"), Value("abc")));
    EXPECT_TRUE(engine.looseEquals(Value(), Value::null()));
    EXPECT_FALSE(engine.looseEquals(Value::null(), Value(0)));
    EXPECT_FALSE(engine.looseEquals(Value(), Value("")));
    EXPECT_FALSE(engine.looseEquals(Value(std::nan("")), Value(std::nan(""))));
    EXPECT_FALSE(Engine::strictEquals(Value("1"), Value(1)));
    Object* o = engine.newObject();
    EXPECT_TRUE(engine.looseEquals(Value(o), Value(o)));
    EXPECT_TRUE(engine.looseEquals(Value(o), Value("[object Object]")));
}

TEST_F(Conversions, RelationalComparisonPicksStringsOrNumbers) {
    EXPECT_EQ(engine.lessThan(Value("10"), Value("9")), Value(true)); // strings
    EXPECT_EQ(engine.lessThan(Value("10"), Value(9)), Value(false));  // numbers
    EXPECT_EQ(engine.lessThan(Value(1), Value(2)), Value(true));
    EXPECT_TRUE(engine.lessThan(Value(), Value(2)).isUndefined()); // NaN
    EXPECT_TRUE(engine.lessThan(Value("a"), Value(2)).isUndefined());
}

TEST_F(Conversions, AdditionConcatenatesWhenEitherSideIsAString) {
    EXPECT_EQ(engine.add(Value("1"), Value(2)), Value("12"));
    EXPECT_EQ(engine.add(Value(1), Value(2)), Value(3));
    EXPECT_EQ(engine.add(Value(0.1), Value("")), Value("0.1"));
    EXPECT_TRUE(std::isnan(engine.add(Value(), Value(1)).number()));
    EXPECT_EQ(engine.add(Value("x"), Value()), Value("xundefined"));
    EXPECT_EQ(engine.add(Value(engine.newArray({Value(1), Value(2)})), Value("")), Value("1,2"));
}

TEST_F(Conversions, ObjectsConvertThroughValueOfAndToString) {
    EXPECT_EQ(engine.toString(Value(root)), "_level0");
    EXPECT_EQ(engine.typeOf(Value(root)), "movieclip");
    Object* o = engine.newObject();
    o->define("valueOf", Value(engine.newFunction("v", [](NativeCall&) { return Value(7); })));
    EXPECT_EQ(engine.toNumber(Value(o)), 7);
    EXPECT_EQ(engine.add(Value(o), Value(1)), Value(8));
    EXPECT_EQ(engine.typeOf(Value(engine.newFunction("f", {}))), "function");
}

} // namespace
} // namespace zimo::script::test
