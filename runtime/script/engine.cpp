#include "script/engine.h"

#include "script/builtins.h"
#include "script/interpreter.h"
#include "script/text.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace zimo::script {

Engine::DepthGuard::DepthGuard(Engine& engine) : e(engine) {
    if (e.depth_ >= kMaxDepth) throw ScriptAbort{"more than 256 levels of recursion"};
    ++e.depth_;
}

Engine::Engine(Host* host) : interpreter_(std::make_unique<Interpreter>(*this)) {
    setHost(host);
    setupGlobals();
}

Engine::~Engine() = default;

void Engine::setHost(Host* host) {
    host_ = host ? host : &defaultHost_;
}

void Engine::setupGlobals() {
    objectProto_ = heap_.make<Object>(nullptr);
    functionProto_ = heap_.make<Object>(objectProto_);
    arrayProto_ = heap_.make<Object>(objectProto_);
    stringProto_ = heap_.make<Object>(objectProto_);
    numberProto_ = heap_.make<Object>(objectProto_);
    booleanProto_ = heap_.make<Object>(objectProto_);
    global_ = heap_.make<Object>(objectProto_);
    installObjectClass(*this);
    installFunctionClass(*this);
    installArrayClass(*this);
    installStringClass(*this);
    installNumberAndBoolean(*this);
    installMath(*this);
    installGlobalFunctions(*this);
    installTimers(*this);
    installBroadcaster(*this);
}

// --- Turns ----------------------------------------------------------------------------------

template <class F> auto Engine::turn(F&& body) -> decltype(body()) {
    if (turnDepth_ == 0) used_ = 0;
    ++turnDepth_;
    Value result;
    try {
        result = body();
    } catch (const ScriptAbort& abort) {
        lastError_ = abort.reason;
    } catch (const ScriptThrow& thrown) {
        lastError_ = "uncaught exception: " + primitiveToString(thrown.value);
    } catch (const std::bad_alloc&) {
        lastError_ = "out of memory";
    }
    --turnDepth_;
    if (turnDepth_ == 0) maybeCollect(result);
    return result;
}

void Engine::runActions(std::shared_ptr<const Bytes> code, Object* target) {
    if (!code) return;
    turn([&] {
        interpreter_->runFrameScript(code, target);
        return Value();
    });
}

void Engine::runActions(std::span<const std::uint8_t> code, Object* target) {
    runActions(std::make_shared<const Bytes>(code.begin(), code.end()), target);
}

Value Engine::call(const Value& function, const Value& thisValue, std::span<const Value> args) {
    return turn([&] { return callFunction(function, thisValue, args); });
}

Value Engine::callMethod(const Value& object, const std::string& name,
                         std::span<const Value> args) {
    return turn([&] {
        Object* o = object.asObject();
        Object* owner = o ? findOwner(o, name) : nullptr;
        return callFunction(get(object, name), object, args, owner);
    });
}

Value Engine::getVariable(Object* target, std::string_view path) {
    return turn([&] { return interpreter_->getVariable(target, path); });
}

void Engine::setVariable(Object* target, std::string_view path, const Value& value) {
    turn([&] {
        interpreter_->setVariable(target, path, value);
        return Value();
    });
}

void Engine::advanceTime(double milliseconds) {
    if (!(milliseconds >= 0)) return;
    double until = clock_ + milliseconds;
    // A backlog beyond this many firings waits for the next step.
    for (int fired = 0; fired < 10000; ++fired) {
        std::optional<Timer> timer = timers_.takeDue(until);
        if (!timer) break;
        clock_ = std::max(clock_, timer->due);
        turn([&] {
            if (!timer->method.empty())
                return callFunction(get(timer->function, timer->method), timer->function,
                                    timer->args);
            return callFunction(timer->function, Value(), timer->args);
        });
    }
    clock_ = std::max(clock_, until);
}

