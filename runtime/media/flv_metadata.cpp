#include "media/flv_metadata.h"

#include "media/amf0.h"

#include <QFile>

#include <vector>

namespace zimo::media {

namespace {

constexpr int kFlvHeaderSize = 9;
constexpr int kTagHeaderSize = 11;
constexpr int kScriptTag = 18;
// Metadata sits in the first tags; a search never walks further than this.
constexpr int kMaxTagsSearched = 64;

std::uint32_t be24(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
}

std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | be24(p + 1);
}

// Walks the tags through a reader of byte ranges; `fetch(offset, n, out)`
// fills out with exactly n bytes or returns false.
template <typename Fetch> std::optional<Value> searchTags(Fetch&& fetch) {
    std::vector<std::uint8_t> buf;
    if (!fetch(0, kFlvHeaderSize, buf) || !looksLikeFlv(buf)) return std::nullopt;
    std::uint64_t offset = be32(buf.data() + 5);
    if (offset < kFlvHeaderSize) offset = kFlvHeaderSize;
    offset += 4; // the size of the (absent) tag before the first
    for (int i = 0; i < kMaxTagsSearched; ++i) {
        if (!fetch(offset, kTagHeaderSize, buf)) return std::nullopt;
        const int type = buf[0] & 0x1f;
        const bool encrypted = (buf[0] & 0x20) != 0;
        const std::uint32_t size = be24(buf.data() + 1);
        const std::uint64_t dataOffset = offset + kTagHeaderSize;
        offset = dataOffset + size + 4;
        if (type != kScriptTag || encrypted) continue;
        // A tag cut short by the end of the file still gives what it holds.
        std::vector<std::uint8_t> data;
        if (!fetch(dataOffset, size, data)) continue;
        amf0::Reader reader(data);
        const Value name = reader.read();
        if (name.type() != Value::Type::String || name.toString() != QLatin1String("onMetaData"))
            continue;
        if (reader.atEnd()) continue;
        return reader.read();
    }
    return std::nullopt;
}

} // namespace

bool looksLikeFlv(std::span<const std::uint8_t> head) {
    return head.size() >= 4 && head[0] == 'F' && head[1] == 'L' && head[2] == 'V' && head[3] == 1;
}

std::optional<Value> findFlvMetadata(std::span<const std::uint8_t> file) {
    return searchTags([&](std::uint64_t offset, std::uint32_t n, std::vector<std::uint8_t>& out) {
        if (offset >= file.size()) return false;
        const auto available = std::min<std::uint64_t>(n, file.size() - offset);
        if (available < n && n <= kTagHeaderSize) return false;
        out.assign(file.begin() + static_cast<std::ptrdiff_t>(offset),
                   file.begin() + static_cast<std::ptrdiff_t>(offset + available));
        return true;
    });
}

std::optional<Value> readFlvMetadata(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const qint64 fileSize = f.size();
    return searchTags([&](std::uint64_t offset, std::uint32_t n, std::vector<std::uint8_t>& out) {
        if (fileSize <= 0 || offset >= static_cast<std::uint64_t>(fileSize)) return false;
        const auto available =
            std::min<std::uint64_t>(n, static_cast<std::uint64_t>(fileSize) - offset);
        if (available < n && n <= kTagHeaderSize) return false;
        out.resize(available);
        if (!f.seek(static_cast<qint64>(offset))) return false;
        return f.read(reinterpret_cast<char*>(out.data()), static_cast<qint64>(available)) ==
               static_cast<qint64>(available);
    });
}

} // namespace zimo::media
