// Object and Function.
#include "script/builtins.h"
#include "script/engine.h"

namespace zimo::script {

namespace {

bool hasOwn(Engine& e, Object* o, const std::string& name) {
    return o && (o->findOwn(name) || o->hostGet(e, name).has_value());
}

} // namespace

void installObjectClass(Engine& e) {
    Object* proto = e.objectPrototype();
    auto* ctor = e.newFunction("Object", [](NativeCall& c) -> Value {
        if (c.constructing) return c.thisValue;
        if (c.args.empty() || c.arg(0).isNullish()) return Value(c.engine.newObject());
        return Value(c.engine.toObject(c.arg(0)));
    });
    ctor->define("prototype", Value(proto), DontEnum | DontDelete);
    proto->define("constructor", Value(ctor), DontEnum);
    e.globals()->define("Object", Value(ctor), DontEnum);

    e.defineMethod(proto, "toString", [](NativeCall& c) -> Value {
        if (Object* o = c.thisObject())
            if (auto fixed = o->stringForm()) return Value(*fixed);
        return Value("[object Object]");
    });
    e.defineMethod(proto, "valueOf", [](NativeCall& c) { return c.thisValue; });
    e.defineMethod(proto, "hasOwnProperty", [](NativeCall& c) {
        return Value(hasOwn(c.engine, c.thisObject(), c.engine.toString(c.arg(0))));
    });
    e.defineMethod(proto, "isPropertyEnumerable", [](NativeCall& c) {
        Object* o = c.thisObject();
        std::string name = c.engine.toString(c.arg(0));
        Property* p = o ? o->findOwn(name) : nullptr;
        return Value(p != nullptr && !(p->flags & DontEnum));
    });
    e.defineMethod(proto, "isPrototypeOf", [](NativeCall& c) {
        Object* self = c.thisObject();
        Object* other = c.arg(0).asObject();
        int steps = 0;
        for (Object* p = other ? other->proto() : nullptr; p && steps < 256;
             p = p->proto(), ++steps)
            if (p == self) return Value(true);
        return Value(false);
    });
    e.defineMethod(proto, "watch", [](NativeCall& c) {
        Object* o = c.thisObject();
        if (!o || c.args.empty() || !dynamic_cast<FunctionObject*>(c.arg(1).asObject()))
            return Value(false);
        c.engine.watch(o, c.engine.toString(c.arg(0)), c.arg(1), c.arg(2));
        return Value(true);
    });
    e.defineMethod(proto, "unwatch", [](NativeCall& c) {
        return Value(c.engine.unwatch(c.thisObject(), c.engine.toString(c.arg(0))));
    });
    e.defineMethod(proto, "addProperty", [](NativeCall& c) {
        Object* o = c.thisObject();
        std::string name = c.engine.toString(c.arg(0));
        auto* getter = dynamic_cast<FunctionObject*>(c.arg(1).asObject());
        auto* setter = dynamic_cast<FunctionObject*>(c.arg(2).asObject());
        if (!o || name.empty() || !getter || (!setter && !c.arg(2).isNull())) return Value(false);
        Property& p = o->properties().insert(name);
        p.value = Value();
        p.getter = getter;
        p.setter = setter;
        return Value(true);
    });
}

void installFunctionClass(Engine& e) {
    Object* proto = e.functionPrototype();
    auto* ctor = e.newFunction("Function", [](NativeCall& c) -> Value {
        return c.constructing ? c.thisValue : Value(c.engine.newObject());
    });
    ctor->define("prototype", Value(proto), DontEnum | DontDelete);
    proto->define("constructor", Value(ctor), DontEnum);
    e.globals()->define("Function", Value(ctor), DontEnum);

    e.defineMethod(proto, "call", [](NativeCall& c) {
        std::span<const Value> rest = c.args.empty() ? c.args : c.args.subspan(1);
        return c.engine.callFunction(c.thisValue, c.arg(0), rest);
    });
    e.defineMethod(proto, "apply", [](NativeCall& c) {
        std::vector<Value> args;
        if (auto* list = dynamic_cast<ArrayObject*>(c.arg(1).asObject())) args = list->elements();
        return c.engine.callFunction(c.thisValue, c.arg(0), args);
    });
    e.defineMethod(proto, "toString", [](NativeCall&) { return Value("[type Function]"); });
}

} // namespace zimo::script
