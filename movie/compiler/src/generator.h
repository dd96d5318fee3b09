#pragma once

// The code generator's state, shared by its statement and expression halves.

#include "ast.h"
#include "code.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zimo::asc {

class Generator {
public:
    Code script(const Script& script);

private:
    struct Loop {
        int continueLabel;
        int breakLabel;
    };

    // One function body, or the script itself.
    struct Frame {
        Code* code = nullptr;
        bool topLevel = true;
        // Parameters and `var`s live in registers; only when no nested function could need
        // them by name.
        bool localsInRegisters = false;
        std::map<std::string, std::uint8_t> locals;
        // Registers preloaded by DefineFunction2; 0 when not preloaded.
        std::uint8_t thisReg = 0, argumentsReg = 0, rootReg = 0, parentReg = 0, globalReg = 0;
        int nextTemp = 0;  // first free register for intermediate values
        int tempLimit = 0; // one past the last register intermediates may use
        int highest = 0;   // highest register used
        std::vector<Loop> loops;
    };

    // Holds an intermediate register for as long as it lives on the C++ stack.
    class Temp {
    public:
        Temp(Generator& g, SourcePos pos);
        ~Temp();
        Temp(const Temp&) = delete;
        Temp& operator=(const Temp&) = delete;
        std::uint8_t reg() const { return reg_; }

    private:
        Generator& g_;
        std::uint8_t reg_;
    };

    Code& code() { return *frame_->code; }

    // Statements and functions (codegen_statements.cpp).
    void body(const std::vector<StmtPtr>& statements, const std::vector<const Function*>& hoisted);
    void statement(const Stmt& s);
    void varDecl(const VarDecl& decl);
    void ifStatement(const If& node);
    void loop(const Stmt* init, const Expr* test, const Expr* update, const Stmt& bodyStmt,
              bool testFirst, SourcePos pos);
    void jumpIfFalse(const Expr& test, int label);
    FunctionOp function(const Function& fn);

    // Expressions (codegen_expressions.cpp). With wantValue false nothing is left on the stack.
    void expr(const Expr& e, bool wantValue = true);
    void identifier(const std::string& name);
    std::uint8_t localRegister(const std::string& name) const;
    void call(const Call& node, SourcePos pos, bool wantValue);
    bool builtinCall(const std::string& name, const Call& node, SourcePos pos, bool wantValue);
    void newObject(const New& node);
    void arguments(const std::vector<ExprPtr>& args);
    void assign(const Assign& node, SourcePos pos, bool wantValue);
    void update(const Update& node, SourcePos pos, bool wantValue);
    void stepMemberInPlace(const std::string& name, const std::function<void()>& change);
    void binaryOperator(BinaryOp op);
    void unary(const Unary& node, bool wantValue);

    Frame* frame_ = nullptr;
};

} // namespace zimo::asc
