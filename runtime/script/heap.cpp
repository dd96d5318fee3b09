#include "script/heap.h"

#include <algorithm>

namespace zimo::script {

void Heap::collect(const std::function<void(Tracer&)>& markRoots) {
    Tracer tracer;
    markRoots(tracer);
    while (!tracer.pending_.empty()) {
        Object* o = tracer.pending_.back();
        tracer.pending_.pop_back();
        if (o->marked_) continue;
        o->marked_ = true;
        o->trace(tracer);
    }
    auto dead = std::stable_partition(objects_.begin(), objects_.end(),
                                      [](const auto& o) { return o->marked_; });
    objects_.erase(dead, objects_.end());
    for (auto& o : objects_)
        o->marked_ = false;
    allocatedSinceCollect_ = 0;
}

} // namespace zimo::script
