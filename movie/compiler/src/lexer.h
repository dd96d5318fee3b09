#pragma once

// Splits a script into tokens: names, keywords, numbers, strings and punctuation.

#include "diagnostics.h"

#include <string>
#include <string_view>
#include <vector>

namespace zimo::asc {

enum class TokenKind {
    Name, // identifiers and keywords alike; the parser tells them apart
    Number,
    String,
    Punctuation, // operators and separators, text holds the spelling
    EndOfFile,
};

struct Token {
    TokenKind kind = TokenKind::EndOfFile;
    std::string text;    // name, punctuation spelling, or the string's decoded value (UTF-8)
    double number = 0.0; // for numbers
    SourcePos pos;
    bool newlineBefore = false; // a line break separates it from the previous token
};

// The longest string literal accepted: it must fit one Push record.
inline constexpr std::size_t kMaxStringBytes = 60000;

// Throws CompileError at the first malformed token.
std::vector<Token> tokenize(std::string_view source);

} // namespace zimo::asc
