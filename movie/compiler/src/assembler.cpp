#include "assembler.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>

namespace zimo::asc {

using swf::PushType;

namespace {

constexpr std::size_t kMaxRecordPayload = 0xFFFF;

void putU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}
void putString(std::vector<std::uint8_t>& out, const std::string& s) {
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
}

bool isWholeInt32(double v) {
    return std::trunc(v) == v && v >= std::numeric_limits<std::int32_t>::min() &&
           v <= std::numeric_limits<std::int32_t>::max() && !(v == 0.0 && std::signbit(v));
}

// The strings of the script, each once, in order of first use; those that do not fit the
// record's 64 KiB are pushed inline instead.
class ConstantPool {
public:
    explicit ConstantPool(const Code& script) { collect(script); }

    const std::vector<std::string>& strings() const { return strings_; }
    std::optional<std::uint16_t> find(const std::string& s) const {
        const auto it = index_.find(s);
        if (it == index_.end()) return std::nullopt;
        return it->second;
    }

private:
    void collect(const Code& code) {
        for (const auto& item : code.items) {
            if (const auto* push = std::get_if<PushOp>(&item)) {
                for (const auto& value : push->values)
                    if (const auto* s = std::get_if<std::string>(&value)) add(*s);
            } else if (const auto* fn = std::get_if<FunctionOp>(&item)) {
                collect(*fn->body);
            }
        }
    }
    void add(const std::string& s) {
        if (index_.contains(s) || strings_.size() >= 0xFFFF) return;
        if (bytes_ + s.size() + 1 > kMaxRecordPayload) return;
        bytes_ += s.size() + 1;
        index_.emplace(s, static_cast<std::uint16_t>(strings_.size()));
        strings_.push_back(s);
    }

    std::vector<std::string> strings_;
    std::map<std::string, std::uint16_t> index_;
    std::size_t bytes_ = 2; // the count
};

class Assembler {
public:
    explicit Assembler(const ConstantPool& pool) : pool_(pool) {}

    std::vector<std::uint8_t> body(const Code& code) {
        std::vector<std::uint8_t> out;
        std::vector<std::size_t> labels(static_cast<std::size_t>(code.labelCount), SIZE_MAX);
        struct Fixup {
            std::size_t at; // offset of the 16-bit field
            int label;
            SourcePos pos;
        };
        std::vector<Fixup> fixups;

        for (const auto& item : code.items) {
            if (const auto* plain = std::get_if<PlainOp>(&item)) {
                record(out, plain->action, plain->payload);
            } else if (const auto* push = std::get_if<PushOp>(&item)) {
                pushRecords(out, *push);
            } else if (const auto* label = std::get_if<LabelOp>(&item)) {
                labels.at(static_cast<std::size_t>(label->id)) = out.size();
            } else if (const auto* branch = std::get_if<BranchOp>(&item)) {
                out.push_back(static_cast<std::uint8_t>(branch->action));
                putU16(out, 2);
                fixups.push_back({out.size(), branch->label, branch->pos});
                putU16(out, 0);
            } else if (const auto* fn = std::get_if<FunctionOp>(&item)) {
                function(out, *fn);
            }
        }
        for (const auto& fixup : fixups) {
            const std::size_t target = labels.at(static_cast<std::size_t>(fixup.label));
            const auto offset =
                static_cast<long long>(target) - static_cast<long long>(fixup.at + 2);
            if (target == SIZE_MAX || offset < INT16_MIN || offset > INT16_MAX)
                throw CompileError(fixup.pos, "branch too far: the code it skips is too large");
            const auto field = static_cast<std::uint16_t>(static_cast<std::int16_t>(offset));
            out[fixup.at] = static_cast<std::uint8_t>(field & 0xFF);
            out[fixup.at + 1] = static_cast<std::uint8_t>(field >> 8);
        }
        return out;
    }

private:
    static void record(std::vector<std::uint8_t>& out, Action action,
                       const std::vector<std::uint8_t>& payload) {
        out.push_back(static_cast<std::uint8_t>(action));
        if (!swf::hasPayload(static_cast<std::uint8_t>(action))) return;
        putU16(out, static_cast<std::uint32_t>(payload.size()));
        out.insert(out.end(), payload.begin(), payload.end());
    }

