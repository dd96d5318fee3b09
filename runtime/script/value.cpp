#include "script/value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include <locale.h>

namespace zimo::script {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The C library reads and prints numbers after LC_NUMERIC, which the toolkit sets from the
// user's environment: under a decimal-comma locale "2.5" would read as 2, and the digits
// printed for 0.5 would carry a comma. Scripts see one notation whatever the locale, so
// the calling thread uses the C one while a conversion runs.
class CNumericScope {
public:
    CNumericScope() : previous_(uselocale(cNumeric())) {}
    ~CNumericScope() { uselocale(previous_); }
    CNumericScope(const CNumericScope&) = delete;
    CNumericScope& operator=(const CNumericScope&) = delete;

private:
    static locale_t cNumeric() {
        // Made once and kept for the life of the process.
        static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
        return c ? c : LC_GLOBAL_LOCALE;
    }
    locale_t previous_;
};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view trimLeft(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isSpace(s[i]))
        ++i;
    return s.substr(i);
}

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

// Whole string in the given radix as a wrapping 32-bit integer; NaN when empty or invalid.
double wrappingInteger(std::string_view s, int radix) {
    if (s.empty()) return kNaN;
    std::uint32_t acc = 0;
    for (char c : s) {
        int d = digitValue(c);
        if (d >= radix) return kNaN;
        acc = acc * static_cast<std::uint32_t>(radix) + static_cast<std::uint32_t>(d);
    }
    return static_cast<double>(static_cast<std::int32_t>(acc));
}

// Length of the decimal number at the start of s (sign, digits, fraction, exponent);
// 0 when it holds no digit.
std::size_t decimalPrefix(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9')
            ++j, ++expDigits;
        if (expDigits > 0) i = j;
    }
    return i;
}

double parseDecimal(std::string_view s) {
    std::string copy(s);
    const CNumericScope cNumeric;
    return std::strtod(copy.c_str(), nullptr);
}

} // namespace

bool toBoolean(const Value& v) {
    switch (v.type()) {
    case Type::Undefined:
    case Type::Null:
        return false;
    case Type::Boolean:
        return v.boolean();
    case Type::Number:
        return !(v.number() == 0.0 || std::isnan(v.number()));
    case Type::String:
        return !v.string().empty();
    case Type::Object:
        return true;
    }
    return false;
}

double primitiveToNumber(const Value& v) {
    switch (v.type()) {
    case Type::Undefined:
    case Type::Null:
        return kNaN;
    case Type::Boolean:
        return v.boolean() ? 1.0 : 0.0;
    case Type::Number:
        return v.number();
    case Type::String:
        return stringToNumber(v.string());
    case Type::Object:
        return kNaN;
    }
    return kNaN;
}

std::string primitiveToString(const Value& v) {
    switch (v.type()) {
    case Type::Undefined:
        return "undefined";
    case Type::Null:
        return "null";
    case Type::Boolean:
        return v.boolean() ? "true" : "false";
    case Type::Number:
        return numberToString(v.number());
    case Type::String:
        return v.string();
    case Type::Object:
        return "[object Object]";
    }
    return {};
}

std::string numberToString(double d) {
    if (std::isnan(d)) return "NaN";
    if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
    if (d == 0.0) return "0";
    if (d >= -2147483648.0 && d <= 2147483647.0 && d == std::trunc(d))
        return std::to_string(static_cast<std::int32_t>(d));

    // 15 significant digits, rounded, then laid out the way the player does.
    char buf[40];
    {
        const CNumericScope cNumeric;
        std::snprintf(buf, sizeof buf, "%.14e", std::fabs(d));
    }
    std::string text(buf);
    std::size_t ePos = text.find('e');
    int exp = std::atoi(text.c_str() + ePos + 1);
    std::string digits;
    for (std::size_t i = 0; i < ePos; ++i)
        if (text[i] != '.') digits += text[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = d < 0 ? "-" : "";
    if (exp >= 15 || exp < -5) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += exp < 0 ? "e-" : "e+";
        out += std::to_string(exp < 0 ? -exp : exp);
    } else if (exp >= 0) {
        std::size_t intLen = static_cast<std::size_t>(exp) + 1;
        if (digits.size() <= intLen) {
            out += digits + std::string(intLen - digits.size(), '0');
        } else {
            out += digits.substr(0, intLen) + "." + digits.substr(intLen);
        }
    } else {
        out += "0." + std::string(static_cast<std::size_t>(-exp - 1), '0') + digits;
    }
    return out;
}

