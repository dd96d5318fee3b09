// File names as text, and back to their exact bytes.
//
// A file name on this system is a string of bytes, usually but not always UTF-8: an old
// archive may hold Latin-1 or GBK names. The shell hands paths to the movie as text
// (the "Ff" variable), so each byte that is not part of valid UTF-8 is carried as one
// lone surrogate, U+DC80 to U+DCFF for the bytes 0x80 to 0xFF. Valid UTF-8 never
// encodes a surrogate, so the mapping is reversible: fileNameBytes(fileNameText(b)) is
// b for every byte string b. Both the shell and the player use these two functions.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace zimo {

namespace file_name_detail {

// Length of the valid UTF-8 sequence at bytes[i], or 0 when none starts there. Overlong
// forms, surrogates and code points above U+10FFFF are not valid.
inline qsizetype validSequenceLength(QByteArrayView bytes, qsizetype i, char32_t& cp) {
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes[i + k]); };
    const unsigned char b = at(0);
    qsizetype length = 0;
    char32_t min = 0;
    if (b < 0x80) {
        cp = b;
        return 1;
    } else if (b >= 0xC2 && b < 0xE0) {
        length = 2, cp = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b < 0xF0) {
        length = 3, cp = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b < 0xF5) {
        length = 4, cp = b & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > bytes.size()) return 0;
    for (qsizetype k = 1; k < length; ++k) {
        if ((at(k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (at(k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return 0;
    return length;
}

} // namespace file_name_detail

// The text of a file name: its UTF-8 decoded, each other byte as U+DC80 + (byte - 0x80).
inline QString fileNameText(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const qsizetype length = file_name_detail::validSequenceLength(bytes, i, cp);
        if (length == 0) {
            text += QChar(char16_t(0xDC00 + static_cast<unsigned char>(bytes[i])));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            text += QChar(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
            text += QChar(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            text += QChar(char16_t(cp));
        }
        i += length;
    }
    return text;
}

// The bytes of a file name given as text: the inverse of fileNameText. Other lone
// surrogates, which no file name gives, become U+FFFD.
inline QByteArray fileNameBytes(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t cp = text[i].unicode();
        if (cp >= 0xDC80 && cp <= 0xDCFF) {
            bytes += static_cast<char>(cp - 0xDC00);
            continue;
        }
        if (QChar::isHighSurrogate(cp) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(char16_t(cp), text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(cp)) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            bytes += char(cp);
        } else if (cp < 0x800) {
            bytes += char(0xC0 | (cp >> 6));
            bytes += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            bytes += char(0xE0 | (cp >> 12));
            bytes += char(0x80 | ((cp >> 6) & 0x3F));
            bytes += char(0x80 | (cp & 0x3F));
        } else {
            bytes += char(0xF0 | (cp >> 18));
            bytes += char(0x80 | ((cp >> 12) & 0x3F));
            bytes += char(0x80 | ((cp >> 6) & 0x3F));
            bytes += char(0x80 | (cp & 0x3F));
        }
    }
    return bytes;
}

} // namespace zimo
