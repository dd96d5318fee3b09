// File intake (command line, drops, the open dialog) and the command dispatcher, with
// a control that records what the shell sends.
#include "commands/command_event.h"
#include "commands/dispatch.h"
#include "commands/menus.h"
#include "commands/window_procs.h"
#include "files/file_intake.h"
#include "files/settings.h"
#include "recording_control.h"
#include "shell/globals.h"

#include <zimo/file_name_text.h>

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <QtTest/QTest>
#include <algorithm>
#include <gtest/gtest.h>

#include <functional>

namespace {

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        ResetShellState();
        window = new QMainWindow;
        window->setMenuBar(LoadMenuBar("T"));
        MainWindow = window;
        ContextMenu = LoadContextMenu("P");
        SavedMenuBar = nullptr;
        PlayerControl = &control;
        InstallMainWindowProc(window);
        WriteSetting("Rec", "");
    }
    void TearDown() override {
        PlayerControl = nullptr;
        MainWindow = nullptr;
        delete ContextMenu;
        ContextMenu = nullptr;
        delete window;
    }
    bool marked(int id) {
        return IsMenuItemChecked(window->menuBar(), id) && IsMenuItemChecked(ContextMenu, id);
    }
    RecordingControl control;
    QMainWindow* window = nullptr;
};

// Latin-1 and GBK names, as an old archive holds them, and what they are as text.
const QByteArray kLatin1Name = "/tmp/caf\xe9.flv";
const QByteArray kGbkName = "/tmp/\xb2\xe2\xca\xd4.flv";
const QString kLatin1Text = QString("/tmp/caf") + QChar(0xDCE9) + ".flv";

TEST(FileNames, EveryByteStringGoesToTextAndBackUnchanged) {
    struct Case {
        QByteArray bytes;
        QString text; // empty: only the way back is checked
    };
    const Case cases[] = {
        {"/tmp/my clips/\xe6\xb5\x8b\xe8\xaf\x95 1!.flv", "/tmp/my clips/测试 1!.flv"},
        {kLatin1Name, kLatin1Text},
        {kGbkName,
         QString("/tmp/") + QChar(0xDCB2) + QChar(0xDCE2) + QChar(0xDCCA) + QChar(0xDCD4) + ".flv"},
        {"\xf0\x9f\x8e\xac", QString::fromUtf8("\xf0\x9f\x8e\xac")}, // beyond 16 bits
        {"\xed\xb2\x80", QString() + QChar(0xDCED) + QChar(0xDCB2) + QChar(0xDC80)},
        {"\xc0\xaf \xe6\xb5 \xf4\x90\x80\x80 \xff", {}}, // overlong, cut short, too high
    };
    for (const Case& c : cases) {
        const QString text = zimo::fileNameText(c.bytes);
        if (!c.text.isEmpty()) {
            EXPECT_EQ(text, c.text) << c.bytes.toHex().toStdString();
        }
        EXPECT_EQ(zimo::fileNameBytes(text), c.bytes) << c.bytes.toHex().toStdString();
    }
}

TEST(CommandLine, TheFirstArgumentIsTakenWholeWithItsBytesAndAddressesBecomePaths) {
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    QFile("file:a%20b.flv").open(QIODevice::WriteOnly);
    struct Case {
        QList<QByteArray> arguments;
        QString sent;
    };
    const Case cases[] = {
        {{"/usr/bin/zimo"}, ""},
        {{}, ""},
        {{"zimo", "/tmp/my clips/测试 1!.flv", "second"}, "/tmp/my clips/测试 1!.flv"},
        // Quotes that reached the program are part of the name.
        {{"zimo", "\"a\""}, "\"a\""},
        {{"zimo", kLatin1Name}, kLatin1Text},
        {{"zimo", "file:///path/with%20space/clip.flv"}, "/path/with space/clip.flv"},
        {{"zimo", "FILE://localhost/tmp/caf%E9.flv"}, kLatin1Text},
        {{"zimo", "file:///tmp/测试 a.flv"}, "/tmp/测试 a.flv"},
        // An address of another machine, and a file that exists as typed, stay as they are.
        {{"zimo", "file://elsewhere/a.flv"}, "file://elsewhere/a.flv"},
        {{"zimo", "file:a%20b.flv"}, "file:a%20b.flv"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseFirstArgument(c.arguments), c.sent) << c.sent.toStdString();
    QDir::setCurrent(previous);
}

TEST_F(Shell, CommandLineFileGoesOnceOnTheSecondPaintOrSoonAfterTheWindowShows) {
    CommandLine = {"zimo", "/tmp/a.flv"};
    TakeCommandLineFile();
    EXPECT_TRUE(control.sent.isEmpty());
    TakeCommandLineFile();
    TakeCommandLineFile();
    HandOverCommandLineFile();
    EXPECT_EQ(control.log(), QStringList({"Ff=/tmp/a.flv"}));
    EXPECT_EQ(PaintCounter, 3u);

    // No second paint comes: the file goes shortly after the window is shown, once.
    ResetShellState();
    control.sent.clear();
    ExpectCommandLineFile();
    TakeCommandLineFile();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !control.sent.isEmpty(); }, 5000));
    TakeCommandLineFile();
    QCoreApplication::processEvents();
    EXPECT_EQ(control.log(), QStringList({"Ff=/tmp/a.flv"}));

    // Nor after shut-down has begun.
    ResetShellState();
    control.sent.clear();
    ShutdownDone = true;
    TakeCommandLineFile();
    TakeCommandLineFile();
    EXPECT_TRUE(control.sent.isEmpty());
    CommandLine.clear();
}

