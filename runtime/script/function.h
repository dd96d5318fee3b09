// Function objects: script functions (DefineFunction, DefineFunction2) and native ones.
#pragma once

#include "script/object.h"
#include "script/scope.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace zimo::script {

using Bytes = std::vector<std::uint8_t>;
using ConstantPool = std::vector<std::string>;

// Everything a native function is given.
struct NativeCall {
    Engine& engine;
    Value thisValue;
    std::span<const Value> args;
    FunctionObject* callee;
    bool constructing; // called by `new`: thisValue is the fresh object to fill

    const Value& arg(std::size_t i) const {
        static const Value undefined;
        return i < args.size() ? args[i] : undefined;
    }
    Object* thisObject() const { return thisValue.asObject(); }
};

using NativeFn = std::function<Value(NativeCall&)>;
// Makes the object that `new` passes to a native constructor (for native classes whose
// instances are not plain objects). The engine sets its prototype afterwards.
using InstanceFactory = std::function<Object*(Engine&)>;

// A script function's code and signature, shared by every closure made from it.
struct ScriptCode {
    std::shared_ptr<const Bytes> bytes;
    std::size_t begin = 0; // body start in bytes
    std::size_t end = 0;   // body end
    std::string name;
    struct Param {
        std::uint8_t reg; // 0: a named local
        std::string name;
    };
    std::vector<Param> params;
    bool function2 = false;
    std::uint8_t registerCount = 0;
    std::uint16_t flags = 0; // DefineFunction2's swf::FunctionFlag bits
    std::shared_ptr<const ConstantPool> pool;
};

class FunctionObject : public Object {
public:
    // Native function.
    FunctionObject(Object* proto, std::string name, NativeFn fn, InstanceFactory factory = {})
        : Object(proto), name_(std::move(name)), native_(std::move(fn)),
          factory_(std::move(factory)) {}
    // Script function (closure).
    FunctionObject(Object* proto, std::shared_ptr<const ScriptCode> code, ScopePtr scope,
                   Object* target)
        : Object(proto), name_(code->name), code_(std::move(code)), scope_(std::move(scope)),
          target_(target) {}

    bool isFunction() const override { return true; }
    std::string_view typeOf() const override { return "function"; }
    std::optional<std::string> stringForm() const override { return "[type Function]"; }
    void trace(Tracer& t) const override;

    const std::string& name() const { return name_; }
    bool isNative() const { return code_ == nullptr; }
    const NativeFn& native() const { return native_; }
    const InstanceFactory& factory() const { return factory_; }
    const std::shared_ptr<const ScriptCode>& code() const { return code_; }
    const ScopePtr& scope() const { return scope_; }
    // The timeline the function was defined on; its timeline actions act there.
    Object* target() const { return target_; }

private:
    std::string name_;
    NativeFn native_;
    InstanceFactory factory_;
    std::shared_ptr<const ScriptCode> code_;
    ScopePtr scope_;
    Object* target_ = nullptr;
};

} // namespace zimo::script
