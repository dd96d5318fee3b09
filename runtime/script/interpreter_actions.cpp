// The actions themselves: one case per action.
#include "script/engine.h"
#include "script/interpreter.h"
#include "script/reader.h"
#include "script/super_object.h"
#include "script/text.h"
#include "swf/action_codes.h"

#include <cmath>
#include <utility>

namespace zimo::script {

namespace {

using swf::Action;
using swf::PushType;

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
    auto popPair = [&] { // the two operands of a binary action, the first pushed first
        Value b = pop(f);
        return std::pair<Value, Value>(pop(f), std::move(b));
    };

    const auto action = static_cast<Action>(op);
    switch (action) {
    // --- Timeline ------------------------------------------------------------------------
    case Action::NextFrame:
        host.nextFrame(f.target);
        break;
    case Action::PreviousFrame:
        host.prevFrame(f.target);
        break;
    case Action::Play:
        host.play(f.target);
        break;
    case Action::Stop:
        host.stop(f.target);
        break;
    case Action::ToggleQuality:
        host.toggleQuality();
        break;
    case Action::StopSounds:
        host.stopSounds();
        break;
    case Action::GotoFrame:
        host.gotoFrame(f.target, r.u16(), false);
        break;
    case Action::GoToLabel:
        host.gotoLabel(f.target, r.str(), false);
        break;
    case Action::GotoFrame2: {
        std::uint8_t flags = r.u8();
        int bias = (flags & swf::GotoHasBias) ? r.u16() : 0;
        bool play = flags & swf::GotoAndPlay;
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
    case Action::WaitForFrame: {
        int frame = r.u16();
        int skip = r.u8();
        if (!host.isFrameLoaded(f.target, frame))
            for (int i = 0; i < skip && f.pc < f.end; ++i) {
                std::size_t at = f.pc;
                f.pc = at + 1;
                if (swf::hasPayload(code[at]) && at + 3 <= f.end)
                    f.pc = at + 3 + (code[at + 1] | (code[at + 2] << 8));
            }
        break;
    }
    case Action::WaitForFrame2: {
        int skip = r.u8();
        int frame = frameIndex(popNumber());
        if (!host.isFrameLoaded(f.target, frame))
            for (int i = 0; i < skip && f.pc < f.end; ++i) {
                std::size_t at = f.pc;
                f.pc = at + 1;
                if (swf::hasPayload(code[at]) && at + 3 <= f.end)
                    f.pc = at + 3 + (code[at + 1] | (code[at + 2] << 8));
            }
        break;
    }
    case Action::SetTarget:
    case Action::SetTarget2: {
        Value which = action == Action::SetTarget ? Value(r.str()) : pop(f);
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
    case Action::GetURL: {
        std::string url = r.str();
        std::string window = r.str();
        host.getURL(url, window, 0);
        break;
    }
    case Action::GetURL2: {
        int method = r.u8() & 3;
        std::string window = popString();
        std::string url = popString();
        host.getURL(url, window, method);
        break;
    }
    case Action::Call: {
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
    case Action::CloneSprite: {
        int depth = toInt32(popNumber());
        std::string name = popString();
        Object* source = targetFromValue(f, pop(f));
        host.cloneSprite(source, name, depth);
        break;
    }
    case Action::RemoveSprite:
        host.removeSprite(targetFromValue(f, pop(f)));
        break;
    case Action::StartDrag: {
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
    case Action::EndDrag:
        host.stopDrag();
        break;
    case Action::Trace:
        e_.trace(popString());
        break;
    case Action::GetTime:
        push(Value(e_.now()));
        break;
    case Action::RandomNumber: {
        double max = toInt32(popNumber());
        push(Value(max > 0 ? std::floor(e_.random() * max) : 0.0));
        break;
    }
    case Action::GetProperty: {
        double index = popNumber();
        Object* target = targetFromValue(f, pop(f));
        const std::string_view name = swf::propertyName(index);
        push(target && !name.empty() ? e_.get(Value(target), std::string(name)) : Value());
        break;
    }
    case Action::SetProperty: {
        Value v = pop(f);
        double index = popNumber();
        Object* target = targetFromValue(f, pop(f));
        const std::string_view name = swf::propertyName(index);
        if (target && !name.empty()) e_.set(target, std::string(name), v);
        break;
    }
    case Action::TargetPath: {
        Value v = pop(f);
        std::string path = targetPath(v.asObject());
        push(path.empty() ? Value() : Value(path));
        break;
    }

    // --- Stack and registers ------------------------------------------------------------------
    case Action::Push:
        actionPush(f, dataBegin, dataEnd);
        break;
    case Action::Pop:
        pop(f);
        break;
    case Action::PushDuplicate: {
        Value v = top(f);
        push(std::move(v));
        break;
    }
    case Action::StackSwap: {
        Value a = pop(f);
        Value b = pop(f);
        push(std::move(a));
        push(std::move(b));
        break;
    }
    case Action::StoreRegister: {
        std::uint8_t reg = r.u8();
        if (reg < f.registers.size()) f.registers[reg] = top(f);
        break;
    }
    case Action::ConstantPool: {
        auto pool = std::make_shared<ConstantPool>();
        std::uint16_t count = r.u16();
        for (std::uint16_t i = 0; i < count && !r.atEnd(); ++i)
            pool->push_back(r.str());
        f.pool = std::move(pool);
        break;
    }

    // --- Arithmetic and logic -------------------------------------------------------------------
    case Action::Add:
    case Action::Subtract:
    case Action::Multiply:
    case Action::Divide:
    case Action::Modulo: {
        double b = popNumber();
        double a = popNumber();
        double result = action == Action::Add        ? a + b
                        : action == Action::Subtract ? a - b
                        : action == Action::Multiply ? a * b
                        : action == Action::Divide   ? a / b
                                                     : std::fmod(a, b);
        push(Value(result));
        break;
    }
    case Action::Equals: { // numeric
        double b = popNumber();
        double a = popNumber();
        push(Value(a == b));
        break;
    }
    case Action::Less: { // numeric
        double b = popNumber();
        double a = popNumber();
        push(Value(a < b));
        break;
    }
    case Action::And:
    case Action::Or: {
        bool b = toBoolean(pop(f));
        bool a = toBoolean(pop(f));
        push(Value(action == Action::And ? (a && b) : (a || b)));
        break;
    }
    case Action::Not:
        push(Value(!toBoolean(pop(f))));
        break;
    case Action::ToInteger:
        push(Value(static_cast<double>(toInt32(popNumber()))));
        break;
    case Action::Add2: {
        auto [a, b] = popPair();
        push(e_.add(a, b));
        break;
    }
    case Action::Less2: {
        auto [a, b] = popPair();
        push(e_.lessThan(a, b));
        break;
    }
    case Action::Greater: {
        auto [a, b] = popPair();
        push(e_.lessThan(b, a));
        break;
    }
    case Action::Equals2: {
        auto [a, b] = popPair();
        push(Value(e_.looseEquals(a, b)));
        break;
    }
    case Action::StrictEquals: {
        auto [a, b] = popPair();
        push(Value(Engine::strictEquals(a, b)));
        break;
    }
    case Action::ToNumber:
        push(Value(popNumber()));
        break;
    case Action::ToString:
        push(Value(popString()));
        break;
    case Action::Increment:
        push(Value(popNumber() + 1));
        break;
    case Action::Decrement:
        push(Value(popNumber() - 1));
        break;
    case Action::BitAnd:
    case Action::BitOr:
    case Action::BitXor:
    case Action::BitLShift:
    case Action::BitRShift:
    case Action::BitURShift: {
        double bn = popNumber();
        double an = popNumber();
        std::int32_t a = toInt32(an);
        std::int32_t b = toInt32(bn);
        std::uint32_t shift = static_cast<std::uint32_t>(b) & 31;
        double result = 0;
        switch (action) {
        case Action::BitAnd:
            result = a & b;
            break;
        case Action::BitOr:
            result = a | b;
            break;
        case Action::BitXor:
            result = a ^ b;
            break;
        case Action::BitLShift:
            result = static_cast<std::int32_t>(static_cast<std::uint32_t>(a) << shift);
            break;
        case Action::BitRShift:
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
    case Action::StringEquals: {
        std::string b = popString();
        std::string a = popString();
        push(Value(a == b));
        break;
    }
    case Action::StringLess:
    case Action::StringGreater: {
        std::string b = popString();
        std::string a = popString();
        push(Value(action == Action::StringLess ? a < b : a > b));
        break;
    }
    case Action::StringAdd: {
        std::string b = popString();
        std::string a = popString();
        e_.checkStringLength(a.size() + b.size());
        push(Value(a + b));
        break;
    }
    case Action::StringLength:
    case Action::MBStringLength:
        push(Value(static_cast<double>(utf16Length(popString()))));
        break;
    case Action::StringExtract:
    case Action::MBStringExtract: { // count, 1-based index, string
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
    case Action::CharToAscii:
    case Action::MBCharToAscii: {
        std::u16string s = toUtf16(popString());
        push(s.empty() ? Value(std::nan("")) : Value(static_cast<double>(s[0])));
        break;
    }
    case Action::AsciiToChar:
    case Action::MBAsciiToChar:
        push(Value(codeUnitToUtf8(static_cast<char16_t>(toUint32(popNumber()) & 0xFFFF))));
        break;

    // --- Variables and members -----------------------------------------------------------------
    case Action::GetVariable: {
        std::string name = popString();
        push(lookup(f, name));
        break;
    }
    case Action::SetVariable: {
        Value v = pop(f);
        std::string name = popString();
        assign(f, name, v);
        break;
    }
    case Action::DefineLocal: {
        Value v = pop(f);
        std::string name = popString();
        defineLocal(f, name, v, false);
        break;
    }
    case Action::DefineLocal2:
        defineLocal(f, popString(), Value(), true);
        break;
    case Action::Delete: {
        std::string name = popString();
        Value object = pop(f);
        push(Value(e_.remove(object.asObject(), name)));
        break;
    }
    case Action::Delete2:
        push(Value(deleteVariable(f, popString())));
        break;
    case Action::GetMember: {
        Value name = pop(f);
        Value object = pop(f);
        push(e_.get(object, e_.toString(name)));
        break;
    }
    case Action::SetMember: {
        Value v = pop(f);
        Value name = pop(f);
        Value object = pop(f);
        if (Object* o = object.asObject()) e_.set(o, e_.toString(name), v);
        break;
    }
    case Action::InitArray: {
        std::vector<Value> elements = popArgs(f);
        push(Value(e_.newArray(std::move(elements))));
        break;
    }
    case Action::InitObject: {
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
    case Action::TypeOf:
        push(Value(e_.typeOf(pop(f))));
        break;
    case Action::Enumerate:
    case Action::Enumerate2: {
        Value subject = action == Action::Enumerate ? lookup(f, popString()) : pop(f);
        std::vector<std::string> names;
        if (Object* o = subject.asObject()) names = e_.enumerate(o);
        push(Value::null());
        for (auto it = names.rbegin(); it != names.rend(); ++it)
            push(Value(*it));
        break;
    }
    case Action::InstanceOf: {
        auto [object, ctor] = popPair();
        push(Value(e_.instanceOf(object, ctor)));
        break;
    }
    case Action::CastOp: {
        Value object = pop(f);
        Value ctor = pop(f);
        push(e_.instanceOf(object, ctor) ? object : Value::null());
        break;
    }
    case Action::ImplementsOp: {
        Value ctor = pop(f);
        std::vector<Value> interfaces = popArgs(f);
        if (Object* proto = e_.prototypeOf(ctor.asObject()))
            proto->define("__implements__", Value(e_.newArray(std::move(interfaces))), DontEnum);
        break;
    }
    case Action::Extends: {
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
    case Action::CallFunction:
    case Action::CallMethod:
        callAction(f, action == Action::CallMethod);
        break;
    case Action::NewObject:
    case Action::NewMethod:
        newAction(f, action == Action::NewMethod);
        break;
    case Action::Return:
        f.returnValue = pop(f);
        return Flow::Return;
    case Action::DefineFunction:
    case Action::DefineFunction2:
        defineFunction(f, dataBegin, dataEnd, next, action == Action::DefineFunction2);
        break;

    // --- Control flow ---------------------------------------------------------------------------
    case Action::Jump:
        jump(f, next, r.i16());
        break;
    case Action::If: {
        std::int16_t offset = r.i16();
        if (toBoolean(pop(f))) jump(f, next, offset);
        break;
    }
    case Action::With: {
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
    case Action::Try:
        return actionTry(f, dataBegin, dataEnd, next);
    case Action::Throw:
        throw ScriptThrow{pop(f)};

    default:
        break; // unknown actions are skipped
    }
    return Flow::Continue;
}

void Interpreter::actionPush(Frame& f, std::size_t dataBegin, std::size_t dataEnd) {
    Reader r(*f.code, dataBegin, dataEnd);
    while (!r.atEnd()) {
        const auto type = static_cast<PushType>(r.u8());
        Value v;
        switch (type) {
        case PushType::String:
            v = Value(r.str());
            break;
        case PushType::Float:
            v = Value(static_cast<double>(r.f32()));
            break;
        case PushType::Null:
            v = Value::null();
            break;
        case PushType::Undefined:
            break;
        case PushType::Register: {
            std::uint8_t reg = r.u8();
            if (reg < f.registers.size()) v = f.registers[reg];
            break;
        }
        case PushType::Boolean:
            v = Value(r.u8() != 0);
            break;
        case PushType::Double:
            v = Value(r.f64());
            break;
        case PushType::Integer:
            v = Value(static_cast<double>(static_cast<std::int32_t>(r.u32())));
            break;
        case PushType::Constant8:
        case PushType::Constant16: {
            std::size_t index = type == PushType::Constant8 ? r.u8() : r.u16();
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
    bool catchInRegister = flags & swf::TryCatchInRegister;
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
        if (flags & swf::TryHasCatch) {
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
    if ((flags & swf::TryHasFinally) && finallyStart < blockEnd) {
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
