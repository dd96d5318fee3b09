// The script engine: values, objects, the global classes, the interpreter and the timers.
//
// A host creates one Engine per movie, gives it a Host (root timeline and timeline actions),
// registers its native classes, then drives it:
//
//   Engine engine(&host);
//   engine.runActions(doActionBytes, clipObject);         // a frame script on a timeline
//   engine.setVariable(root, "Ff", Value("C:/a.flv"));     // watchers run before it returns
//   engine.call(fn, thisObject, args);                     // an event handler
//   engine.advanceTime(33);                                // due timers fire, each in its turn
//
// Each of these entry points is one turn: it has its own action budget, and whatever goes
// wrong in it (a runaway loop, too deep a recursion, malformed actions, an uncaught throw)
// ends that turn only. Nothing escapes as a C++ exception.
//
// Native classes derive from Object and override the host hooks (hostGet/hostSet for
// built-in properties such as `_x`, hostKeys, trace, stringForm, typeOf). A class is
// declared with the table of its methods:
//
//   const NativeMethod kStreamMethods[] = {{"play", play}, {"close", close}};
//   FunctionObject* ctor = engine.defineClass({.name = "NetStream", .constructor = construct,
//       .factory = [](Engine& e) -> Object* { return e.make<StreamObject>(nullptr); },
//       .methods = kStreamMethods});
//   auto* clip = engine.make<ClipObject>(engine.prototypeOf(movieClipCtor), ...);
//   engine.pin(clip);                                               // while on the stage
//
// Target paths ("/a/b", "_root.a", "../c") resolve through Host::root() and the clips' own
// `_parent` and child-name properties, so a host only has to answer those.
//
// Objects belong to the engine's heap and are collected when unreachable. Objects the host
// keeps between turns must be pinned (pin/unpin, or Pinned); values returned by an entry
// point stay valid until the next entry point.
#pragma once

#include "script/array.h"
#include "script/errors.h"
#include "script/function.h"
#include "script/heap.h"
#include "script/host.h"
#include "script/object.h"
#include "script/timers.h"
#include "script/value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zimo::script {

class Interpreter;

// A native function with its name, as a class's table of methods lists it.
struct NativeMethod {
    const char* name;
    NativeFn fn;
};

// A read-only number of a class or object, such as Math.PI.
struct NativeConstant {
    const char* name;
    double value;
};

// A native class: its constructor `name` on _global and the surface of the class.
struct NativeClass {
    std::string name;
    NativeFn constructor;
    // Makes the object `new` passes to the constructor, for classes backed by a C++ type.
    InstanceFactory factory = {};
    // The class's prototype when the engine already has it (Object, Array, String, ...);
    // otherwise a new one whose __proto__ is parentPrototype (Object.prototype when null).
    Object* prototype = nullptr;
    Object* parentPrototype = nullptr;
    std::span<const NativeMethod> methods = {};     // on the prototype
    std::span<const NativeMethod> statics = {};     // on the constructor
    std::span<const NativeConstant> constants = {}; // on the constructor
};

class Engine {
public:
    static constexpr int kMaxDepth = 256; // nested calls, as the player
    static constexpr std::uint64_t kDefaultActionBudget = 2'000'000;
    static constexpr std::size_t kMaxStringLength = 16u << 20; // UTF-8 bytes

    explicit Engine(Host* host = nullptr);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    void setHost(Host* host);
    Host& host() { return *host_; }

    // --- Entry points (one turn each) --------------------------------------------------
    // Runs a DoAction body with `target` as its timeline (variables, `this`, timeline actions).
    void runActions(std::shared_ptr<const Bytes> code, Object* target);
    void runActions(std::span<const std::uint8_t> code, Object* target);
    // Calls a function value; a value that is not a function gives undefined.
    Value call(const Value& function, const Value& thisValue, std::span<const Value> args = {});
    // Calls obj[name](args) if it is a function.
    Value callMethod(const Value& object, const std::string& name,
                     std::span<const Value> args = {});
    // Variables by path relative to a timeline: "x", "a.b.c", "/a/b:c", "_root.x",
    // "_global.x". Setting runs setters and watchers before it returns.
    Value getVariable(Object* target, std::string_view path);
    void setVariable(Object* target, std::string_view path, const Value& value);
    // Moves the timer clock forward; due timers fire in order, each in a turn of its own.
    void advanceTime(double milliseconds);
    double now() const { return clock_; }
    // Calls source._listeners[i][message](args) for each listener (AsBroadcaster).
    void broadcast(Object* source, const std::string& message, std::span<const Value> args = {});

    // --- Objects -----------------------------------------------------------------------
    Object* globals() const { return global_; }
    Object* objectPrototype() const { return objectProto_; }
    Object* functionPrototype() const { return functionProto_; }
    Object* arrayPrototype() const { return arrayProto_; }
    Object* stringPrototype() const { return stringProto_; }
    Object* numberPrototype() const { return numberProto_; }
    Object* booleanPrototype() const { return booleanProto_; }

    template <class T, class... Args> T* make(Args&&... args) {
        return heap_.make<T>(std::forward<Args>(args)...);
    }
    Object* newObject();
    ArrayObject* newArray(std::vector<Value> elements = {});
    FunctionObject* newFunction(std::string name, NativeFn fn);
    // Defines the class on _global: its constructor, prototype, methods and constants.
    FunctionObject* defineClass(const NativeClass& definition);
    // ctor.prototype, or nullptr.
    Object* prototypeOf(Object* constructor);
    // A native method: a DontEnum function property.
    FunctionObject* defineMethod(Object* on, const std::string& name, NativeFn fn);
    // Each method of the table, and each constant (DontEnum, DontDelete, ReadOnly).
    void defineMethods(Object* on, std::span<const NativeMethod> methods);
    void defineConstants(Object* on, std::span<const NativeConstant> constants);