TEST(Drops, FirstLocalFileDecoded) {
    EXPECT_EQ(FirstDroppedFile({QUrl("file:///tmp/my%20clips/%E6%B5%8B%E8%AF%95%201%21.flv")}),
              "/tmp/my clips/测试 1!.flv");
    EXPECT_EQ(FirstDroppedFile({QUrl("https://example.com/a.flv"), QUrl("file:///b.flv"),
                                QUrl("file:///c.flv")}),
              "/b.flv");
    EXPECT_EQ(FirstDroppedFile({QUrl("file:///tmp/caf%E9.flv")}), kLatin1Text);
    EXPECT_EQ(FirstDroppedFile({QUrl("https://example.com/a.flv")}), "");
    EXPECT_EQ(FirstDroppedFile({}), "");
}

TEST_F(Shell, DropOfThreeFilesPlaysTheFirstAndLeavesRecAlone) {
    QWidget player;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/one 1!.flv"), QUrl::fromLocalFile("/tmp/two.flv"),
                  QUrl::fromLocalFile("/tmp/three.flv")});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(PlayerWindowProc(&enter));
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(PlayerWindowProc(&drop));
    EXPECT_EQ(control.log(), QStringList({"Ff=/tmp/one 1!.flv"}));
    QString rec;
    ReadSetting("Rec", rec);
    EXPECT_EQ(rec, "");

    // A drag of anything but local files is refused.
    QMimeData web;
    web.setUrls({QUrl("https://example.com/a.flv")});
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    PlayerWindowProc(&refused);
    EXPECT_FALSE(refused.isAccepted());
}

// Runs action on the open dialog once it is shown.
void WhenDialogShows(std::function<void(QFileDialog*)> action) {
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return WhenDialogShows(action);
        action(dialog);
    });
}

TEST_F(Shell, OpenDialogOffersRecsFolderAndStoresTheChoice) {
    QTemporaryDir folder;
    const QString previous = folder.path() + "/previous.flv";
    WriteSetting("Rec", previous);
    const QString chosen = folder.path() + "/chosen 1!.flv";
    QString title, directory, typedName, shownFilter;
    QStringList filters;
    WhenDialogShows([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        if (auto* type = dialog->findChild<QComboBox*>("fileTypeCombo"))
            shownFilter = type->currentText();
        directory = dialog->directory().absolutePath();
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        typedName = name->text();
        name->clear();
        QTest::keyClicks(name, "chosen 1!.flv");
        QTest::keyClick(name, Qt::Key_Return);
    });
    DispatchCommand(1);
    EXPECT_EQ(title, "Select FLV file");
    // One filter, for *.flv in any letter case, matched as the desktop's dialogs match it:
    // letter for letter.
    ASSERT_EQ(filters.size(), 1);
    EXPECT_EQ(shownFilter, "FLV files");
    const QStringList patterns =
        filters.at(0).section('(', 1).chopped(1).split(' ', Qt::SkipEmptyParts);
    for (const char* name : {"a.flv", "A.FLV", "Clip.Flv", "b.fLv", "c.mp4", "d.flv.part", "flv"}) {
        const bool matched = std::any_of(patterns.begin(), patterns.end(), [&](const QString& p) {
            return QRegularExpression::fromWildcard(p, Qt::CaseSensitive).match(name).hasMatch();
        });
        EXPECT_EQ(matched, QString(name).endsWith(".flv", Qt::CaseInsensitive)) << name;
    }
    EXPECT_EQ(directory, QDir(folder.path()).absolutePath());
    EXPECT_EQ(typedName, "");
    EXPECT_EQ(control.log(), QStringList({"Ff=" + chosen}));
    QString rec;
    ASSERT_TRUE(ReadSetting("Rec", rec));
    EXPECT_EQ(rec, chosen);

    // Cancelled: nothing sent, "Rec" kept.
    control.sent.clear();
    WhenDialogShows([](QFileDialog* dialog) { dialog->reject(); });
    DispatchCommand(1);
    EXPECT_TRUE(control.sent.isEmpty());
    ReadSetting("Rec", rec);
    EXPECT_EQ(rec, chosen);

    // A file: address typed in the name field plays the file it names.
    WhenDialogShows([&](QFileDialog* dialog) {
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        QTest::keyClicks(name, "file://" + folder.path() + "/with%20space.flv");
        QTest::keyClick(name, Qt::Key_Return);
    });
    DispatchCommand(1);
    EXPECT_EQ(control.log(), QStringList({"Ff=" + folder.path() + "/with space.flv"}));
}

