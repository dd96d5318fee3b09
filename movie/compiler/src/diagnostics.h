#pragma once

// Where a piece of source is, and the error that stops a compilation there.

#include <stdexcept>
#include <string>

namespace zimo::asc {

struct SourcePos {
    int line = 1;
    int column = 1; // in characters, counted from 1
};

// Thrown by the lexer, the parser and the code generator at the first error; compile()
// turns it into "file:line:column: message". It never leaves the library.
class CompileError : public std::runtime_error {
public:
    CompileError(SourcePos pos, const std::string& message)
        : std::runtime_error(message), pos_(pos) {}
    SourcePos pos() const { return pos_; }

private:
    SourcePos pos_;
};

} // namespace zimo::asc
