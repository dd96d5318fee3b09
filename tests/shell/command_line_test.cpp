// The program's options: which argument vectors start the player, and what the
// player's first argument is afterwards. What --help and --version print is checked
// on the installed program (tests/install).
#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    std::vector<std::string> arguments; // after the program's name
    bool runs;
    std::vector<std::string> left; // what the player gets, when it runs
};

TEST(CommandLine, OptionsEndOrPassTheFileOn) {
    const std::vector<Case> cases = {
        {{}, true, {}},
        {{"clip.flv"}, true, {"clip.flv"}},
        {{"-h"}, false, {}},
        {{"--help", "clip.flv"}, false, {}},
        {{"-V"}, false, {}},
        {{"--version"}, false, {}},
        // "--" goes, and what follows is the file whatever it looks like.
        {{"--", "--help"}, true, {"--help"}},
        {{"--", "-V", "x"}, true, {"-V", "x"}},
        {{"--", "--"}, true, {"--"}},
        {{"--"}, true, {}},
        // Only the first argument can be an option; anything else is the file, as ever.
        {{"clip.flv", "--help"}, true, {"clip.flv", "--help"}},
        {{"-x"}, true, {"-x"}},
        {{"--helpme"}, true, {"--helpme"}},
        {{"/tmp/a b 中文!.flv"}, true, {"/tmp/a b 中文!.flv"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> storage = {"zimo"};
        storage.insert(storage.end(), c.arguments.begin(), c.arguments.end());
        std::vector<char*> argv;
        for (std::string& s : storage)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        int argc = static_cast<int>(storage.size());
        testing::internal::CaptureStdout();
        const bool runs = ReadCommandLineOptions(argc, argv.data());
        const std::string printed = testing::internal::GetCapturedStdout();
        const std::string shown = c.arguments.empty() ? "(none)" : c.arguments.front();
        EXPECT_EQ(runs, c.runs) << shown;
        EXPECT_EQ(printed.empty(), runs) << shown;
        if (!runs) continue;
        ASSERT_EQ(argc, static_cast<int>(c.left.size()) + 1) << shown;
        for (int i = 1; i < argc; ++i)
            EXPECT_EQ(argv[i], c.left[i - 1]) << shown;
        EXPECT_EQ(argv[argc], nullptr) << shown;
    }
}

} // namespace
