#pragma once

// The generated program before it becomes bytes: actions, pushed values, branch labels and
// function definitions, one list per function body.

#include "diagnostics.h"
#include "swf/action_codes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace zimo::asc {

using swf::Action;

struct NullValue {};
struct UndefinedValue {};
struct RegisterValue {
    std::uint8_t index = 0;
};
// Numbers are written as 32-bit integers when they are whole and fit, else as doubles;
// strings go through the script's constant pool when it has room for them.
using PushValue = std::variant<std::string, double, bool, NullValue, UndefinedValue, RegisterValue>;

struct Code;

struct PlainOp {
    Action action;
    std::vector<std::uint8_t> payload; // only for codes of 0x80 and above
};
struct PushOp {
    std::vector<PushValue> values;
};
struct LabelOp {
    int id;
};
struct BranchOp { // If or Jump to a label of the same body
    Action action;
    int label;
    SourcePos pos;
};
struct FunctionOp { // DefineFunction2 followed by its body
    std::string name;
    std::vector<std::pair<std::uint8_t, std::string>> params; // register (0: by name), name
    std::uint8_t registerCount = 0;
    std::uint16_t flags = 0;
    std::unique_ptr<Code> body;
    SourcePos pos;
};
using Instruction = std::variant<PlainOp, PushOp, LabelOp, BranchOp, FunctionOp>;

struct Code {
    std::vector<Instruction> items;
    int labelCount = 0;

    void op(Action action) { items.emplace_back(PlainOp{action, {}}); }
    void op(Action action, std::vector<std::uint8_t> payload) {
        items.emplace_back(PlainOp{action, std::move(payload)});
    }
    // Consecutive pushes share one record, as long as no label falls between them.
    void push(PushValue value) {
        if (!items.empty())
            if (auto* last = std::get_if<PushOp>(&items.back())) {
                last->values.push_back(std::move(value));
                return;
            }
        items.emplace_back(PushOp{{std::move(value)}});
    }
    void storeRegister(std::uint8_t reg) { op(Action::StoreRegister, {reg}); }
    int newLabel() { return labelCount++; }
    void bind(int label) { items.emplace_back(LabelOp{label}); }
    void branch(Action action, int label, SourcePos pos) {
        items.emplace_back(BranchOp{action, label, pos});
    }
};

} // namespace zimo::asc
