// The per-user values: where they are kept, the read capacity, "Rep".
#include "files/settings.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

QString SettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Quorbin/ZP.conf";
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(SettingsFile()); }
    void TearDown() override { QFile::remove(SettingsFile()); }
};

TEST_F(Settings, MissingValuesFailWithAnEmptyResultAndTheFirstWriteCreatesThem) {
    QString out = "stale";
    EXPECT_FALSE(ReadSetting("Rec", out));
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(WriteSetting("Rec", "/tmp/a b!/测试.flv"));
    EXPECT_TRUE(QFile::exists(SettingsFile()));
    EXPECT_TRUE(ReadSetting("Rec", out));
    EXPECT_EQ(out, "/tmp/a b!/测试.flv");
    // An empty value is a value.
    EXPECT_TRUE(WriteSetting("old", ""));
    out = "stale";
    EXPECT_TRUE(ReadSetting("old", out));
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(Settings, ValuesLongerThanTheCapacityFail) {
    // 510 units and the terminator fit in 1023 bytes; 511 do not.
    const QString fits(510, 'a');
    const QString tooLong(511, 'a');
    QString out;
    WriteSetting("Rec", fits);
    EXPECT_TRUE(ReadSetting("Rec", out));
    EXPECT_EQ(out, fits);
    WriteSetting("Rec", tooLong);
    EXPECT_FALSE(ReadSetting("Rec", out));
    EXPECT_TRUE(out.isEmpty());
    // A long path is stored whole even so.
    const QString path = "/" + QString(4000, 'p') + ".flv";
    WriteSetting("Rec", path);
    EXPECT_TRUE(ReadSetting("Rec", out, 100000));
    EXPECT_EQ(out, path);
}

TEST_F(Settings, KeptUnderTheOrganisationAndApplicationAsStrings) {
    WriteSetting("Rep", "1");
    const QSettings file(SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(file.value("Rep").toString(), "1");
    EXPECT_EQ(file.value("Rep").typeId(), QMetaType::QString);
}

} // namespace
