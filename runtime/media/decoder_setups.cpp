#include "media/decoder_setups.h"

extern "C" {
#include <libavcodec/codec_par.h>
#include <libavcodec/packet.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cstring>

namespace zimo::media {

std::optional<int> DecoderSetups::brought(const AVPacket& packet) {
    std::size_t size = 0;
    const std::uint8_t* data = av_packet_get_side_data(&packet, AV_PKT_DATA_NEW_EXTRADATA, &size);
    if (!data || size == 0) return std::nullopt;
    const auto same = std::find_if(setups_.begin(), setups_.end(), [&](const auto& s) {
        return s.size() == size && std::memcmp(s.data(), data, size) == 0;
    });
    if (same != setups_.end()) return static_cast<int>(same - setups_.begin());
    setups_.emplace_back(data, data + size);
    return static_cast<int>(setups_.size() - 1);
}

bool DecoderSetups::give(AVPacket& packet, int setup, const AVCodecParameters& own) const {
    const std::uint8_t* data = own.extradata;
    std::size_t size =
        own.extradata && own.extradata_size > 0 ? static_cast<std::size_t>(own.extradata_size) : 0;
    if (setup != kOwn) {
        if (setup < 0 || static_cast<std::size_t>(setup) >= setups_.size()) return false;
        data = setups_[static_cast<std::size_t>(setup)].data();
        size = setups_[static_cast<std::size_t>(setup)].size();
    }
    if (size == 0) return false;
    std::uint8_t* copy = av_packet_new_side_data(&packet, AV_PKT_DATA_NEW_EXTRADATA, size);
    if (!copy) return false;
    std::memcpy(copy, data, size);
    return true;
}

} // namespace zimo::media
