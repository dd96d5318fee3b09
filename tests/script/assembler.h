// A small action assembler for tests: builds DoAction bytes by hand.
#pragma once

#include "swf/action_codes.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zimo::script::test {

using swf::Action;
using swf::PushType;

struct Reg {
    std::uint8_t n;
};
struct Null {};
struct Undef {};
struct Const {
    std::uint16_t index;
};

// One value of a Push record.
class Item {
public:
    Item(const char* s) : kind_(String), s_(s) {}
    Item(std::string s) : kind_(String), s_(std::move(s)) {}
    Item(double d) : kind_(Double), d_(d) {}
    Item(int i) : kind_(Int), i_(i) {}
    Item(bool b) : kind_(Bool), i_(b ? 1 : 0) {}
    Item(Null) : kind_(NullKind) {}
    Item(Undef) : kind_(UndefKind) {}
    Item(Reg r) : kind_(Register), i_(r.n) {}
    Item(Const c) : kind_(Constant), i_(c.index) {}

    void encode(std::vector<std::uint8_t>& out) const {
        switch (kind_) {
        case String:
            put(out, PushType::String);
            out.insert(out.end(), s_.begin(), s_.end());
            out.push_back(0);
            break;
        case Double: {
            put(out, PushType::Double);
            std::uint64_t bits;
            std::memcpy(&bits, &d_, sizeof bits);
            auto word = [&](std::uint32_t w) {
                for (int k = 0; k < 4; ++k)
                    out.push_back(static_cast<std::uint8_t>(w >> (8 * k)));
            };
            word(static_cast<std::uint32_t>(bits >> 32));
            word(static_cast<std::uint32_t>(bits));
            break;
        }
        case Int:
            put(out, PushType::Integer);
            for (int k = 0; k < 4; ++k)
                out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(i_) >> (8 * k)));
            break;
        case Bool:
            put(out, PushType::Boolean);
            out.push_back(static_cast<std::uint8_t>(i_));
            break;
        case NullKind:
            put(out, PushType::Null);
            break;
        case UndefKind:
            put(out, PushType::Undefined);
            break;
        case Register:
            put(out, PushType::Register);
            out.push_back(static_cast<std::uint8_t>(i_));
            break;
        case Constant:
            if (i_ < 256) {
                put(out, PushType::Constant8);
                out.push_back(static_cast<std::uint8_t>(i_));
            } else {
                put(out, PushType::Constant16);
                out.push_back(static_cast<std::uint8_t>(i_));
                out.push_back(static_cast<std::uint8_t>(i_ >> 8));
            }
            break;
        }
    }

private:
    static void put(std::vector<std::uint8_t>& out, PushType type) {
        out.push_back(static_cast<std::uint8_t>(type));
    }

    enum Kind { String, Double, Int, Bool, NullKind, UndefKind, Register, Constant } kind_;
    std::string s_;
    double d_ = 0;
    int i_ = 0;
};

class Asm {
public:
    Asm& push(std::initializer_list<Item> items) {
        std::vector<std::uint8_t> data;
        for (const Item& i : items)
            i.encode(data);
        return record(Action::Push, data);
    }
    Asm& op(Action action) {
        bytes_.push_back(static_cast<std::uint8_t>(action));
        return *this;
    }
    Asm& record(Action action, const std::vector<std::uint8_t>& data) {
        bytes_.push_back(static_cast<std::uint8_t>(action));
        bytes_.push_back(static_cast<std::uint8_t>(data.size()));
        bytes_.push_back(static_cast<std::uint8_t>(data.size() >> 8));
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        return *this;
    }
    Asm& raw(std::initializer_list<std::uint8_t> b) {
        bytes_.insert(bytes_.end(), b.begin(), b.end());
        return *this;
    }

    // Shorthands for the common sequences.
    Asm& get(const std::string& name) { return push({name}).op(Action::GetVariable); }
    Asm& set(const std::string& name, Item value) {
        return push({Item(name), std::move(value)}).op(Action::SetVariable);
    }
    // Pops the value on the stack into variable `name`.
    Asm& store(const std::string& name) {
        return push({name}).op(Action::StackSwap).op(Action::SetVariable);
    }
    Asm& trace(Item value) { return push({std::move(value)}).op(Action::Trace); }
    // name(args...) with the arguments already pushed in reverse, then the count.
    Asm& call(const std::string& name, int argCount) {
        return push({argCount, Item(name)}).op(Action::CallFunction);
    }
    Asm& storeRegister(std::uint8_t n) { return record(Action::StoreRegister, {n}); }
    Asm& constantPool(const std::vector<std::string>& strings) {
        std::vector<std::uint8_t> data{static_cast<std::uint8_t>(strings.size()),
                                       static_cast<std::uint8_t>(strings.size() >> 8)};
        for (const auto& s : strings) {
            data.insert(data.end(), s.begin(), s.end());
            data.push_back(0);
        }
        return record(Action::ConstantPool, data);
    }

