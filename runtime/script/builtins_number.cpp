// Number, Boolean and Math.
#include "script/builtins.h"
#include "script/engine.h"

#include <cmath>
#include <limits>

namespace zimo::script {

namespace {

constexpr std::uint8_t kConstant = DontEnum | DontDelete | ReadOnly;

// The primitive behind `this` for Number and Boolean methods.
Value thisPrimitive(NativeCall& c) {
    if (Object* o = c.thisObject())
        if (auto p = o->primitiveValue()) return *p;
    return c.thisValue;
}

FunctionObject* wrapperClass(Engine& e, const char* name, Object* proto, NativeFn fn) {
    auto* ctor = e.make<FunctionObject>(
        e.functionPrototype(), name, std::move(fn),
        [](Engine& en) -> Object* { return en.make<PrimitiveObject>(nullptr); });
    ctor->define("prototype", Value(proto), DontEnum | DontDelete);
    proto->define("constructor", Value(ctor), DontEnum);
    e.globals()->define(name, Value(ctor), DontEnum);
    return ctor;
}

} // namespace

void installNumberAndBoolean(Engine& e) {
    auto* number = wrapperClass(e, "Number", e.numberPrototype(), [](NativeCall& c) -> Value {
        double n = c.args.empty() ? 0.0 : c.engine.toNumber(c.arg(0));
        if (c.constructing) {
            if (auto* w = dynamic_cast<PrimitiveObject*>(c.thisObject())) w->value = Value(n);
            return c.thisValue;
        }
        return Value(n);
    });
    number->define("MAX_VALUE", Value(std::numeric_limits<double>::max()), kConstant);
    number->define("MIN_VALUE", Value(std::numeric_limits<double>::denorm_min()), kConstant);
    number->define("NaN", Value(std::numeric_limits<double>::quiet_NaN()), kConstant);
    number->define("POSITIVE_INFINITY", Value(std::numeric_limits<double>::infinity()), kConstant);
    number->define("NEGATIVE_INFINITY", Value(-std::numeric_limits<double>::infinity()), kConstant);
    e.defineMethod(e.numberPrototype(), "toString", [](NativeCall& c) {
        double n = c.engine.toNumber(thisPrimitive(c));
        int radix = c.arg(0).isUndefined() ? 10 : toInt32(c.engine.toNumber(c.arg(0)));
        return Value(numberToRadixString(n, radix));
    });
    e.defineMethod(e.numberPrototype(), "valueOf",
                   [](NativeCall& c) { return Value(c.engine.toNumber(thisPrimitive(c))); });

    wrapperClass(e, "Boolean", e.booleanPrototype(), [](NativeCall& c) -> Value {
        bool b = toBoolean(c.arg(0));
        if (c.constructing) {
            if (auto* w = dynamic_cast<PrimitiveObject*>(c.thisObject())) w->value = Value(b);
            return c.thisValue;
        }
        return Value(b);
    });
    e.defineMethod(e.booleanPrototype(), "toString", [](NativeCall& c) {
        return Value(toBoolean(thisPrimitive(c)) ? "true" : "false");
    });
    e.defineMethod(e.booleanPrototype(), "valueOf",
                   [](NativeCall& c) { return Value(toBoolean(thisPrimitive(c))); });
}

void installMath(Engine& e) {
    Object* math = e.newObject();
    e.globals()->define("Math", Value(math), DontEnum);
    math->define("E", Value(2.718281828459045), kConstant);
    math->define("LN10", Value(2.302585092994046), kConstant);
    math->define("LN2", Value(0.6931471805599453), kConstant);
    math->define("LOG10E", Value(0.4342944819032518), kConstant);
    math->define("LOG2E", Value(1.442695040888963387), kConstant);
    math->define("PI", Value(3.141592653589793), kConstant);
    math->define("SQRT1_2", Value(0.7071067811865476), kConstant);
    math->define("SQRT2", Value(1.4142135623730951), kConstant);

    auto unary = [&](const char* name, double (*fn)(double)) {
        e.defineMethod(math, name, [fn](NativeCall& c) {
            if (c.args.empty()) return Value(std::numeric_limits<double>::quiet_NaN());
            return Value(fn(c.engine.toNumber(c.arg(0))));
        });
    };
    unary("abs", [](double x) { return std::fabs(x); });
    unary("acos", [](double x) { return std::acos(x); });
    unary("asin", [](double x) { return std::asin(x); });
    unary("atan", [](double x) { return std::atan(x); });
    unary("ceil", [](double x) { return std::ceil(x); });
    unary("cos", [](double x) { return std::cos(x); });
    unary("exp", [](double x) { return std::exp(x); });
    unary("floor", [](double x) { return std::floor(x); });
    unary("log", [](double x) { return std::log(x); });
    unary("round", [](double x) { return std::floor(x + 0.5); });
    unary("sin", [](double x) { return std::sin(x); });
    unary("sqrt", [](double x) { return std::sqrt(x); });
    unary("tan", [](double x) { return std::tan(x); });
    e.defineMethod(math, "atan2", [](NativeCall& c) {
        return Value(std::atan2(c.engine.toNumber(c.arg(0)), c.engine.toNumber(c.arg(1))));
    });
    e.defineMethod(math, "pow", [](NativeCall& c) {
        return Value(std::pow(c.engine.toNumber(c.arg(0)), c.engine.toNumber(c.arg(1))));
    });
    auto extreme = [&](const char* name, bool max) {
        e.defineMethod(math, name, [max](NativeCall& c) {
            double result = max ? -std::numeric_limits<double>::infinity()
                                : std::numeric_limits<double>::infinity();
            for (const Value& v : c.args) {
                double n = c.engine.toNumber(v);
                if (std::isnan(n)) return Value(n);
                result = max ? std::max(result, n) : std::min(result, n);
            }
            return Value(result);
        });
    };
    extreme("max", true);
    extreme("min", false);
    e.defineMethod(math, "random", [](NativeCall& c) { return Value(c.engine.random()); });
}

} // namespace zimo::script
