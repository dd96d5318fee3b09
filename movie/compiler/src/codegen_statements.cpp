// Statements and function bodies.

#include "codegen.h"
#include "function_scan.h"
#include "generator.h"
#include "visitor.h"

#include <algorithm>
#include <optional>

namespace zimo::asc {

namespace {

// Registers 1 to 254 exist in a function; the count field is one byte.
constexpr int kFunctionRegisterLimit = 255;
// The frame script works with the player's four global registers.
constexpr int kGlobalRegisters = 4;

} // namespace

Code generate(const Script& script) {
    return Generator().script(script);
}

Generator::Temp::Temp(Generator& g, SourcePos pos) : g_(g) {
    Frame& f = *g_.frame_;
    if (f.nextTemp >= f.tempLimit) throw CompileError(pos, "expression too complex");
    reg_ = static_cast<std::uint8_t>(f.nextTemp++);
    f.highest = std::max(f.highest, static_cast<int>(reg_));
}

Generator::Temp::~Temp() {
    --g_.frame_->nextTemp;
}

Code Generator::script(const Script& script) {
    Code top;
    Frame frame;
    frame.code = &top;
    frame.topLevel = true;
    frame.nextTemp = 0;
    frame.tempLimit = kGlobalRegisters;
    frame_ = &frame;
    body(script.body, scanBody(script.body).declarations);
    frame_ = nullptr;
    return top;
}

// Function declarations come first, as the player expects them defined before the body
// runs; then the statements in order.
void Generator::body(const std::vector<StmtPtr>& statements,
                     const std::vector<const Function*>& hoisted) {
    for (const Function* fn : hoisted)
        code().items.emplace_back(function(*fn));
    for (const auto& s : statements)
        statement(*s);
}

FunctionOp Generator::function(const Function& fn) {
    const FunctionScan scan = scanBody(fn.body);
    auto bodyCode = std::make_unique<Code>();
    Frame frame;
    frame.code = bodyCode.get();
    frame.topLevel = false;
    frame.localsInRegisters = !scan.hasNestedFunction;

    FunctionOp op;
    op.name = fn.name;
    op.pos = fn.pos;
    std::uint16_t flags = swf::SuppressSuper;
    int next = 1;
    const auto preload = [&](bool used, std::uint8_t& reg, std::uint16_t preloadFlag,
                             std::uint16_t suppressFlag) {
        if (used) {
            reg = static_cast<std::uint8_t>(next++);
            flags |= preloadFlag;
        } else {
            flags |= suppressFlag;
        }
    };
    // The player fills the preloaded registers in this order, from register 1.
    preload(scan.usesThis, frame.thisReg, swf::PreloadThis, swf::SuppressThis);
    preload(scan.usesArguments, frame.argumentsReg, swf::PreloadArguments, swf::SuppressArguments);
    preload(scan.usesRoot, frame.rootReg, swf::PreloadRoot, 0);
    preload(scan.usesParent, frame.parentReg, swf::PreloadParent, 0);
    preload(scan.usesGlobal, frame.globalReg, swf::PreloadGlobal, 0);
    op.flags = flags;

    for (const auto& param : fn.params) {
        std::uint8_t reg = 0;
        if (frame.localsInRegisters) {
            if (next >= kFunctionRegisterLimit) throw CompileError(fn.pos, "too many parameters");
            reg = static_cast<std::uint8_t>(next++);
            frame.locals[param] = reg;
        }
        op.params.emplace_back(reg, param);
    }
    if (frame.localsInRegisters) {
        for (const auto& var : scan.vars) {
            if (frame.locals.contains(var)) continue;
            if (next >= kFunctionRegisterLimit)
                throw CompileError(fn.pos, "too many local variables");
            frame.locals[var] = static_cast<std::uint8_t>(next++);
        }
    }
    frame.highest = next - 1;
    frame.nextTemp = next;
    frame.tempLimit = kFunctionRegisterLimit;

    {
        // Restores the outer frame however the body ends, errors included.
        struct Enter {
            Generator& g;
            Frame* outer;
            ~Enter() { g.frame_ = outer; }
        } enter{*this, frame_};
        frame_ = &frame;
        body(fn.body, scan.declarations);
    }

    op.registerCount = static_cast<std::uint8_t>(frame.highest + 1);
    op.body = std::move(bodyCode);
    return op;
}

void Generator::statement(const Stmt& s) {
    std::visit(
        Visitor{
            [&](const VarDecl& d) { varDecl(d); },
            [](const FunctionDecl&) {}, // defined at the top of the body
            [&](const ExprStmt& e) { expr(*e.expr, false); },
            [&](const If& n) { ifStatement(n); },
            [&](const While& n) { loop(nullptr, n.test.get(), nullptr, *n.body, true, s.pos); },
            [&](const DoWhile& n) { loop(nullptr, n.test.get(), nullptr, *n.body, false, s.pos); },
            [&](const For& n) {
                loop(n.init.get(), n.test.get(), n.update.get(), *n.body, true, s.pos);
            },
            [&](const Return& n) {
                if (frame_->topLevel) throw CompileError(s.pos, "'return' outside a function");
                if (n.value)
                    expr(*n.value);
                else
                    code().push(UndefinedValue{});
                code().op(Action::Return);
            },
            [&](const Break&) {
                if (frame_->loops.empty()) throw CompileError(s.pos, "'break' outside a loop");
                code().branch(Action::Jump, frame_->loops.back().breakLabel, s.pos);
            },
            [&](const Continue&) {
                if (frame_->loops.empty()) throw CompileError(s.pos, "'continue' outside a loop");
                code().branch(Action::Jump, frame_->loops.back().continueLabel, s.pos);
            },
            [&](const Block& b) {
                for (const auto& inner : b.body)
                    statement(*inner);
            },
            [](const Empty&) {},
        },
        s.node);
}

void Generator::varDecl(const VarDecl& decl) {
    for (const auto& b : decl.bindings) {
        if (const std::uint8_t reg = localRegister(b.name)) {
            // A register starts out undefined, so a bare `var x;` needs no code.
            if (b.init) {
                expr(*b.init);
                code().storeRegister(reg);
                code().op(Action::Pop);
            }
        } else if (b.init) {
            code().push(b.name);
            expr(*b.init);
            code().op(Action::DefineLocal);
        } else {
            code().push(b.name);
            code().op(Action::DefineLocal2);
        }
    }
}

// Evaluates the test and branches to label when it is false.
// A test that is itself a negation (`!x`, `a != b`, `a <= b`...) branches on the
// un-negated value instead of negating twice.
void Generator::jumpIfFalse(const Expr& test, int label) {
    const auto* u = std::get_if<Unary>(&test.node);
    const auto* b = std::get_if<Binary>(&test.node);
    std::optional<Action> positive;
    if (b) {
        switch (b->op) {
        case BinaryOp::NotEqual:
            positive = Action::Equals2;
            break;
        case BinaryOp::StrictNotEqual:
            positive = Action::StrictEquals;
            break;
        case BinaryOp::LessEqual:
            positive = Action::Greater;
            break;
        case BinaryOp::GreaterEqual:
            positive = Action::Less2;
            break;
        default:
            break;
        }
    }
    if (u && u->op == UnaryOp::Not) {
        expr(*u->operand);
    } else if (positive) {
        expr(*b->left);
        expr(*b->right);
        code().op(*positive);
    } else {
        expr(test);
        code().op(Action::Not);
    }
    code().branch(Action::If, label, test.pos);
}

void Generator::ifStatement(const If& node) {
    const int otherwise = code().newLabel();
    jumpIfFalse(*node.test, otherwise);
    statement(*node.then);
    if (node.otherwise) {
        const int end = code().newLabel();
        code().branch(Action::Jump, end, node.test->pos);
        code().bind(otherwise);
        statement(*node.otherwise);
        code().bind(end);
    } else {
        code().bind(otherwise);
    }
}

void Generator::loop(const Stmt* init, const Expr* test, const Expr* update, const Stmt& bodyStmt,
                     bool testFirst, SourcePos pos) {
    if (init) statement(*init);
    const int top = code().newLabel();
    const int next = code().newLabel();
    const int end = code().newLabel();
    code().bind(top);
    if (testFirst && test) jumpIfFalse(*test, end);
    frame_->loops.push_back({next, end});
    statement(bodyStmt);
    frame_->loops.pop_back();
    code().bind(next);
    if (testFirst) {
        if (update) expr(*update, false);
        code().branch(Action::Jump, top, pos);
    } else {
        expr(*test);
        code().branch(Action::If, top, pos);
    }
    code().bind(end);
}

} // namespace zimo::asc
