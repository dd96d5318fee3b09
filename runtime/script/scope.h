// The scope chain: an immutable list of objects searched for variables, innermost first.
#pragma once

#include <memory>

namespace zimo::script {

class Object;

struct Scope {
    enum class Kind {
        Global, // _global: read, never assigned by a plain assignment
        Target, // a timeline: plain assignments that find nothing land here
        Local,  // a function's activation object: `var` lands here
        With,   // an object pushed by `with`
    };
    Kind kind;
    Object* object;
    std::shared_ptr<const Scope> parent;
};

using ScopePtr = std::shared_ptr<const Scope>;

inline ScopePtr pushScope(Scope::Kind kind, Object* object, ScopePtr parent) {
    return std::make_shared<const Scope>(Scope{kind, object, std::move(parent)});
}

} // namespace zimo::script
