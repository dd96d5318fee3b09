// What the fuzz targets do with their input, shared with the test that runs the inputs
// kept from earlier findings.
#pragma once

#include <cstdint>
#include <span>

namespace zimo::media::fuzz {

// Every AMF0 value in the bytes, as the metadata reader takes them.
void readAmf0(std::span<const std::uint8_t> data);
// The first tags of a Flash Video file in memory: its onMetaData and oversized tags; and
// the places where tags start again that a search from the start finds, one after another.
void readFlvHead(std::span<const std::uint8_t> data);
// A whole file through the engine's path: open, decode, seek, decode again, with the
// pictures converted; small pictures only and one decoding thread, so a run is cheap.
void playFile(std::span<const std::uint8_t> data);

} // namespace zimo::media::fuzz
