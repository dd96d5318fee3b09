#pragma once

// Builds the syntax tree of a script from its tokens.

#include "ast.h"
#include "lexer.h"

#include <vector>

namespace zimo::asc {

// Throws CompileError at the first syntax error or construct the compiler does not support.
Script parse(const std::vector<Token>& tokens);

} // namespace zimo::asc
