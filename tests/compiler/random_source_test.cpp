// Token soup: whatever the input, the compiler either fails with a located message or writes
// code whose records all parse and whose branches all land on a record.

#include "support.h"

#include <random>
#include <regex>
#include <set>

namespace zimo::asc::test {
namespace {

const std::vector<std::string> kVocabulary = {
    "a",
    "b",
    "o.p",
    "1",
    "2.5",
    "\"s\"",
    "(",
    ")",
    "{",
    "}",
    "[",
    "]",
    ";",
    ",",
    ".",
    "=",
    "+=",
    "+",
    "-",
    "*",
    "/",
    "%",
    "<",
    "<=",
    "==",
    "!=",
    "===",
    "&&",
    "||",
    "!",
    "?",
    ":",
    "++",
    "--",
    "function",
    "var",
    "if",
    "else",
    "while",
    "for",
    "return",
    "new",
    "this",
    "_root",
    "break",
    "continue",
    "typeof",
    "delete",
    "null",
    "undefined",
    "true",
    "\n",
    "f(",
    "g()",
    "function () {",
    "stop()",
    "gotoAndStop(",
    "do",
    "{x: 1}",
};

// Every offset a branch names must be the start of a listed record.
void expectBranchesLandOnRecords(const std::string& listing) {
    std::set<std::string> starts;
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);)
        starts.insert(line.substr(0, 4));
    static const std::regex target("-> ([0-9]{4})");
    for (auto it = std::sregex_iterator(listing.begin(), listing.end(), target);
         it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(starts.contains((*it)[1].str())) << (*it)[1].str() << " in\n" << listing;
}

TEST(AscRandomSource, EitherALocatedErrorOrWellFormedCode) {
    std::mt19937 random(20240601);
    int compiled = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string source;
        const int length = 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i)
            source += kVocabulary[random() % kVocabulary.size()] + " ";
        const auto result = compile(source, "r.as");
        if (!result.ok) {
            EXPECT_EQ(result.error.rfind("r.as:", 0), 0u) << result.error;
            continue;
        }
        ++compiled;
        const std::string listing = disassemble(result.actions);
        EXPECT_EQ(listing.find('<'), std::string::npos) << source << "\n" << listing;
        EXPECT_EQ(result.actions.back(), 0x00);
        expectBranchesLandOnRecords(listing);
    }
    EXPECT_GT(compiled, 10); // the soup does produce some real programs
}

// Small random programs from the supported grammar.
class ProgramMaker {
public:
    explicit ProgramMaker(unsigned seed) : random_(seed) {}

    std::string statements(int depth, bool inFunction) {
        std::string s;
        const int count = 1 + pick(3);
        for (int i = 0; i < count; ++i)
            s += statement(depth, inFunction) + "\n";
        return s;
    }

private:
    int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

    std::string expr(int depth) {
        static const char* atoms[] = {"a",    "b",    "1",       "2.5", "\"s\"",
                                      "null", "this", "_root.x", "o.p", "arguments"};
        if (depth <= 0 || pick(3) == 0) return atoms[pick(10)];
        const int d = depth - 1;
        static const char* ops[] = {"+",  "-",  "*",   "/",   "%",  "<",  ">", "<=", ">=",
                                    "==", "!=", "===", "!==", "&&", "||", "&", "|",  "<<"};
        switch (pick(14)) {
        case 0:
            return "(" + expr(d) + " " + ops[pick(18)] + " " + expr(d) + ")";
        case 1:
            return "!" + expr(d);
        case 2:
            return "-(" + expr(d) + ")";
        case 3:
            return "f(" + expr(d) + ", " + expr(d) + ")";
        case 4:
            return "o.m(" + expr(d) + ")";
        case 5:
            return "new C(" + expr(d) + ")";
        case 6:
            return "(" + expr(d) + " ? " + expr(d) + " : " + expr(d) + ")";
        case 7:
            return "(a = " + expr(d) + ")";
        case 8:
            return "(o[" + expr(d) + "] += " + expr(d) + ")";
        case 9:
            return pick(2) ? "a++" : "--o.p";
        case 10:
            return "[" + expr(d) + ", " + expr(d) + "]";
        case 11:
            return "{k: " + expr(d) + "}";
        case 12:
            return "function (x) { return x + " + expr(d) + "; }";
        default:
            return "typeof " + expr(d);
        }
    }

    std::string statement(int depth, bool inFunction) {
        const int d = depth - 1;
        const int kinds = depth <= 0 ? 2 : 8;
        switch (pick(kinds)) {
        case 0:
            return pick(2) ? "o.r = " + expr(2) + ";" : "f(" + expr(2) + ");";
        case 1:
            return "var v = " + expr(2) + ";";
        case 2:
            return "if (" + expr(2) + ") {\n" + statements(d, inFunction) + "} else {\n" +
                   statements(d, inFunction) + "}";
        case 3:
            return "while (" + expr(2) + ") {\n" + statements(d, inFunction) + "break;\n}";
        case 4:
            return "for (var i = 0; i < " + expr(1) + "; i++) {\n" + statements(d, inFunction) +
                   "continue;\n}";
        case 5:
            return "do {\n" + statements(d, inFunction) + "} while (" + expr(1) + ");";
        case 6:
            return inFunction ? "return " + expr(2) + ";" : "o.q = " + expr(2) + ";";
        default:
            return "function h" + std::to_string(pick(1000)) + "(p, q) {\n" + statements(d, true) +
                   "return p;\n}";
        }
    }

    std::mt19937 random_;
};

TEST(AscRandomSource, GeneratedProgramsCompileToWellFormedCode) {
    ProgramMaker maker(77);
    for (int round = 0; round < 500; ++round) {
        // Inside a function, where intermediates have registers enough.
        const std::string source = "function main() {\n" + maker.statements(3, true) + "}\nmain();";
        const auto result = compile(source, "g.as");
        ASSERT_TRUE(result.ok) << result.error << "\n" << source;
        const std::string listing = disassemble(result.actions);
        EXPECT_EQ(listing.find('<'), std::string::npos) << source << "\n" << listing;
        expectBranchesLandOnRecords(listing);
    }
}

TEST(AscRandomSource, StructuredProgramsBranchCorrectly) {
    const auto listing = listingOf(R"(
        function f(n) {
            var total = 0;
            for (var i = 0; i < n; i++) {
                if (i % 2 == 0 && i != 4 || i > 8) continue;
                while (total < 100) { total += i ? i : 1; if (total > 50) break; }
            }
            do { total--; } while (total > 10);
            return total >= 0 ? total : -total;
        }
        x = f(10);
    )");
    EXPECT_EQ(listing.find('<'), std::string::npos) << listing;
    expectBranchesLandOnRecords(listing);
}

} // namespace
} // namespace zimo::asc::test
