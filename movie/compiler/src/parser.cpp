#include "parser.h"

#include <array>
#include <charconv>
#include <span>

namespace zimo::asc {

namespace {

// Bounds on nesting, so that hostile input cannot exhaust the stack of the parser, of the
// code generator or of the tree's destructor.
constexpr int kMaxNesting = 200;
constexpr int kMaxExprDepth = 400;

constexpr std::array<std::string_view, 16> kUnsupported = {
    "switch", "case",      "default", "with",    "try",        "catch",   "finally",   "throw",
    "class",  "interface", "import",  "extends", "implements", "dynamic", "intrinsic", "void",
};
constexpr std::array<std::string_view, 17> kReserved = {
    "break", "continue",   "delete", "do",   "else",   "false", "for",    "function", "if",
    "in",    "instanceof", "new",    "null", "return", "true",  "typeof", "var",
};

bool contains(std::span<const std::string_view> words, std::string_view word) {
    for (const auto w : words)
        if (w == word) return true;
    return false;
}

std::string numberKey(double value) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

class Parser {
public:
    explicit Parser(const std::vector<Token>& tokens) : tokens_(tokens) {}

    Script parseScript() {
        Script script;
        while (!atEnd())
            script.body.push_back(parseStatement());
        return script;
    }

private:
    // Counts the parser's own recursion.
    class Nest {
    public:
        Nest(Parser& p, SourcePos pos) : p_(p) {
            if (++p_.nesting_ > kMaxNesting) throw CompileError(pos, "nesting too deep");
        }
        ~Nest() { --p_.nesting_; }
        Nest(const Nest&) = delete;
        Nest& operator=(const Nest&) = delete;

    private:
        Parser& p_;
    };

    // ---- tokens ----

    const Token& cur() const { return tokens_[at_]; }
    bool atEnd() const { return cur().kind == TokenKind::EndOfFile; }
    const Token& next() {
        const Token& t = tokens_[at_];
        if (at_ + 1 < tokens_.size()) ++at_;
        return t;
    }
    bool isPunct(std::string_view p) const {
        return cur().kind == TokenKind::Punctuation && cur().text == p;
    }
    bool isWord(std::string_view w) const {
        return cur().kind == TokenKind::Name && cur().text == w;
    }
    bool acceptPunct(std::string_view p) {
        if (!isPunct(p)) return false;
        next();
        return true;
    }

    static std::string describe(const Token& t) {
        switch (t.kind) {
        case TokenKind::EndOfFile:
            return "end of file";
        case TokenKind::Number:
            return "number";
        case TokenKind::String:
            return "string";
        case TokenKind::Name:
        case TokenKind::Punctuation:
            return "'" + t.text + "'";
        }
        return "token";
    }

    [[noreturn]] void fail(const std::string& what) const {
        throw CompileError(cur().pos, what + ", found " + describe(cur()));
    }

    void expectPunct(std::string_view p) {
        if (!acceptPunct(p)) fail("expected '" + std::string(p) + "'");
    }

    std::string expectName(const char* what) {
        if (cur().kind != TokenKind::Name || contains(kReserved, cur().text) ||
            contains(kUnsupported, cur().text))
            fail(std::string("expected ") + what);
        return next().text;
    }

    // A statement ends with ';', or without one before '}', at the end, or at a line break.
    void endStatement() {
        if (acceptPunct(";")) return;
        if (isPunct("}") || atEnd() || cur().newlineBefore) return;
        fail("expected ';'");
    }

    // `: Type` after a variable, a parameter or a parameter list; the type is not checked.
    void skipTypeAnnotation() {
        if (!acceptPunct(":")) return;
        expectName("a type name");
        while (acceptPunct("."))
            expectName("a type name");
    }

    // ---- statements ----

    template <typename Node> StmtPtr stmt(SourcePos pos, Node node) {
        auto s = std::make_unique<Stmt>();
        s->pos = pos;
        s->node = std::move(node);
        return s;
    }

