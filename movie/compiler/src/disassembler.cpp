#include "asc/compiler.h"

#include "swf/action_codes.h"

#include <bit>
#include <charconv>
#include <cstdio>
#include <optional>

namespace zimo::asc {

using swf::Action;
using swf::PushType;

namespace {

constexpr int kMaxFunctionNesting = 64;

std::string quoted(std::string_view s) {
    std::string out = "\"";
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (ch == '\n') {
            out += "\\n";
        } else if (ch == '\r') {
            out += "\\r";
        } else if (ch == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
            out += buffer;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string number(double v) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, end) : "?";
}

std::string offsetText(std::size_t offset) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%04zu", offset);
    return buffer;
}

// Bounds-checked reading of one record's payload.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool atEnd() const { return at_ >= bytes_.size(); }
    std::size_t remaining() const { return bytes_.size() - at_; }
    std::optional<std::uint8_t> u8() {
        if (remaining() < 1) return std::nullopt;
        return bytes_[at_++];
    }
    std::optional<std::uint16_t> u16() {
        if (remaining() < 2) return std::nullopt;
        const auto v = static_cast<std::uint16_t>(bytes_[at_] | (bytes_[at_ + 1] << 8));
        at_ += 2;
        return v;
    }
    std::optional<std::uint32_t> u32() {
        const auto lo = u16();
        const auto hi = u16();
        if (!lo || !hi) return std::nullopt;
        return static_cast<std::uint32_t>(*lo) | (static_cast<std::uint32_t>(*hi) << 16);
    }
    std::optional<std::string> string() {
        for (std::size_t i = at_; i < bytes_.size(); ++i) {
            if (bytes_[i] == 0) {
                std::string s(reinterpret_cast<const char*>(bytes_.data() + at_), i - at_);
                at_ = i + 1;
                return s;
            }
        }
        return std::nullopt;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

struct Malformed {};

template <typename T> T need(std::optional<T> v) {
    if (!v) throw Malformed{};
    return *v;
}

class Disassembler {
public:
    explicit Disassembler(std::span<const std::uint8_t> data) : data_(data) {}

    std::string run() {
        range(0, data_.size(), 0, true);
        return std::move(out_);
    }

private:
    void line(std::size_t offset, int depth, const std::string& text) {
        out_ += offsetText(offset);
        out_ += "  ";
        out_.append(static_cast<std::size_t>(depth) * 2, ' ');
        out_ += text;
        out_ += '\n';
    }

    void range(std::size_t begin, std::size_t end, int depth, bool topLevel) {
        std::size_t at = begin;
        while (at < end) {
            const std::uint8_t code = data_[at];
            std::size_t length = 0;
            std::size_t payloadStart = at + 1;
            if (swf::hasPayload(code)) {
                if (end - at < 3) {
                    line(at, depth, "<truncated record>");
                    return;
                }
                length = static_cast<std::size_t>(data_[at + 1] | (data_[at + 2] << 8));
                payloadStart = at + 3;
                if (end - payloadStart < length) {
                    line(at, depth, "<truncated record>");
                    return;
                }
            }
            const auto payload = data_.subspan(payloadStart, length);
            const std::size_t next = payloadStart + length;
            std::string text;
            std::size_t bodySize = 0;
            try {
                text = describe(code, payload, next, bodySize);
            } catch (const Malformed&) {
                text = nameOf(code) + " <malformed>";
                bodySize = 0;
            }
            line(at, depth, text);
            at = next;
            if (code == static_cast<std::uint8_t>(Action::End) && topLevel) {
                if (at < end) line(at, depth, "<" + std::to_string(end - at) + " bytes after End>");
                return;
            }
            if (bodySize > 0) {
                std::size_t bodyEnd = at + bodySize;
                if (bodySize > end - at) {
                    line(at, depth + 1, "<function body runs past its block>");
                    bodyEnd = end;
                }
                if (depth + 1 > kMaxFunctionNesting)
                    line(at, depth + 1, "<functions nested too deeply>");
                else
                    range(at, bodyEnd, depth + 1, false);
                at = bodyEnd;
            }
        }
    }

    static std::string nameOf(std::uint8_t code) {
        const std::string_view name = swf::actionName(code);
        if (!name.empty()) return std::string(name);
        char buffer[24];
        std::snprintf(buffer, sizeof buffer, "Unknown(0x%02x)", code);
        return buffer;
    }

    static std::string hexBytes(std::span<const std::uint8_t> bytes) {
        std::string s;
        for (const auto b : bytes) {
            char buffer[4];
            std::snprintf(buffer, sizeof buffer, " %02x", b);
            s += buffer;
        }
        return s;
    }

    std::string pushValue(Reader& r) {
        switch (static_cast<PushType>(need(r.u8()))) {
        case PushType::String:
            return "str:" + quoted(need(r.string()));
        case PushType::Float:
            return "flt:" + number(std::bit_cast<float>(need(r.u32())));
        case PushType::Null:
            return "null";
        case PushType::Undefined:
            return "undefined";
        case PushType::Register:
            return "r:" + std::to_string(need(r.u8()));
        case PushType::Boolean:
            return need(r.u8()) ? "true" : "false";
        case PushType::Double: {
            const std::uint64_t high = need(r.u32());
            const std::uint64_t low = need(r.u32());
            return "dbl:" + number(std::bit_cast<double>((high << 32) | low));
        }
        case PushType::Integer:
            return "int:" + std::to_string(static_cast<std::int32_t>(need(r.u32())));
        case PushType::Constant8:
            return constant("c8", need(r.u8()));
        case PushType::Constant16:
            return constant("c16", need(r.u16()));
        }
        throw Malformed{};
    }

    std::string constant(const char* kind, std::size_t index) const {
        std::string s = std::string(kind) + ":" + std::to_string(index) + ":";
        return s + (index < pool_.size() ? quoted(pool_[index]) : "?");
    }

    static std::string target(std::size_t next, std::int16_t offset) {
        const long long t = static_cast<long long>(next) + offset;
        return (offset >= 0 ? "+" : "") + std::to_string(offset) + " -> " +
               (t < 0 ? std::to_string(t) : offsetText(static_cast<std::size_t>(t)));
    }

    static std::string functionFlags(std::uint16_t flags) {
        std::string s;
        for (const auto& [bit, name] : swf::kFunctionFlags) {
            if (!(flags & bit)) continue;
            if (!s.empty()) s += '|';
            s += name;
            flags = static_cast<std::uint16_t>(flags & ~bit);
        }
        if (flags) {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "0x%04x", static_cast<unsigned>(flags));
            s += (s.empty() ? "" : "|") + std::string(buffer);
        }
        return s.empty() ? "none" : s;
    }

    // The record's line; bodySize is set for function definitions, whose body follows.
    std::string describe(std::uint8_t code, std::span<const std::uint8_t> payload, std::size_t next,
                         std::size_t& bodySize) {
        std::string s = nameOf(code);
        Reader r(payload);
        switch (static_cast<Action>(code)) {
        case Action::ConstantPool: {
            const auto count = need(r.u16());
            pool_.clear();
            for (unsigned i = 0; i < count; ++i) {
                pool_.push_back(need(r.string()));
                s += " " + quoted(pool_.back());
            }
            break;
        }
        case Action::Push:
            while (!r.atEnd())
                s += " " + pushValue(r);
            return s;
        case Action::If:
        case Action::Jump:
            s += " " + target(next, static_cast<std::int16_t>(need(r.u16())));
            break;
        case Action::StoreRegister:
            s += " r:" + std::to_string(need(r.u8()));
            break;
        case Action::GotoFrame:
            s += " " + std::to_string(need(r.u16()));
            break;
        case Action::GotoFrame2: {
            const auto flags = need(r.u8());
            s += (flags & swf::GotoAndPlay) ? " play" : " stop";
            if (flags & swf::GotoHasBias) s += " bias:" + std::to_string(need(r.u16()));
            break;
        }
        case Action::SetTarget:
        case Action::GoToLabel:
            s += " " + quoted(need(r.string()));
            break;
        case Action::GetURL:
            s += " " + quoted(need(r.string()));
            s += " " + quoted(need(r.string()));
            break;
        case Action::DefineFunction2: {
            const std::string name = need(r.string());
            const auto count = need(r.u16());
            const auto registers = need(r.u8());
            const auto flags = need(r.u16());
            s += " " + quoted(name) + " (";
            for (unsigned i = 0; i < count; ++i) {
                const auto reg = need(r.u8());
                s += (i ? ", r:" : "r:") + std::to_string(reg) + " " + need(r.string());
            }
            bodySize = need(r.u16());
            s += ") regs:" + std::to_string(registers) + " flags:" + functionFlags(flags) +
                 " size:" + std::to_string(bodySize);
            break;
        }
        case Action::DefineFunction: {
            s += " " + quoted(need(r.string())) + " (";
            const auto count = need(r.u16());
            for (unsigned i = 0; i < count; ++i)
                s += (i ? ", " : "") + need(r.string());
            bodySize = need(r.u16());
            s += ") size:" + std::to_string(bodySize);
            break;
        }
        default:
            if (!payload.empty()) s += hexBytes(payload);
            return s;
        }
        if (!r.atEnd()) s += " <" + std::to_string(r.remaining()) + " extra bytes>";
        return s;
    }

    std::span<const std::uint8_t> data_;
    std::vector<std::string> pool_;
    std::string out_;
};

} // namespace

std::string disassemble(std::span<const std::uint8_t> actions) {
    return Disassembler(actions).run();
}

} // namespace zimo::asc
