// The bytes of a media file, read at any offset: a local file, or a block of memory
// (fuzzing, tests). Not thread-safe; a source belongs to one thread at a time.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <span>

namespace zimo::media {

class MediaSource {
public:
    // A regular, readable, non-empty file; null otherwise.
    static std::unique_ptr<MediaSource> openFile(const QString& path);
    // Bytes the caller keeps alive as long as the source.
    static std::unique_ptr<MediaSource> fromMemory(std::span<const std::uint8_t> bytes);

    virtual ~MediaSource() = default;
    virtual std::int64_t size() const = 0;
    // Up to n bytes from offset into out: the count, 0 at or past the end, -1 on error.
    virtual std::int64_t readAt(std::int64_t offset, std::uint8_t* out, std::int64_t n) = 0;
    // Where the next stretch the file system keeps of the file starts, at or after offset:
    // what lies before it is a hole, which reads as zeros (the parts a download has not
    // written yet). The size at the end; offset itself when that is not known.
    virtual std::int64_t dataFrom(std::int64_t offset) { return offset; }
};

} // namespace zimo::media
