#include "script/function.h"

namespace zimo::script {

void FunctionObject::trace(Tracer& t) const {
    Object::trace(t);
    t.mark(target_);
    for (const Scope* s = scope_.get(); s; s = s->parent.get())
        t.mark(s->object);
}

} // namespace zimo::script
