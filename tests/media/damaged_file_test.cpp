// Flash Video with a stretch that holds no tags, longer than the demuxer reads through
// looking for the next one: the parts of a download not yet written (a hole, or zeros),
// a stretch overwritten, or a long run of script data no one reads. The tags after it play,
// and a seek beyond it lands there.
#include "media/flv_resync.h"
#include "media/media_file.h"
#include "media/picture_converter.h"

#include "clips.h"
#include "flv_patch.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace zimo::media {
namespace {

using namespace test;

constexpr qsizetype kStretch = 40 * 1000 * 1000; // beyond the demuxer's allowance

// Bytes that look like nothing in particular, the same on every run.
QByteArray noise(qsizetype n) {
    QByteArray out(n, Qt::Uninitialized);
    std::uint32_t x = 2463534242u;
    for (char& c : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    return out;
}

// `count` script tags of `size` bytes of a name no one reads.
QByteArray unreadScriptTags(int size, int count) {
    QByteArray body("\x02\x00\x06onNote\x02", 10);
    body.append(char((size - 13) >> 8)).append(char((size - 13) & 0xff));
    body.append(QByteArray(size - body.size(), 'x'));
    QByteArray tag("\x12", 1);
    tag.append(char(size >> 16)).append(char((size >> 8) & 0xff)).append(char(size & 0xff));
    tag.append(QByteArray(7, '\0')).append(body);
    const std::uint32_t length = static_cast<std::uint32_t>(size) + 11;
    for (int shift = 24; shift >= 0; shift -= 8)
        tag.append(static_cast<char>((length >> shift) & 0xff));
    return tag.repeated(count);
}

// Reads `bytes`, which are to outlive it.
std::unique_ptr<MediaSource> sourceOf(const QByteArray& bytes) {
    return MediaSource::fromMemory({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                    static_cast<std::size_t>(bytes.size())});
}

// The numbers of the pictures decoded from where the file is, in order.
std::vector<int> pictureNumbers(MediaFile& file) {
    std::vector<int> out;
    PictureConverter converter;
    for (MediaFile::Item item = file.next(); item.kind != MediaFile::Item::Kind::End;
         item = file.next())
        if (item.kind == MediaFile::Item::Kind::Video)
            out.push_back(pictureNumber(converter.convert(item.frame.get())));
    return out;
}

std::vector<int> numbersFrom(int first, int last) {
    std::vector<int> out(static_cast<std::size_t>(last - first + 1));
    std::iota(out.begin(), out.end(), first);
    return out;
}

TEST(DamagedFile, TagsAfterAStretchWithoutAnyPlayAndSeeksLandBeyondIt) {
    const QByteArray clip = readFile(numberedClip(Codecs::Flv1Mp3, Layout::Flv));
    const std::vector<qsizetype> tags = tagOffsets(clip);
    // The stretch comes before the first tag of the second second, where a key frame is.
    const auto second = std::find_if(tags.begin(), tags.end(),
                                     [&](qsizetype t) { return tagTime(clip, t) >= 1000; });
    ASSERT_NE(second, tags.end());
    const struct {
        const char* name;
        std::function<bool(QFile&)> write;
    } rows[] = {
        {"a hole", [](QFile& f) { return f.seek(f.pos() + kStretch); }},
        {"zeros", [](QFile& f) { return f.write(QByteArray(kStretch, '\0')) == kStretch; }},
        {"noise", [](QFile& f) { return f.write(noise(kStretch)) == kStretch; }},
        {"script tags no one reads",
         [](QFile& f) {
             const QByteArray notes = unreadScriptTags(1000, kStretch / 1015);
             return f.write(notes) == notes.size();
         }},
    };
    // A seek past the stretch, in the file as it was: it lands on a key frame after it.
    std::vector<int> seekedTo;
    {
        auto whole = MediaFile::open(numberedClip(Codecs::Flv1Mp3, Layout::Flv));
        ASSERT_TRUE(whole && whole->seek(1.8));
        seekedTo = pictureNumbers(*whole);
        ASSERT_FALSE(seekedTo.empty());
        ASSERT_GT(seekedTo.front(), 25);
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = scratchPath(QStringLiteral("damaged.flv"));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(clip.left(*second)), *second);
        ASSERT_TRUE(row.write(out));
        ASSERT_EQ(out.write(clip.mid(*second)), clip.size() - *second);
        out.close();

        auto file = MediaFile::open(path);
        ASSERT_TRUE(file);
        EXPECT_EQ(pictureNumbers(*file), numbersFrom(0, 49));
        // Without a keyframe index, the seek reads on for key frames past the stretch.
        ASSERT_TRUE(file->seek(1.8));
        EXPECT_EQ(pictureNumbers(*file), seekedTo);
        QFile::remove(path);
    }
}

// Where the search finds tags start again: a tag whose size follows it, then another or
// the end; look-alikes are passed over wherever they lie against the blocks read.
TEST(DamagedFile, TagsAreFoundAgainByTheirSizesAfterThem) {
    const auto tag = [](char type, int size) {
        QByteArray t(1, type);
        t.append(char(0)).append(char(0)).append(static_cast<char>(size));
        t.append(QByteArray(7, '\0')).append(QByteArray(size, 'b'));
        return t.append(QByteArray("\0\0\0", 3)).append(static_cast<char>(size + 11));
    };
    const QByteArray good = tag(9, 20) + tag(8, 7);
    QByteArray wrongTrailer = tag(9, 20);
    wrongTrailer[wrongTrailer.size() - 1] = 30;
    const QByteArray wrongSecond = tag(9, 20) + wrongTrailer;
    const struct {
        const char* name;
        QByteArray bytes;
        std::int64_t from;
        std::optional<std::int64_t> found;
    } rows[] = {
        {"after noise", noise(100) + good, 0, 100},
        {"after its own start", noise(100) + good, 101, 135},
        {"the last tag of the file", noise(40) + tag(18, 9), 0, 40},
        {"the next cut by the end", noise(40) + tag(9, 20) + tag(8, 30).left(12), 0, 40},
        {"a look-alike whose size does not follow", noise(50) + wrongTrailer + noise(3) + good, 0,
         50 + 35 + 3},
        {"a tag followed by a look-alike", noise(50) + wrongSecond, 0, std::nullopt},
        {"none", noise(5000), 0, std::nullopt},
        {"from past the end", good, 1000, std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(findFlvTagsFrom(*sourceOf(row.bytes), row.from, {}), row.found) << row.name;
    }
    // After zeros of every length about a word's, and about the edge of a 1 MiB block.
    for (const qsizetype at : {0, 1, 7, 8, 9, 15, 16, 17, (1 << 20) - 11, (1 << 20) - 5,
                               (1 << 20) - 1, 1 << 20, (1 << 20) + 3}) {
        EXPECT_EQ(findFlvTagsFrom(*sourceOf(QByteArray(at, '\0') + good), 0, {}), at)
            << "after " << at << " zeros";
    }
    EXPECT_EQ(findFlvTagsFrom(*sourceOf(noise(10) + good), 0, [] { return true; }), std::nullopt)
        << "interrupted";
}

} // namespace
} // namespace zimo::media
