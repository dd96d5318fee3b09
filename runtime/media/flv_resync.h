// Where Flash Video tags begin again after a stretch that holds none: the missing parts of
// a download that read as zeros, a stretch of a recording overwritten or lost.
#pragma once

#include "media/media_source.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace zimo::media {

// The most bytes one tag takes: its header, the largest body its header can give, and the
// size repeated after it.
inline constexpr std::int64_t kMaxFlvTagSpan = 11 + 0xffffff + 4;

// The offset of the first tag at or after `from` whose size is repeated after it, followed
// by another such tag or by the end of the file. Nothing when no tag comes before the end,
// the file cannot be read, or `interrupted` (which may be empty) says to stop.
std::optional<std::int64_t> findFlvTagsFrom(MediaSource& source, std::int64_t from,
                                            const std::function<bool()>& interrupted);

} // namespace zimo::media