std::string numberToRadixString(double d, int radix) {
    if (radix < 2 || radix > 36 || radix == 10 || !std::isfinite(d)) return numberToString(d);
    double t = std::trunc(d);
    if (std::fabs(t) >= 9007199254740992.0) return numberToString(d);
    bool negative = t < 0;
    auto magnitude = static_cast<std::uint64_t>(std::fabs(t));
    std::string out;
    do {
        int digit = static_cast<int>(magnitude % static_cast<std::uint64_t>(radix));
        out.insert(out.begin(), "0123456789abcdefghijklmnopqrstuvwxyz"[digit]);
        magnitude /= static_cast<std::uint64_t>(radix);
    } while (magnitude > 0);
    if (negative) out.insert(out.begin(), '-');
    return out;
}

double stringToNumber(std::string_view s) {
    s = trimLeft(s);
    // Hexadecimal and octal come out as 32-bit integers. A sign before "0x" is not skipped,
    // so such strings are not numbers.
    std::string_view unsigned_ = s;
    bool negative = false;
    if (!unsigned_.empty() && (unsigned_[0] == '+' || unsigned_[0] == '-')) {
        negative = unsigned_[0] == '-';
        unsigned_.remove_prefix(1);
    }
    if (unsigned_.size() >= 2 && unsigned_[0] == '0' &&
        (unsigned_[1] == 'x' || unsigned_[1] == 'X')) {
        if (unsigned_.size() != s.size()) return kNaN;
        return wrappingInteger(unsigned_.substr(2), 16);
    }
    if (unsigned_.size() >= 2 && unsigned_[0] == '0') {
        bool octal = true;
        for (char c : unsigned_)
            octal = octal && c >= '0' && c <= '7';
        if (octal) {
            double v = wrappingInteger(unsigned_, 8);
            return negative ? -v : v;
        }
    }
    std::size_t len = decimalPrefix(s);
    if (len == 0 || len != s.size()) return kNaN;
    return parseDecimal(s);
}

double parseFloatPrefix(std::string_view s) {
    s = trimLeft(s);
    std::size_t len = decimalPrefix(s);
    if (len == 0) return kNaN;
    return parseDecimal(s.substr(0, len));
}

double parseIntPrefix(std::string_view s, int radix) {
    s = trimLeft(s);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    bool hexPrefix = s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    if (radix == 0) {
        if (hexPrefix) {
            radix = 16;
            s.remove_prefix(2);
        } else if (s.size() >= 2 && s[0] == '0' && s[1] >= '0' && s[1] <= '9') {
            radix = 8;
        } else {
            radix = 10;
        }
    } else if (radix == 16 && hexPrefix) {
        s.remove_prefix(2);
    }
    if (radix < 2 || radix > 36) return kNaN;
    double acc = 0;
    std::size_t used = 0;
    for (char c : s) {
        int d = digitValue(c);
        if (d >= radix) break;
        acc = acc * radix + d;
        ++used;
    }
    if (used == 0) return kNaN;
    return negative ? -acc : acc;
}

std::int32_t toInt32(double d) {
    if (!std::isfinite(d)) return 0;
    double t = std::fmod(std::trunc(d), 4294967296.0);
    if (t < 0) t += 4294967296.0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(t));
}

std::uint32_t toUint32(double d) {
    return static_cast<std::uint32_t>(toInt32(d));
}

} // namespace zimo::script
