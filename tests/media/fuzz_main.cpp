// libFuzzer entry of each media fuzz target; ZIMO_FUZZ_ENTRY names its function in
// fuzz_entries.h.
#include "fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zimo::media::fuzz::ZIMO_FUZZ_ENTRY({data, size});
    return 0;
}
