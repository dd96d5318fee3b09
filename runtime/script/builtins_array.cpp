// Array.
#include "script/builtins.h"
#include "script/engine.h"
#include "script/text.h"

#include <algorithm>
#include <cmath>

namespace zimo::script {

namespace {

// Sort flags, as Array.CASEINSENSITIVE and friends.
constexpr int kCaseInsensitive = 1;
constexpr int kDescending = 2;
constexpr int kNumeric = 16;

// Start/end arguments of slice and splice: negative counts from the end, clamped.
std::size_t clampIndex(double v, std::size_t length) {
    if (std::isnan(v)) return 0;
    if (v < 0) v = std::max(0.0, static_cast<double>(length) + std::trunc(v));
    return static_cast<std::size_t>(std::min(std::trunc(v), static_cast<double>(length)));
}

std::string lowerAscii(std::string s) {
    for (char& ch : s)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return s;
}

// A merge sort: stays well-defined whatever the comparator answers.
template <class Less> void mergeSort(std::vector<Value>& v, Less less) {
    std::vector<Value> buffer(v.size());
    for (std::size_t width = 1; width < v.size(); width *= 2) {
        for (std::size_t lo = 0; lo < v.size(); lo += 2 * width) {
            std::size_t mid = std::min(lo + width, v.size());
            std::size_t hi = std::min(lo + 2 * width, v.size());
            std::size_t a = lo, b = mid, out = lo;
            while (a < mid && b < hi)
                buffer[out++] = less(v[b], v[a]) ? v[b++] : v[a++];
            while (a < mid)
                buffer[out++] = v[a++];
            while (b < hi)
                buffer[out++] = v[b++];
        }
        std::swap(v, buffer);
    }
}

std::string join(Engine& e, ArrayObject* a, const std::string& separator) {
    std::string out;
    std::vector<Value> copy = a->elements();
    for (std::size_t i = 0; i < copy.size(); ++i) {
        if (i > 0) out += separator;
        out += e.toString(copy[i]);
        e.checkStringLength(out.size());
        e.charge(1);
    }
    return out;
}

Value constructArray(NativeCall& c) {
    auto* a = c.constructing ? dynamic_cast<ArrayObject*>(c.thisObject()) : nullptr;
    if (!a) a = c.engine.newArray();
    if (c.args.size() == 1 && c.arg(0).isNumber()) {
        double n = c.arg(0).number();
        if (n >= 0 && n == std::trunc(n)) a->setLength(static_cast<std::size_t>(n));
    } else {
        for (const Value& v : c.args)
            a->push(v);
    }
    return Value(a);
}

Value arrayPush(NativeCall& c, ArrayObject* a) {
    for (const Value& v : c.args)
        a->push(v);
    return Value(static_cast<double>(a->length()));
}

Value arrayPop(NativeCall&, ArrayObject* a) {
    if (a->elements().empty()) return Value();
    Value v = a->elements().back();
    a->elements().pop_back();
    return v;
}

Value arrayShift(NativeCall&, ArrayObject* a) {
    if (a->elements().empty()) return Value();
    Value v = a->elements().front();
    a->elements().erase(a->elements().begin());
    return v;
}

Value arrayUnshift(NativeCall& c, ArrayObject* a) {
    auto& el = a->elements();
    if (el.size() + c.args.size() <= ArrayObject::kMaxLength)
        el.insert(el.begin(), c.args.begin(), c.args.end());
    return Value(static_cast<double>(el.size()));
}

Value arrayJoin(NativeCall& c, ArrayObject* a) {
    std::string sep = c.arg(0).isUndefined() ? "," : c.engine.toString(c.arg(0));
    return Value(join(c.engine, a, sep));
}

Value arrayToString(NativeCall& c, ArrayObject* a) {
    return Value(join(c.engine, a, ","));
}

Value arrayReverse(NativeCall& c, ArrayObject* a) {
    std::reverse(a->elements().begin(), a->elements().end());
    return c.thisValue;
}

Value arraySlice(NativeCall& c, ArrayObject* a) {
    std::size_t n = a->length();
    std::size_t from = clampIndex(c.engine.toNumber(c.arg(0)), n);
    std::size_t to = c.arg(1).isUndefined() ? n : clampIndex(c.engine.toNumber(c.arg(1)), n);
    std::vector<Value> part;
    if (from < to)
        part.assign(a->elements().begin() + static_cast<std::ptrdiff_t>(from),
                    a->elements().begin() + static_cast<std::ptrdiff_t>(to));
    return Value(c.engine.newArray(std::move(part)));
}

Value arraySplice(NativeCall& c, ArrayObject* a) {
    auto& el = a->elements();
    std::size_t from = clampIndex(c.engine.toNumber(c.arg(0)), el.size());
    std::size_t count = el.size() - from;
    if (c.args.size() >= 2) {
        double n = c.engine.toNumber(c.arg(1));
        count = n > 0 ? std::min(count, static_cast<std::size_t>(std::min(n, 4e9))) : 0;
    }
    auto first = el.begin() + static_cast<std::ptrdiff_t>(from);
    std::vector<Value> removed(first, first + static_cast<std::ptrdiff_t>(count));
    el.erase(first, first + static_cast<std::ptrdiff_t>(count));
    if (c.args.size() > 2 && el.size() + c.args.size() - 2 <= ArrayObject::kMaxLength)
        el.insert(el.begin() + static_cast<std::ptrdiff_t>(from), c.args.begin() + 2, c.args.end());
    return Value(c.engine.newArray(std::move(removed)));
}

Value arrayConcat(NativeCall& c, ArrayObject* a) {
    std::vector<Value> all = a->elements();
    for (const Value& v : c.args) {
        if (auto* other = dynamic_cast<ArrayObject*>(v.asObject()))
            all.insert(all.end(), other->elements().begin(), other->elements().end());
        else
            all.push_back(v);
        if (all.size() > ArrayObject::kMaxLength) throw ScriptAbort{"array too long"};
    }
    return Value(c.engine.newArray(std::move(all)));
}

Value arraySort(NativeCall& c, ArrayObject* a) {
    Engine& en = c.engine;
    Value compare = c.arg(0);
    int flags = 0;
    if (!dynamic_cast<FunctionObject*>(compare.asObject())) {
        flags = c.arg(0).isNumber() ? toInt32(c.arg(0).number()) : 0;
        compare = Value();
    } else if (c.args.size() > 1) {
        flags = toInt32(en.toNumber(c.arg(1)));
    }
    bool descending = flags & kDescending;
    std::vector<Value> items = a->elements();
    auto less = [&](const Value& x, const Value& y) {
        en.charge(1);
        bool result;
        if (!compare.isUndefined()) {
            Value args[] = {x, y};
            result = en.toNumber(en.callFunction(compare, Value(), args)) < 0;
        } else if (flags & kNumeric) {
            result = en.toNumber(x) < en.toNumber(y);
        } else if (flags & kCaseInsensitive) {
            result = lowerAscii(en.toString(x)) < lowerAscii(en.toString(y));
        } else {
            result = en.toString(x) < en.toString(y);
        }
        return result;
    };
    if (descending)
        mergeSort(items, [&](const Value& x, const Value& y) { return less(y, x); });
    else
        mergeSort(items, less);
    a->elements() = std::move(items);
    return c.thisValue;
}

// An Array method: `this` must be an array; on anything else the method gives undefined.
NativeFn onArray(Value (*method)(NativeCall&, ArrayObject* a)) {
    return [method](NativeCall& c) -> Value {
        auto* a = dynamic_cast<ArrayObject*>(c.thisObject());
        return a ? method(c, a) : Value();
    };
}

const NativeMethod kArrayMethods[] = {
    {"push", onArray(arrayPush)},       {"pop", onArray(arrayPop)},
    {"shift", onArray(arrayShift)},     {"unshift", onArray(arrayUnshift)},
    {"join", onArray(arrayJoin)},       {"toString", onArray(arrayToString)},
    {"reverse", onArray(arrayReverse)}, {"slice", onArray(arraySlice)},
    {"splice", onArray(arraySplice)},   {"concat", onArray(arrayConcat)},
    {"sort", onArray(arraySort)},
};

const NativeConstant kArrayConstants[] = {
    {"CASEINSENSITIVE", kCaseInsensitive},
    {"DESCENDING", kDescending},
    {"UNIQUESORT", 4},
    {"RETURNINDEXEDARRAY", 8},
    {"NUMERIC", kNumeric},
};

} // namespace

void installArrayClass(Engine& e) {
    e.defineClass({.name = "Array",
                   .constructor = constructArray,
                   .factory = [](Engine& en) -> Object* { return en.newArray(); }, // `new Array`
                   .prototype = e.arrayPrototype(),
                   .methods = kArrayMethods,
                   .constants = kArrayConstants});
}

} // namespace zimo::script
