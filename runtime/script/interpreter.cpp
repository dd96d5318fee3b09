#include "script/interpreter.h"

#include "script/engine.h"
#include "script/super_object.h"
#include "swf/action_codes.h"

#include <algorithm>
#include <cstdlib>

namespace zimo::script {

std::optional<Value> SuperObject::hostGet(Engine& e, const std::string& name) {
    Object* start = lookupStart();
    if (!start || !e.findOwner(start, name)) return std::nullopt;
    return e.get(Value(start), name);
}

namespace {

// Restores the operand stack to its height at entry, whatever way the frame ends.
class StackRestore {
public:
    StackRestore(std::vector<Value>& stack, std::size_t height) : stack_(stack), height_(height) {}
    ~StackRestore() {
        if (stack_.size() > height_) stack_.resize(height_);
    }
    StackRestore(const StackRestore&) = delete;
    StackRestore& operator=(const StackRestore&) = delete;

private:
    std::vector<Value>& stack_;
    std::size_t height_;
};

ScopePtr timelineScope(Engine& e, Object* target) {
    ScopePtr global = pushScope(Scope::Kind::Global, e.globals(), nullptr);
    return target ? pushScope(Scope::Kind::Target, target, global) : global;
}

} // namespace

// --- Entry -----------------------------------------------------------------------------------

void Interpreter::runFrameScript(std::shared_ptr<const Bytes> code, Object* target) {
    if (!target) target = e_.host().root();
    Frame f;
    f.end = code->size();
    f.code = std::move(code);
    f.pool = std::make_shared<const ConstantPool>();
    f.registers.resize(4);
    f.scope = f.baseScope = timelineScope(e_, target);
    f.thisValue = target ? Value(target) : Value();
    f.target = f.baseTarget = target;
    f.stackBase = stack_.size();
    StackRestore restore(stack_, f.stackBase);
    Engine::DepthGuard depth(e_);
    f.pc = f.begin;
    run(f, f.begin, f.end);
}

Value Interpreter::callScript(FunctionObject& fn, const Value& thisValue,
                              std::span<const Value> args, Object* home) {
    const ScriptCode& code = *fn.code();
    Frame f;
    f.code = code.bytes;
    f.begin = code.begin;
    f.end = std::min(code.end, code.bytes->size());
    f.pool = code.pool;
    Object* activation = e_.make<Object>(nullptr);
    f.scope = f.baseScope = pushScope(Scope::Kind::Local, activation, fn.scope());
    f.thisValue = thisValue;
    f.target = f.baseTarget = fn.target() ? fn.target() : e_.host().root();
    f.callee = &fn;
    f.home = home;
    f.stackBase = stack_.size();
    StackRestore restore(stack_, f.stackBase);

    bool v2 = code.function2;
    bool wantArguments =
        !v2 || (code.flags & swf::PreloadArguments) || !(code.flags & swf::SuppressArguments);
    ArrayObject* arguments = nullptr;
    if (wantArguments) {
        arguments = e_.newArray(std::vector<Value>(args.begin(), args.end()));
        arguments->define("callee", Value(&fn), DontEnum);
    }
    if (v2) {
        f.registers.resize(code.registerCount);
        std::size_t reg = 1;
        auto preload = [&](std::uint16_t flag, auto make) {
            if (!(code.flags & flag)) return;
            Value v = make();
            if (reg < f.registers.size()) f.registers[reg] = std::move(v);
            ++reg;
        };
        preload(swf::PreloadThis, [&] { return thisValue; });
        preload(swf::PreloadArguments, [&] { return Value(arguments); });
        preload(swf::PreloadSuper, [&] { return makeSuper(f); });
        preload(swf::PreloadRoot, [&] { return Value(e_.host().root()); });
        preload(swf::PreloadParent,
                [&] { return f.target ? e_.get(Value(f.target), "_parent") : Value(); });
        preload(swf::PreloadGlobal, [&] { return Value(e_.globals()); });
        if (arguments && !(code.flags & (swf::PreloadArguments | swf::SuppressArguments)))
            activation->define("arguments", Value(arguments));
    } else {
        f.registers.resize(4);
        activation->define("arguments", Value(arguments));
    }
    for (std::size_t i = 0; i < code.params.size(); ++i) {
        Value v = i < args.size() ? args[i] : Value();
        const auto& p = code.params[i];
        if (v2 && p.reg != 0) {
            if (p.reg < f.registers.size()) f.registers[p.reg] = std::move(v);
        } else {
            activation->define(p.name, std::move(v));
        }
    }
    f.pc = f.begin;
    run(f, f.begin, f.end);
    return f.returnValue;
}

Value Interpreter::getVariable(Object* target, std::string_view path) {
    if (!target) target = e_.host().root();
    Frame f;
    f.scope = f.baseScope = timelineScope(e_, target);
    f.thisValue = target ? Value(target) : Value();
    f.target = f.baseTarget = target;
    return lookup(f, std::string(path));
}

void Interpreter::setVariable(Object* target, std::string_view path, const Value& value) {
    if (!target) target = e_.host().root();
    Frame f;
    f.scope = f.baseScope = timelineScope(e_, target);
    f.thisValue = target ? Value(target) : Value();
    f.target = f.baseTarget = target;
    assign(f, std::string(path), value);
}

void Interpreter::trace(Tracer& t) const {
    for (const Value& v : stack_)
        t.mark(v);
}

// --- The loop -------------------------------------------------------------------------------

Interpreter::Flow Interpreter::run(Frame& f, std::size_t start, std::size_t end) {
    const Bytes& code = *f.code;
    end = std::min(end, f.end);
    while (f.pc >= start && f.pc < end) {
        e_.charge(1);
        std::size_t at = f.pc;
        std::uint8_t op = code[at];
        if (op == static_cast<std::uint8_t>(swf::Action::End))
            return Flow::Return; // the whole list is over
        std::size_t dataBegin = at + 1;
        std::size_t dataEnd = at + 1;
        if (swf::hasPayload(op)) {
            if (at + 3 > f.end) return Flow::Return; // truncated record header
            std::size_t length = code[at + 1] | (static_cast<std::size_t>(code[at + 2]) << 8);
            dataBegin = at + 3;
            dataEnd = dataBegin + length;
            if (dataEnd > f.end) return Flow::Return; // record runs past the end of the list
        }
        f.pc = dataEnd;
        if (step(f, op, dataBegin, dataEnd, dataEnd) == Flow::Return) return Flow::Return;
    }
    return Flow::Continue;
}

Interpreter::Flow Interpreter::runBlock(Frame& f, std::size_t start, std::size_t end) {
    Engine::DepthGuard depth(e_); // nested blocks count as recursion
    f.pc = start;
    return run(f, start, end);
}

void Interpreter::jump(Frame& f, std::size_t next, std::int16_t offset) {
    auto target = static_cast<std::int64_t>(next) + offset;
    if (target < static_cast<std::int64_t>(f.begin) || target > static_cast<std::int64_t>(f.end))
        f.pc = f.end; // a jump out of the list ends it
    else
        f.pc = static_cast<std::size_t>(target);
}

// --- Stack -----------------------------------------------------------------------------------

void Interpreter::push(Value v) {
    if (stack_.size() >= kMaxStack) throw ScriptAbort{"stack overflow"};
    stack_.push_back(std::move(v));
}

Value Interpreter::pop(Frame& f) {
    if (stack_.size() <= f.stackBase) return Value();
    Value v = std::move(stack_.back());
    stack_.pop_back();
    return v;
}

Value& Interpreter::top(Frame& f) {
    if (stack_.size() <= f.stackBase) push(Value());
    return stack_.back();
}

std::vector<Value> Interpreter::popArgs(Frame& f) {
    double n = e_.toNumber(pop(f));
    std::size_t available = stack_.size() - std::min(stack_.size(), f.stackBase);
    std::size_t count = n > 0 ? static_cast<std::size_t>(std::min<double>(n, available)) : 0;
    std::vector<Value> args;
    args.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        args.push_back(pop(f));
    return args;
}

// --- Variables -------------------------------------------------------------------------------

bool Interpreter::splitPath(std::string_view name, std::string_view& path,
                            std::string_view& var) const {
    std::size_t colon = name.rfind(':');
    if (colon != std::string_view::npos) {
        path = name.substr(0, colon);
        var = name.substr(colon + 1);
        return true;
    }
    std::size_t dot = name.rfind('.');
    std::size_t slash = name.rfind('/');
    if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash) &&
        !(dot > 0 && name[dot - 1] == '.')) {
        path = name.substr(0, dot);
        var = name.substr(dot + 1);
        return true;
    }
    return false;
}

