// `super` inside a method: reads start one step above the object the method was found on,
// and calls keep the original `this`.
#pragma once

#include "script/object.h"

namespace zimo::script {

class SuperObject : public Object {
public:
    SuperObject(Value thisValue, Object* home)
        : Object(nullptr), thisValue_(std::move(thisValue)), home_(home) {}

    const Value& thisValue() const { return thisValue_; }
    Object* home() const { return home_; }
    // Where member lookups through `super` begin.
    Object* lookupStart() const { return home_ ? home_->proto() : nullptr; }

    std::optional<Value> hostGet(Engine& e, const std::string& name) override;
    void trace(Tracer& t) const override {
        Object::trace(t);
        t.mark(thisValue_);
        t.mark(home_);
    }

private:
    Value thisValue_;
    Object* home_;
};

} // namespace zimo::script
