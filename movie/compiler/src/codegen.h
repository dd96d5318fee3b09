#pragma once

// Turns the syntax tree of a script into code for the assembler.

#include "ast.h"
#include "code.h"

namespace zimo::asc {

// Throws CompileError for constructs that cannot be expressed (a `break` outside a loop, too
// many registers).
Code generate(const Script& script);

} // namespace zimo::asc