    StmtPtr parseStatement() {
        const SourcePos pos = cur().pos;
        Nest nest(*this, pos);
        if (acceptPunct("{")) {
            Block block;
            while (!isPunct("}")) {
                if (atEnd()) fail("expected '}'");
                block.body.push_back(parseStatement());
            }
            next();
            return stmt(pos, std::move(block));
        }
        if (acceptPunct(";")) return stmt(pos, Empty{});
        if (cur().kind == TokenKind::Name) {
            const std::string& word = cur().text;
            if (contains(kUnsupported, word))
                throw CompileError(pos, "unsupported construct '" + word + "'");
            if (word == "var") {
                next();
                auto decl = parseVarBindings();
                endStatement();
                return stmt(pos, std::move(decl));
            }
            if (word == "function" && tokens_[at_ + 1].kind == TokenKind::Name) {
                next();
                return stmt(pos, FunctionDecl{parseFunctionRest(pos, true)});
            }
            if (word == "if") return parseIf(pos);
            if (word == "while") {
                next();
                expectPunct("(");
                auto test = parseExpression();
                expectPunct(")");
                return stmt(pos, While{std::move(test), parseStatement()});
            }
            if (word == "do") {
                next();
                auto body = parseStatement();
                if (!isWord("while")) fail("expected 'while'");
                next();
                expectPunct("(");
                auto test = parseExpression();
                expectPunct(")");
                endStatement();
                return stmt(pos, DoWhile{std::move(body), std::move(test)});
            }
            if (word == "for") return parseFor(pos);
            if (word == "return") {
                next();
                Return ret;
                if (!isPunct(";") && !isPunct("}") && !atEnd() && !cur().newlineBefore)
                    ret.value = parseExpression();
                endStatement();
                return stmt(pos, std::move(ret));
            }
            if (word == "break" || word == "continue") {
                const bool isBreak = word == "break";
                next();
                endStatement();
                return isBreak ? stmt(pos, Break{}) : stmt(pos, Continue{});
            }
            if (word == "else") fail("expected a statement");
        }
        auto expr = parseExpression();
        endStatement();
        return stmt(pos, ExprStmt{std::move(expr)});
    }

    VarDecl parseVarBindings() {
        VarDecl decl;
        do {
            VarBinding binding;
            binding.pos = cur().pos;
            binding.name = expectName("a variable name");
            skipTypeAnnotation();
            if (acceptPunct("=")) binding.init = parseAssignment();
            decl.bindings.push_back(std::move(binding));
        } while (acceptPunct(","));
        return decl;
    }

    StmtPtr parseIf(SourcePos pos) {
        next();
        expectPunct("(");
        If node;
        node.test = parseExpression();
        expectPunct(")");
        node.then = parseStatement();
        if (isWord("else")) {
            next();
            node.otherwise = parseStatement();
        }
        return stmt(pos, std::move(node));
    }

    StmtPtr parseFor(SourcePos pos) {
        next();
        if (isWord("each")) throw CompileError(pos, "unsupported construct 'for each'");
        expectPunct("(");
        For node;
        if (!isPunct(";")) {
            const SourcePos initPos = cur().pos;
            if (cur().kind == TokenKind::Name && tokens_[at_ + 1].kind == TokenKind::Name &&
                tokens_[at_ + 1].text == "in")
                throw CompileError(tokens_[at_ + 1].pos, "unsupported construct 'for ... in'");
            if (isWord("var")) {
                next();
                node.init = stmt(initPos, parseVarBindings());
            } else {
                node.init = stmt(initPos, ExprStmt{parseExpression()});
            }
            if (isWord("in")) throw CompileError(cur().pos, "unsupported construct 'for ... in'");
        }
        expectPunct(";");
        if (!isPunct(";")) node.test = parseExpression();
        expectPunct(";");
        if (!isPunct(")")) node.update = parseExpression();
        expectPunct(")");
        node.body = parseStatement();
        return stmt(pos, std::move(node));
    }

    // After `function` (and, for a declaration, with the name still to read).
    std::unique_ptr<Function> parseFunctionRest(SourcePos pos, bool needsName) {
        auto fn = std::make_unique<Function>();
        fn->pos = pos;
        if (needsName || (cur().kind == TokenKind::Name && !isPunct("(")))
            fn->name = expectName("a function name");
        expectPunct("(");
        if (!isPunct(")")) {
            do {
                fn->params.push_back(expectName("a parameter name"));
                skipTypeAnnotation();
            } while (acceptPunct(","));
        }
        expectPunct(")");
        skipTypeAnnotation();
        expectPunct("{");
        while (!isPunct("}")) {
            if (atEnd()) fail("expected '}'");
            fn->body.push_back(parseStatement());
        }
        next();
        return fn;
    }

