#pragma once

// What the code generator needs to know about a function body before generating it: its
// local variables, the declarations to hoist, and which implicit variables it reads.

#include "ast.h"

#include <string>
#include <vector>

namespace zimo::asc {

struct FunctionScan {
    std::vector<std::string> vars;             // declared with `var`, each once, in order
    std::vector<const Function*> declarations; // function declarations, in order
    bool usesThis = false;
    bool usesArguments = false;
    bool usesRoot = false;
    bool usesParent = false;
    bool usesGlobal = false;
    bool hasNestedFunction = false; // a declaration or a literal
};

// Looks through the statements and their expressions, but not into nested functions.
FunctionScan scanBody(const std::vector<StmtPtr>& body);

} // namespace zimo::asc