Value Interpreter::specialName(Frame& f, const std::string& name, bool& found) {
    found = true;
    if (name == "this") return f.thisValue;
    if (name == "_global") return Value(e_.globals());
    if (name == "super") return makeSuper(f);
    found = false;
    return Value();
}

Value Interpreter::lookup(Frame& f, const std::string& name) {
    std::string_view path, var;
    if (splitPath(name, path, var)) {
        Object* t = resolveTarget(f, path);
        return t ? e_.get(Value(t), std::string(var)) : Value();
    }
    if (name.find('/') != std::string::npos) {
        Object* t = resolveTarget(f, name);
        return t ? Value(t) : Value();
    }
    bool found = false;
    Value special = specialName(f, name, found);
    if (found) return special;
    for (const Scope* s = f.scope.get(); s; s = s->parent.get()) {
        if (e_.has(s->object, name)) return e_.get(Value(s->object), name);
    }
    if (name == "_root" || name == "_level0") return Value(e_.host().root());
    if (name.rfind("_level", 0) == 0 && name.size() > 6) {
        char* endp = nullptr;
        long n = std::strtol(name.c_str() + 6, &endp, 10);
        if (endp && *endp == '\0' && n >= 0 && n < 65536)
            return Value(e_.host().level(static_cast<int>(n)));
    }
    return Value();
}

