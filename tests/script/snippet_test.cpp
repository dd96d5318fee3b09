// Script behaviour in ActionScript: each snippet in snippets/ is compiled by our compiler
// and run as a frame script on a root timeline with one child clip, `mc`; then the timer
// clock runs on for a second, 10 ms a step. What the snippet traces must be what its `//>`
// comments say, in their order.
#include "fixture.h"

#include "asc/compiler.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace zimo::script::test {
namespace {

const std::filesystem::path kSnippets = ZIMO_SNIPPETS_DIR;

std::vector<std::string> snippetNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kSnippets))
        if (entry.path().extension() == ".as") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The text after each "//>", one line of output each.
std::vector<std::string> expectedOutput(const std::string& source) {
    std::vector<std::string> lines;
    std::istringstream in(source);
    for (std::string line; std::getline(in, line);) {
        const auto at = line.find("//>");
        if (at == std::string::npos) continue;
        std::string text = line.substr(at + 3);
        lines.push_back(text.empty() || text[0] != ' ' ? text : text.substr(1));
    }
    return lines;
}

class Snippet : public EngineTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(Snippet, TracesWhatItsCommentsSay) {
    std::ifstream file(kSnippets / (GetParam() + ".as"), std::ios::binary);
    const std::string source{std::istreambuf_iterator<char>(file), {}};
    const asc::CompileResult compiled = asc::compile(source, GetParam() + ".as");
    ASSERT_TRUE(compiled.ok) << compiled.error;
    addChild(root, "mc");
    engine.setActionBudget(100000); // a runaway loop ends its turn quickly
    engine.runActions(compiled.actions, root);
    for (int step = 0; step < 100; ++step)
        engine.advanceTime(10);
    EXPECT_EQ(traced, expectedOutput(source)) << "last error: " << engine.lastError();
}

std::string testName(const ::testing::TestParamInfo<std::string>& snippet) {
    return snippet.param;
}

INSTANTIATE_TEST_SUITE_P(Scripts, Snippet, ::testing::ValuesIn(snippetNames()), testName);

} // namespace
} // namespace zimo::script::test
