// Arrays: dense element storage behind the `length` and index properties.
#pragma once

#include "script/object.h"

#include <optional>
#include <vector>

namespace zimo::script {

class ArrayObject : public Object {
public:
    // Longest array; a longer length or a higher index is refused (the write is ignored).
    static constexpr std::size_t kMaxLength = 1u << 20;

    using Object::Object;

    std::vector<Value>& elements() { return elements_; }
    const std::vector<Value>& elements() const { return elements_; }
    std::size_t length() const { return elements_.size(); }
    void setLength(std::size_t n);
    void push(Value v);

    std::optional<Value> hostGet(Engine&, const std::string& name) override;
    bool hostSet(Engine&, const std::string& name, const Value& v) override;
    bool hostDelete(Engine&, const std::string& name) override;
    void hostKeys(std::vector<std::string>& keys) const override;
    void trace(Tracer& t) const override;

    // "12" → 12; anything that is not a canonical index gives nothing.
    static std::optional<std::size_t> parseIndex(std::string_view name);

private:
    std::vector<Value> elements_;
};

} // namespace zimo::script
