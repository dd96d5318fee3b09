// A script value: undefined, null, boolean, number, string or object reference.
//
// Strings are UTF-8 (the encoding of action records from version 6 on). String methods that
// count or index characters work on UTF-16 code units, as the player does; see text.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zimo::script {

class Object;

enum class Type : std::uint8_t { Undefined, Null, Boolean, Number, String, Object };

class Value {
public:
    Value() = default; // undefined
    Value(bool b) : type_(Type::Boolean), number_(b ? 1 : 0) {}
    Value(double d) : type_(Type::Number), number_(d) {}
    Value(int i) : type_(Type::Number), number_(i) {}
    Value(unsigned i) : type_(Type::Number), number_(i) {}
    Value(std::int64_t i) : type_(Type::Number), number_(static_cast<double>(i)) {}
    Value(std::string s)
        : type_(Type::String), text_(std::make_shared<const std::string>(std::move(s))) {}
    Value(std::string_view s) : Value(std::string(s)) {}
    Value(const char* s) : Value(std::string(s)) {}
    // A null pointer makes null.
    Value(Object* o) : type_(o ? Type::Object : Type::Null), object_(o) {}

    static Value null() { return Value(static_cast<Object*>(nullptr)); }

    Type type() const { return type_; }
    bool isUndefined() const { return type_ == Type::Undefined; }
    bool isNull() const { return type_ == Type::Null; }
    bool isNullish() const { return isUndefined() || isNull(); }
    bool isBoolean() const { return type_ == Type::Boolean; }
    bool isNumber() const { return type_ == Type::Number; }
    bool isString() const { return type_ == Type::String; }
    bool isObject() const { return type_ == Type::Object; }
    bool isPrimitive() const { return !isObject(); }

    // Accessors for the value's own type; another type gives false, 0, "" or nullptr.
    bool boolean() const { return type_ == Type::Boolean && number_ != 0; }
    double number() const { return type_ == Type::Number ? number_ : 0; }
    const std::string& string() const;
    Object* object() const { return type_ == Type::Object ? object_ : nullptr; }
    // The object, or nullptr for any other type.
    Object* asObject() const { return object(); }

    // Same type and same value; strings by content, objects by identity, NaN unequal.
    friend bool operator==(const Value& a, const Value& b);

private:
    Type type_ = Type::Undefined;
    double number_ = 0; // numbers, and booleans as 0 or 1
    Object* object_ = nullptr;
    // Strings are immutable and shared, so copying a value never copies its text.
    std::shared_ptr<const std::string> text_;
};

inline const std::string& Value::string() const {
    static const std::string empty;
    return text_ ? *text_ : empty;
}

inline bool operator==(const Value& a, const Value& b) {
    if (a.type() != b.type()) return false;
    switch (a.type()) {
    case Type::Boolean:
    case Type::Number:
        return a.number_ == b.number_;
    case Type::String:
        return a.string() == b.string();
    case Type::Object:
        return a.object() == b.object();
    default:
        return true;
    }
}

// Conversions of primitives that need no script call. Objects are handled by Engine, which
// can run their valueOf and toString methods.
bool toBoolean(const Value& v);
double primitiveToNumber(const Value& v);      // objects give NaN
std::string primitiveToString(const Value& v); // objects give "[object Object]"

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
