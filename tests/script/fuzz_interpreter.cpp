// libFuzzer target: arbitrary bytes as a frame script on a plain root object, then a few timer
// steps so that anything the script scheduled runs as well.
#include "script/engine.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

class FuzzHost : public zimo::script::Host {
public:
    zimo::script::Object* root() override { return rootObject; }
    zimo::script::Object* rootObject = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzHost host;
    zimo::script::Engine engine(&host);
    host.rootObject = engine.newObject();
    engine.pin(host.rootObject);
    engine.setActionBudget(50000);
    engine.runActions(std::span<const std::uint8_t>(data, size), host.rootObject);
    engine.advanceTime(100);
    engine.advanceTime(1000);
    engine.collectGarbage();
    return 0;
}
