// The disassembler reads hand-made records faithfully and survives malformed ones.

#include "support.h"

#include <random>

namespace zimo::asc::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(AscDisassembler, ReadsRecordsItDidNotWrite) {
    const Bytes bytes = {
        0x88, 0x06, 0x00, 0x02, 0x00, 'a',  0x00, 'b',  0x00,             // ConstantPool "a" "b"
        0x96, 0x0C, 0x00, 0x01, 0x00, 0x00, 0xC0, 0x3F,                   // Push flt:1.5
        0x00, 'h',  'i',  0x00, 0x09, 0x01, 0x00,                         //   str:"hi" c16:1
        0x9B, 0x08, 0x00, 'g',  0x00, 0x01, 0x00, 'p',  0x00, 0x02, 0x00, // DefineFunction g(p)
        0x07, 0x06,                                                       //   Stop Play
        0x9F, 0x01, 0x00, 0x03,                                           // GotoFrame2 play bias
        0x00,                                                             // End
    };
    const std::string expected = "0000  ConstantPool \"a\" \"b\"\n"
                                 "0009  Push flt:1.5 str:\"hi\" c16:1:\"b\"\n"
                                 "0024  DefineFunction \"g\" (p) size:2\n"
                                 "0035    Stop\n"
                                 "0036    Play\n"
                                 "0037  GotoFrame2 <malformed>\n"
                                 "0041  End\n";
    EXPECT_EQ(disassemble(bytes), expected);
}

TEST(AscDisassembler, BranchesShowTheirTargets) {
    const Bytes bytes = {0x99, 0x02, 0x00, 0xFB, 0xFF, 0x9D, 0x02, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(disassemble(bytes), "0000  Jump -5 -> 0000\n0005  If +0 -> 0010\n0010  End\n");
}

TEST(AscDisassembler, TruncatedAndOverlongInputIsMarked) {
    EXPECT_EQ(disassemble(Bytes{0x96, 0x05}), "0000  <truncated record>\n");
    EXPECT_EQ(disassemble(Bytes{0x96, 0x05, 0x00, 0x07}), "0000  <truncated record>\n");
    EXPECT_EQ(disassemble(Bytes{0x96, 0x02, 0x00, 0x07, 0x01}), "0000  Push <malformed>\n");
    EXPECT_EQ(disassemble(Bytes{0x00, 0x07, 0x07}), "0000  End\n0001  <2 bytes after End>\n");
    EXPECT_EQ(
        disassemble(Bytes{0x8E, 0x08, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x50, 0x00, 0x07}),
        "0000  DefineFunction2 \"\" () regs:1 flags:none size:80\n"
        "0011    <function body runs past its block>\n"
        "0011    Stop\n");
    EXPECT_EQ(disassemble(Bytes{0x42, 0x7E}), "0000  InitArray\n0001  Unknown(0x7e)\n");
}

TEST(AscDisassembler, RandomBytesNeverCrash) {
    std::mt19937 random(1234);
    for (int round = 0; round < 2000; ++round) {
        Bytes bytes(random() % 200);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random());
        // Favour the codes with structure.
        if (!bytes.empty()) bytes[0] = static_cast<std::uint8_t>(0x88 + random() % 0x18);
        const std::string listing = disassemble(bytes);
        EXPECT_EQ(listing.empty(), bytes.empty());
    }
}

TEST(AscDisassembler, RoundTripsEveryPushTypeTheCompilerWrites) {
    const auto listing = listingOf("x = [\"s\", 1, -1.5, true, false, null, undefined];");
    EXPECT_NE(listing.find(R"(undefined null false true dbl:-1.5 int:1 c8:1:"s" int:7)"),
              std::string::npos)
        << listing;
}

} // namespace
} // namespace zimo::asc::test
