#pragma once

// The syntax tree of a script: expressions, statements and functions.

#include "diagnostics.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace zimo::asc {

struct Expr;
struct Stmt;
struct Function;
using ExprPtr = std::unique_ptr<Expr>;
using StmtPtr = std::unique_ptr<Stmt>;

enum class UnaryOp { Not, Minus, Plus, BitNot, TypeOf, Delete };
enum class BinaryOp {
    Add,
    Subtract,
    Multiply,
    Divide,
    Modulo,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Equal,
    NotEqual,
    StrictEqual,
    StrictNotEqual,
    BitAnd,
    BitOr,
    BitXor,
    ShiftLeft,
    ShiftRight,
    ShiftRightUnsigned,
    InstanceOf,
};

struct NumberLit {
    double value = 0.0;
};
struct StringLit {
    std::string value;
};
struct BoolLit {
    bool value = false;
};
struct NullLit {};
struct UndefinedLit {};
// Also `this`, `_root`, `_parent`, `_global` and `arguments`, which the generator knows.
struct Identifier {
    std::string name;
};
struct Member {
    ExprPtr object;
    std::string name;
};
struct Index {
    ExprPtr object;
    ExprPtr key;
};
struct Call {
    ExprPtr callee;
    std::vector<ExprPtr> args;
};
struct New {
    ExprPtr callee;
    std::vector<ExprPtr> args;
};
struct Unary {
    UnaryOp op;
    ExprPtr operand;
};
struct Binary {
    BinaryOp op;
    ExprPtr left;
    ExprPtr right;
};
struct Logical {
    bool isAnd = true;
    ExprPtr left;
    ExprPtr right;
};
struct Conditional {
    ExprPtr test;
    ExprPtr then;
    ExprPtr otherwise;
};
// `compound` is empty for plain `=`, otherwise the operator of `+=` and its kin.
struct Assign {
    std::optional<BinaryOp> compound;
    ExprPtr target;
    ExprPtr value;
};
struct Update {
    bool increment = true;
    bool prefix = true;
    ExprPtr target;
};
struct FunctionExpr {
    std::unique_ptr<Function> function;
};
struct ObjectLit {
    std::vector<std::pair<std::string, ExprPtr>> properties;
};
struct ArrayLit {
    std::vector<ExprPtr> items;
};

struct Expr {
    SourcePos pos;
    int depth = 1; // height of the tree below and including this node
    std::variant<NumberLit, StringLit, BoolLit, NullLit, UndefinedLit, Identifier, Member, Index,
                 Call, New, Unary, Binary, Logical, Conditional, Assign, Update, FunctionExpr,
                 ObjectLit, ArrayLit>
        node;
};

struct VarBinding {
    std::string name;
    SourcePos pos;
    ExprPtr init; // may be null
};

struct VarDecl {
    std::vector<VarBinding> bindings;
};
struct FunctionDecl {
    std::unique_ptr<Function> function;
};
struct ExprStmt {
    ExprPtr expr;
};
struct If {
    ExprPtr test;
    StmtPtr then;
    StmtPtr otherwise;
};
struct While {
    ExprPtr test;
    StmtPtr body;
};
struct DoWhile {
    StmtPtr body;
    ExprPtr test;
};
struct For {
    StmtPtr init;
    ExprPtr test;
    ExprPtr update;
    StmtPtr body;
}; // each part may be null
struct Return {
    ExprPtr value;
}; // value may be null
struct Break {};
struct Continue {};
struct Block {
    std::vector<StmtPtr> body;
};
struct Empty {};

struct Stmt {
    SourcePos pos;
    std::variant<VarDecl, FunctionDecl, ExprStmt, If, While, DoWhile, For, Return, Break, Continue,
                 Block, Empty>
        node;
};

struct Function {
    SourcePos pos;
    std::string name; // empty for a function literal without one
    std::vector<std::string> params;
    std::vector<StmtPtr> body;
};

// A whole script: the statements of one frame.
struct Script {
    std::vector<StmtPtr> body;
};

} // namespace zimo::asc