    // --- Property access with getters, setters, host hooks and watchers ---------------------
    Value get(const Value& object, const std::string& name); // primitives use their prototype
    void set(Object* object, const std::string& name, const Value& value);
    bool has(Object* object, const std::string& name);
    bool remove(Object* object, const std::string& name);
    // Where `name` is found along the prototype chain (own dynamic or host property).
    Object* findOwner(Object* object, const std::string& name);
    // Enumerable names, own first, in the order for-in yields them.
    std::vector<std::string> enumerate(Object* object);
    void watch(Object* object, const std::string& name, const Value& callback,
               const Value& userData);
    bool unwatch(Object* object, const std::string& name);

    // --- Conversions and operators (may run valueOf / toString) ------------------------------
    enum class Hint { Number, String };
    Value toPrimitive(const Value& v, Hint hint = Hint::Number);
    double toNumber(const Value& v);
    std::string toString(const Value& v);
    Object* toObject(const Value& v); // primitives are wrapped
    std::string typeOf(const Value& v);
    Value add(const Value& a, const Value& b);        // Add2
    bool looseEquals(const Value& a, const Value& b); // Equals2
    static bool strictEquals(const Value& a, const Value& b);
    Value lessThan(const Value& a, const Value& b); // Less2: true, false or undefined
    bool instanceOf(const Value& object, const Value& constructor);

    // --- Calls inside a turn (for natives and hosts handling a script call) ------------------
    // `home` is the object the function was found on, for `super`.
    Value callFunction(const Value& function, const Value& thisValue, std::span<const Value> args,
                       Object* home = nullptr);
    Value construct(const Value& constructor, std::span<const Value> args);
    bool inTurn() const { return turnDepth_ > 0; }
    // Counts native work against the turn's budget (long loops in natives call this).
    void charge(std::uint64_t actions);
    void checkStringLength(std::size_t n);

    // --- Host wiring ---------------------------------------------------------------------
    void setTraceSink(std::function<void(std::string_view)> sink) { traceSink_ = std::move(sink); }
    void trace(std::string_view text) {
        if (traceSink_) traceSink_(text);
    }
    void setRandomSeed(std::uint64_t seed) { rng_ = seed ? seed : 0x9E3779B97F4A7C15ull; }
    double random(); // in [0, 1)
    void setActionBudget(std::uint64_t actions) { budget_ = actions; }
    // Why the last turn that ended early did so ("" when none has).
    const std::string& lastError() const { return lastError_; }

    // --- Lifetime --------------------------------------------------------------------------
    void pin(Object* o);
    void unpin(Object* o);
    void collectGarbage();
    std::size_t objectCount() const { return heap_.size(); }

    // --- Internal: used by the interpreter ---------------------------------------------------
    Interpreter& interpreter() { return *interpreter_; }
    TimerQueue& timers() { return timers_; }
    int depth() const { return depth_; }
    struct DepthGuard {
        explicit DepthGuard(Engine& e);
        ~DepthGuard() { --e.depth_; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;
        Engine& e;
    };

private:
    template <class F> auto turn(F&& body) -> decltype(body());
    void setupGlobals();
    void maybeCollect(const Value& keep);
    Value getOn(Object* start, const Value& thisValue, const std::string& name);

    Heap heap_;
    Host defaultHost_;
    Host* host_ = &defaultHost_;
    std::unique_ptr<Interpreter> interpreter_;
    Object* global_ = nullptr;
    Object* objectProto_ = nullptr;
    Object* functionProto_ = nullptr;
    Object* arrayProto_ = nullptr;
    Object* stringProto_ = nullptr;
    Object* numberProto_ = nullptr;
    Object* booleanProto_ = nullptr;
    TimerQueue timers_;
    double clock_ = 0;
    std::unordered_map<Object*, int> pins_;
    std::function<void(std::string_view)> traceSink_;
    std::uint64_t rng_ = 0x9E3779B97F4A7C15ull;
    std::uint64_t budget_ = kDefaultActionBudget;
    std::uint64_t used_ = 0;
    int depth_ = 0;
    int turnDepth_ = 0;
    std::string lastError_;
    std::size_t collectThreshold_ = 20000;
};

// Keeps an object alive while it is held.
class Pinned {
public:
    Pinned() = default;
    Pinned(Engine& e, Object* o) : e_(&e), o_(o) {
        if (o_) e_->pin(o_);
    }
    ~Pinned() { reset(); }
    Pinned(Pinned&& other) noexcept : e_(other.e_), o_(other.o_) { other.o_ = nullptr; }
    Pinned& operator=(Pinned&& other) noexcept {
        if (this != &other) {
            reset();
            e_ = other.e_;
            o_ = other.o_;
            other.o_ = nullptr;
        }
        return *this;
    }
    Pinned(const Pinned&) = delete;
    Pinned& operator=(const Pinned&) = delete;
    Object* get() const { return o_; }
    void reset() {
        if (o_) e_->unpin(o_);
        o_ = nullptr;
    }

private:
    Engine* e_ = nullptr;
    Object* o_ = nullptr;
};

} // namespace zimo::script
