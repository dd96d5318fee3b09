// The collected heap that owns every script object.
#pragma once

#include "script/object.h"

#include <functional>
#include <memory>
#include <vector>

namespace zimo::script {

class Heap {
public:
    template <class T, class... Args> T* make(Args&&... args) {
        auto owned = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = owned.get();
        objects_.push_back(std::move(owned));
        ++allocatedSinceCollect_;
        return raw;
    }

    std::size_t size() const { return objects_.size(); }
    std::size_t allocatedSinceCollect() const { return allocatedSinceCollect_; }

    // Mark and sweep: markRoots marks the roots; everything they do not reach is destroyed.
    void collect(const std::function<void(Tracer&)>& markRoots);

private:
    std::vector<std::unique_ptr<Object>> objects_;
    std::size_t allocatedSinceCollect_ = 0;
};

} // namespace zimo::script
