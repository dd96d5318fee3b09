// Text in SWF tags: UTF-8 from version 6 on, Latin-1 before.
#pragma once

#include <QString>

#include <cstdint>
#include <span>
#include <string>

namespace zimo::swf {

QString decodeString(std::span<const std::uint8_t> bytes, int swfVersion);
QString decodeString(const std::string& s, int swfVersion);

} // namespace zimo::swf
