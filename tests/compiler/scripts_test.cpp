// The player movie's two frame scripts compile, and their code keeps the start-up order.

#include "support.h"

#include <fstream>
#include <iterator>

namespace zimo::asc::test {
namespace {

std::string readScript(const std::string& name) {
    std::ifstream in(std::string(ZIMO_SCRIPTS_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return {std::istreambuf_iterator<char>(in), {}};
}

// Lines of the listing outside every function body, but for the constant pool.
std::vector<std::string> topLevel(const std::string& listing) {
    std::vector<std::string> lines;
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);)
        if (line.size() > 6 && line[6] != ' ' && line.rfind("ConstantPool", 6) != 6)
            lines.push_back(line.substr(6));
    return lines;
}

// Index of the first line from `from` on that mentions the quoted string, or -1.
int firstMention(const std::vector<std::string>& lines, const std::string& name,
                 std::size_t from = 0) {
    for (std::size_t i = from; i < lines.size(); ++i)
        if (lines[i].find('"' + name + '"') != std::string::npos) return static_cast<int>(i);
    return -1;
}

class AscMovieScripts : public ::testing::Test {
protected:
    static std::string compiled(const std::string& name) {
        const auto result = compile(readScript(name), name);
        EXPECT_TRUE(result.ok) << result.error;
        EXPECT_FALSE(result.actions.empty());
        if (!result.actions.empty()) {
            EXPECT_EQ(result.actions.back(), 0x00); // ends with End
        }
        return disassemble(result.actions);
    }
};

TEST_F(AscMovieScripts, LoadingScriptStopsAndWaitsForTheWholeMovie) {
    const std::string listing = compiled("loading.as");
    const auto top = topLevel(listing);
    ASSERT_GE(top.size(), 1u);
    EXPECT_EQ(top[0], "Stop");
    EXPECT_NE(firstMention(top, "onEnterFrame"), -1);
    for (const char* name : {"_framesloaded", "_totalframes", "getBytesLoaded", "getBytesTotal"})
        EXPECT_NE(listing.find(std::string("\"") + name + "\""), std::string::npos) << name;
    EXPECT_NE(listing.find("GotoFrame 2"), std::string::npos); // frame 3
    EXPECT_EQ(listing.find("<"), std::string::npos) << listing;
}

TEST_F(AscMovieScripts, MainScriptDefinesEveryFunctionBeforeItsStartUp) {
    const std::string listing = compiled("main.as");
    EXPECT_EQ(listing.find("<"), std::string::npos) << "malformed record in\n" << listing;
    const auto top = topLevel(listing);
    int lastDefinition = -1;
    for (const char* name :
         {"FLVFileWatcher", "RotateWatcher", "VolumeWatcher", "PlayMyMovie", "setObjects", "Rotate",
          "MyMouseMove", "toggleplaypause", "formattime", "updatevolume", "SetVolume"}) {
        const std::string definition = std::string("DefineFunction2 \"") + name + "\"";
        int at = -1;
        for (std::size_t i = 0; i < top.size(); ++i)
            if (top[i].rfind(definition, 0) == 0) at = static_cast<int>(i);
        EXPECT_NE(at, -1) << name;
        lastDefinition = std::max(lastDefinition, at);
    }
    // Nothing but definitions comes before the first start-up step.
    EXPECT_LT(lastDefinition, firstMention(top, "unk_number"));
}

TEST_F(AscMovieScripts, MainScriptStartUpRunsInItsOrder) {
    const auto top = topLevel(compiled("main.as"));
    // The function definitions come first; the start-up follows them.
    const auto start = static_cast<std::size_t>(firstMention(top, "unk_number"));
    const std::vector<std::string> steps = {
        "unk_number",
        "unk_number2",
        "timer_right_offset",
        "scaleMode",
        "align",
        "vidscale",
        "fadedelay",
        "smoothing",
        "fName",
        "Rpt",
        "flv_width",
        "flv_height",
        "NetConnection",
        "connect",
        "NetStream",
        "attachVideo",
        "createEmptyMovieClip",
        "attachAudio",
        "Sound",
        "oldMute",
        "FRotation",
        "_alpha",
        "onStatus",
        "onMetaData",
        "resizeListener",
        "onResize",
        "setObjects",
        "addListener",
        "slidingposition",
        "onEnterFrame",
        "onPress",
        "onRelease",
        "onReleaseOutside",
        "watch",
    };
    int previous = -1;
    for (const auto& step : steps) {
        const int at = firstMention(top, step, start);
        EXPECT_GT(at, previous) << step << " is out of order";
        previous = std::max(previous, at);
    }
}

TEST_F(AscMovieScripts, MainScriptWatchesFileRotationAndVolumeLast) {
    const auto top = topLevel(compiled("main.as"));
    const auto start = static_cast<std::size_t>(firstMention(top, "unk_number"));
    const int ff = firstMention(top, "Ff", start);
    const int rto = firstMention(top, "RTo", start);
    const int vlm = firstMention(top, "Vlm", start);
    EXPECT_LT(ff, rto);
    EXPECT_LT(rto, vlm);
    // Each watcher is handed to the root's watch with user data 0.
    for (const char* watcher : {"FLVFileWatcher", "RotateWatcher", "VolumeWatcher"}) {
        const int at = firstMention(top, watcher, start);
        ASSERT_GE(at, 0) << watcher;
        EXPECT_EQ(top[static_cast<std::size_t>(at)].rfind("Push int:0 ", 0), 0u) << watcher;
    }
    EXPECT_EQ(top[top.size() - 3], "CallMethod");
    EXPECT_EQ(top[top.size() - 2], "Pop");
    EXPECT_EQ(top[top.size() - 1], "End");
}

TEST_F(AscMovieScripts, ReleaseHandlersShareOneFunction) {
    const auto top = topLevel(compiled("main.as"));
    // onRelease = onReleaseOutside = function: the function is stored once and set twice.
    int shared = 0;
    for (std::size_t i = 0; i + 3 < top.size(); ++i)
        if (top[i] == "StoreRegister r:0" && top[i + 1] == "SetMember" &&
            top[i + 2] == "Push r:0" && top[i + 3] == "SetMember")
            ++shared;
    EXPECT_EQ(shared, 2); // the seek knob and the volume indicator
}

TEST_F(AscMovieScripts, MainScriptKnowsTheStreamsReports) {
    const std::string listing = compiled("main.as");
    for (const char* text : {"NetStream.Play.Stop", "NetStream.Play.StreamNotFound", "--:--",
                             "noScale", "TL", "999", "1000", "1001", "1002", "-1", "0", "1", "2"})
        EXPECT_NE(listing.find(std::string("\"") + text + "\""), std::string::npos) << text;
}

} // namespace
} // namespace zimo::asc::test
