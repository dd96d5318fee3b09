#include "script/object.h"

#include "script/function.h"

namespace zimo::script {

Property* PropertyMap::find(std::string_view name) {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : &entries_[it->second].second;
}

const Property* PropertyMap::find(std::string_view name) const {
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : &entries_[it->second].second;
}

Property& PropertyMap::insert(const std::string& name) {
    auto it = index_.find(name);
    if (it != index_.end()) return entries_[it->second].second;
    index_.emplace(name, entries_.size());
    entries_.emplace_back(name, Property{});
    return entries_.back().second;
}

bool PropertyMap::erase(std::string_view name) {
    auto it = index_.find(name);
    if (it == index_.end()) return false;
    std::size_t at = it->second;
    index_.erase(it);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
    for (std::size_t i = at; i < entries_.size(); ++i)
        index_[entries_[i].first] = i;
    return true;
}

void Object::define(const std::string& name, Value v, std::uint8_t flags) {
    Property& p = props_.insert(name);
    p.value = std::move(v);
    p.getter = nullptr;
    p.setter = nullptr;
    p.flags = flags;
}

void Object::trace(Tracer& t) const {
    t.mark(proto_);
    for (const auto& [name, p] : props_.entries()) {
        t.mark(p.value);
        t.mark(p.getter);
        t.mark(p.setter);
    }
    for (const auto& [name, w] : watchers_) {
        t.mark(w.callback);
        t.mark(w.userData);
    }
}

} // namespace zimo::script
