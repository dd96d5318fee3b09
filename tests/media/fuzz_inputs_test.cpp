// The inputs kept from the fuzz targets' findings, run through the targets' own entries in
// every build: each is taken without a crash, a hang or (under the sanitizers) a fault.
#include "clips.h"
#include "fuzz_entries.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using namespace zimo::media;

TEST(FuzzInputs, KeptFindingsRunClean) {
    const struct {
        const char* folder;
        void (*entry)(std::span<const std::uint8_t>);
    } targets[] = {
        {"amf0", fuzz::readAmf0}, {"flv_head", fuzz::readFlvHead}, {"media_file", fuzz::playFile}};
    int inputs = 0;
    for (const auto& target : targets) {
        const QDir folder(QStringLiteral(ZIMO_FUZZ_INPUTS "/") + QLatin1String(target.folder));
        for (const QFileInfo& file : folder.entryInfoList(QDir::Files)) {
            SCOPED_TRACE(file.filePath().toStdString());
            const QByteArray bytes = test::readFile(file.filePath());
            target.entry({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                          static_cast<std::size_t>(bytes.size())});
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0);
}

} // namespace
