// Script objects: ordered property maps with flags, a prototype link and variable watchers.
//
// Objects live on the engine's collected heap (see heap.h) and refer to one another with plain
// pointers; the heap owns them. Native classes (display items, streams, ...) derive from
// Object and override the host hooks below to expose built-in properties such as `_x`.
#pragma once

#include "script/value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zimo::script {

class Engine;
class FunctionObject;
class Tracer;

// Property attributes, with the bit values ASSetPropFlags uses.
enum PropertyFlag : std::uint8_t {
    DontEnum = 1,
    DontDelete = 2,
    ReadOnly = 4,
};

struct Property {
    Value value;
    // Set by addProperty: reads call the getter, writes the setter.
    FunctionObject* getter = nullptr;
    FunctionObject* setter = nullptr;
    std::uint8_t flags = 0;
    bool isAccessor() const { return getter != nullptr || setter != nullptr; }
};

// Keeps properties in the order they were first defined.
class PropertyMap {
public:
    Property* find(std::string_view name);
    const Property* find(std::string_view name) const;
    // Returns the existing property or a new empty one appended at the end.
    Property& insert(const std::string& name);
    bool erase(std::string_view name);
    std::size_t size() const { return entries_.size(); }
    const std::vector<std::pair<std::string, Property>>& entries() const { return entries_; }
    std::vector<std::pair<std::string, Property>>& entries() { return entries_; }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    std::vector<std::pair<std::string, Property>> entries_;
    std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>> index_;
};

struct Watcher {
    Value callback;
    Value userData;
    bool running = false; // an assignment from inside the watcher stores without calling it
};

class Object {
public:
    explicit Object(Object* proto = nullptr) : proto_(proto) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    Object* proto() const { return proto_; }
    void setProto(Object* p) { proto_ = p; }

    PropertyMap& properties() { return props_; }
    const PropertyMap& properties() const { return props_; }

    // Plain own storage, no hooks, no watchers: for setting up objects from C++.
    void define(const std::string& name, Value v, std::uint8_t flags = 0);
    Property* findOwn(std::string_view name) { return props_.find(name); }

    std::unordered_map<std::string, Watcher>& watchers() { return watchers_; }

    // --- What kind of object this is ---------------------------------------------------
    virtual bool isFunction() const { return false; }
    // typeof's answer ("object", "function", "movieclip").
    virtual std::string_view typeOf() const { return "object"; }
    // A fixed string form that skips toString (display items give their target path).
    virtual std::optional<std::string> stringForm() const { return std::nullopt; }
    // The primitive held by Number, String and Boolean wrapper objects.
    virtual std::optional<Value> primitiveValue() const { return std::nullopt; }

    // --- Host hooks ------------------------------------------------------------------------
    // Built-in properties of native classes. hostGet runs after the object's own dynamic
    // properties and before its prototype chain; hostSet runs before anything else and
    // returns true when it took the assignment (then no watcher and no dynamic property).
    virtual std::optional<Value> hostGet(Engine&, const std::string&) { return std::nullopt; }
    virtual bool hostSet(Engine&, const std::string&, const Value&) { return false; }
    virtual bool hostDelete(Engine&, const std::string&) { return false; }
    // Names of enumerable built-in properties (array indices, child clips).
    virtual void hostKeys(std::vector<std::string>&) const {}
    // Marks every object this one refers to; derived classes call the base version.
    virtual void trace(Tracer& t) const;

private:
    friend class Heap;
    Object* proto_;
    PropertyMap props_;
    std::unordered_map<std::string, Watcher> watchers_;
    bool marked_ = false;
};

// Marks reachable objects during collection.
class Tracer {
public:
    void mark(Object* o) {
        if (o) pending_.push_back(o);
    }
    void mark(const Value& v) { mark(v.asObject()); }

private:
    friend class Heap;
    std::vector<Object*> pending_;
};

// Wrapper objects made by `new Number(5)`, `new String("a")`, `new Boolean(true)`.
class PrimitiveObject : public Object {
public:
    using Object::Object;
    std::optional<Value> primitiveValue() const override { return value; }
    Value value;
};

} // namespace zimo::script
