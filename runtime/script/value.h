// A script value: undefined, null, boolean, number, string or object reference.
//
// Strings are UTF-8 (the encoding of action records from version 6 on). String methods that
// count or index characters work on UTF-16 code units, as the player does; see text.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace zimo::script {

class Object;

enum class Type : std::uint8_t { Undefined, Null, Boolean, Number, String, Object };

class Value {
public:
    Value() = default; // undefined
    Value(bool b) : v_(b) {}
    Value(double d) : v_(d) {}
    Value(int i) : v_(static_cast<double>(i)) {}
    Value(unsigned i) : v_(static_cast<double>(i)) {}
    Value(std::int64_t i) : v_(static_cast<double>(i)) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::string(s)) {}
    Value(const char* s) : v_(std::string(s)) {}
    // A null pointer makes null.
    Value(Object* o);

    static Value null() {
        Value v;
        v.v_ = Null{};
        return v;
    }

    Type type() const { return static_cast<Type>(v_.index()); }
    bool isUndefined() const { return type() == Type::Undefined; }
    bool isNull() const { return type() == Type::Null; }
    bool isNullish() const { return isUndefined() || isNull(); }
    bool isBoolean() const { return type() == Type::Boolean; }
    bool isNumber() const { return type() == Type::Number; }
    bool isString() const { return type() == Type::String; }
    bool isObject() const { return type() == Type::Object; }
    bool isPrimitive() const { return !isObject(); }

    // Unchecked accessors: call only after testing the type.
    bool boolean() const { return std::get<bool>(v_); }
    double number() const { return std::get<double>(v_); }
    const std::string& string() const { return std::get<std::string>(v_); }
    Object* object() const { return std::get<Object*>(v_); }
    // The object, or nullptr for any other type.
    Object* asObject() const { return isObject() ? object() : nullptr; }

    friend bool operator==(const Value& a, const Value& b) = default;

private:
    struct Undefined {
        bool operator==(const Undefined&) const = default;
    };
    struct Null {
        bool operator==(const Null&) const = default;
    };
    std::variant<Undefined, Null, bool, double, std::string, Object*> v_;
};

inline Value::Value(Object* o) {
    if (o)
        v_ = o;
    else
        v_ = Null{};
}

// Conversions of primitives that need no script call. Objects are handled by Engine, which
// can run their valueOf and toString methods.
bool toBoolean(const Value& v);
double primitiveToNumber(const Value& v);       // objects give NaN
std::string primitiveToString(const Value& v);  // objects give "[object Object]"

// Numbers as the player prints them: integers without a fraction, otherwise up to 15
// significant digits, exponent notation below 1e-5 and from 1e15 on, "NaN", "Infinity".
std::string numberToString(double d);
// Number.prototype.toString(radix) for radix 2..36 other than 10.
std::string numberToRadixString(double d, int radix);
// String to number as arithmetic sees it: leading whitespace allowed, "" is NaN, trailing
// garbage is NaN, "0x" hexadecimal and leading-zero octal are read as 32-bit integers.
double stringToNumber(std::string_view s);
// parseFloat: the longest decimal prefix, NaN when there is none.
double parseFloatPrefix(std::string_view s);
// parseInt with an optional radix (0 = guess from the prefix).
double parseIntPrefix(std::string_view s, int radix);

// ECMA ToInt32 / ToUint32 on a number.
std::int32_t toInt32(double d);
std::uint32_t toUint32(double d);

} // namespace zimo::script
