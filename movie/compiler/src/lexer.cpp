#include "lexer.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace zimo::asc {

namespace {

bool isNameStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || c >= 0x80;
}
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool isNamePart(unsigned char c) {
    return isNameStart(c) || isDigit(c);
}

int hexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Longest first, so that ">>>=" is not read as ">>" and ">=".
constexpr std::array<std::string_view, 48> kPunctuation = {
    ">>>=", "===", "!==", ">>>", "<<=", ">>=", "==", "!=", "<=", ">=", "&&", "||",
    "++",   "--",  "+=",  "-=",  "*=",  "/=",  "%=", "&=", "|=", "^=", "<<", ">>",
    "{",    "}",   "(",   ")",   "[",   "]",   ";",  ",",  ".",  ":",  "?",  "=",
    "<",    ">",   "+",   "-",   "*",   "/",   "%",  "&",  "|",  "^",  "!",  "~",
};

class Lexer {
public:
    explicit Lexer(std::string_view source) : src_(source) {}

    std::vector<Token> run() {
        std::vector<Token> tokens;
        bool newline = false;
        for (;;) {
            newline = skipSpaceAndComments() || newline;
            Token token;
            token.pos = here();
            token.newlineBefore = newline;
            newline = false;
            if (at_ >= src_.size()) {
                tokens.push_back(std::move(token));
                return tokens;
            }
            const auto c = static_cast<unsigned char>(src_[at_]);
            if (isNameStart(c)) {
                readName(token);
            } else if (isDigit(c) || (c == '.' && at_ + 1 < src_.size() &&
                                      isDigit(static_cast<unsigned char>(src_[at_ + 1])))) {
                readNumber(token);
            } else if (c == '"' || c == '\'') {
                readString(token);
            } else {
                readPunctuation(token);
            }
            tokens.push_back(std::move(token));
        }
    }

private:
    SourcePos here() const { return {line_, column_}; }

    // Moves one byte on, keeping line and column (columns count characters, not bytes).
    void advance() {
        const auto c = static_cast<unsigned char>(src_[at_]);
        ++at_;
        if (c == '\n') {
            ++line_;
            column_ = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++column_;
        }
    }

    // Returns whether a line break was skipped.
    bool skipSpaceAndComments() {
        bool newline = false;
        while (at_ < src_.size()) {
            const char c = src_[at_];
            if (c == '\n') {
                newline = true;
                advance();
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                advance();
            } else if (src_.substr(at_, 3) == "\xEF\xBB\xBF") { // a byte-order mark
                at_ += 3;
            } else if (src_.substr(at_, 2) == "//") {
                while (at_ < src_.size() && src_[at_] != '\n')
                    advance();
            } else if (src_.substr(at_, 2) == "/*") {
                const SourcePos start = here();
                advance();
                advance();
                while (at_ < src_.size() && src_.substr(at_, 2) != "*/") {
                    if (src_[at_] == '\n') newline = true;
                    advance();
                }
                if (at_ >= src_.size()) throw CompileError(start, "unterminated comment");
                advance();
                advance();
            } else {
                break;
            }
        }
        return newline;
    }

    void readName(Token& token) {
        const std::size_t start = at_;
        while (at_ < src_.size() && isNamePart(static_cast<unsigned char>(src_[at_])))
            advance();
        token.kind = TokenKind::Name;
        token.text = std::string(src_.substr(start, at_ - start));
    }

    void readNumber(Token& token) {
        const std::size_t start = at_;
        token.kind = TokenKind::Number;
        if (src_[at_] == '0' && at_ + 1 < src_.size() &&
            (src_[at_ + 1] == 'x' || src_[at_ + 1] == 'X')) {
            advance();
            advance();
            double value = 0.0;
            bool any = false;
            while (at_ < src_.size() && hexValue(static_cast<unsigned char>(src_[at_])) >= 0) {
                value = value * 16 + hexValue(static_cast<unsigned char>(src_[at_]));
                any = true;
                advance();
            }
            if (!any) throw CompileError(token.pos, "malformed number");
            token.number = value;
        } else {
            while (at_ < src_.size() && isDigit(static_cast<unsigned char>(src_[at_])))
                advance();
            if (at_ < src_.size() && src_[at_] == '.') {
                advance();
                while (at_ < src_.size() && isDigit(static_cast<unsigned char>(src_[at_])))
                    advance();
            }
            if (at_ < src_.size() && (src_[at_] == 'e' || src_[at_] == 'E')) {
                advance();
                if (at_ < src_.size() && (src_[at_] == '+' || src_[at_] == '-')) advance();
                if (at_ >= src_.size() || !isDigit(static_cast<unsigned char>(src_[at_])))
                    throw CompileError(token.pos, "malformed number");
                while (at_ < src_.size() && isDigit(static_cast<unsigned char>(src_[at_])))
                    advance();
            }
            const std::string_view text = src_.substr(start, at_ - start);
            const auto [end, ec] =
                std::from_chars(text.data(), text.data() + text.size(), token.number);
            if (ec == std::errc::result_out_of_range) {
                throw CompileError(token.pos, "number out of range");
            }
            if (ec != std::errc() || end != text.data() + text.size())
                throw CompileError(token.pos, "malformed number");
        }
        if (at_ < src_.size() && isNamePart(static_cast<unsigned char>(src_[at_])))
            throw CompileError(token.pos, "malformed number");
    }

