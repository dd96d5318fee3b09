// Runs action records: frame scripts and the bodies of script functions.
#pragma once

#include "script/function.h"
#include "script/scope.h"
#include "script/value.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zimo::script {

class Engine;
class Tracer;

// One running action list: a frame script or a function call.
struct Frame {
    std::shared_ptr<const Bytes> code;
    std::size_t begin = 0; // the list's bounds in `code`; a jump outside ends the list
    std::size_t end = 0;
    std::size_t pc = 0;
    std::shared_ptr<const ConstantPool> pool;
    std::vector<Value> registers;
    ScopePtr scope;     // current chain (with blocks and tellTarget change it)
    ScopePtr baseScope; // the chain without tellTarget
    Value thisValue;
    Object* target = nullptr; // timeline that timeline actions act on
    Object* baseTarget = nullptr;
    FunctionObject* callee = nullptr;
    Object* home = nullptr; // where the running method was found, for `super`
    std::size_t stackBase = 0;
    Value returnValue;
};

class Interpreter {
public:
    // Limits that keep a bad script from exhausting memory.
    static constexpr std::size_t kMaxStack = 1u << 16;

    explicit Interpreter(Engine& engine) : e_(engine) {}

    void runFrameScript(std::shared_ptr<const Bytes> code, Object* target);
    Value callScript(FunctionObject& fn, const Value& thisValue, std::span<const Value> args,
                     Object* home);
    Value getVariable(Object* target, std::string_view path);
    void setVariable(Object* target, std::string_view path, const Value& value);
    void trace(Tracer& t) const;

private:
    enum class Flow { Continue, Return };

    Flow run(Frame& f, std::size_t start, std::size_t end);
    Flow step(Frame& f, std::uint8_t op, std::size_t dataBegin, std::size_t dataEnd,
              std::size_t next);
    Flow runBlock(Frame& f, std::size_t start, std::size_t end);
    Flow actionTry(Frame& f, std::size_t dataBegin, std::size_t dataEnd, std::size_t next);
    void defineFunction(Frame& f, std::size_t dataBegin, std::size_t dataEnd, std::size_t next,
                        bool v2);
    void actionPush(Frame& f, std::size_t dataBegin, std::size_t dataEnd);
    void jump(Frame& f, std::size_t next, std::int16_t offset);

    // Stack, per frame: popping below the frame's base gives undefined.
    void push(Value v);
    Value pop(Frame& f);
    Value& top(Frame& f);
    std::vector<Value> popArgs(Frame& f);

    // Variables and paths.
    Value lookup(Frame& f, const std::string& name);
    void assign(Frame& f, const std::string& name, const Value& v);
    void defineLocal(Frame& f, const std::string& name, const Value& v, bool onlyIfAbsent);
    bool deleteVariable(Frame& f, const std::string& name);
    Value specialName(Frame& f, const std::string& name, bool& found);
    // A target path ("/a/b", "../c", "_root.a", "a.b") to an object, or nullptr.
    Object* resolveTarget(Frame& f, std::string_view path);
    Object* targetFromValue(Frame& f, const Value& v);
    // Splits "path:var" / "path.var"; returns false for a plain name.
    bool splitPath(std::string_view name, std::string_view& path, std::string_view& var) const;
    Value makeSuper(Frame& f);
    std::string targetPath(Object* o);

    void callAction(Frame& f, bool method);
    void newAction(Frame& f, bool method);

    Engine& e_;
    std::vector<Value> stack_;
};

} // namespace zimo::script
