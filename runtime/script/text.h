// UTF-8 strings indexed by UTF-16 code units, the way string methods count characters.
#pragma once

#include <string>
#include <string_view>

namespace zimo::script {

// Invalid UTF-8 bytes decode as U+FFFD, so any byte string converts.
std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view utf16);
std::string codeUnitToUtf8(char16_t unit);
// Length in UTF-16 code units.
std::size_t utf16Length(std::string_view utf8);

} // namespace zimo::script
