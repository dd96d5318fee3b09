// How numbers are printed and read, as the player does. Conversions between values are in
// snippets/conversions.as and snippets/comparisons.as.
#include "script/value.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace zimo::script::test {
namespace {

// Runs in the C locale, and once more in the locale ZIMO_TEST_LOCALE names (one with a
// decimal comma), installed as the toolkit installs the user's: the same text either way.
class NumberText : public testing::Test {
protected:
    void SetUp() override {
        const char* wanted = std::getenv("ZIMO_TEST_LOCALE");
        if (!wanted) return;
        ASSERT_NE(std::setlocale(LC_ALL, wanted), nullptr) << wanted << " is not on this machine";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(NumberText, PrintsNumbersAsThePlayerDoes) {
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

TEST_F(NumberText, ReadsStringsAsArithmeticDoes) {
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

TEST_F(NumberText, IntegerConversionsWrap) {
    EXPECT_EQ(toInt32(4294967296.0 + 5), 5);
    EXPECT_EQ(toInt32(2147483648.0), -2147483647 - 1);
    EXPECT_EQ(toInt32(-1.9), -1);
    EXPECT_EQ(toInt32(std::nan("")), 0);
    EXPECT_EQ(toUint32(-1), 4294967295u);
}

} // namespace
} // namespace zimo::script::test
