// String.
#include "script/builtins.h"
#include "script/engine.h"
#include "script/text.h"

#include <algorithm>
#include <cmath>

namespace zimo::script {

namespace {

std::u16string thisText(NativeCall& c) {
    return toUtf16(c.engine.toString(c.thisValue));
}

// An integer argument; NaN counts as 0.
double integerArg(NativeCall& c, std::size_t i) {
    double d = c.engine.toNumber(c.arg(i));
    return std::isnan(d) ? 0 : std::trunc(d);
}

std::size_t clampTo(double v, std::size_t length) {
    if (v < 0) return 0;
    return static_cast<std::size_t>(std::min(v, static_cast<double>(length)));
}

Value text(std::u16string_view s) {
    return Value(toUtf8(s));
}

Value constructString(NativeCall& c) {
    std::string s = c.args.empty() ? std::string() : c.engine.toString(c.arg(0));
    if (c.constructing) {
        if (auto* w = dynamic_cast<PrimitiveObject*>(c.thisObject())) {
            w->value = Value(s);
            w->define("length", Value(static_cast<double>(utf16Length(s))), DontEnum);
        }
        return c.thisValue;
    }
    return Value(s);
}

Value fromCharCode(NativeCall& c) {
    std::u16string s;
    for (const Value& v : c.args)
        s.push_back(static_cast<char16_t>(toUint32(c.engine.toNumber(v)) & 0xFFFF));
    return text(s);
}

// toString and valueOf.
Value stringItself(NativeCall& c) {
    return Value(c.engine.toString(c.thisValue));
}

Value stringCharAt(NativeCall& c) {
    std::u16string s = thisText(c);
    double i = integerArg(c, 0);
    if (i < 0 || i >= static_cast<double>(s.size())) return Value("");
    return text(s.substr(static_cast<std::size_t>(i), 1));
}

Value stringCharCodeAt(NativeCall& c) {
    std::u16string s = thisText(c);
    double i = integerArg(c, 0);
    if (i < 0 || i >= static_cast<double>(s.size())) return Value(std::nan(""));
    return Value(static_cast<double>(s[static_cast<std::size_t>(i)]));
}

Value stringIndexOf(NativeCall& c) {
    std::u16string s = thisText(c);
    std::u16string needle = toUtf16(c.engine.toString(c.arg(0)));
    std::size_t from = clampTo(integerArg(c, 1), s.size());
    std::size_t at = s.find(needle, from);
    return Value(at == std::u16string::npos ? -1.0 : static_cast<double>(at));
}

Value stringLastIndexOf(NativeCall& c) {
    std::u16string s = thisText(c);
    std::u16string needle = toUtf16(c.engine.toString(c.arg(0)));
    std::size_t from = std::u16string::npos;
    if (c.args.size() > 1) {
        double f = integerArg(c, 1);
        if (f < 0) return Value(-1.0);
        from = clampTo(f, s.size());
    }
    std::size_t at = s.rfind(needle, from);
    return Value(at == std::u16string::npos ? -1.0 : static_cast<double>(at));
}

Value stringSubstr(NativeCall& c) {
    std::u16string s = thisText(c);
    double start = integerArg(c, 0);
    if (start < 0) start = std::max(0.0, static_cast<double>(s.size()) + start);
    std::size_t from = clampTo(start, s.size());
    std::size_t count = s.size() - from;
    if (!c.arg(1).isUndefined()) count = std::min(count, clampTo(integerArg(c, 1), s.size()));
    return text(s.substr(from, count));
}

Value stringSubstring(NativeCall& c) {
    std::u16string s = thisText(c);
    std::size_t a = clampTo(integerArg(c, 0), s.size());
    std::size_t b = c.arg(1).isUndefined() ? s.size() : clampTo(integerArg(c, 1), s.size());
    if (a > b) std::swap(a, b);
    return text(s.substr(a, b - a));
}

Value stringSlice(NativeCall& c) {
    std::u16string s = thisText(c);
    auto position = [&](double v) {
        if (v < 0) v += static_cast<double>(s.size());
        return clampTo(v, s.size());
    };
    std::size_t a = position(integerArg(c, 0));
    std::size_t b = c.arg(1).isUndefined() ? s.size() : position(integerArg(c, 1));
    return a < b ? text(s.substr(a, b - a)) : Value("");
}

Value stringSplit(NativeCall& c) {
    Engine& en = c.engine;
    std::u16string s = thisText(c);
    std::vector<Value> parts;
    std::size_t limit = ArrayObject::kMaxLength;
    if (!c.arg(1).isUndefined()) limit = clampTo(integerArg(c, 1), ArrayObject::kMaxLength);
    if (c.arg(0).isUndefined()) {
        parts.push_back(text(s));
    } else {
        std::u16string sep = toUtf16(en.toString(c.arg(0)));
        if (sep.empty()) {
            for (std::size_t i = 0; i < s.size() && parts.size() < limit; ++i)
                parts.push_back(text(s.substr(i, 1)));
        } else {
            std::size_t from = 0;
            while (parts.size() < limit) {
                std::size_t at = s.find(sep, from);
                if (at == std::u16string::npos) {
                    parts.push_back(text(s.substr(from)));
                    break;
                }
                parts.push_back(text(s.substr(from, at - from)));
                from = at + sep.size();
            }
        }
    }
    if (parts.size() > limit) parts.resize(limit);
    en.charge(parts.size());
    return Value(en.newArray(std::move(parts)));
}

Value stringToUpperCase(NativeCall& c) {
    std::u16string s = thisText(c);
    for (char16_t& ch : s)
        if ((ch >= u'a' && ch <= u'z') || (ch >= 0xE0 && ch <= 0xFE && ch != 0xF7))
            ch = static_cast<char16_t>(ch - 32);
    return text(s);
}

Value stringToLowerCase(NativeCall& c) {
    std::u16string s = thisText(c);
    for (char16_t& ch : s)
        if ((ch >= u'A' && ch <= u'Z') || (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7))
            ch = static_cast<char16_t>(ch + 32);
    return text(s);
}

Value stringConcat(NativeCall& c) {
    std::string s = c.engine.toString(c.thisValue);
    for (const Value& v : c.args) {
        s += c.engine.toString(v);
        c.engine.checkStringLength(s.size());
    }
    return Value(s);
}

const NativeMethod kStringMethods[] = {
    {"toString", stringItself},
    {"valueOf", stringItself},
    {"charAt", stringCharAt},
    {"charCodeAt", stringCharCodeAt},
    {"indexOf", stringIndexOf},
    {"lastIndexOf", stringLastIndexOf},
    {"substr", stringSubstr},
    {"substring", stringSubstring},
    {"slice", stringSlice},
    {"split", stringSplit},
    {"toUpperCase", stringToUpperCase},
    {"toLowerCase", stringToLowerCase},
    {"concat", stringConcat},
};

const NativeMethod kStringStatics[] = {{"fromCharCode", fromCharCode}};

} // namespace

void installStringClass(Engine& e) {
    e.defineClass(
        {.name = "String",
         .constructor = constructString,
         .factory = [](Engine& en) -> Object* { return en.make<PrimitiveObject>(nullptr); },
         .prototype = e.stringPrototype(),
         .methods = kStringMethods,
         .statics = kStringStatics});
}

} // namespace zimo::script
