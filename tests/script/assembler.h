// A small action assembler for tests: builds DoAction bytes by hand.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zimo::script::test {

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
            out.push_back(0);
            out.insert(out.end(), s_.begin(), s_.end());
            out.push_back(0);
            break;
        case Double: {
            out.push_back(6);
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
            out.push_back(7);
            for (int k = 0; k < 4; ++k)
                out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(i_) >> (8 * k)));
            break;
        case Bool:
            out.push_back(5);
            out.push_back(static_cast<std::uint8_t>(i_));
            break;
        case NullKind:
            out.push_back(2);
            break;
        case UndefKind:
            out.push_back(3);
            break;
        case Register:
            out.push_back(4);
            out.push_back(static_cast<std::uint8_t>(i_));
            break;
        case Constant:
            if (i_ < 256) {
                out.push_back(8);
                out.push_back(static_cast<std::uint8_t>(i_));
            } else {
                out.push_back(9);
                out.push_back(static_cast<std::uint8_t>(i_));
                out.push_back(static_cast<std::uint8_t>(i_ >> 8));
            }
            break;
        }
    }

private:
    enum Kind { String, Double, Int, Bool, NullKind, UndefKind, Register, Constant } kind_;
    std::string s_;
    double d_ = 0;
    int i_ = 0;
};

// Action codes by name.
namespace op {
enum : std::uint8_t {
    End = 0x00,
    NextFrame = 0x04,
    PrevFrame = 0x05,
    Play = 0x06,
    Stop = 0x07,
    Add = 0x0A,
    Subtract = 0x0B,
    Multiply = 0x0C,
    Divide = 0x0D,
    Equals = 0x0E,
    Less = 0x0F,
    And = 0x10,
    Or = 0x11,
    Not = 0x12,
    StringEquals = 0x13,
    StringLength = 0x14,
    StringExtract = 0x15,
    Pop = 0x17,
    ToInteger = 0x18,
    GetVariable = 0x1C,
    SetVariable = 0x1D,
    SetTarget2 = 0x20,
    StringAdd = 0x21,
    GetProperty = 0x22,
    SetProperty = 0x23,
    Trace = 0x26,
    StringLess = 0x29,
    Throw = 0x2A,
    CastOp = 0x2B,
    GetTime = 0x34,
    Delete = 0x3A,
    Delete2 = 0x3B,
    DefineLocal = 0x3C,
    CallFunction = 0x3D,
    Return = 0x3E,
    Modulo = 0x3F,
    NewObject = 0x40,
    DefineLocal2 = 0x41,
    InitArray = 0x42,
    InitObject = 0x43,
    TypeOf = 0x44,
    TargetPath = 0x45,
    Enumerate = 0x46,
    Add2 = 0x47,
    Less2 = 0x48,
    Equals2 = 0x49,
    ToNumber = 0x4A,
    ToString = 0x4B,
    PushDuplicate = 0x4C,
    StackSwap = 0x4D,
    GetMember = 0x4E,
    SetMember = 0x4F,
    Increment = 0x50,
    Decrement = 0x51,
    CallMethod = 0x52,
    NewMethod = 0x53,
    InstanceOf = 0x54,
    Enumerate2 = 0x55,
    BitAnd = 0x60,
    BitOr = 0x61,
    BitXor = 0x62,
    BitLShift = 0x63,
    BitRShift = 0x64,
    BitURShift = 0x65,
    StrictEquals = 0x66,
    Greater = 0x67,
    StringGreater = 0x68,
    Extends = 0x69,
    GotoFrame = 0x81,
    StoreRegister = 0x87,
    ConstantPool = 0x88,
    SetTarget = 0x8B,
    GoToLabel = 0x8C,
    DefineFunction2 = 0x8E,
    Try = 0x8F,
    With = 0x94,
    Push = 0x96,
    Jump = 0x99,
    DefineFunction = 0x9B,
    If = 0x9D,
    GotoFrame2 = 0x9F,
};
} // namespace op

class Asm {
public:
    Asm& push(std::initializer_list<Item> items) {
        std::vector<std::uint8_t> data;
        for (const Item& i : items)
            i.encode(data);
        return record(op::Push, data);
    }
    Asm& op(std::uint8_t code) {
        bytes_.push_back(code);
        return *this;
    }
    Asm& record(std::uint8_t code, const std::vector<std::uint8_t>& data) {
        bytes_.push_back(code);
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
    Asm& get(const std::string& name) { return push({name}).op(op::GetVariable); }
    Asm& set(const std::string& name, Item value) {
        return push({Item(name), std::move(value)}).op(op::SetVariable);
    }
    // Pops the value on the stack into variable `name`.
    Asm& store(const std::string& name) {
        return push({name}).op(op::StackSwap).op(op::SetVariable);
    }
    Asm& trace(Item value) { return push({std::move(value)}).op(op::Trace); }
    // name(args...) with the arguments already pushed in reverse, then the count.
    Asm& call(const std::string& name, int argCount) {
        return push({argCount, Item(name)}).op(op::CallFunction);
    }
    Asm& storeRegister(std::uint8_t n) { return record(op::StoreRegister, {n}); }
    Asm& constantPool(const std::vector<std::string>& strings) {
        std::vector<std::uint8_t> data{static_cast<std::uint8_t>(strings.size()),
                                       static_cast<std::uint8_t>(strings.size() >> 8)};
        for (const auto& s : strings) {
            data.insert(data.end(), s.begin(), s.end());
            data.push_back(0);
        }
        return record(op::ConstantPool, data);
    }

    // Labels and branches, resolved by bytes().
    Asm& label(const std::string& name) {
        labels_[name] = bytes_.size();
        return *this;
    }
    Asm& jump(const std::string& target) { return branch(op::Jump, target); }
    Asm& ifTrue(const std::string& target) { return branch(op::If, target); }

    Asm& function(const std::string& name, const std::vector<std::string>& params,
                  const Asm& body) {
        std::vector<std::uint8_t> data;
        str(data, name);
        u16(data, params.size());
        for (const auto& p : params)
            str(data, p);
        std::vector<std::uint8_t> code = body.bytes();
        u16(data, code.size());
        record(op::DefineFunction, data);
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
        record(op::DefineFunction2, data);
        bytes_.insert(bytes_.end(), code.begin(), code.end());
        return *this;
    }
    // with (popped object) { body }
    Asm& with(const Asm& body) {
        std::vector<std::uint8_t> code = body.bytes();
        std::vector<std::uint8_t> data;
        u16(data, code.size());
        record(op::With, data);
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
        data.push_back(static_cast<std::uint8_t>((handler ? 1 : 0) | (last ? 2 : 0)));
        u16(data, t.size());
        u16(data, c.size());
        u16(data, f.size());
        str(data, name);
        record(op::Try, data);
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
    Asm& branch(std::uint8_t code, const std::string& target) {
        record(code, {0, 0});
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
