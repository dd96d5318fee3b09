#include "function_scan.h"
#include "visitor.h"

#include <algorithm>

namespace zimo::asc {

namespace {

class Scanner {
public:
    FunctionScan result;

    void statements(const std::vector<StmtPtr>& list) {
        for (const auto& s : list)
            statement(*s);
    }

private:
    void statement(const Stmt& s) {
        std::visit(Visitor{
                       [&](const VarDecl& d) {
                           for (const auto& b : d.bindings) {
                               addVar(b.name);
                               expr(b.init.get());
                           }
                       },
                       [&](const FunctionDecl& d) {
                           result.declarations.push_back(d.function.get());
                           result.hasNestedFunction = true;
                       },
                       [&](const ExprStmt& e) { expr(e.expr.get()); },
                       [&](const If& n) {
                           expr(n.test.get());
                           statement(*n.then);
                           if (n.otherwise) statement(*n.otherwise);
                       },
                       [&](const While& n) {
                           expr(n.test.get());
                           statement(*n.body);
                       },
                       [&](const DoWhile& n) {
                           statement(*n.body);
                           expr(n.test.get());
                       },
                       [&](const For& n) {
                           if (n.init) statement(*n.init);
                           expr(n.test.get());
                           expr(n.update.get());
                           statement(*n.body);
                       },
                       [&](const Return& n) { expr(n.value.get()); },
                       [&](const Block& b) { statements(b.body); },
                       [](const Break&) {},
                       [](const Continue&) {},
                       [](const Empty&) {},
                   },
                   s.node);
    }

    void addVar(const std::string& name) {
        if (std::find(result.vars.begin(), result.vars.end(), name) == result.vars.end())
            result.vars.push_back(name);
    }

    void identifier(const std::string& name) {
        if (name == "this")
            result.usesThis = true;
        else if (name == "arguments")
            result.usesArguments = true;
        else if (name == "_root")
            result.usesRoot = true;
        else if (name == "_parent")
            result.usesParent = true;
        else if (name == "_global")
            result.usesGlobal = true;
    }

    void expr(const Expr* e) {
        if (!e) return;
        std::visit(Visitor{
                       [&](const Identifier& n) { identifier(n.name); },
                       [&](const Member& n) { expr(n.object.get()); },
                       [&](const Index& n) {
                           expr(n.object.get());
                           expr(n.key.get());
                       },
                       [&](const Call& n) {
                           expr(n.callee.get());
                           for (const auto& a : n.args)
                               expr(a.get());
                       },
                       [&](const New& n) {
                           expr(n.callee.get());
                           for (const auto& a : n.args)
                               expr(a.get());
                       },
                       [&](const Unary& n) { expr(n.operand.get()); },
                       [&](const Binary& n) {
                           expr(n.left.get());
                           expr(n.right.get());
                       },
                       [&](const Logical& n) {
                           expr(n.left.get());
                           expr(n.right.get());
                       },
                       [&](const Conditional& n) {
                           expr(n.test.get());
                           expr(n.then.get());
                           expr(n.otherwise.get());
                       },
                       [&](const Assign& n) {
                           expr(n.target.get());
                           expr(n.value.get());
                       },
                       [&](const Update& n) { expr(n.target.get()); },
                       [&](const FunctionExpr&) { result.hasNestedFunction = true; },
                       [&](const ObjectLit& n) {
                           for (const auto& p : n.properties)
                               expr(p.second.get());
                       },
                       [&](const ArrayLit& n) {
                           for (const auto& i : n.items)
                               expr(i.get());
                       },
                       [](const auto&) {}, // literals
                   },
                   e->node);
    }
};

} // namespace

FunctionScan scanBody(const std::vector<StmtPtr>& body) {
    Scanner scanner;
    scanner.statements(body);
    return std::move(scanner.result);
}

} // namespace zimo::asc
