// The actions themselves: one case per action code.
#include "script/engine.h"
#include "script/interpreter.h"
#include "script/reader.h"
#include "script/super_object.h"
#include "script/text.h"

#include <cmath>

namespace zimo::script {

namespace {

constexpr const char* kPropertyNames[] = {
    "_x",           "_y",           "_xscale",       "_yscale",       "_currentframe",
    "_totalframes", "_alpha",       "_visible",      "_width",        "_height",
    "_rotation",    "_target",      "_framesloaded", "_name",         "_droptarget",
    "_url",         "_highquality", "_focusrect",    "_soundbuftime", "_quality",
    "_xmouse",      "_ymouse"};

const char* propertyName(double index) {
    if (!(index >= 0 && index < 22)) return nullptr;
    return kPropertyNames[static_cast<int>(index)];
}

// Frame number from a value: numbers count from 1 in the action, the host counts from 0.
int frameIndex(double n) {
    if (!std::isfinite(n)) return -1;
    return toInt32(n) - 1;
}

} // namespace

Interpreter::Flow Interpreter::step(Frame& f, std::uint8_t op, std::size_t dataBegin,
                                    std::size_t dataEnd, std::size_t next) {
    const Bytes& code = *f.code;
    Reader r(code, dataBegin, dataEnd);
    Host& host = e_.host();
    auto popNumber = [&] { return e_.toNumber(pop(f)); };
    auto popString = [&] { return e_.toString(pop(f)); };

    switch (op) {
    // --- Timeline ------------------------------------------------------------------------
    case 0x04:
        host.nextFrame(f.target);
        break;
    case 0x05:
        host.prevFrame(f.target);
        break;
    case 0x06:
        host.play(f.target);
        break;
    case 0x07:
        host.stop(f.target);
        break;
    case 0x08:
        host.toggleQuality();
        break;
    case 0x09:
        host.stopSounds();
        break;
    case 0x81: // GotoFrame
        host.gotoFrame(f.target, r.u16(), false);
        break;
    case 0x8C: // GoToLabel
        host.gotoLabel(f.target, r.str(), false);
        break;
    case 0x9F: { // GotoFrame2
        std::uint8_t flags = r.u8();
        int bias = (flags & 2) ? r.u16() : 0;
        bool play = flags & 1;
        Value frame = pop(f);
        Object* target = f.target;
        if (frame.isString()) {
            std::string frameRef = frame.string();
            std::size_t colon = frameRef.rfind(':');
            if (colon != std::string::npos) {
                target = resolveTarget(f, std::string_view(frameRef).substr(0, colon));
                frameRef = frameRef.substr(colon + 1);
            }
            double n = stringToNumber(frameRef);
            if (std::isnan(n))
                host.gotoLabel(target, frameRef, play);
            else
                host.gotoFrame(target, frameIndex(n) + bias, play);
        } else {
            host.gotoFrame(target, frameIndex(e_.toNumber(frame)) + bias, play);
        }
        break;
    }
    case 0x8A: { // WaitForFrame
        int frame = r.u16();
        int skip = r.u8();
        if (!host.isFrameLoaded(f.target, frame))
            for (int i = 0; i < skip && f.pc < f.end; ++i) {
                std::size_t at = f.pc;
                f.pc = at + 1;
                if (code[at] >= 0x80 && at + 3 <= f.end)
                    f.pc = at + 3 + (code[at + 1] | (code[at + 2] << 8));
            }
        break;
    }
    case 0x8D: { // WaitForFrame2
        int skip = r.u8();
        int frame = frameIndex(popNumber());
        if (!host.isFrameLoaded(f.target, frame))
            for (int i = 0; i < skip && f.pc < f.end; ++i) {
                std::size_t at = f.pc;
                f.pc = at + 1;
                if (code[at] >= 0x80 && at + 3 <= f.end)
                    f.pc = at + 3 + (code[at + 1] | (code[at + 2] << 8));
            }
        break;
    }
    case 0x8B:   // SetTarget
    case 0x20: { // SetTarget2
        Value which = op == 0x8B ? Value(r.str()) : pop(f);
        if (which.isString() && which.string().empty()) {
            f.target = f.baseTarget;
            f.scope = f.baseScope;
        } else {
            Object* t = which.isObject() ? which.object() : resolveTarget(f, e_.toString(which));
            f.target = t;
            f.scope = t ? pushScope(Scope::Kind::Target, t, f.baseScope) : f.baseScope;
        }
        break;
    }
    case 0x83: { // GetURL
        std::string url = r.str();
        std::string window = r.str();
        host.getURL(url, window, 0);
        break;
    }
    case 0x9A: { // GetURL2
        int method = r.u8() & 3;
        std::string window = popString();
        std::string url = popString();
        host.getURL(url, window, method);
        break;
    }
    case 0x9E: { // Call
        std::string frameRef = popString();
        Object* target = f.target;
        std::size_t colon = frameRef.rfind(':');
        if (colon != std::string::npos) {
            target = resolveTarget(f, std::string_view(frameRef).substr(0, colon));
            frameRef = frameRef.substr(colon + 1);
        }
        host.callFrame(target, frameRef);
        break;
    }
    case 0x24: { // CloneSprite
        int depth = toInt32(popNumber());
        std::string name = popString();
        Object* source = targetFromValue(f, pop(f));
        host.cloneSprite(source, name, depth);
        break;
    }
    case 0x25: // RemoveSprite
        host.removeSprite(targetFromValue(f, pop(f)));
        break;
    case 0x27: { // StartDrag
        Object* target = targetFromValue(f, pop(f));
        bool lockCenter = toBoolean(pop(f));
        bool constrained = e_.toNumber(pop(f)) != 0;
        if (constrained) {
            DragRect rect{};
            rect.bottom = popNumber();
            rect.right = popNumber();
            rect.top = popNumber();
            rect.left = popNumber();
            host.startDrag(target, lockCenter, &rect);
        } else {
            host.startDrag(target, lockCenter, nullptr);
        }
        break;
    }
    case 0x28:
        host.stopDrag();
        break;
    case 0x26: // Trace
        e_.trace(popString());
        break;
    case 0x34: // GetTime
        push(Value(e_.now()));
        break;
    case 0x30: { // RandomNumber
        double max = toInt32(popNumber());
        push(Value(max > 0 ? std::floor(e_.random() * max) : 0.0));
        break;
    }
    case 0x22: { // GetProperty
        double index = popNumber();
        Object* target = targetFromValue(f, pop(f));
        const char* name = propertyName(index);
        push(target && name ? e_.get(Value(target), name) : Value());
        break;
    }
    case 0x23: { // SetProperty
        Value v = pop(f);
        double index = popNumber();
        Object* target = targetFromValue(f, pop(f));
        if (const char* name = propertyName(index); target && name) e_.set(target, name, v);
        break;
    }
    case 0x45: { // TargetPath
        Value v = pop(f);
        std::string path = targetPath(v.asObject());
        push(path.empty() ? Value() : Value(path));
        break;
    }

    // --- Stack and registers ------------------------------------------------------------------
    case 0x96:
        actionPush(f, dataBegin, dataEnd);
        break;
    case 0x17:
        pop(f);
        break;
    case 0x4C: { // PushDuplicate
        Value v = top(f);
        push(std::move(v));
        break;
    }
    case 0x4D: { // StackSwap
        Value a = pop(f);
        Value b = pop(f);
        push(std::move(a));
        push(std::move(b));
        break;
    }
    case 0x87: { // StoreRegister
        std::uint8_t reg = r.u8();
        if (reg < f.registers.size()) f.registers[reg] = top(f);
        break;
    }
    case 0x88: { // ConstantPool
        auto pool = std::make_shared<ConstantPool>();
        std::uint16_t count = r.u16();
        for (std::uint16_t i = 0; i < count && !r.atEnd(); ++i)
            pool->push_back(r.str());
        f.pool = std::move(pool);
        break;
    }

    // --- Arithmetic and logic -------------------------------------------------------------------
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x3F: {
        double b = popNumber();
        double a = popNumber();
        double result = op == 0x0A   ? a + b
                        : op == 0x0B ? a - b
                        : op == 0x0C ? a * b
                        : op == 0x0D ? a / b
                                     : std::fmod(a, b);
        push(Value(result));
        break;
    }
    case 0x0E: { // Equals (numeric)
        double b = popNumber();
        double a = popNumber();
        push(Value(a == b));
        break;
    }
    case 0x0F: { // Less (numeric)
        double b = popNumber();
        double a = popNumber();
        push(Value(a < b));
        break;
    }
    case 0x10:
    case 0x11: { // And, Or
        bool b = toBoolean(pop(f));
        bool a = toBoolean(pop(f));
        push(Value(op == 0x10 ? (a && b) : (a || b)));
        break;
    }
    case 0x12:
        push(Value(!toBoolean(pop(f))));
        break;
    case 0x18: // ToInteger
        push(Value(static_cast<double>(toInt32(popNumber()))));
        break;
    case 0x47: { // Add2
        Value b = pop(f);
        Value a = pop(f);
        push(e_.add(a, b));
        break;
    }
    case 0x48: { // Less2
        Value b = pop(f);
        Value a = pop(f);
        push(e_.lessThan(a, b));
        break;
    }
    case 0x67: { // Greater
        Value b = pop(f);
        Value a = pop(f);
        push(e_.lessThan(b, a));
        break;
    }
    case 0x49: { // Equals2
        Value b = pop(f);
        Value a = pop(f);
        push(Value(e_.looseEquals(a, b)));
        break;
    }
    case 0x66: { // StrictEquals
        Value b = pop(f);
        Value a = pop(f);
        push(Value(Engine::strictEquals(a, b)));
        break;
    }
    case 0x4A:
        push(Value(popNumber()));
        break;
    case 0x4B:
        push(Value(popString()));
        break;
    case 0x50:
        push(Value(popNumber() + 1));
        break;
    case 0x51:
        push(Value(popNumber() - 1));
        break;
    case 0x60:
    case 0x61:
    case 0x62:
    case 0x63:
    case 0x64:
    case 0x65: {
        double bn = popNumber();
        double an = popNumber();
        std::int32_t a = toInt32(an);
        std::int32_t b = toInt32(bn);
        std::uint32_t shift = static_cast<std::uint32_t>(b) & 31;
        double result = 0;
        switch (op) {
        case 0x60:
            result = a & b;
            break;
        case 0x61:
            result = a | b;
            break;
        case 0x62:
            result = a ^ b;
            break;
        case 0x63:
            result = static_cast<std::int32_t>(static_cast<std::uint32_t>(a) << shift);
            break;
        case 0x64:
            result = a >> shift;
            break;
        default:
            result = toUint32(an) >> shift;
            break;
        }
        push(Value(result));
        break;
    }

    // --- Strings --------------------------------------------------------------------------------
    case 0x13: { // StringEquals
        std::string b = popString();
        std::string a = popString();
        push(Value(a == b));
        break;
    }
    case 0x29:
    case 0x68: { // StringLess, StringGreater
        std::string b = popString();
        std::string a = popString();
        push(Value(op == 0x29 ? a < b : a > b));
        break;
    }
    case 0x21: { // StringAdd
        std::string b = popString();
        std::string a = popString();
        e_.checkStringLength(a.size() + b.size());
        push(Value(a + b));
        break;
    }
    case 0x14:
    case 0x31: // StringLength, MBStringLength
        push(Value(static_cast<double>(utf16Length(popString()))));
        break;
    case 0x15:
    case 0x35: { // StringExtract, MBStringExtract: count, 1-based index, string
        double count = popNumber();
        double index = popNumber();
        std::u16string s = toUtf16(popString());
        double start = std::isnan(index) ? 0 : std::max(0.0, index - 1);
        if (start >= static_cast<double>(s.size())) {
            push(Value(""));
            break;
        }
        auto from = static_cast<std::size_t>(start);
        std::size_t n = s.size() - from;
        if (count >= 0 && count < static_cast<double>(n)) n = static_cast<std::size_t>(count);
        push(Value(toUtf8(s.substr(from, n))));
        break;
    }
    case 0x32:
    case 0x36: { // CharToAscii, MBCharToAscii
        std::u16string s = toUtf16(popString());
        push(s.empty() ? Value(std::nan("")) : Value(static_cast<double>(s[0])));
        break;
    }
    case 0x33:
    case 0x37: // AsciiToChar, MBAsciiToChar
        push(Value(codeUnitToUtf8(static_cast<char16_t>(toUint32(popNumber()) & 0xFFFF))));
        break;

    // --- Variables and members -----------------------------------------------------------------
    case 0x1C: { // GetVariable
        std::string name = popString();
        push(lookup(f, name));
        break;
    }
    case 0x1D: { // SetVariable
        Value v = pop(f);
        std::string name = popString();
        assign(f, name, v);
        break;
    }
    case 0x3C: { // DefineLocal
        Value v = pop(f);
        std::string name = popString();
        defineLocal(f, name, v, false);
        break;
    }
    case 0x41: // DefineLocal2
        defineLocal(f, popString(), Value(), true);
        break;
    case 0x3A: { // Delete
        std::string name = popString();
        Value object = pop(f);
        push(Value(e_.remove(object.asObject(), name)));
        break;
    }
    case 0x3B: // Delete2
        push(Value(deleteVariable(f, popString())));
        break;
    case 0x4E: { // GetMember
        Value name = pop(f);
        Value object = pop(f);
        push(e_.get(object, e_.toString(name)));
        break;
    }
    case 0x4F: { // SetMember
        Value v = pop(f);
        Value name = pop(f);
        Value object = pop(f);
        if (Object* o = object.asObject()) e_.set(o, e_.toString(name), v);
        break;
    }
    case 0x42: { // InitArray
        std::vector<Value> elements = popArgs(f);
        push(Value(e_.newArray(std::move(elements))));
        break;
    }
    case 0x43: { // InitObject
        double n = popNumber();
        std::size_t available = (stack_.size() - std::min(stack_.size(), f.stackBase)) / 2;
        std::size_t count = n > 0 ? static_cast<std::size_t>(std::min<double>(n, available)) : 0;
        std::vector<std::pair<std::string, Value>> pairs;
        for (std::size_t i = 0; i < count; ++i) {
            Value v = pop(f);
            pairs.emplace_back(popString(), std::move(v));
        }
        Object* o = e_.newObject();
        for (auto it = pairs.rbegin(); it != pairs.rend(); ++it)
            e_.set(o, it->first, it->second);
        push(Value(o));
        break;
    }
    case 0x44: // TypeOf
        push(Value(e_.typeOf(pop(f))));
        break;
    case 0x46:
    case 0x55: { // Enumerate, Enumerate2
        Value subject = op == 0x46 ? lookup(f, popString()) : pop(f);
        std::vector<std::string> names;
        if (Object* o = subject.asObject()) names = e_.enumerate(o);
        push(Value::null());
        for (auto it = names.rbegin(); it != names.rend(); ++it)
            push(Value(*it));
        break;
    }
    case 0x54: { // InstanceOf
        Value ctor = pop(f);
        Value object = pop(f);
        push(Value(e_.instanceOf(object, ctor)));
        break;
    }
    case 0x2B: { // CastOp
        Value object = pop(f);
        Value ctor = pop(f);
        push(e_.instanceOf(object, ctor) ? object : Value::null());
        break;
    }
    case 0x2C: { // ImplementsOp
        Value ctor = pop(f);
        std::vector<Value> interfaces = popArgs(f);
        if (Object* proto = e_.prototypeOf(ctor.asObject()))
            proto->define("__implements__", Value(e_.newArray(std::move(interfaces))), DontEnum);
        break;
    }
    case 0x69: { // Extends
        Value superclass = pop(f);
        Value subclass = pop(f);
        Object* sub = subclass.asObject();
        Object* sup = superclass.asObject();
        if (!sub || !sup) break;
        Object* parent = e_.prototypeOf(sup);
        Object* proto = e_.make<Object>(parent ? parent : e_.objectPrototype());
        proto->define("__constructor__", Value(sup), DontEnum);
        e_.set(sub, "prototype", Value(proto));
        break;
    }

    // --- Calls --------------------------------------------------------------------------------
    case 0x3D:
        callAction(f, false);
        break;
    case 0x52:
        callAction(f, true);
        break;
    case 0x40:
        newAction(f, false);
        break;
    case 0x53:
        newAction(f, true);
        break;
    case 0x3E: // Return
        f.returnValue = pop(f);
        return Flow::Return;
    case 0x9B:
    case 0x8E:
        defineFunction(f, dataBegin, dataEnd, next, op == 0x8E);
        break;

    // --- Control flow ---------------------------------------------------------------------------
    case 0x99:
        jump(f, next, r.i16());
        break;
    case 0x9D: { // If
        std::int16_t offset = r.i16();
        if (toBoolean(pop(f))) jump(f, next, offset);
        break;
    }
    case 0x94: { // With
        std::size_t size = r.u16();
        std::size_t blockEnd = std::min(next + size, f.end);
        Object* o = e_.toObject(pop(f));
        ScopePtr saved = f.scope;
        if (o) f.scope = pushScope(Scope::Kind::With, o, f.scope);
        Flow flow = Flow::Continue;
        try {
            flow = runBlock(f, next, blockEnd);
        } catch (...) {
            f.scope = saved;
            throw;
        }
        f.scope = saved;
        return flow;
    }
    case 0x8F:
        return actionTry(f, dataBegin, dataEnd, next);
    case 0x2A: // Throw
        throw ScriptThrow{pop(f)};

    default:
        break; // unknown actions are skipped
    }
    return Flow::Continue;
}

void Interpreter::actionPush(Frame& f, std::size_t dataBegin, std::size_t dataEnd) {
    Reader r(*f.code, dataBegin, dataEnd);
    while (!r.atEnd()) {
        std::uint8_t type = r.u8();
        Value v;
        switch (type) {
        case 0:
            v = Value(r.str());
            break;
        case 1:
            v = Value(static_cast<double>(r.f32()));
            break;
        case 2:
            v = Value::null();
            break;
        case 3:
            break;
        case 4: {
            std::uint8_t reg = r.u8();
            if (reg < f.registers.size()) v = f.registers[reg];
            break;
        }
        case 5:
            v = Value(r.u8() != 0);
            break;
        case 6:
            v = Value(r.f64());
            break;
        case 7:
            v = Value(static_cast<double>(static_cast<std::int32_t>(r.u32())));
            break;
        case 8:
        case 9: {
            std::size_t index = type == 8 ? r.u8() : r.u16();
            if (f.pool && index < f.pool->size()) v = Value((*f.pool)[index]);
            break;
        }
        default:
            return; // unknown type: the rest of the record cannot be read
        }
        if (r.truncated()) return;
        push(std::move(v));
    }
}

void Interpreter::defineFunction(Frame& f, std::size_t dataBegin, std::size_t dataEnd,
                                 std::size_t next, bool v2) {
    Reader r(*f.code, dataBegin, dataEnd);
    auto code = std::make_shared<ScriptCode>();
    code->bytes = f.code;
    code->pool = f.pool;
    code->function2 = v2;
    code->name = r.str();
    std::uint16_t count = r.u16();
    if (v2) {
        code->registerCount = r.u8();
        code->flags = r.u16();
    }
    for (std::uint16_t i = 0; i < count && !r.atEnd(); ++i) {
        ScriptCode::Param p;
        p.reg = v2 ? r.u8() : 0;
        p.name = r.str();
        code->params.push_back(std::move(p));
    }
    std::size_t size = r.u16();
    code->begin = next;
    code->end = std::min(next + size, f.end);
    f.pc = code->end;

    std::string name = code->name;
    auto* fn = e_.make<FunctionObject>(e_.functionPrototype(), std::move(code), f.scope, f.target);
    Object* proto = e_.newObject();
    proto->define("constructor", Value(fn), DontEnum);
    fn->define("prototype", Value(proto), DontEnum);
    if (name.empty())
        push(Value(fn));
    else
        defineLocal(f, name, Value(fn), false);
}

Interpreter::Flow Interpreter::actionTry(Frame& f, std::size_t dataBegin, std::size_t dataEnd,
                                         std::size_t next) {
    Reader r(*f.code, dataBegin, dataEnd);
    std::uint8_t flags = r.u8();
    std::size_t trySize = r.u16();
    std::size_t catchSize = r.u16();
    std::size_t finallySize = r.u16();
    bool catchInRegister = flags & 4;
    std::uint8_t catchRegister = 0;
    std::string catchName;
    if (catchInRegister)
        catchRegister = r.u8();
    else
        catchName = r.str();

    std::size_t tryStart = next;
    std::size_t catchStart = std::min(tryStart + trySize, f.end);
    std::size_t finallyStart = std::min(catchStart + catchSize, f.end);
    std::size_t blockEnd = std::min(finallyStart + finallySize, f.end);
    std::size_t height = stack_.size();
    ScopePtr savedScope = f.scope;

    Flow flow = Flow::Continue;
    std::size_t after = blockEnd;
    std::optional<ScriptThrow> pending;
    try {
        flow = runBlock(f, tryStart, catchStart);
        if (flow == Flow::Continue && f.pc != catchStart) after = f.pc;
    } catch (const ScriptThrow& thrown) {
        f.scope = savedScope;
        if (stack_.size() > height) stack_.resize(height);
        if (flags & 1) {
            if (catchInRegister) {
                if (catchRegister < f.registers.size()) f.registers[catchRegister] = thrown.value;
            } else {
                defineLocal(f, catchName, thrown.value, false);
            }
            try {
                flow = runBlock(f, catchStart, finallyStart);
                if (flow == Flow::Continue && f.pc != finallyStart) after = f.pc;
            } catch (const ScriptThrow& again) {
                f.scope = savedScope;
                pending = again;
            }
        } else {
            pending = thrown;
        }
    }
    if ((flags & 2) && finallyStart < blockEnd) {
        Value savedReturn = f.returnValue;
        if (stack_.size() > height && pending) stack_.resize(height);
        Flow finallyFlow = runBlock(f, finallyStart, blockEnd);
        if (finallyFlow == Flow::Return) return Flow::Return;
        if (f.pc != blockEnd) {
            after = f.pc;
            pending.reset();
        }
        f.returnValue = savedReturn;
    }
    if (pending) throw *pending;
    if (flow == Flow::Return) return Flow::Return;
    f.pc = after;
    return Flow::Continue;
}

// --- Calls ----------------------------------------------------------------------------------

void Interpreter::callAction(Frame& f, bool method) {
    if (!method) {
        std::string name = e_.toString(pop(f));
        std::vector<Value> args = popArgs(f);
        Value thisValue = f.target ? Value(f.target) : Value();
        Value fn;
        Object* home = nullptr;
        std::string_view path, var;
        if (splitPath(name, path, var)) {
            if (Object* t = resolveTarget(f, path)) {
                std::string member(var);
                fn = e_.get(Value(t), member);
                thisValue = Value(t);
                home = e_.findOwner(t, member);
            }
        } else {
            fn = lookup(f, name);
        }
        push(e_.callFunction(fn, thisValue, args, home));
        return;
    }
    Value nameValue = pop(f);
    Value object = pop(f);
    std::vector<Value> args = popArgs(f);
    std::string name = nameValue.isUndefined() ? std::string() : e_.toString(nameValue);
    auto* super = dynamic_cast<SuperObject*>(object.asObject());
    if (name.empty()) {
        if (super) {
            // super(...): the constructor of the class above the running one.
            Object* home = super->home();
            Value ctor = home ? e_.get(Value(home), "__constructor__") : Value();
            push(e_.callFunction(ctor, super->thisValue(), args, e_.prototypeOf(ctor.asObject())));
        } else {
            Value thisValue = f.target ? Value(f.target) : Value();
            push(e_.callFunction(object, thisValue, args));
        }
        return;
    }
    if (super) {
        Object* start = super->lookupStart();
        Object* owner = start ? e_.findOwner(start, name) : nullptr;
        Value fn = owner ? e_.get(Value(start), name) : Value();
        push(e_.callFunction(fn, super->thisValue(), args, owner));
        return;
    }
    Value fn = e_.get(object, name);
    Object* home = object.isObject() ? e_.findOwner(object.object(), name) : nullptr;
    push(e_.callFunction(fn, object, args, home));
}

void Interpreter::newAction(Frame& f, bool method) {
    Value ctor;
    if (!method) {
        std::string name = e_.toString(pop(f));
        std::vector<Value> args = popArgs(f);
        ctor = lookup(f, name);
        push(e_.construct(ctor, args));
        return;
    }
    Value nameValue = pop(f);
    Value object = pop(f);
    std::vector<Value> args = popArgs(f);
    std::string name = nameValue.isUndefined() ? std::string() : e_.toString(nameValue);
    ctor = name.empty() ? object : e_.get(object, name);
    push(e_.construct(ctor, args));
}

} // namespace zimo::script