void Engine::broadcast(Object* source, const std::string& message, std::span<const Value> args) {
    if (!source) return;
    turn([&] {
        auto* listeners = dynamic_cast<ArrayObject*>(get(Value(source), "_listeners").asObject());
        if (!listeners) return Value();
        std::vector<Value> copy = listeners->elements();
        for (const Value& listener : copy) {
            Object* owner = listener.isObject() ? findOwner(listener.object(), message) : nullptr;
            callFunction(get(listener, message), listener, args, owner);
        }
        return Value();
    });
}

// --- Objects ----------------------------------------------------------------------------------

Object* Engine::newObject() {
    return heap_.make<Object>(objectProto_);
}

ArrayObject* Engine::newArray(std::vector<Value> elements) {
    auto* a = heap_.make<ArrayObject>(arrayProto_);
    if (elements.size() > ArrayObject::kMaxLength) elements.resize(ArrayObject::kMaxLength);
    a->elements() = std::move(elements);
    return a;
}

FunctionObject* Engine::newFunction(std::string name, NativeFn fn) {
    return heap_.make<FunctionObject>(functionProto_, std::move(name), std::move(fn));
}

FunctionObject* Engine::defineClass(const NativeClass& definition) {
    auto* ctor = heap_.make<FunctionObject>(functionProto_, definition.name, definition.constructor,
                                            definition.factory);
    Object* proto = definition.prototype;
    if (!proto)
        proto = heap_.make<Object>(definition.parentPrototype ? definition.parentPrototype
                                                              : objectProto_);
    proto->define("constructor", Value(ctor), DontEnum);
    ctor->define("prototype", Value(proto), DontEnum | DontDelete);
    global_->define(definition.name, Value(ctor), DontEnum);
    defineMethods(proto, definition.methods);
    defineMethods(ctor, definition.statics);
    defineConstants(ctor, definition.constants);
    return ctor;
}

Object* Engine::prototypeOf(Object* constructor) {
    if (!constructor) return nullptr;
    if (Property* p = constructor->findOwn("prototype"); p && !p->isAccessor())
        return p->value.asObject();
    return get(Value(constructor), "prototype").asObject();
}

FunctionObject* Engine::defineMethod(Object* on, const std::string& name, NativeFn fn) {
    FunctionObject* f = newFunction(name, std::move(fn));
    on->define(name, Value(f), DontEnum);
    return f;
}

void Engine::defineMethods(Object* on, std::span<const NativeMethod> methods) {
    for (const NativeMethod& m : methods)
        defineMethod(on, m.name, m.fn);
}

void Engine::defineConstants(Object* on, std::span<const NativeConstant> constants) {
    for (const NativeConstant& c : constants)
        on->define(c.name, Value(c.value), DontEnum | DontDelete | ReadOnly);
}

// --- Property access --------------------------------------------------------------------------

namespace {
constexpr int kMaxChain = 256; // prototype chains longer than this (or cyclic) end here
}

Value Engine::getOn(Object* start, const Value& thisValue, const std::string& name) {
    int steps = 0;
    for (Object* o = start; o && steps < kMaxChain; o = o->proto(), ++steps) {
        if (Property* p = o->findOwn(name)) {
            if (p->isAccessor())
                return p->getter ? callFunction(Value(p->getter), thisValue, {}) : Value();
            return p->value;
        }
        if (auto v = o->hostGet(*this, name)) return *v;
    }
    return Value();
}

Value Engine::get(const Value& object, const std::string& name) {
    switch (object.type()) {
    case Type::Object:
        if (name == "__proto__") {
            Object* p = object.object()->proto();
            return p ? Value(p) : Value();
        }
        return getOn(object.object(), object, name);
    case Type::String:
        if (name == "length") return Value(static_cast<double>(utf16Length(object.string())));
        return getOn(stringProto_, object, name);
    case Type::Number:
        return getOn(numberProto_, object, name);
    case Type::Boolean:
        return getOn(booleanProto_, object, name);
    default:
        return Value();
    }
}