void Interpreter::assign(Frame& f, const std::string& name, const Value& v) {
    std::string_view path, var;
    if (splitPath(name, path, var)) {
        if (Object* t = resolveTarget(f, path)) e_.set(t, std::string(var), v);
        return;
    }
    if (name.find('/') != std::string::npos)
        return; // a bare target path names a clip, not a variable
    for (const Scope* s = f.scope.get(); s; s = s->parent.get()) {
        if (s->kind == Scope::Kind::Target || s->kind == Scope::Kind::Global ||
            e_.has(s->object, name)) {
            e_.set(s->object, name, v);
            return;
        }
    }
}

void Interpreter::defineLocal(Frame& f, const std::string& name, const Value& v,
                              bool onlyIfAbsent) {
    for (const Scope* s = f.scope.get(); s; s = s->parent.get()) {
        if (s->kind == Scope::Kind::Local) {
            if (onlyIfAbsent && s->object->findOwn(name)) return;
            s->object->define(name, v);
            return;
        }
        if (s->kind == Scope::Kind::Target || s->kind == Scope::Kind::Global) {
            if (onlyIfAbsent && e_.has(s->object, name)) return;
            e_.set(s->object, name, v);
            return;
        }
    }
}

bool Interpreter::deleteVariable(Frame& f, const std::string& name) {
    for (const Scope* s = f.scope.get(); s; s = s->parent.get()) {
        if (s->object->findOwn(name)) return e_.remove(s->object, name);
    }
    return false;
}

Object* Interpreter::resolveTarget(Frame& f, std::string_view path) {
    if (path.empty()) return f.target;
    bool slash = path.find('/') != std::string_view::npos;
    char separator = slash ? '/' : '.';
    Object* cur = nullptr;
    bool first = true;
    std::size_t i = 0;
    if (path[0] == '/') {
        cur = e_.host().root();
        if (!cur) return nullptr;
        first = false;
        i = 1;
    }
    while (i <= path.size()) {
        std::size_t stop = path.find(separator, i);
        if (stop == std::string_view::npos) stop = path.size();
        std::string segment(path.substr(i, stop - i));
        i = stop + 1;
        if (segment.empty() || segment == ".") continue;
        Value next;
        if (segment == "..") {
            Object* from = first ? f.target : cur;
            next = from ? e_.get(Value(from), "_parent") : Value();
        } else if (first) {
            if (slash && segment[0] != '_' && segment != "this")
                next = f.target ? e_.get(Value(f.target), segment) : Value();
            else
                next = lookup(f, segment);
        } else {
            next = e_.get(Value(cur), segment);
        }
        first = false;
        cur = next.asObject();
        if (!cur) return nullptr;
    }
    return first ? f.target : cur;
}

Object* Interpreter::targetFromValue(Frame& f, const Value& v) {
    if (v.isObject()) return v.object();
    if (v.isUndefined()) return f.target;
    return resolveTarget(f, e_.toString(v));
}

Value Interpreter::makeSuper(Frame& f) {
    Object* home = f.home;
    if (!home) {
        Object* self = f.thisValue.asObject();
        home = self ? self->proto() : nullptr;
    }
    return Value(e_.make<SuperObject>(f.thisValue, home));
}

std::string Interpreter::targetPath(Object* o) {
    if (!o || o->isFunction()) return {};
    return o->stringForm().value_or(std::string());
}

} // namespace zimo::script
