#include "swf/strings.h"

namespace zimo::swf {

QString decodeString(std::span<const std::uint8_t> bytes, int swfVersion) {
    // Font names may carry their terminator inside the counted length.
    std::size_t n = bytes.size();
    while (n > 0 && bytes[n - 1] == 0)
        --n;
    const auto* p = reinterpret_cast<const char*>(bytes.data());
    const auto size = static_cast<qsizetype>(n);
    return swfVersion >= 6 ? QString::fromUtf8(p, size) : QString::fromLatin1(p, size);
}

QString decodeString(const std::string& s, int swfVersion) {
    return decodeString(std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()),
                        swfVersion);
}

} // namespace zimo::swf