void Engine::set(Object* object, const std::string& name, const Value& value) {
    if (!object) return;
    if (name == "__proto__") {
        if (value.isObject() || value.isNull()) object->setProto(value.asObject());
        return;
    }
    if (object->hostSet(*this, name, value)) return;

    Value stored = value;
    auto w = object->watchers().find(name);
    if (w != object->watchers().end() && !w->second.running) {
        Value callback = w->second.callback;
        Value userData = w->second.userData;
        Value old = get(Value(object), name);
        w->second.running = true;
        auto release = [&] {
            // The watcher may have unwatched or replaced itself meanwhile.
            auto again = object->watchers().find(name);
            if (again != object->watchers().end()) again->second.running = false;
        };
        try {
            Value args[] = {Value(name), old, value, userData};
            stored = callFunction(callback, Value(object), args);
        } catch (...) {
            release();
            throw;
        }
        release();
    }

    if (Property* p = object->findOwn(name)) {
        if (p->isAccessor()) {
            if (p->setter) {
                Value args[] = {stored};
                callFunction(Value(p->setter), Value(object), args);
            }
            return;
        }
        if (!(p->flags & ReadOnly)) p->value = stored;
        return;
    }
    // A getter/setter pair further up the chain takes the assignment.
    int steps = 0;
    for (Object* o = object->proto(); o && steps < kMaxChain; o = o->proto(), ++steps) {
        Property* p = o->findOwn(name);
        if (!p) continue;
        if (p->isAccessor()) {
            if (p->setter) {
                Value args[] = {stored};
                callFunction(Value(p->setter), Value(object), args);
            }
            return;
        }
        break;
    }
    object->properties().insert(name).value = stored;
}

Object* Engine::findOwner(Object* object, const std::string& name) {
    int steps = 0;
    for (Object* o = object; o && steps < kMaxChain; o = o->proto(), ++steps) {
        if (o->findOwn(name) || o->hostGet(*this, name)) return o;
    }
    return nullptr;
}

bool Engine::has(Object* object, const std::string& name) {
    if (!object) return false;
    if (name == "__proto__") return object->proto() != nullptr;
    return findOwner(object, name) != nullptr;
}

bool Engine::remove(Object* object, const std::string& name) {
    if (!object) return false;
    if (Property* p = object->findOwn(name)) {
        if (p->flags & DontDelete) return false;
        object->properties().erase(name);
        return true;
    }
    return object->hostDelete(*this, name);
}

std::vector<std::string> Engine::enumerate(Object* object) {
    std::vector<std::string> result;
    std::vector<std::string> seen;
    auto wasSeen = [&](const std::string& n) {
        return std::find(seen.begin(), seen.end(), n) != seen.end();
    };
    int steps = 0;
    for (Object* o = object; o && steps < kMaxChain; o = o->proto(), ++steps) {
        std::vector<std::string> level;
        std::vector<std::string> hostNames;
        o->hostKeys(hostNames);
        for (auto& n : hostNames) {
            if (!wasSeen(n)) {
                seen.push_back(n);
                level.push_back(n);
            }
        }
        for (const auto& [name, p] : o->properties().entries()) {
            if (wasSeen(name)) continue;
            seen.push_back(name);
            if (!(p.flags & DontEnum)) level.push_back(name);
        }
        // Most recently defined first, as for-in yields them.
        result.insert(result.end(), level.rbegin(), level.rend());
        charge(level.size());
    }
    return result;
}

void Engine::watch(Object* object, const std::string& name, const Value& callback,
                   const Value& userData) {
    if (!object) return;
    Watcher& w = object->watchers()[name];
    w.callback = callback;
    w.userData = userData;
}

bool Engine::unwatch(Object* object, const std::string& name) {
    return object && object->watchers().erase(name) > 0;
}

// --- Conversions and operators -------------------------------------------------------------

