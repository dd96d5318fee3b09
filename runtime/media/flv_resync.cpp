#include "media/flv_resync.h"

#include "media/big_endian.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace zimo::media {

namespace {

constexpr std::int64_t kTagHeaderSize = 11;
constexpr std::int64_t kTrailerSize = 4;
// Read at a time while looking.
constexpr std::int64_t kBlockSize = 1 << 20;

using TagHeader = std::array<std::uint8_t, kTagHeaderSize>;

// Sound, pictures or script data, a body, and the stream id that is always 0.
bool mayBeTagHeader(const std::uint8_t* h) {
    return (h[0] == 8 || h[0] == 9 || h[0] == 18) && be24(h + 1) > 0 && h[8] == 0 && h[9] == 0 &&
           h[10] == 0;
}

bool readExactly(MediaSource& source, std::int64_t at, std::uint8_t* out, std::int64_t n) {
    for (std::int64_t got = 0; got < n;) {
        const std::int64_t r = source.readAt(at + got, out + got, n - got);
        if (r <= 0) return false;
        got += r;
    }
    return true;
}

enum class Trailer { Matches, Differs, PastTheEnd };

// Whether the size of the tag whose header lies at `at` is repeated after its body; where
// the next tag starts when it is.
Trailer trailerOf(MediaSource& source, std::int64_t at, const std::uint8_t* header,
                  std::int64_t& next) {
    const std::int64_t size = be24(header + 1);
    const std::int64_t trailerAt = at + kTagHeaderSize + size;
    if (trailerAt + kTrailerSize > source.size()) return Trailer::PastTheEnd;
    std::array<std::uint8_t, kTrailerSize> trailer{};
    if (!readExactly(source, trailerAt, trailer.data(), kTrailerSize) ||
        be32(trailer.data()) != size + kTagHeaderSize)
        return Trailer::Differs;
    next = trailerAt + kTrailerSize;
    return Trailer::Matches;
}

// Whether tags start at `at`, whose header fits: its size comes after it, and then the end of
// the file, or a tag that fits too (whole, or cut off by the end of the file).
bool tagsStartAt(MediaSource& source, std::int64_t at, const std::uint8_t* header) {
    std::int64_t next = 0;
    if (trailerOf(source, at, header, next) != Trailer::Matches) return false;
    if (next + kTagHeaderSize > source.size()) return true;
    TagHeader second{};
    if (!readExactly(source, next, second.data(), kTagHeaderSize) || !mayBeTagHeader(second.data()))
        return false;
    std::int64_t after = 0;
    return trailerOf(source, next, second.data(), after) != Trailer::Differs;
}

} // namespace

std::optional<std::int64_t> findFlvTagsFrom(MediaSource& source, std::int64_t from,
                                            const std::function<bool()>& interrupted) {
    from = std::max<std::int64_t>(from, 0);
    if (from >= source.size()) return std::nullopt;
    // Each block is read with the bytes a header starting at its last offset needs.
    std::vector<std::uint8_t> block(
        std::size_t(std::min(kBlockSize + kTagHeaderSize - 1, source.size() - from)));
    for (std::int64_t pos = from; pos < source.size(); pos += kBlockSize) {
        if (interrupted && interrupted()) return std::nullopt;
        // No tag starts in a hole: a tag's first byte is never 0.
        pos = std::max(pos, source.dataFrom(pos));
        if (pos >= source.size()) break;
        const std::int64_t length =
            std::min<std::int64_t>(std::int64_t(block.size()), source.size() - pos);
        if (!readExactly(source, pos, block.data(), length)) return std::nullopt;
        const std::int64_t starts = std::min(kBlockSize, length - kTagHeaderSize + 1);
        for (std::int64_t i = 0; i < starts; ++i) {
            // Runs of zeros, what is missing from a download reads as, go by eight at a time.
            if (i + 8 <= starts) {
                std::uint64_t word = 0;
                std::memcpy(&word, block.data() + i, sizeof word);
                if (word == 0) {
                    i += 7;
                    continue;
                }
            }
            const std::uint8_t* header = block.data() + i;
            if (mayBeTagHeader(header) && tagsStartAt(source, pos + i, header)) return pos + i;
        }
    }
    return std::nullopt;
}

} // namespace zimo::media
