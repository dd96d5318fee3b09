// How a script stops early. Both stay inside the engine: every entry point catches them.
#pragma once

#include "script/value.h"

#include <string>

namespace zimo::script {

// Abandons the whole running turn: action budget spent, recursion too deep, malformed code,
// a resource limit. Scripts cannot catch it.
struct ScriptAbort {
    std::string reason;
};

// A value thrown by `throw`; script try/catch blocks catch it.
struct ScriptThrow {
    Value value;
};

} // namespace zimo::script
