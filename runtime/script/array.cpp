#include "script/array.h"

#include "script/engine.h"

namespace zimo::script {

std::optional<std::size_t> ArrayObject::parseIndex(std::string_view name) {
    if (name.empty() || name.size() > 10 || (name.size() > 1 && name[0] == '0'))
        return std::nullopt;
    std::size_t n = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<std::size_t>(c - '0');
    }
    return n;
}

void ArrayObject::setLength(std::size_t n) {
    if (n <= kMaxLength) elements_.resize(n);
}

void ArrayObject::push(Value v) {
    if (elements_.size() < kMaxLength) elements_.push_back(std::move(v));
}

std::optional<Value> ArrayObject::hostGet(Engine&, const std::string& name) {
    std::optional<Value> found;
    if (name == "length")
        found.emplace(static_cast<double>(elements_.size()));
    else if (auto i = parseIndex(name); i && *i < elements_.size())
        found.emplace(elements_[*i]);
    return found;
}

bool ArrayObject::hostSet(Engine& engine, const std::string& name, const Value& v) {
    if (name == "length") {
        double n = engine.toNumber(v);
        if (n >= 0 && n <= static_cast<double>(kMaxLength)) setLength(static_cast<std::size_t>(n));
        return true;
    }
    if (auto i = parseIndex(name)) {
        if (*i < kMaxLength) {
            if (*i >= elements_.size()) elements_.resize(*i + 1);
            elements_[*i] = v;
        }
        return true;
    }
    return false;
}

bool ArrayObject::hostDelete(Engine&, const std::string& name) {
    if (auto i = parseIndex(name); i && *i < elements_.size()) {
        elements_[*i] = Value();
        return true;
    }
    return false;
}

void ArrayObject::hostKeys(std::vector<std::string>& keys) const {
    for (std::size_t i = 0; i < elements_.size(); ++i)
        if (!elements_[i].isUndefined()) keys.push_back(std::to_string(i));
}

void ArrayObject::trace(Tracer& t) const {
    Object::trace(t);
    for (const Value& v : elements_)
        t.mark(v);
}

} // namespace zimo::script
