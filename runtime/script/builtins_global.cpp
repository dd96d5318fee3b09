// Global functions, timers and AsBroadcaster.
#include "script/builtins.h"
#include "script/engine.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zimo::script {

namespace {

bool isAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Names for ASSetPropFlags: null for all own properties, "a,b" or an array of names.
std::vector<std::string> propertyNames(Engine& e, Object* o, const Value& selection) {
    std::vector<std::string> names;
    if (selection.isNull()) {
        for (const auto& [name, p] : o->properties().entries())
            names.push_back(name);
    } else if (auto* list = dynamic_cast<ArrayObject*>(selection.asObject())) {
        for (const Value& v : list->elements())
            names.push_back(e.toString(v));
    } else {
        std::string s = e.toString(selection);
        std::size_t from = 0;
        while (from <= s.size()) {
            std::size_t comma = s.find(',', from);
            if (comma == std::string::npos) comma = s.size();
            names.push_back(s.substr(from, comma - from));
            from = comma + 1;
        }
    }
    return names;
}

Value addTimer(NativeCall& c, bool repeat) {
    // setTimeout(function, ms, args...) or setTimeout(object, "method", ms, args...).
    Timer t;
    std::size_t next = 0;
    if (dynamic_cast<FunctionObject*>(c.arg(0).asObject())) {
        t.function = c.arg(0);
        next = 1;
    } else if (c.arg(0).isObject() && c.args.size() >= 3) {
        t.function = c.arg(0);
        t.method = c.engine.toString(c.arg(1));
        next = 2;
    } else {
        return Value();
    }
    if (c.args.size() <= next) return Value();
    double delay = c.engine.toNumber(c.arg(next));
    if (!(delay >= 1)) delay = 1; // fires on the next step of the clock, never within this turn
    t.due = c.engine.now() + delay;
    t.interval = repeat ? delay : 0;
    t.args.assign(c.args.begin() + static_cast<std::ptrdiff_t>(next + 1), c.args.end());
    return Value(static_cast<double>(c.engine.timers().add(std::move(t))));
}

Value clearTimer(NativeCall& c) {
    double id = c.engine.toNumber(c.arg(0));
    if (id >= 1 && id <= 4294967295.0) c.engine.timers().remove(static_cast<std::uint32_t>(id));
    return Value();
}

Value isNaN(NativeCall& c) {
    return Value(std::isnan(c.engine.toNumber(c.arg(0))));
}

Value isFinite(NativeCall& c) {
    return Value(std::isfinite(c.engine.toNumber(c.arg(0))));
}

Value parseFloat(NativeCall& c) {
    return Value(parseFloatPrefix(c.engine.toString(c.arg(0))));
}

Value parseInt(NativeCall& c) {
    int radix = c.arg(1).isUndefined() ? 0 : toInt32(c.engine.toNumber(c.arg(1)));
    return Value(parseIntPrefix(c.engine.toString(c.arg(0)), radix));
}

Value escape(NativeCall& c) {
    std::string s = c.engine.toString(c.arg(0));
    std::string out;
    for (char ch : s) {
        auto b = static_cast<unsigned char>(ch);
        if (isAlnum(b)) {
            out += ch;
        } else {
            out += '%';
            out += "0123456789ABCDEF"[b >> 4];
            out += "0123456789ABCDEF"[b & 15];
        }
    }
    c.engine.checkStringLength(out.size());
    return Value(out);
}

Value unescape(NativeCall& c) {
    std::string s = c.engine.toString(c.arg(0));
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() + 0 && hexValue(s[i + 1]) >= 0 &&
            hexValue(s[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return Value(out);
}

Value setPropFlags(NativeCall& c) {
    Object* o = c.arg(0).asObject();
    if (!o) return Value();
    auto set = static_cast<std::uint8_t>(toUint32(c.engine.toNumber(c.arg(2))) & 7);
    auto clear = static_cast<std::uint8_t>(
        c.arg(3).isUndefined() ? 0 : toUint32(c.engine.toNumber(c.arg(3))) & 7);
    for (const std::string& name : propertyNames(c.engine, o, c.arg(1))) {
        if (Property* p = o->findOwn(name))
            p->flags = static_cast<std::uint8_t>((p->flags & ~clear) | set);
    }
    return Value();
}

const NativeMethod kGlobalFunctions[] = {
    {"isNaN", isNaN},
    {"isFinite", isFinite},
    {"parseFloat", parseFloat},
    {"parseInt", parseInt},
    {"escape", escape},
    {"unescape", unescape},
    {"ASSetPropFlags", setPropFlags},
};

Value setTimeout(NativeCall& c) {
    return addTimer(c, false);
}

Value setInterval(NativeCall& c) {
    return addTimer(c, true);
}

const NativeMethod kTimerFunctions[] = {
    {"setTimeout", setTimeout},
    {"setInterval", setInterval},
    {"clearTimeout", clearTimer},
    {"clearInterval", clearTimer},
};

// --- AsBroadcaster ----------------------------------------------------------------------------

Value addListener(NativeCall& c) {
    auto* list = dynamic_cast<ArrayObject*>(c.engine.get(c.thisValue, "_listeners").asObject());
    if (!list) return Value(false);
    auto& el = list->elements();
    el.erase(std::remove(el.begin(), el.end(), c.arg(0)), el.end());
    list->push(c.arg(0));
    return Value(true);
}

Value removeListener(NativeCall& c) {
    auto* list = dynamic_cast<ArrayObject*>(c.engine.get(c.thisValue, "_listeners").asObject());
    if (!list) return Value(false);
    auto& el = list->elements();
    auto it = std::find(el.begin(), el.end(), c.arg(0));
    if (it == el.end()) return Value(false);
    el.erase(it);
    return Value(true);
}

Value broadcastMessage(NativeCall& c) {
    auto* list = dynamic_cast<ArrayObject*>(c.engine.get(c.thisValue, "_listeners").asObject());
    if (!list || c.args.empty()) return Value();
    std::string message = c.engine.toString(c.arg(0));
    std::vector<Value> copy = list->elements();
    for (const Value& listener : copy) {
        Object* owner =
            listener.isObject() ? c.engine.findOwner(listener.object(), message) : nullptr;
        c.engine.callFunction(c.engine.get(listener, message), listener, c.args.subspan(1), owner);
    }
    return Value(true);
}

const NativeMethod kBroadcasterMethods[] = {
    {"addListener", addListener},
    {"removeListener", removeListener},
    {"broadcastMessage", broadcastMessage},
};

// Makes its argument a broadcaster: a list of listeners and the three methods, copied from
// initialize's own properties (where the collector sees them).
Value broadcasterInitialize(NativeCall& c) {
    Object* o = c.arg(0).asObject();
    if (!o) return Value();
    o->define("_listeners", Value(c.engine.newArray()), DontEnum);
    for (const NativeMethod& m : kBroadcasterMethods) {
        Property* p = c.callee->findOwn(m.name);
        o->define(m.name, p ? p->value : Value(), DontEnum);
    }
    return Value();
}

} // namespace

void installGlobalFunctions(Engine& e) {
    Object* g = e.globals();
    g->define("NaN", Value(std::numeric_limits<double>::quiet_NaN()), DontEnum);
    g->define("Infinity", Value(std::numeric_limits<double>::infinity()), DontEnum);
    e.defineMethods(g, kGlobalFunctions);
}

void installTimers(Engine& e) {
    e.defineMethods(e.globals(), kTimerFunctions);
}

void installBroadcaster(Engine& e) {
    Object* broadcaster = e.newObject();
    e.globals()->define("AsBroadcaster", Value(broadcaster), DontEnum);
    e.defineMethods(broadcaster, kBroadcasterMethods);
    auto* initialize = e.defineMethod(broadcaster, "initialize", broadcasterInitialize);
    for (const NativeMethod& m : kBroadcasterMethods)
        initialize->define(m.name, broadcaster->findOwn(m.name)->value, DontEnum);
}

} // namespace zimo::script