    void encodeValue(std::vector<std::uint8_t>& out, const PushValue& value) const {
        if (const auto* s = std::get_if<std::string>(&value)) {
            if (const auto index = pool_.find(*s)) {
                if (*index < 256) {
                    out.push_back(static_cast<std::uint8_t>(PushType::Constant8));
                    out.push_back(static_cast<std::uint8_t>(*index));
                } else {
                    out.push_back(static_cast<std::uint8_t>(PushType::Constant16));
                    putU16(out, *index);
                }
            } else {
                out.push_back(static_cast<std::uint8_t>(PushType::String));
                putString(out, *s);
            }
        } else if (const auto* d = std::get_if<double>(&value)) {
            if (isWholeInt32(*d)) {
                out.push_back(static_cast<std::uint8_t>(PushType::Integer));
                putU32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(*d)));
            } else {
                // The two halves of the double, the high word first, each little-endian.
                const auto bits = std::bit_cast<std::uint64_t>(*d);
                out.push_back(static_cast<std::uint8_t>(PushType::Double));
                putU32(out, static_cast<std::uint32_t>(bits >> 32));
                putU32(out, static_cast<std::uint32_t>(bits & 0xFFFFFFFFu));
            }
        } else if (const auto* b = std::get_if<bool>(&value)) {
            out.push_back(static_cast<std::uint8_t>(PushType::Boolean));
            out.push_back(*b ? 1 : 0);
        } else if (std::holds_alternative<NullValue>(value)) {
            out.push_back(static_cast<std::uint8_t>(PushType::Null));
        } else if (std::holds_alternative<UndefinedValue>(value)) {
            out.push_back(static_cast<std::uint8_t>(PushType::Undefined));
        } else if (const auto* r = std::get_if<RegisterValue>(&value)) {
            out.push_back(static_cast<std::uint8_t>(PushType::Register));
            out.push_back(r->index);
        }
    }

    // One record for all the values, split only where a record would pass 64 KiB.
    void pushRecords(std::vector<std::uint8_t>& out, const PushOp& push) const {
        std::vector<std::uint8_t> payload;
        std::vector<std::uint8_t> one;
        for (const auto& value : push.values) {
            one.clear();
            encodeValue(one, value);
            if (!payload.empty() && payload.size() + one.size() > kMaxRecordPayload) {
                record(out, Action::Push, payload);
                payload.clear();
            }
            payload.insert(payload.end(), one.begin(), one.end());
        }
        if (!payload.empty()) record(out, Action::Push, payload);
    }

    void function(std::vector<std::uint8_t>& out, const FunctionOp& fn) {
        const std::vector<std::uint8_t> code = body(*fn.body);
        if (code.size() > 0xFFFF) throw CompileError(fn.pos, "function body too large");
        std::vector<std::uint8_t> header;
        putString(header, fn.name);
        putU16(header, static_cast<std::uint32_t>(fn.params.size()));
        header.push_back(fn.registerCount);
        putU16(header, fn.flags);
        for (const auto& [reg, name] : fn.params) {
            header.push_back(reg);
            putString(header, name);
        }
        putU16(header, static_cast<std::uint32_t>(code.size()));
        if (header.size() > kMaxRecordPayload) throw CompileError(fn.pos, "too many parameters");
        record(out, Action::DefineFunction2, header);
        out.insert(out.end(), code.begin(), code.end());
    }

    const ConstantPool& pool_;
};

} // namespace

std::vector<std::uint8_t> assembleScript(const Code& script) {
    const ConstantPool pool(script);
    std::vector<std::uint8_t> out;
    if (!pool.strings().empty()) {
        std::vector<std::uint8_t> payload;
        putU16(payload, static_cast<std::uint32_t>(pool.strings().size()));
        for (const auto& s : pool.strings())
            putString(payload, s);
        out.push_back(static_cast<std::uint8_t>(Action::ConstantPool));
        putU16(out, static_cast<std::uint32_t>(payload.size()));
        out.insert(out.end(), payload.begin(), payload.end());
    }
    const std::vector<std::uint8_t> code = Assembler(pool).body(script);
    out.insert(out.end(), code.begin(), code.end());
    out.push_back(static_cast<std::uint8_t>(Action::End));
    return out;
}

} // namespace zimo::asc