Value Engine::toPrimitive(const Value& v, Hint hint) {
    if (!v.isObject()) return v;
    Object* o = v.object();
    if (auto p = o->primitiveValue()) return *p;
    std::optional<std::string> fixed = o->stringForm();
    if (fixed && (hint == Hint::String || o->isFunction())) return Value(*fixed);
    const char* order[2] = {"valueOf", "toString"};
    if (hint == Hint::String) std::swap(order[0], order[1]);
    for (const char* method : order) {
        if (fixed && std::string_view(method) == "toString") return Value(*fixed);
        Value f = get(v, method);
        if (auto* fn = dynamic_cast<FunctionObject*>(f.asObject())) {
            Value r = callFunction(Value(fn), v, {});
            if (r.isPrimitive()) return r;
        }
    }
    if (fixed) return Value(*fixed);
    return hint == Hint::String ? Value("[type Object]") : Value();
}

double Engine::toNumber(const Value& v) {
    if (v.isPrimitive()) return primitiveToNumber(v);
    return primitiveToNumber(toPrimitive(v, Hint::Number));
}

std::string Engine::toString(const Value& v) {
    if (v.isPrimitive()) return primitiveToString(v);
    return primitiveToString(toPrimitive(v, Hint::String));
}

Object* Engine::toObject(const Value& v) {
    Object* proto = nullptr;
    switch (v.type()) {
    case Type::Object:
        return v.object();
    case Type::String:
        proto = stringProto_;
        break;
    case Type::Number:
        proto = numberProto_;
        break;
    case Type::Boolean:
        proto = booleanProto_;
        break;
    default:
        return nullptr;
    }
    auto* wrapper = heap_.make<PrimitiveObject>(proto);
    wrapper->value = v;
    return wrapper;
}

std::string Engine::typeOf(const Value& v) {
    switch (v.type()) {
    case Type::Undefined:
        return "undefined";
    case Type::Null:
        return "null";
    case Type::Boolean:
        return "boolean";
    case Type::Number:
        return "number";
    case Type::String:
        return "string";
    case Type::Object:
        return std::string(v.object()->typeOf());
    }
    return "undefined";
}

void Engine::checkStringLength(std::size_t n) {
    if (n > kMaxStringLength) throw ScriptAbort{"string too long"};
}

Value Engine::add(const Value& a, const Value& b) {
    Value pa = toPrimitive(a);
    Value pb = toPrimitive(b);
    if (pa.isString() || pb.isString()) {
        std::string left = toString(pa);
        std::string right = toString(pb);
        checkStringLength(left.size() + right.size());
        return Value(left + right);
    }
    return Value(primitiveToNumber(pa) + primitiveToNumber(pb));
}

bool Engine::strictEquals(const Value& a, const Value& b) {
    if (a.type() != b.type()) return false;
    if (a.isNumber()) return a.number() == b.number();
    return a == b;
}

bool Engine::looseEquals(const Value& a, const Value& b) {
    if (a.type() == b.type()) return strictEquals(a, b);
    if (a.isNullish() && b.isNullish()) return true;
    if (a.isNullish() || b.isNullish()) return false;
    if (a.isNumber() && b.isString()) return a.number() == stringToNumber(b.string());
    if (a.isString() && b.isNumber()) return stringToNumber(a.string()) == b.number();
    if (a.isBoolean()) return looseEquals(Value(a.boolean() ? 1.0 : 0.0), b);
    if (b.isBoolean()) return looseEquals(a, Value(b.boolean() ? 1.0 : 0.0));
    if (a.isObject() && b.isPrimitive()) return looseEquals(toPrimitive(a), b);
    if (a.isPrimitive() && b.isObject()) return looseEquals(a, toPrimitive(b));
    return false;
}

Value Engine::lessThan(const Value& a, const Value& b) {
    Value pa = toPrimitive(a);
    Value pb = toPrimitive(b);
    if (pa.isString() && pb.isString()) return Value(pa.string() < pb.string());
    double x = primitiveToNumber(pa);
    double y = primitiveToNumber(pb);
    if (std::isnan(x) || std::isnan(y)) return Value();
    return Value(x < y);
}