    // ---- expressions ----

    template <typename Node> ExprPtr expr(SourcePos pos, Node node, int depth = 1) {
        if (depth > kMaxExprDepth) throw CompileError(pos, "expression too deeply nested");
        auto e = std::make_unique<Expr>();
        e->pos = pos;
        e->depth = depth;
        e->node = std::move(node);
        return e;
    }
    static int below(const ExprPtr& a, const ExprPtr& b = nullptr, const ExprPtr& c = nullptr) {
        int d = 0;
        for (const ExprPtr* e : {&a, &b, &c})
            if (*e && (*e)->depth > d) d = (*e)->depth;
        return d + 1;
    }
    static int below(const std::vector<ExprPtr>& list, const ExprPtr& other) {
        int d = below(other);
        for (const auto& e : list)
            d = std::max(d, e->depth + 1);
        return d;
    }

    ExprPtr parseExpression() {
        auto e = parseAssignment();
        if (isPunct(",")) throw CompileError(cur().pos, "unsupported construct ',' operator");
        return e;
    }

    void checkTarget(const Expr& target) {
        if (const auto* id = std::get_if<Identifier>(&target.node)) {
            if (id->name == "this" || id->name == "arguments" || id->name == "_root" ||
                id->name == "_parent" || id->name == "_global")
                throw CompileError(target.pos, "cannot assign to '" + id->name + "'");
            return;
        }
        if (std::holds_alternative<Member>(target.node) ||
            std::holds_alternative<Index>(target.node))
            return;
        throw CompileError(target.pos, "invalid assignment target");
    }

    // Whether the current token assigns; compound is set for `+=` and its kin.
    bool assignmentOperator(std::optional<BinaryOp>& compound) const {
        compound.reset();
        if (cur().kind != TokenKind::Punctuation) return false;
        const std::string& t = cur().text;
        if (t == "=") return true;
        static const std::pair<std::string_view, BinaryOp> ops[] = {
            {"+=", BinaryOp::Add},
            {"-=", BinaryOp::Subtract},
            {"*=", BinaryOp::Multiply},
            {"/=", BinaryOp::Divide},
            {"%=", BinaryOp::Modulo},
            {"&=", BinaryOp::BitAnd},
            {"|=", BinaryOp::BitOr},
            {"^=", BinaryOp::BitXor},
            {"<<=", BinaryOp::ShiftLeft},
            {">>=", BinaryOp::ShiftRight},
            {">>>=", BinaryOp::ShiftRightUnsigned},
        };
        for (const auto& [spelling, op] : ops) {
            if (t == spelling) {
                compound = op;
                return true;
            }
        }
        return false;
    }

    ExprPtr parseAssignment() {
        const SourcePos pos = cur().pos;
        Nest nest(*this, pos);
        auto left = parseConditional();
        std::optional<BinaryOp> compound;
        if (!assignmentOperator(compound)) return left;
        checkTarget(*left);
        const SourcePos opPos = cur().pos;
        next();
        auto value = parseAssignment();
        const int depth = below(left, value);
        return expr(opPos, Assign{compound, std::move(left), std::move(value)}, depth);
    }

    ExprPtr parseConditional() {
        auto test = parseBinary(0);
        if (!isPunct("?")) return test;
        const SourcePos pos = cur().pos;
        next();
        auto then = parseAssignment();
        expectPunct(":");
        auto otherwise = parseAssignment();
        const int depth = below(test, then, otherwise);
        return expr(pos, Conditional{std::move(test), std::move(then), std::move(otherwise)},
                    depth);
    }

    struct BinarySpelling {
        std::string_view text;
        int level;
        BinaryOp op;
        bool logical; // && and || (level 0 and 1)
    };

