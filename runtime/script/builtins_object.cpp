// Object and Function.
#include "script/builtins.h"
#include "script/engine.h"

namespace zimo::script {

namespace {

bool hasOwn(Engine& e, Object* o, const std::string& name) {
    return o && (o->findOwn(name) || o->hostGet(e, name).has_value());
}

// --- Object ---------------------------------------------------------------------------------

Value constructObject(NativeCall& c) {
    if (c.constructing) return c.thisValue;
    if (c.args.empty() || c.arg(0).isNullish()) return Value(c.engine.newObject());
    return Value(c.engine.toObject(c.arg(0)));
}

Value objectToString(NativeCall& c) {
    if (Object* o = c.thisObject())
        if (auto fixed = o->stringForm()) return Value(*fixed);
    return Value("[object Object]");
}

Value objectValueOf(NativeCall& c) {
    return c.thisValue;
}

Value hasOwnProperty(NativeCall& c) {
    return Value(hasOwn(c.engine, c.thisObject(), c.engine.toString(c.arg(0))));
}

Value isPropertyEnumerable(NativeCall& c) {
    Object* o = c.thisObject();
    std::string name = c.engine.toString(c.arg(0));
    Property* p = o ? o->findOwn(name) : nullptr;
    return Value(p != nullptr && !(p->flags & DontEnum));
}

Value isPrototypeOf(NativeCall& c) {
    Object* self = c.thisObject();
    Object* other = c.arg(0).asObject();
    int steps = 0;
    for (Object* p = other ? other->proto() : nullptr; p && steps < 256; p = p->proto(), ++steps)
        if (p == self) return Value(true);
    return Value(false);
}

Value watch(NativeCall& c) {
    Object* o = c.thisObject();
    if (!o || c.args.empty() || !dynamic_cast<FunctionObject*>(c.arg(1).asObject()))
        return Value(false);
    c.engine.watch(o, c.engine.toString(c.arg(0)), c.arg(1), c.arg(2));
    return Value(true);
}

Value unwatch(NativeCall& c) {
    return Value(c.engine.unwatch(c.thisObject(), c.engine.toString(c.arg(0))));
}

Value addProperty(NativeCall& c) {
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
}

const NativeMethod kObjectMethods[] = {
    {"toString", objectToString},
    {"valueOf", objectValueOf},
    {"hasOwnProperty", hasOwnProperty},
    {"isPropertyEnumerable", isPropertyEnumerable},
    {"isPrototypeOf", isPrototypeOf},
    {"watch", watch},
    {"unwatch", unwatch},
    {"addProperty", addProperty},
};

// --- Function -------------------------------------------------------------------------------

Value constructFunction(NativeCall& c) {
    return c.constructing ? c.thisValue : Value(c.engine.newObject());
}

Value functionCall(NativeCall& c) {
    std::span<const Value> rest = c.args.empty() ? c.args : c.args.subspan(1);
    return c.engine.callFunction(c.thisValue, c.arg(0), rest);
}

Value functionApply(NativeCall& c) {
    std::vector<Value> args;
    if (auto* list = dynamic_cast<ArrayObject*>(c.arg(1).asObject())) args = list->elements();
    return c.engine.callFunction(c.thisValue, c.arg(0), args);
}

Value functionToString(NativeCall&) {
    return Value("[type Function]");
}

const NativeMethod kFunctionMethods[] = {
    {"call", functionCall},
    {"apply", functionApply},
    {"toString", functionToString},
};

} // namespace

void installObjectClass(Engine& e) {
    e.defineClass({.name = "Object",
                   .constructor = constructObject,
                   .prototype = e.objectPrototype(),
                   .methods = kObjectMethods});
}

void installFunctionClass(Engine& e) {
    e.defineClass({.name = "Function",
                   .constructor = constructFunction,
                   .prototype = e.functionPrototype(),
                   .methods = kFunctionMethods});
}

} // namespace zimo::script
