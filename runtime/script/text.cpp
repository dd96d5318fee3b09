#include "script/text.h"

namespace zimo::script {

std::u16string toUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        auto cont = [&](std::size_t k) {
            return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        };
        auto bits = [&](std::size_t k) { return static_cast<char32_t>(s[i + k] & 0x3F); };
        if (b < 0x80) {
            cp = b;
        } else if (b >= 0xC2 && b < 0xE0 && cont(1)) {
            cp = (static_cast<char32_t>(b & 0x1F) << 6) | bits(1);
            len = 2;
        } else if (b >= 0xE0 && b < 0xF0 && cont(1) && cont(2)) {
            cp = (static_cast<char32_t>(b & 0x0F) << 12) | (bits(1) << 6) | bits(2);
            len = 3;
            if (cp < 0x800) cp = 0xFFFD;
        } else if (b >= 0xF0 && b < 0xF5 && cont(1) && cont(2) && cont(3)) {
            cp = (static_cast<char32_t>(b & 0x07) << 18) | (bits(1) << 12) | (bits(2) << 6) |
                 bits(3);
            len = 4;
            if (cp < 0x10000 || cp > 0x10FFFF) cp = 0xFFFD;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

namespace {
void appendCodePoint(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}
} // namespace

std::string toUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        // A lone surrogate is kept as its three-byte form so lengths stay stable.
        appendCodePoint(out, cp);
    }
    return out;
}

std::string codeUnitToUtf8(char16_t unit) {
    std::string out;
    appendCodePoint(out, unit);
    return out;
}

std::size_t utf16Length(std::string_view s) {
    bool ascii = true;
    for (char c : s)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    return ascii ? s.size() : toUtf16(s).size();
}

} // namespace zimo::script
