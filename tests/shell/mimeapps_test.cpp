// Editing mimeapps.list text and writing the program into a desktop entry's Exec key.
#include "files/mimeapps.h"

#include <gtest/gtest.h>

namespace {

TEST(MimeApps, ReadsTheDefaultOfTheRightSectionOnly) {
    const QString text = "[Added Associations]\nvideo/x-flv=vlc.desktop;\n\n"
                         "[Default Applications]\n# comment\ntext/plain = gedit.desktop\n"
                         "video/x-flv = mpv.desktop;vlc.desktop;\n";
    EXPECT_EQ(DefaultApplicationEntry(text, "video/x-flv"), "mpv.desktop;vlc.desktop;");
    EXPECT_EQ(DefaultApplicationEntry(text, "text/plain"), "gedit.desktop");
    EXPECT_FALSE(DefaultApplicationEntry(text, "video/mp4"));
    EXPECT_FALSE(DefaultApplicationEntry("video/x-flv=a.desktop\n", "video/x-flv"));
    EXPECT_EQ(FirstDesktopId("mpv.desktop;vlc.desktop;"), "mpv.desktop");
    EXPECT_EQ(FirstDesktopId(";;x.desktop"), "x.desktop");
    EXPECT_EQ(FirstDesktopId(""), "");
}

TEST(MimeApps, SettingADefaultKeepsEveryOtherLine) {
    const QString text = "# mine\n[Added Associations]\nvideo/x-flv=vlc.desktop;\n\n"
                         "[Default Applications]\ntext/plain=gedit.desktop\n"
                         "video/x-flv=mpv.desktop\nimage/png=eog.desktop\n\n[Other]\nx=y\n";
    const QString expected = "# mine\n[Added Associations]\nvideo/x-flv=vlc.desktop;\n\n"
                             "[Default Applications]\ntext/plain=gedit.desktop\n"
                             "video/x-flv=zimoFLV.desktop\nimage/png=eog.desktop\n\n[Other]\nx=y\n";
    EXPECT_EQ(WithDefaultApplication(text, "video/x-flv", "zimoFLV.desktop"), expected);
    // Removing it takes only that line.
    const QString removed = "# mine\n[Added Associations]\nvideo/x-flv=vlc.desktop;\n\n"
                            "[Default Applications]\ntext/plain=gedit.desktop\n"
                            "image/png=eog.desktop\n\n[Other]\nx=y\n";
    EXPECT_EQ(WithDefaultApplication(text, "video/x-flv", ""), removed);
}

TEST(MimeApps, MissingEntriesAndSectionsAreAdded) {
    EXPECT_EQ(WithDefaultApplication("", "video/x-flv", "zimoFLV.desktop"),
              "[Default Applications]\nvideo/x-flv=zimoFLV.desktop\n");
    EXPECT_EQ(WithDefaultApplication("[Other]\nx=y", "video/x-flv", "a.desktop"),
              "[Other]\nx=y\n\n[Default Applications]\nvideo/x-flv=a.desktop\n");
    // Added after the section's last entry, before the blank line that ends it.
    EXPECT_EQ(WithDefaultApplication("[Default Applications]\na/b=c.desktop\n\n[Other]\n",
                                     "video/x-flv", "z.desktop"),
              "[Default Applications]\na/b=c.desktop\nvideo/x-flv=z.desktop\n\n[Other]\n");
    // Removing what is not there changes nothing.
    EXPECT_EQ(WithDefaultApplication("[Other]\nx=y\n", "video/x-flv", ""), "[Other]\nx=y\n");
    EXPECT_EQ(WithDefaultApplication("", "video/x-flv", ""), "");
}

TEST(MimeApps, DuplicateEntriesCollapseIntoOne) {
    EXPECT_EQ(WithDefaultApplication("[Default Applications]\nvideo/x-flv=a\nvideo/x-flv=b\n",
                                     "video/x-flv", "z"),
              "[Default Applications]\nvideo/x-flv=z\n");
}

TEST(DesktopExec, PlainPathsStayBareAndOthersAreQuotedAndEscaped) {
    EXPECT_EQ(DesktopExecProgram("/usr/bin/zimo"), "/usr/bin/zimo");
    EXPECT_EQ(DesktopExecProgram("/opt/my apps!/zimo"), "\"/opt/my apps!/zimo\"");
    // Inside quotes " ` $ \ take a backslash; the key's own escaping doubles every
    // backslash; a percent sign is doubled.
    EXPECT_EQ(DesktopExecProgram("/a\"b`c$d\\e%f/zimo"),
              "\"/a\\\\\"b\\\\`c\\\\$d\\\\\\\\e%%f/zimo\"");
    EXPECT_EQ(DesktopExecProgram("/100%/zimo"), "/100%%/zimo");
    EXPECT_FALSE(DesktopExecProgram("/a\nb/zimo"));
}

} // namespace