    std::optional<BinarySpelling> binaryOperator() const {
        static const BinarySpelling table[] = {
            {"||", 0, BinaryOp::BitOr, true},
            {"&&", 1, BinaryOp::BitAnd, true},
            {"|", 2, BinaryOp::BitOr, false},
            {"^", 3, BinaryOp::BitXor, false},
            {"&", 4, BinaryOp::BitAnd, false},
            {"==", 5, BinaryOp::Equal, false},
            {"!=", 5, BinaryOp::NotEqual, false},
            {"===", 5, BinaryOp::StrictEqual, false},
            {"!==", 5, BinaryOp::StrictNotEqual, false},
            {"<", 6, BinaryOp::Less, false},
            {">", 6, BinaryOp::Greater, false},
            {"<=", 6, BinaryOp::LessEqual, false},
            {">=", 6, BinaryOp::GreaterEqual, false},
            {"instanceof", 6, BinaryOp::InstanceOf, false},
            {"<<", 7, BinaryOp::ShiftLeft, false},
            {">>", 7, BinaryOp::ShiftRight, false},
            {">>>", 7, BinaryOp::ShiftRightUnsigned, false},
            {"+", 8, BinaryOp::Add, false},
            {"-", 8, BinaryOp::Subtract, false},
            {"*", 9, BinaryOp::Multiply, false},
            {"/", 9, BinaryOp::Divide, false},
            {"%", 9, BinaryOp::Modulo, false},
        };
        if (cur().kind != TokenKind::Punctuation && !isWord("instanceof")) {
            if (isWord("in")) throw CompileError(cur().pos, "unsupported construct 'in' operator");
            return std::nullopt;
        }
        for (const auto& entry : table)
            if (cur().text == entry.text) return entry;
        return std::nullopt;
    }

    // Precedence climbing over the binary operators, all left-associative.
    ExprPtr parseBinary(int minLevel) {
        auto left = parseUnary();
        for (;;) {
            const auto op = binaryOperator();
            if (!op || op->level < minLevel) return left;
            const SourcePos pos = cur().pos;
            next();
            auto right = parseBinary(op->level + 1);
            const int depth = below(left, right);
            if (op->logical)
                left = expr(pos, Logical{op->level == 1, std::move(left), std::move(right)}, depth);
            else
                left = expr(pos, Binary{op->op, std::move(left), std::move(right)}, depth);
        }
    }

    ExprPtr parseUnary() {
        const SourcePos pos = cur().pos;
        Nest nest(*this, pos);
        std::optional<UnaryOp> op;
        if (isPunct("!"))
            op = UnaryOp::Not;
        else if (isPunct("-"))
            op = UnaryOp::Minus;
        else if (isPunct("+"))
            op = UnaryOp::Plus;
        else if (isPunct("~"))
            op = UnaryOp::BitNot;
        else if (isWord("typeof"))
            op = UnaryOp::TypeOf;
        else if (isWord("delete"))
            op = UnaryOp::Delete;
        if (op) {
            next();
            auto operand = parseUnary();
            if (*op == UnaryOp::Delete && !std::holds_alternative<Identifier>(operand->node) &&
                !std::holds_alternative<Member>(operand->node) &&
                !std::holds_alternative<Index>(operand->node))
                throw CompileError(operand->pos, "'delete' needs a variable or a member");
            const int depth = below(operand);
            return expr(pos, Unary{*op, std::move(operand)}, depth);
        }
        if (isPunct("++") || isPunct("--")) {
            const bool increment = isPunct("++");
            next();
            auto target = parseUnary();
            checkTarget(*target);
            const int depth = below(target);
            return expr(pos, Update{increment, true, std::move(target)}, depth);
        }
        auto operand = parseCallOrMember();
        if ((isPunct("++") || isPunct("--")) && !cur().newlineBefore) {
            const bool increment = isPunct("++");
            checkTarget(*operand);
            next();
            const int depth = below(operand);
            return expr(pos, Update{increment, false, std::move(operand)}, depth);
        }
        return operand;
    }

    std::vector<ExprPtr> parseArguments() {
        std::vector<ExprPtr> args;
        expectPunct("(");
        if (!isPunct(")")) {
            do
                args.push_back(parseAssignment());
            while (acceptPunct(","));
        }
        expectPunct(")");
        return args;
    }

    // Member accesses and calls after a primary expression or a `new`.
    ExprPtr parseCallOrMember() {
        ExprPtr e = isWord("new") ? parseNew() : parsePrimary();
        const SourcePos pos = e->pos; // a chain is where it starts
        for (;;) {
            if (acceptPunct(".")) {
                if (cur().kind != TokenKind::Name) fail("expected a member name");
                std::string name = next().text;
                const int depth = below(e);
                e = expr(pos, Member{std::move(e), std::move(name)}, depth);
            } else if (acceptPunct("[")) {
                auto key = parseExpression();
                expectPunct("]");
                const int depth = below(e, key);
                e = expr(pos, Index{std::move(e), std::move(key)}, depth);
            } else if (isPunct("(")) {
                auto args = parseArguments();
                const int depth = below(args, e);
                e = expr(pos, Call{std::move(e), std::move(args)}, depth);
            } else {
                return e;
            }
        }
    }