bool Engine::instanceOf(const Value& object, const Value& constructor) {
    Object* o = object.asObject();
    Object* ctor = constructor.asObject();
    if (!o || !ctor) return false;
    Object* proto = prototypeOf(ctor);
    if (!proto) return false;
    int steps = 0;
    for (Object* p = o->proto(); p && steps < kMaxChain; p = p->proto(), ++steps) {
        if (p == proto) return true;
        if (Property* impl = p->findOwn("__implements__")) {
            if (auto* list = dynamic_cast<ArrayObject*>(impl->value.asObject())) {
                for (const Value& iface : list->elements())
                    if (iface.asObject() == ctor) return true;
            }
        }
    }
    return false;
}

// --- Calls ----------------------------------------------------------------------------------

Value Engine::callFunction(const Value& function, const Value& thisValue,
                           std::span<const Value> args, Object* home) {
    auto* fn = dynamic_cast<FunctionObject*>(function.asObject());
    if (!fn) return Value();
    DepthGuard depth(*this);
    charge(1);
    if (fn->isNative()) {
        if (!fn->native()) return Value();
        NativeCall call{*this, thisValue, args, fn, false};
        return fn->native()(call);
    }
    return interpreter_->callScript(*fn, thisValue, args, home);
}

Value Engine::construct(const Value& constructor, std::span<const Value> args) {
    auto* fn = dynamic_cast<FunctionObject*>(constructor.asObject());
    if (!fn) return Value();
    Object* proto = prototypeOf(fn);
    Object* instance = fn->factory() ? fn->factory()(*this) : nullptr;
    if (!instance) instance = newObject();
    instance->setProto(proto ? proto : objectProto_);
    instance->define("__constructor__", Value(fn), DontEnum);
    DepthGuard depth(*this);
    charge(1);
    if (fn->isNative()) {
        if (fn->native()) {
            NativeCall call{*this, Value(instance), args, fn, true};
            fn->native()(call);
        }
    } else {
        interpreter_->callScript(*fn, Value(instance), args, instance->proto());
    }
    return Value(instance);
}

void Engine::charge(std::uint64_t actions) {
    used_ += actions;
    if (used_ > budget_) throw ScriptAbort{"action budget spent: the script was abandoned"};
}

double Engine::random() {
    rng_ ^= rng_ >> 12;
    rng_ ^= rng_ << 25;
    rng_ ^= rng_ >> 27;
    std::uint64_t r = rng_ * 2685821657736338717ull;
    return static_cast<double>(r >> 11) * (1.0 / 9007199254740992.0);
}

// --- Lifetime -------------------------------------------------------------------------------

void Engine::pin(Object* o) {
    if (o) ++pins_[o];
}

void Engine::unpin(Object* o) {
    auto it = pins_.find(o);
    if (it != pins_.end() && --it->second <= 0) pins_.erase(it);
}

void Engine::collectGarbage() {
    if (turnDepth_ > 0 || depth_ > 0) return; // objects are only collected between turns
    heap_.collect([&](Tracer& t) {
        t.mark(global_);
        for (Object* p :
             {objectProto_, functionProto_, arrayProto_, stringProto_, numberProto_, booleanProto_})
            t.mark(p);
        for (const auto& [o, count] : pins_)
            t.mark(o);
        timers_.trace(t);
        t.mark(host_->root());
        host_->traceRoots(t);
        interpreter_->trace(t);
    });
}

void Engine::maybeCollect(const Value& keep) {
    if (heap_.allocatedSinceCollect() < collectThreshold_ || turnDepth_ > 0 || depth_ > 0) return;
    pin(keep.asObject());
    collectGarbage();
    unpin(keep.asObject());
    collectThreshold_ = std::max<std::size_t>(20000, heap_.size());
}

} // namespace zimo::script
