// Number, Boolean and Math.
#include "script/builtins.h"
#include "script/engine.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zimo::script {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The primitive behind `this` for Number and Boolean methods.
Value thisPrimitive(NativeCall& c) {
    if (Object* o = c.thisObject())
        if (auto p = o->primitiveValue()) return *p;
    return c.thisValue;
}

Object* makeWrapper(Engine& e) {
    return e.make<PrimitiveObject>(nullptr);
}

// new Number(v) fills the wrapper `new` made; Number(v) converts.
Value constructNumber(NativeCall& c) {
    double n = c.args.empty() ? 0.0 : c.engine.toNumber(c.arg(0));
    if (c.constructing) {
        if (auto* w = dynamic_cast<PrimitiveObject*>(c.thisObject())) w->value = Value(n);
        return c.thisValue;
    }
    return Value(n);
}

Value numberText(NativeCall& c) {
    double n = c.engine.toNumber(thisPrimitive(c));
    int radix = c.arg(0).isUndefined() ? 10 : toInt32(c.engine.toNumber(c.arg(0)));
    return Value(numberToRadixString(n, radix));
}

Value numberValueOf(NativeCall& c) {
    return Value(c.engine.toNumber(thisPrimitive(c)));
}

const NativeMethod kNumberMethods[] = {
    {"toString", numberText},
    {"valueOf", numberValueOf},
};

const NativeConstant kNumberConstants[] = {
    {"MAX_VALUE", std::numeric_limits<double>::max()},
    {"MIN_VALUE", std::numeric_limits<double>::denorm_min()},
    {"NaN", kNaN},
    {"POSITIVE_INFINITY", kInfinity},
    {"NEGATIVE_INFINITY", -kInfinity},
};

Value constructBoolean(NativeCall& c) {
    bool b = toBoolean(c.arg(0));
    if (c.constructing) {
        if (auto* w = dynamic_cast<PrimitiveObject*>(c.thisObject())) w->value = Value(b);
        return c.thisValue;
    }
    return Value(b);
}

Value booleanToString(NativeCall& c) {
    return Value(toBoolean(thisPrimitive(c)) ? "true" : "false");
}

Value booleanValueOf(NativeCall& c) {
    return Value(toBoolean(thisPrimitive(c)));
}

const NativeMethod kBooleanMethods[] = {
    {"toString", booleanToString},
    {"valueOf", booleanValueOf},
};

// --- Math -----------------------------------------------------------------------------------

// A Math function of one number; with no argument it gives NaN.
NativeFn unary(double (*fn)(double)) {
    return [fn](NativeCall& c) {
        if (c.args.empty()) return Value(kNaN);
        return Value(fn(c.engine.toNumber(c.arg(0))));
    };
}

// Math.max and Math.min: NaN as soon as one argument is not a number.
NativeFn extreme(bool max) {
    return [max](NativeCall& c) {
        double result = max ? -kInfinity : kInfinity;
        for (const Value& v : c.args) {
            double n = c.engine.toNumber(v);
            if (std::isnan(n)) return Value(n);
            result = max ? std::max(result, n) : std::min(result, n);
        }
        return Value(result);
    };
}

Value mathAtan2(NativeCall& c) {
    return Value(std::atan2(c.engine.toNumber(c.arg(0)), c.engine.toNumber(c.arg(1))));
}

Value mathPow(NativeCall& c) {
    return Value(std::pow(c.engine.toNumber(c.arg(0)), c.engine.toNumber(c.arg(1))));
}

Value mathRandom(NativeCall& c) {
    return Value(c.engine.random());
}

const NativeMethod kMathMethods[] = {
    {"abs", unary([](double x) { return std::fabs(x); })},
    {"acos", unary([](double x) { return std::acos(x); })},
    {"asin", unary([](double x) { return std::asin(x); })},
    {"atan", unary([](double x) { return std::atan(x); })},
    {"ceil", unary([](double x) { return std::ceil(x); })},
    {"cos", unary([](double x) { return std::cos(x); })},
    {"exp", unary([](double x) { return std::exp(x); })},
    {"floor", unary([](double x) { return std::floor(x); })},
    {"log", unary([](double x) { return std::log(x); })},
    {"round", unary([](double x) { return std::floor(x + 0.5); })},
    {"sin", unary([](double x) { return std::sin(x); })},
    {"sqrt", unary([](double x) { return std::sqrt(x); })},
    {"tan", unary([](double x) { return std::tan(x); })},
    {"atan2", mathAtan2},
    {"pow", mathPow},
    {"max", extreme(true)},
    {"min", extreme(false)},
    {"random", mathRandom},
};

const NativeConstant kMathConstants[] = {
    {"E", 2.718281828459045},        {"LN10", 2.302585092994046},     {"LN2", 0.6931471805599453},
    {"LOG10E", 0.4342944819032518},  {"LOG2E", 1.442695040888963387}, {"PI", 3.141592653589793},
    {"SQRT1_2", 0.7071067811865476}, {"SQRT2", 1.4142135623730951},
};

} // namespace

void installNumberAndBoolean(Engine& e) {
    e.defineClass({.name = "Number",
                   .constructor = constructNumber,
                   .factory = makeWrapper,
                   .prototype = e.numberPrototype(),
                   .methods = kNumberMethods,
                   .constants = kNumberConstants});
    e.defineClass({.name = "Boolean",
                   .constructor = constructBoolean,
                   .factory = makeWrapper,
                   .prototype = e.booleanPrototype(),
                   .methods = kBooleanMethods});
}

void installMath(Engine& e) {
    Object* math = e.newObject();
    e.globals()->define("Math", Value(math), DontEnum);
    e.defineConstants(math, kMathConstants);
    e.defineMethods(math, kMathMethods);
}

} // namespace zimo::script
