// Expressions: values, calls, assignments and operators.

#include "generator.h"
#include "visitor.h"

#include <cmath>
#include <functional>
#include <optional>

namespace zimo::asc {

namespace {

bool isImplicit(const std::string& name) {
    return name == "this" || name == "arguments" || name == "_root" || name == "_parent" ||
           name == "_global";
}

} // namespace

std::uint8_t Generator::localRegister(const std::string& name) const {
    const auto it = frame_->locals.find(name);
    return it == frame_->locals.end() ? 0 : it->second;
}

void Generator::identifier(const std::string& name) {
    if (const std::uint8_t reg = localRegister(name)) {
        code().push(RegisterValue{reg});
        return;
    }
    std::uint8_t reg = 0;
    if (name == "this")
        reg = frame_->thisReg;
    else if (name == "arguments")
        reg = frame_->argumentsReg;
    else if (name == "_root")
        reg = frame_->rootReg;
    else if (name == "_parent")
        reg = frame_->parentReg;
    else if (name == "_global")
        reg = frame_->globalReg;
    if (reg != 0) {
        code().push(RegisterValue{reg});
        return;
    }
    code().push(name);
    code().op(Action::GetVariable);
}

void Generator::expr(const Expr& e, bool wantValue) {
    // Each case returns whether it has already left the stack as wantValue asks.
    const bool done = std::visit(
        Visitor{
            [&](const NumberLit& n) {
                code().push(n.value);
                return false;
            },
            [&](const StringLit& n) {
                code().push(n.value);
                return false;
            },
            [&](const BoolLit& n) {
                code().push(n.value);
                return false;
            },
            [&](const NullLit&) {
                code().push(NullValue{});
                return false;
            },
            [&](const UndefinedLit&) {
                code().push(UndefinedValue{});
                return false;
            },
            [&](const Identifier& n) {
                identifier(n.name);
                return false;
            },
            [&](const Member& n) {
                expr(*n.object);
                code().push(n.name);
                code().op(Action::GetMember);
                return false;
            },
            [&](const Index& n) {
                expr(*n.object);
                expr(*n.key);
                code().op(Action::GetMember);
                return false;
            },
            [&](const Call& n) {
                call(n, e.pos, wantValue);
                return true;
            },
            [&](const New& n) {
                newObject(n);
                return false;
            },
            [&](const Unary& n) {
                unary(n, wantValue);
                return true;
            },
            [&](const Binary& n) {
                expr(*n.left);
                expr(*n.right);
                binaryOperator(n.op);
                return false;
            },
            [&](const Logical& n) {
                // The left value decides: it stays as the result, or is dropped for the right.
                const int end = code().newLabel();
                expr(*n.left);
                code().op(Action::PushDuplicate);
                if (n.isAnd) code().op(Action::Not);
                code().branch(Action::If, end, e.pos);
                code().op(Action::Pop);
                expr(*n.right);
                code().bind(end);
                return false;
            },
            [&](const Conditional& n) {
                const int then = code().newLabel();
                const int end = code().newLabel();
                expr(*n.test);
                code().branch(Action::If, then, e.pos);
                expr(*n.otherwise);
                code().branch(Action::Jump, end, e.pos);
                code().bind(then);
                expr(*n.then);
                code().bind(end);
                return false;
            },
            [&](const Assign& n) {
                assign(n, e.pos, wantValue);
                return true;
            },
            [&](const Update& n) {
                update(n, e.pos, wantValue);
                return true;
            },
            [&](const FunctionExpr& n) {
                FunctionOp op = function(*n.function);
                op.name.clear(); // an unnamed definition leaves the function on the stack
                code().items.emplace_back(std::move(op));
                return false;
            },
            [&](const ObjectLit& n) {
                for (auto it = n.properties.rbegin(); it != n.properties.rend(); ++it) {
                    code().push(it->first);
                    expr(*it->second);
                }
                code().push(static_cast<double>(n.properties.size()));
                code().op(Action::InitObject);
                return false;
            },
            [&](const ArrayLit& n) {
                for (auto it = n.items.rbegin(); it != n.items.rend(); ++it)
                    expr(**it);
                code().push(static_cast<double>(n.items.size()));
                code().op(Action::InitArray);
                return false;
            },
        },
        e.node);
    if (!done && !wantValue) code().op(Action::Pop);
}

// Arguments go on the stack last first, then their count.
void Generator::arguments(const std::vector<ExprPtr>& args) {
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        expr(**it);
    code().push(static_cast<double>(args.size()));
}

void Generator::call(const Call& node, SourcePos pos, bool wantValue) {
    const auto* id = std::get_if<Identifier>(&node.callee->node);
    const bool byName = id && !localRegister(id->name) && !isImplicit(id->name);
    if (byName && builtinCall(id->name, node, pos, wantValue)) return;
    arguments(node.args);
    if (byName) {
        code().push(id->name);
        code().op(Action::CallFunction);
    } else if (const auto* m = std::get_if<Member>(&node.callee->node)) {
        expr(*m->object);
        code().push(m->name);
        code().op(Action::CallMethod);
    } else if (const auto* ix = std::get_if<Index>(&node.callee->node)) {
        expr(*ix->object);
        expr(*ix->key);
        code().op(Action::CallMethod);
    } else {
        // A function value: a method call without a name calls the value itself.
        expr(*node.callee);
        code().push(UndefinedValue{});
        code().op(Action::CallMethod);
    }
    if (!wantValue) code().op(Action::Pop);
}

// The timeline functions that have actions of their own.
bool Generator::builtinCall(const std::string& name, const Call& node, SourcePos pos,
                            bool wantValue) {
    static const std::pair<std::string_view, Action> noArguments[] = {
        {"stop", Action::Stop},
        {"play", Action::Play},
        {"nextFrame", Action::NextFrame},
        {"prevFrame", Action::PreviousFrame},
        {"stopAllSounds", Action::StopSounds},
    };
    for (const auto& [builtin, action] : noArguments) {
        if (name != builtin) continue;
        if (!node.args.empty()) throw CompileError(pos, "'" + name + "' takes no arguments");
        code().op(action);
        if (wantValue) code().push(UndefinedValue{});
        return true;
    }
    if (name == "gotoAndStop" || name == "gotoAndPlay") {
        const bool play = name == "gotoAndPlay";
        if (node.args.size() != 1)
            throw CompileError(pos, "'" + name + "' takes one frame (scenes are not supported)");
        const auto* frame = std::get_if<NumberLit>(&node.args[0]->node);
        if (frame && frame->value >= 1 && frame->value <= 65536 &&
            std::trunc(frame->value) == frame->value) {
            // A known frame: GotoFrame counts from 0.
            const auto index = static_cast<unsigned>(frame->value) - 1;
            code().op(Action::GotoFrame, {static_cast<std::uint8_t>(index & 0xFF),
                                          static_cast<std::uint8_t>(index >> 8)});
            if (play) code().op(Action::Play);
        } else {
            expr(*node.args[0]);
            code().op(Action::GotoFrame2, {static_cast<std::uint8_t>(play ? 1 : 0)});
        }
        if (wantValue) code().push(UndefinedValue{});
        return true;
    }
    if (name == "trace") {
        if (node.args.size() != 1) throw CompileError(pos, "'trace' takes one argument");
        expr(*node.args[0]);
        code().op(Action::Trace);
        if (wantValue) code().push(UndefinedValue{});
        return true;
    }
    if (name == "getTimer") {
        if (!node.args.empty()) throw CompileError(pos, "'getTimer' takes no arguments");
        code().op(Action::GetTime);
        if (!wantValue) code().op(Action::Pop);
        return true;
    }
    return false;
}

void Generator::newObject(const New& node) {
    arguments(node.args);
    const auto* id = std::get_if<Identifier>(&node.callee->node);
    if (id && !localRegister(id->name) && !isImplicit(id->name)) {
        code().push(id->name);
        code().op(Action::NewObject);
    } else if (const auto* m = std::get_if<Member>(&node.callee->node)) {
        expr(*m->object);
        code().push(m->name);
        code().op(Action::NewMethod);
    } else if (const auto* ix = std::get_if<Index>(&node.callee->node)) {
        expr(*ix->object);
        expr(*ix->key);
        code().op(Action::NewMethod);
    } else {
        expr(*node.callee);
        code().push(UndefinedValue{});
        code().op(Action::NewMethod);
    }
}

void Generator::assign(const Assign& node, SourcePos pos, bool wantValue) {
    const Expr& target = *node.target;
    const auto valueWith = [&](auto loadOld) {
        if (node.compound) {
            loadOld();
            expr(*node.value);
            binaryOperator(*node.compound);
        } else {
            expr(*node.value);
        }
    };

    if (const auto* id = std::get_if<Identifier>(&target.node)) {
        if (const std::uint8_t reg = localRegister(id->name)) {
            valueWith([&] { code().push(RegisterValue{reg}); });
            code().storeRegister(reg);
            if (!wantValue) code().op(Action::Pop);
            return;
        }
        code().push(id->name);
        valueWith([&] {
            code().push(id->name);
            code().op(Action::GetVariable);
        });
        if (wantValue) {
            Temp result(*this, pos);
            code().storeRegister(result.reg());
            code().op(Action::SetVariable);
            code().push(RegisterValue{result.reg()});
        } else {
            code().op(Action::SetVariable);
        }
        return;
    }

    const auto* member = std::get_if<Member>(&target.node);
    const auto* index = std::get_if<Index>(&target.node);
    if (member && node.compound && !wantValue) {
        expr(*member->object);
        stepMemberInPlace(member->name, [&] {
            expr(*node.value);
            binaryOperator(*node.compound);
        });
        return;
    }
    std::optional<Temp> objectTemp;
    std::optional<Temp> keyTemp;
    expr(member ? *member->object : *index->object);
    if (node.compound) {
        // The object and key are needed twice: kept in registers for the read.
        objectTemp.emplace(*this, pos);
        code().storeRegister(objectTemp->reg());
    }
    if (member) {
        code().push(member->name);
    } else {
        expr(*index->key);
        if (node.compound) {
            keyTemp.emplace(*this, pos);
            code().storeRegister(keyTemp->reg());
        }
    }
    valueWith([&] {
        code().push(RegisterValue{objectTemp->reg()});
        if (member)
            code().push(member->name);
        else
            code().push(RegisterValue{keyTemp->reg()});
        code().op(Action::GetMember);
    });
    if (wantValue) {
        Temp result(*this, pos);
        code().storeRegister(result.reg());
        code().op(Action::SetMember);
        code().push(RegisterValue{result.reg()});
    } else {
        code().op(Action::SetMember);
    }
}

// ++ and --; a postfix form used as a value gives the value before the step.
void Generator::update(const Update& node, SourcePos pos, bool wantValue) {
    const Expr& target = *node.target;
    const Action step = node.increment ? Action::Increment : Action::Decrement;
    const bool keepOld = wantValue && !node.prefix;
    const bool keepNew = wantValue && node.prefix;

    if (const auto* id = std::get_if<Identifier>(&target.node)) {
        if (const std::uint8_t reg = localRegister(id->name)) {
            code().push(RegisterValue{reg});
            if (keepOld) code().push(RegisterValue{reg});
            code().op(step);
            code().storeRegister(reg);
            if (!keepNew) code().op(Action::Pop);
            return;
        }
        code().push(id->name);
        code().push(id->name);
        code().op(Action::GetVariable);
        std::optional<Temp> result;
        if (wantValue) result.emplace(*this, pos);
        if (keepOld) code().storeRegister(result->reg());
        code().op(step);
        if (keepNew) code().storeRegister(result->reg());
        code().op(Action::SetVariable);
        if (wantValue) code().push(RegisterValue{result->reg()});
        return;
    }

    const auto* member = std::get_if<Member>(&target.node);
    const auto* index = std::get_if<Index>(&target.node);
    if (member && !wantValue) {
        expr(*member->object);
        stepMemberInPlace(member->name, [&] { code().op(step); });
        return;
    }
    Temp objectTemp(*this, pos);
    std::optional<Temp> keyTemp;
    expr(member ? *member->object : *index->object);
    code().storeRegister(objectTemp.reg());
    if (member) {
        code().push(member->name);
    } else {
        keyTemp.emplace(*this, pos);
        expr(*index->key);
        code().storeRegister(keyTemp->reg());
    }
    code().push(RegisterValue{objectTemp.reg()});
    if (member)
        code().push(member->name);
    else
        code().push(RegisterValue{keyTemp->reg()});
    code().op(Action::GetMember);
    std::optional<Temp> result;
    if (wantValue) result.emplace(*this, pos);
    if (keepOld) code().storeRegister(result->reg());
    code().op(step);
    if (keepNew) code().storeRegister(result->reg());
    code().op(Action::SetMember);
    if (wantValue) code().push(RegisterValue{result->reg()});
}

// With the object on the stack: object.name = change(object.name), on the stack alone, so
// that the frame script's few registers are kept for where they are needed.
void Generator::stepMemberInPlace(const std::string& name, const std::function<void()>& change) {
    code().op(Action::PushDuplicate);
    code().push(name);
    code().op(Action::GetMember);
    change();
    code().push(name);
    code().op(Action::StackSwap);
    code().op(Action::SetMember);
}

void Generator::binaryOperator(BinaryOp op) {
    switch (op) {
    case BinaryOp::Add:
        code().op(Action::Add2);
        return;
    case BinaryOp::Subtract:
        code().op(Action::Subtract);
        return;
    case BinaryOp::Multiply:
        code().op(Action::Multiply);
        return;
    case BinaryOp::Divide:
        code().op(Action::Divide);
        return;
    case BinaryOp::Modulo:
        code().op(Action::Modulo);
        return;
    case BinaryOp::Less:
        code().op(Action::Less2);
        return;
    case BinaryOp::Greater:
        code().op(Action::Greater);
        return;
    // a <= b is "not a > b", and a >= b "not a < b", as the player's own compiler wrote them.
    case BinaryOp::LessEqual:
        code().op(Action::Greater);
        code().op(Action::Not);
        return;
    case BinaryOp::GreaterEqual:
        code().op(Action::Less2);
        code().op(Action::Not);
        return;
    case BinaryOp::Equal:
        code().op(Action::Equals2);
        return;
    case BinaryOp::NotEqual:
        code().op(Action::Equals2);
        code().op(Action::Not);
        return;
    case BinaryOp::StrictEqual:
        code().op(Action::StrictEquals);
        return;
    case BinaryOp::StrictNotEqual:
        code().op(Action::StrictEquals);
        code().op(Action::Not);
        return;
    case BinaryOp::BitAnd:
        code().op(Action::BitAnd);
        return;
    case BinaryOp::BitOr:
        code().op(Action::BitOr);
        return;
    case BinaryOp::BitXor:
        code().op(Action::BitXor);
        return;
    case BinaryOp::ShiftLeft:
        code().op(Action::BitLShift);
        return;
    case BinaryOp::ShiftRight:
        code().op(Action::BitRShift);
        return;
    case BinaryOp::ShiftRightUnsigned:
        code().op(Action::BitURShift);
        return;
    case BinaryOp::InstanceOf:
        code().op(Action::InstanceOf);
        return;
    }
}

void Generator::unary(const Unary& node, bool wantValue) {
    const Expr& operand = *node.operand;
    switch (node.op) {
    case UnaryOp::Not:
        expr(operand);
        code().op(Action::Not);
        break;
    case UnaryOp::Minus:
        if (const auto* n = std::get_if<NumberLit>(&operand.node)) {
            code().push(-n->value);
        } else {
            code().push(0.0);
            expr(operand);
            code().op(Action::Subtract);
        }
        break;
    case UnaryOp::Plus:
        expr(operand);
        code().op(Action::ToNumber);
        break;
    case UnaryOp::BitNot:
        expr(operand);
        code().push(-1.0);
        code().op(Action::BitXor);
        break;
    case UnaryOp::TypeOf:
        expr(operand);
        code().op(Action::TypeOf);
        break;
    case UnaryOp::Delete:
        if (const auto* id = std::get_if<Identifier>(&operand.node)) {
            if (localRegister(id->name)) {
                code().push(false); // a local variable cannot be deleted
            } else {
                code().push(id->name);
                code().op(Action::Delete2);
            }
        } else if (const auto* m = std::get_if<Member>(&operand.node)) {
            expr(*m->object);
            code().push(m->name);
            code().op(Action::Delete);
        } else if (const auto* ix = std::get_if<Index>(&operand.node)) {
            expr(*ix->object);
            expr(*ix->key);
            code().op(Action::Delete);
        }
        break;
    }
    if (!wantValue) code().op(Action::Pop);
}

} // namespace zimo::asc
