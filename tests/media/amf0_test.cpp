#include "media/amf0.h"

#include "amf_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace zimo::media {
namespace {

using test::AmfWriter;

AmfValue parse(const QByteArray& bytes, bool* failed = nullptr) {
    amf0::Reader r(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                             static_cast<std::size_t>(bytes.size())));
    AmfValue v = r.read();
    if (failed) *failed = r.failed();
    return v;
}

TEST(Amf0, ScalarsKeepTheirExactValues) {
    EXPECT_EQ(parse(AmfWriter().number(59.5).bytes), AmfValue::number(59.5));
    EXPECT_EQ(parse(AmfWriter().number(0.1).bytes).toNumber(), 0.1);
    EXPECT_TRUE(std::isnan(parse(AmfWriter().number(NAN).bytes).toNumber()));
    EXPECT_EQ(parse(AmfWriter().boolean(true).bytes), AmfValue::boolean(true));
    EXPECT_EQ(parse(AmfWriter().boolean(false).bytes), AmfValue::boolean(false));
    EXPECT_EQ(parse(AmfWriter().string("héllo 中文").bytes),
              AmfValue::string(QStringLiteral("héllo 中文")));
    EXPECT_EQ(parse(AmfWriter().longString("long").bytes),
              AmfValue::string(QStringLiteral("long")));
    EXPECT_EQ(parse(AmfWriter().null().bytes).type(), AmfValue::Type::Null);
    EXPECT_EQ(parse(AmfWriter().undefined().bytes).type(), AmfValue::Type::Undefined);
    const AmfValue date = parse(AmfWriter().date(1.5e12, -60).bytes);
    EXPECT_EQ(date.type(), AmfValue::Type::Date);
    EXPECT_EQ(date.toNumber(), 1.5e12);
    EXPECT_EQ(date.timeZoneMinutes(), -60);
}

TEST(Amf0, ContainersKeepOrderAndNesting) {
    AmfWriter w;
    w.beginEcmaArray(99) // the count is only a hint
        .name("duration")
        .number(59.5)
        .name("zeta")
        .string("z")
        .name("alpha")
        .boolean(true)
        .name("keyframes")
        .beginObject()
        .name("times")
        .strictArray(3)
        .number(0)
        .number(1)
        .number(2)
        .end()
        .name("duration")
        .number(60) // a repeated name keeps its place, takes the last value
        .end();
    bool failed = true;
    const AmfValue v = parse(w.bytes, &failed);
    EXPECT_FALSE(failed);
    ASSERT_TRUE(v.isObject());
    ASSERT_EQ(v.members().size(), 4u);
    EXPECT_EQ(v.members()[0].name, "duration");
    EXPECT_EQ(v.members()[0].value.toNumber(), 60);
    EXPECT_EQ(v.members()[1].name, "zeta");
    EXPECT_EQ(v.members()[2].name, "alpha");
    const AmfValue* times = v.find("keyframes")->find("times");
    ASSERT_NE(times, nullptr);
    ASSERT_TRUE(times->isArray());
    EXPECT_EQ(times->elements().size(), 3u);
    EXPECT_EQ(times->elements()[2].toNumber(), 2);
    EXPECT_EQ(v.find("missing"), nullptr);
}

TEST(Amf0, TruncatedDataKeepsWhatWasRead) {
    AmfWriter w;
    w.beginEcmaArray(3).name("duration").number(59.5).name("width").number(320);
    QByteArray bytes = w.bytes;
    bytes.chop(3); // cut inside the width number
    bool failed = false;
    const AmfValue v = parse(bytes, &failed);
    EXPECT_TRUE(failed);
    ASSERT_TRUE(v.isObject());
    ASSERT_NE(v.find("duration"), nullptr);
    EXPECT_EQ(v.find("duration")->toNumber(), 59.5);
    EXPECT_EQ(v.find("width"), nullptr);
}

TEST(Amf0, HostileLengthsAndDepthAreRefused) {
    bool failed = false;
    // A strict array claiming four billion elements in a few bytes.
    parse(AmfWriter().strictArray(0xffffffffu).number(1).bytes, &failed);
    EXPECT_TRUE(failed);
    // A long string longer than the data.
    parse(AmfWriter().u8(12).u32(0x7fffffffu).raw("abc").bytes, &failed);
    EXPECT_TRUE(failed);
    // Objects nested far deeper than any metadata.
    AmfWriter deep;
    for (int i = 0; i < 10000; ++i)
        deep.beginObject().name("a");
    parse(deep.bytes, &failed);
    EXPECT_TRUE(failed);
    // An unknown marker.
    parse(AmfWriter().u8(0x42).bytes, &failed);
    EXPECT_TRUE(failed);
}

TEST(Amf0, RandomBytesNeverCrash) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes(static_cast<qsizetype>(rng() % 200), Qt::Uninitialized);
        for (auto& c : bytes)
            c = static_cast<char>(rng() % 16); // mostly valid markers
        amf0::Reader r(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())));
        while (!r.failed() && !r.atEnd())
            r.read();
        EXPECT_LE(r.position(), static_cast<std::size_t>(bytes.size()));
    }
}

} // namespace
} // namespace zimo::media
