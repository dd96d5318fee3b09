// Errors: the first one is reported as file:line:column: message, and bad input of any kind
// ends in an error, never in a crash.

#include "support.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace zimo::asc::test {
namespace {

TEST(AscErrors, SyntaxErrorsGiveFileLineAndColumn) {
    EXPECT_EQ(errorOf("x = ;"), "t.as:1:5: expected an expression, found ';'");
    EXPECT_EQ(errorOf("a = 1;\n\nf(1, 2;\n"), "t.as:3:7: expected ')', found ';'");
    EXPECT_EQ(errorOf("if (a) {\n  b = 1;\n"), "t.as:3:1: expected '}', found end of file");
    EXPECT_EQ(errorOf("a = 1 b = 2;"), "t.as:1:7: expected ';', found 'b'");
    EXPECT_EQ(errorOf("var 1 = 2;"), "t.as:1:5: expected a variable name, found number");
}

TEST(AscErrors, LexicalErrors) {
    EXPECT_EQ(errorOf("s = \"abc\n\";"), "t.as:1:5: unterminated string");
    EXPECT_EQ(errorOf("/* open"), "t.as:1:1: unterminated comment");
    EXPECT_EQ(errorOf("x = 1 # 2;"), "t.as:1:7: unexpected character '#'");
    EXPECT_EQ(errorOf("x = 12ab;"), "t.as:1:5: malformed number");
    EXPECT_EQ(errorOf("x = \"a\\u12\";"), "t.as:1:7: malformed escape sequence");
    EXPECT_EQ(errorOf("x = \"a\\0b\";"), "t.as:1:5: a string cannot hold the character 0");
}

TEST(AscErrors, ColumnsCountCharactersNotBytes) {
    EXPECT_EQ(errorOf("s = \"é\"; x = ;"), "t.as:1:14: expected an expression, found ';'");
}

TEST(AscErrors, UnsupportedConstructsAreNamed) {
    EXPECT_EQ(errorOf("switch (a) { }"), "t.as:1:1: unsupported construct 'switch'");
    EXPECT_EQ(errorOf("class A { }"), "t.as:1:1: unsupported construct 'class'");
    EXPECT_EQ(errorOf("for (k in o) { }"), "t.as:1:8: unsupported construct 'for ... in'");
    EXPECT_EQ(errorOf("x = (a, b);"), "t.as:1:7: unsupported construct ',' operator");
}

TEST(AscErrors, MisplacedStatementsAndTargets) {
    EXPECT_EQ(errorOf("break;"), "t.as:1:1: 'break' outside a loop");
    EXPECT_EQ(errorOf("x = 1;\nreturn x;"), "t.as:2:1: 'return' outside a function");
    EXPECT_EQ(errorOf("f() = 1;"), "t.as:1:1: invalid assignment target");
    EXPECT_EQ(errorOf("this = 1;"), "t.as:1:1: cannot assign to 'this'");
    EXPECT_EQ(errorOf("1++;"), "t.as:1:1: invalid assignment target");
    EXPECT_EQ(errorOf("stop(1);"), "t.as:1:1: 'stop' takes no arguments");
}

TEST(AscErrors, HostileNestingIsRefusedNotOverflowed) {
    const std::string parens =
        "x = " + std::string(100000, '(') + "1" + std::string(100000, ')') + ";";
    EXPECT_NE(errorOf(parens).find("nesting too deep"), std::string::npos);
    std::string chain = "x = 1";
    for (int i = 0; i < 100000; ++i)
        chain += "+1";
    EXPECT_NE(errorOf(chain + ";").find("expression too deeply nested"), std::string::npos);
    std::string members = "x = a";
    for (int i = 0; i < 100000; ++i)
        members += ".b";
    EXPECT_NE(errorOf(members + ";").find("expression too deeply nested"), std::string::npos);
    const std::string blocks = std::string(100000, '{') + std::string(100000, '}');
    EXPECT_NE(errorOf(blocks).find("nesting too deep"), std::string::npos);
}

TEST(AscErrors, TooManyIntermediatesAtTheTopLevel) {
    // The frame script has the player's four global registers for intermediate values;
    // functions have their own.
    EXPECT_TRUE(compile("a.x = b.x = c.x = d.x = e.x = 1; a.x += b.x += c.x += 1;", "t.as").ok);
    EXPECT_TRUE(compile("x = a[1] += 1;", "t.as").ok);
    EXPECT_EQ(errorOf("x = a[1] += b[2] += 1;"), "t.as:1:18: expression too complex");
    EXPECT_TRUE(compile("function f() { x = a[1] += b[2] += c[3] += 1; }", "t.as").ok);
}

// The command-line compiler stops a build: it fails with the message on its error output
// and leaves no output file behind.
class AscCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            std::filesystem::temp_directory_path() /
            ("zimo-asc-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path write(const std::string& name, const std::string& text) {
        const auto path = dir_ / name;
        std::ofstream(path) << text;
        return path;
    }

    // Runs the compiler; returns its exit status and fills in what it printed.
    int run(const std::string& arguments, std::string& output) {
        const std::string command = std::string(ZIMO_ASC_CLI) + " " + arguments + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return -1;
        char buffer[512];
        output.clear();
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        const int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::filesystem::path dir_;
};

TEST_F(AscCli, SyntaxErrorFailsWithTheMessage) {
    const auto in = write("bad.as", "a = 1;\nb = (2;\n");
    const auto out = dir_ / "bad.bin";
    std::string output;
    EXPECT_EQ(run(in.string() + " " + out.string(), output), 1);
    EXPECT_EQ(output, in.string() + ":2:7: expected ')', found ';'\n");
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(AscCli, WritesTheActions) {
    const auto in = write("good.as", "x = 1;\n");
    const auto out = dir_ / "good.bin";
    std::string output;
    EXPECT_EQ(run(in.string() + " " + out.string(), output), 0) << output;
    std::ifstream file(out, std::ios::binary);
    const std::vector<std::uint8_t> written{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(written, bytesOf("x = 1;\n"));
}

TEST_F(AscCli, MissingInputAndWrongUsageFail) {
    std::string output;
    EXPECT_EQ(run((dir_ / "none.as").string() + " " + (dir_ / "none.bin").string(), output), 1);
    EXPECT_NE(output.find("cannot read the script"), std::string::npos);
    EXPECT_NE(run("", output), 0);
}

} // namespace
} // namespace zimo::asc::test
