// The set-ups (the codec's extradata: H.264's parameter sets, AAC's configuration) a
// stream's decoder is given as a file goes on. A file joined from parts brings each part's
// set-up in its stream where the part starts; a decoder moved into a part without reading
// that start is given the part's set-up with the first packet it decodes there.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct AVPacket;
struct AVCodecParameters;

namespace zimo::media {

class DecoderSetups {
public:
    // The set-up a decoder is opened with: the stream's own.
    static constexpr int kOwn = -1;

    // The number of the set-up a packet brings, if it brings one. The same bytes have the
    // same number.
    std::optional<int> brought(const AVPacket& packet);
    // Makes the packet bring set-up `setup` (`own` for kOwn). False when it could not.
    bool give(AVPacket& packet, int setup, const AVCodecParameters& own) const;

private:
    std::vector<std::vector<std::uint8_t>> setups_;
};

} // namespace zimo::media