    std::uint32_t readHexDigits(int count, SourcePos escapePos) {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            const int digit =
                at_ < src_.size() ? hexValue(static_cast<unsigned char>(src_[at_])) : -1;
            if (digit < 0) throw CompileError(escapePos, "malformed escape sequence");
            value = value * 16 + static_cast<std::uint32_t>(digit);
            advance();
        }
        return value;
    }

    void readString(Token& token) {
        const char quote = src_[at_];
        advance();
        token.kind = TokenKind::String;
        std::string& out = token.text;
        for (;;) {
            if (at_ >= src_.size() || src_[at_] == '\n' || src_[at_] == '\r')
                throw CompileError(token.pos, "unterminated string");
            const char c = src_[at_];
            if (c == quote) {
                advance();
                break;
            }
            if (c != '\\') {
                out += c;
                advance();
            } else {
                readEscape(out);
            }
            if (out.size() > kMaxStringBytes) throw CompileError(token.pos, "string too long");
        }
        if (out.find('\0') != std::string::npos)
            throw CompileError(token.pos, "a string cannot hold the character 0");
    }

    void readEscape(std::string& out) {
        const SourcePos escapePos = here();
        advance(); // the backslash
        if (at_ >= src_.size()) throw CompileError(escapePos, "unterminated string");
        const char e = src_[at_];
        advance();
        switch (e) {
        case 'n':
            out += '\n';
            return;
        case 'r':
            out += '\r';
            return;
        case 't':
            out += '\t';
            return;
        case 'b':
            out += '\b';
            return;
        case 'f':
            out += '\f';
            return;
        case 'v':
            out += '\v';
            return;
        case '0':
            out += '\0';
            return; // refused once the string is complete
        case 'x':
            appendUtf8(out, readHexDigits(2, escapePos));
            return;
        case 'u': {
            std::uint32_t cp = readHexDigits(4, escapePos);
            if (cp >= 0xDC00 && cp <= 0xDFFF)
                throw CompileError(escapePos, "unpaired surrogate in escape sequence");
            if (cp >= 0xD800 && cp <= 0xDBFF) {
                if (src_.substr(at_, 2) != "\\u") {
                    throw CompileError(escapePos, "unpaired surrogate in escape sequence");
                }
                advance();
                advance();
                const std::uint32_t low = readHexDigits(4, escapePos);
                if (low < 0xDC00 || low > 0xDFFF)
                    throw CompileError(escapePos, "unpaired surrogate in escape sequence");
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            }
            appendUtf8(out, cp);
            return;
        }
        case '\n':
            throw CompileError(escapePos, "unterminated string");
        default:
            out += e;
            return; // \\, \", \' and any other character stand for themselves
        }
    }

    void readPunctuation(Token& token) {
        for (const std::string_view p : kPunctuation) {
            if (src_.substr(at_, p.size()) == p) {
                for (std::size_t i = 0; i < p.size(); ++i)
                    advance();
                token.kind = TokenKind::Punctuation;
                token.text = std::string(p);
                return;
            }
        }
        const auto c = static_cast<unsigned char>(src_[at_]);
        std::string shown = (c >= 0x20 && c < 0x7F)
                                ? std::string(1, static_cast<char>(c))
                                : "\\x" + std::string(1, "0123456789abcdef"[c >> 4]) +
                                      std::string(1, "0123456789abcdef"[c & 15]);
        throw CompileError(token.pos, "unexpected character '" + shown + "'");
    }

    std::string_view src_;
    std::size_t at_ = 0;
    int line_ = 1;
    int column_ = 1;
};

} // namespace

std::vector<Token> tokenize(std::string_view source) {
    return Lexer(source).run();
}

} // namespace zimo::asc