// Every file under folder, with its path from there.
QStringList FilesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

TEST_F(Shell, OpenDialogLeavesNoConfigurationOfItsOwn) {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty());
    WriteSetting("Rep", "0");
    const QStringList before = FilesUnder(config);
    for (const bool choose : {true, false}) {
        WhenDialogShows([choose](QFileDialog* dialog) {
            if (!choose) return dialog->reject();
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            QTest::keyClicks(name, "chosen.flv");
            QTest::keyClick(name, Qt::Key_Return);
        });
        DispatchCommand(1);
    }
    EXPECT_EQ(FilesUnder(config), before);
    EXPECT_FALSE(before.contains("QtProject.conf"));
    // The program's own settings hold its values and nothing else.
    QSettings own(config + "/Quorbin/ZP.conf", QSettings::IniFormat);
    for (const QString& key : own.allKeys())
        EXPECT_TRUE(QStringList({"Rec", "Rep", "old"}).contains(key)) << key.toStdString();
}

TEST_F(Shell, RepeatFromBothMenusAgreesAndIsStored) {
    DispatchCommand(5);
    EXPECT_TRUE(marked(5));
    QString rep;
    ReadSetting("Rep", rep);
    EXPECT_EQ(rep, "1");
    DispatchCommand(5);
    EXPECT_FALSE(IsMenuItemChecked(window->menuBar(), 5));
    EXPECT_FALSE(IsMenuItemChecked(ContextMenu, 5));
    ReadSetting("Rep", rep);
    EXPECT_EQ(rep, "0");
    EXPECT_EQ(control.log(), QStringList({"Rpt=1", "Rpt=0"}));
}

TEST_F(Shell, MuteAlternatesAndVolumeStepsDoNotDisturbIt) {
    for (int id : {8, 6, 7, 8, 3, 4})
        DispatchCommand(id);
    EXPECT_EQ(control.log(),
              QStringList({"Vlm=1000", "Vlm=1001", "Vlm=999", "Vlm=1002", "RTo=-1", "RTo=0"}));
    EXPECT_FALSE(IsMenuItemChecked(window->menuBar(), 8));
}

TEST_F(Shell, UnknownCommandsAndNonMenuSourcesDoNothing) {
    window->show();
    for (int id : {0, 15, 100, 65535})
        DispatchCommand(id);
    QCoreApplication::postEvent(window, new CommandEvent(2, CommandSource::Accelerator));
    QCoreApplication::sendPostedEvents(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(control.sent.isEmpty());
}

TEST_F(Shell, MenuChoiceReachesTheDispatcherThroughTheMainWindow) {
    FindMenuItem(ContextMenu, 4)->trigger();
    FindMenuItem(window->menuBar(), 6)->trigger();
    QCoreApplication::sendPostedEvents(window);
    EXPECT_EQ(control.log(), QStringList({"RTo=1", "Vlm=1001"}));
}

struct UrlCatcher : QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

TEST_F(Shell, ProductsPageOpensInTheBrowser) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    DispatchCommand(11);
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls.first().path(), "/products");
    EXPECT_TRUE(catcher.urls.first().host().endsWith("example.com"));
}

TEST_F(Shell, AboutBoxHasItsFixedLayout) {
    const QString text = AboutText();
    const QStringList lines = text.split("\n\r");
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "FLV Player zimo");
    EXPECT_TRUE(lines[2].endsWith(QString(16, ' ')));
    EXPECT_FALSE(lines[2].endsWith(QString(17, ' ')));
    QString caption, shown;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        shown = box->text();
        icon = box->icon();
        EXPECT_EQ(box->buttons().size(), 1);
        box->accept();
    });
    DispatchCommand(13);
    EXPECT_EQ(caption, "About");
    EXPECT_EQ(shown, text);
    EXPECT_EQ(icon, QMessageBox::Information);
}

TEST_F(Shell, ExitClosesTheMainWindow) {
    window->show();
    bool closed = false;
    struct CloseSpy : QObject {
        bool* closed;
        explicit CloseSpy(bool* c) : closed(c) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Close) {
                *closed = true;
                static_cast<QCloseEvent*>(e)->ignore();
                return true;
            }
            return false;
        }
    } spy(&closed);
    window->installEventFilter(&spy);
    DispatchCommand(2);
    EXPECT_TRUE(closed);
}

} // namespace

#include "intake_dispatch_test.moc"