    // Labels and branches, resolved by bytes().
    Asm& label(const std::string& name) {
        labels_[name] = bytes_.size();
        return *this;
    }
    Asm& jump(const std::string& target) { return branch(Action::Jump, target); }
    Asm& ifTrue(const std::string& target) { return branch(Action::If, target); }

    Asm& function(const std::string& name, const std::vector<std::string>& params,
                  const Asm& body) {
        std::vector<std::uint8_t> data;
        str(data, name);
        u16(data, params.size());
        for (const auto& p : params)
            str(data, p);
        std::vector<std::uint8_t> code = body.bytes();
        u16(data, code.size());
        record(Action::DefineFunction, data);
        bytes_.insert(bytes_.end(), code.begin(), code.end());
        return *this;
    }
    Asm& function2(const std::string& name, const std::vector<std::pair<int, std::string>>& params,
                   std::uint8_t registers, std::uint16_t flags, const Asm& body) {
        std::vector<std::uint8_t> data;
        str(data, name);
        u16(data, params.size());
        data.push_back(registers);
        u16(data, flags);
        for (const auto& [reg, p] : params) {
            data.push_back(static_cast<std::uint8_t>(reg));
            str(data, p);
        }
        std::vector<std::uint8_t> code = body.bytes();
        u16(data, code.size());
        record(Action::DefineFunction2, data);
        bytes_.insert(bytes_.end(), code.begin(), code.end());
        return *this;
    }
    // with (popped object) { body }
    Asm& with(const Asm& body) {
        std::vector<std::uint8_t> code = body.bytes();
        std::vector<std::uint8_t> data;
        u16(data, code.size());
        record(Action::With, data);
        bytes_.insert(bytes_.end(), code.begin(), code.end());
        return *this;
    }
    // try { body } catch (name) { handler } finally { last }; empty parts are left out.
    Asm& tryCatch(const Asm& body, const std::string& name, const Asm* handler,
                  const Asm* last = nullptr) {
        std::vector<std::uint8_t> t = body.bytes();
        std::vector<std::uint8_t> c = handler ? handler->bytes() : std::vector<std::uint8_t>{};
        std::vector<std::uint8_t> f = last ? last->bytes() : std::vector<std::uint8_t>{};
        std::vector<std::uint8_t> data;
        data.push_back(static_cast<std::uint8_t>((handler ? swf::TryHasCatch : 0) |
                                                 (last ? swf::TryHasFinally : 0)));
        u16(data, t.size());
        u16(data, c.size());
        u16(data, f.size());
        str(data, name);
        record(Action::Try, data);
        bytes_.insert(bytes_.end(), t.begin(), t.end());
        bytes_.insert(bytes_.end(), c.begin(), c.end());
        bytes_.insert(bytes_.end(), f.begin(), f.end());
        return *this;
    }

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out = bytes_;
        for (const auto& [at, target] : fixups_) {
            auto it = labels_.find(target);
            if (it == labels_.end()) throw std::logic_error("no label " + target);
            auto offset = static_cast<std::int16_t>(static_cast<std::int64_t>(it->second) -
                                                    static_cast<std::int64_t>(at + 2));
            out[at] = static_cast<std::uint8_t>(offset);
            out[at + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(offset) >> 8);
        }
        return out;
    }

private:
    Asm& branch(Action action, const std::string& target) {
        record(action, {0, 0});
        fixups_.emplace_back(bytes_.size() - 2, target);
        return *this;
    }
    static void str(std::vector<std::uint8_t>& d, const std::string& s) {
        d.insert(d.end(), s.begin(), s.end());
        d.push_back(0);
    }
    static void u16(std::vector<std::uint8_t>& d, std::size_t v) {
        d.push_back(static_cast<std::uint8_t>(v));
        d.push_back(static_cast<std::uint8_t>(v >> 8));
    }

    std::vector<std::uint8_t> bytes_;
    std::map<std::string, std::size_t> labels_;
    std::vector<std::pair<std::size_t, std::string>> fixups_;
};

} // namespace zimo::script::test
