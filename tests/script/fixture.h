// A tiny host for the engine tests: clips with `_x`, children, `_parent` and a path, and a log
// of the timeline actions the scripts asked for.
#pragma once

#include "assembler.h"
#include "script/engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zimo::script::test {

class TestClip : public Object {
public:
    TestClip(Object* proto, std::string name, TestClip* parent)
        : Object(proto), name(std::move(name)), parent(parent) {}

    std::string_view typeOf() const override { return "movieclip"; }
    std::optional<std::string> stringForm() const override {
        return parent ? *parent->stringForm() + "." + name : std::string("_level0");
    }
    std::optional<Value> hostGet(Engine&, const std::string& n) override {
        if (n == "_x") return Value(x);
        if (n == "_name") return Value(name);
        if (n == "_parent") return parent ? std::optional<Value>(Value(parent)) : std::nullopt;
        if (auto it = children.find(n); it != children.end()) return Value(it->second);
        return std::nullopt;
    }
    bool hostSet(Engine& e, const std::string& n, const Value& v) override {
        if (n == "_x") {
            double d = e.toNumber(v);
            if (!std::isnan(d)) x = d;
            return true;
        }
        return false;
    }
    void trace(Tracer& t) const override {
        Object::trace(t);
        t.mark(parent);
        for (const auto& [n, c] : children)
            t.mark(c);
    }

    std::string name;
    TestClip* parent;
    std::map<std::string, TestClip*> children;
    double x = 0;
};

class TestHost : public Host {
public:
    Object* root() override { return rootClip; }
    void play(Object* t) override { log.push_back("play " + path(t)); }
    void stop(Object* t) override { log.push_back("stop " + path(t)); }
    void gotoFrame(Object* t, int frame, bool play) override {
        log.push_back("goto " + path(t) + " " + std::to_string(frame) + (play ? " play" : " stop"));
    }
    void gotoLabel(Object* t, const std::string& label, bool play) override {
        log.push_back("label " + path(t) + " " + label + (play ? " play" : " stop"));
    }
    static std::string path(Object* o) {
        return o && o->stringForm() ? *o->stringForm() : std::string("?");
    }

    TestClip* rootClip = nullptr;
    std::vector<std::string> log;
};

class EngineTest : public ::testing::Test {
protected:
    EngineTest() {
        engine.setTraceSink([this](std::string_view s) { traced.emplace_back(s); });
        clipClass = engine.defineClass(
            {.name = "MovieClip", .constructor = [](NativeCall& c) { return c.thisValue; }});
        root = engine.make<TestClip>(engine.prototypeOf(clipClass), "", nullptr);
        engine.pin(root);
        host.rootClip = root;
    }

    TestClip* addChild(TestClip* parent, const std::string& name) {
        auto* c = engine.make<TestClip>(engine.prototypeOf(clipClass), name, parent);
        parent->children[name] = c;
        return c;
    }

    void run(const Asm& code, Object* target = nullptr) {
        engine.runActions(code.bytes(), target ? target : root);
    }
    Value var(const std::string& path) { return engine.getVariable(root, path); }
    double num(const std::string& path) { return engine.toNumber(var(path)); }
    std::string str(const std::string& path) { return engine.toString(var(path)); }

    TestHost host;
    Engine engine{&host};
    FunctionObject* clipClass = nullptr;
    TestClip* root = nullptr;
    std::vector<std::string> traced;
};

} // namespace zimo::script::test