    ExprPtr parseNew() {
        const SourcePos pos = cur().pos;
        Nest nest(*this, pos);
        next(); // new
        ExprPtr callee = isWord("new") ? parseNew() : parsePrimary();
        const SourcePos memberPos = callee->pos;
        for (;;) {
            if (acceptPunct(".")) {
                if (cur().kind != TokenKind::Name) fail("expected a member name");
                std::string name = next().text;
                const int depth = below(callee);
                callee = expr(memberPos, Member{std::move(callee), std::move(name)}, depth);
            } else if (acceptPunct("[")) {
                auto key = parseExpression();
                expectPunct("]");
                const int depth = below(callee, key);
                callee = expr(memberPos, Index{std::move(callee), std::move(key)}, depth);
            } else {
                break;
            }
        }
        std::vector<ExprPtr> args;
        if (isPunct("(")) args = parseArguments();
        const int depth = below(args, callee);
        return expr(pos, New{std::move(callee), std::move(args)}, depth);
    }

    ExprPtr parsePrimary() {
        const Token& t = cur();
        const SourcePos pos = t.pos;
        switch (t.kind) {
        case TokenKind::Number:
            return expr(pos, NumberLit{next().number});
        case TokenKind::String:
            return expr(pos, StringLit{next().text});
        case TokenKind::EndOfFile:
            fail("expected an expression");
        case TokenKind::Punctuation:
            if (acceptPunct("(")) {
                auto e = parseExpression();
                expectPunct(")");
                return e;
            }
            if (acceptPunct("[")) return parseArray(pos);
            if (acceptPunct("{")) return parseObject(pos);
            fail("expected an expression");
        case TokenKind::Name:
            break;
        }
        const std::string& word = t.text;
        if (word == "true" || word == "false") return expr(pos, BoolLit{next().text == "true"});
        if (word == "null") {
            next();
            return expr(pos, NullLit{});
        }
        if (word == "undefined") {
            next();
            return expr(pos, UndefinedLit{});
        }
        if (word == "function") {
            next();
            auto fn = parseFunctionRest(pos, false);
            return expr(pos, FunctionExpr{std::move(fn)});
        }
        if (contains(kUnsupported, word))
            throw CompileError(pos, "unsupported construct '" + word + "'");
        if (contains(kReserved, word)) fail("expected an expression");
        return expr(pos, Identifier{next().text});
    }

    ExprPtr parseArray(SourcePos pos) {
        ArrayLit array;
        while (!isPunct("]")) {
            array.items.push_back(parseAssignment());
            if (!acceptPunct(",")) break;
        }
        expectPunct("]");
        int depth = 1;
        for (const auto& item : array.items)
            depth = std::max(depth, item->depth + 1);
        return expr(pos, std::move(array), depth);
    }

    ExprPtr parseObject(SourcePos pos) {
        ObjectLit object;
        int depth = 1;
        while (!isPunct("}")) {
            std::string key;
            if (cur().kind == TokenKind::Name || cur().kind == TokenKind::String)
                key = next().text;
            else if (cur().kind == TokenKind::Number)
                key = numberKey(next().number);
            else
                fail("expected a property name");
            expectPunct(":");
            auto value = parseAssignment();
            depth = std::max(depth, value->depth + 1);
            object.properties.emplace_back(std::move(key), std::move(value));
            if (!acceptPunct(",")) break;
        }
        expectPunct("}");
        return expr(pos, std::move(object), depth);
    }

    const std::vector<Token>& tokens_;
    std::size_t at_ = 0;
    int nesting_ = 0;
};

} // namespace

Script parse(const std::vector<Token>& tokens) {
    if (tokens.empty() || tokens.back().kind != TokenKind::EndOfFile)
        throw CompileError({}, "internal error: token list without its end");
    return Parser(tokens).parseScript();
}

} // namespace zimo::asc
