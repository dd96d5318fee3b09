// The two menus as loaded from the resources, and the check-mark rule.
#include "commands/command_event.h"
#include "commands/menu_definitions.h"
#include "commands/menus.h"
#include "shell/globals.h"

#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace {

// One line per item: "id text", "-" for a separator, "[title]" then the popup's
// items indented.
void Describe(const MenuDefinition& items, QStringList& out, const QString& indent = {}) {
    for (const auto& item : items) {
        switch (item.kind) {
        case MenuItemDefinition::Kind::Separator:
            out << indent + "-";
            break;
        case MenuItemDefinition::Kind::Command:
            out << indent + QString::number(item.id) + " " + item.text;
            break;
        case MenuItemDefinition::Kind::Popup:
            out << indent + "[" + item.text + "]";
            Describe(item.items, out, indent + "  ");
            break;
        }
    }
}

QStringList Describe(const QString& name) {
    const auto definition = LoadMenuDefinition(name);
    EXPECT_TRUE(definition.has_value()) << name.toStdString();
    QStringList out;
    if (definition) Describe(*definition, out);
    return out;
}

TEST(MenuResources, ContextMenuHasItsItemsInOrder) {
    const QStringList expected = {
        "[1]",
        "  1 打开...",
        "  -",
        "  [旋转]",
        "    3 左     (L)",
        "    4 右     (R)",
        "  5 重复",
        "  -",
        "  [音量]",
        "    6 增大     (\u2191)",
        "    7 减小     (\u2193)",
        "    8 静音     (M)",
        "  -",
        "  9 全屏幕     (F)",
        "  10 总在最前",
        "  14 隐藏顶部菜单和标题栏",
        "  -",
        "  2 退出     (Esc)",
    };
    EXPECT_EQ(Describe("P"), expected);
}

TEST(MenuResources, MenuBarHasItsFourPopups) {
    const QStringList expected = {
        "[文件]",
        "  1 打开...",
        "  -",
        "  12 设置为默认FLV播放器",
        "  -",
        "  2 退出     (Esc)",
        "[查看]",
        "  [旋转]",
        "    3 左     (L)",
        "    4 右     (R)",
        "  5 重复",
        "  -",
        "  [音量]",
        "    6 增大     (\u2191)",
        "    7 减小     (\u2193)",
        "    8 静音     (M)",
        "  -",
        "  9 全屏幕     (F)",
        "  10 总在最前",
        "[更多]",
        "  11 我们的其它产品...",
        "[帮助]",
        "  13 关于...",
    };
    EXPECT_EQ(Describe("T"), expected);
}

TEST(MenuResources, TextsHaveNoMnemonicsOrShortcuts) {
    for (const QString& line : Describe("T") + Describe("P")) {
        EXPECT_FALSE(line.contains('&')) << line.toStdString();
        EXPECT_FALSE(line.contains('\t')) << line.toStdString();
    }
}

TEST(MenuResources, MalformedResourcesGiveNothing) {
    EXPECT_FALSE(ParseMenuResource("{", "T"));
    EXPECT_FALSE(ParseMenuResource("[]", "T"));
    EXPECT_FALSE(ParseMenuResource(R"({"T": {}})", "T"));
    EXPECT_FALSE(ParseMenuResource(R"({"T": []})", "P"));
    EXPECT_FALSE(ParseMenuResource(R"({"T": [{"id": 0, "text": "x"}]})", "T"));
    EXPECT_FALSE(ParseMenuResource(R"({"T": [{"id": 1.5, "text": "x"}]})", "T"));
    EXPECT_FALSE(ParseMenuResource(R"({"T": [{"id": 70000, "text": "x"}]})", "T"));
    EXPECT_FALSE(ParseMenuResource(R"({"T": [{"id": 1}]})", "T"));
    EXPECT_FALSE(ParseMenuResource(R"({"T": [{"popup": "a"}]})", "T"));
    EXPECT_FALSE(ParseMenuResource(R"({"T": [7]})", "T"));
    // Popups nested beyond any usable depth.
    QByteArray deep = R"({"id": 1, "text": "x"})";
    for (int i = 0; i < 10; ++i)
        deep = R"({"popup": "p", "items": [)" + deep + "]}";
    EXPECT_FALSE(ParseMenuResource(R"({"T": [)" + deep + "]}", "T"));
    EXPECT_TRUE(
        ParseMenuResource(R"({"T": [{"separator": true}, {"id": 65535, "text": ""}]})", "T"));
}

class CheckMarks : public ::testing::Test {
protected:
    void SetUp() override {
        window = new QMainWindow;
        MainWindow = window;
        window->setMenuBar(LoadMenuBar("T"));
        ContextMenu = LoadContextMenu("P");
        SavedMenuBar = nullptr;
    }
    void TearDown() override {
        delete ContextMenu;
        ContextMenu = nullptr;
        SavedMenuBar = nullptr;
        MainWindow = nullptr;
        delete window;
    }
    QMenuBar* bar() { return window->menuBar(); }
    QMainWindow* window = nullptr;
};

TEST_F(CheckMarks, ToggleFlipsOneItemAndReportsTheNewState) {
    EXPECT_TRUE(ToggleMenuCheck(bar(), 5));
    EXPECT_TRUE(IsMenuItemChecked(bar(), 5));
    EXPECT_FALSE(IsMenuItemChecked(ContextMenu, 5));
    EXPECT_FALSE(ToggleMenuCheck(bar(), 5));
    EXPECT_FALSE(IsMenuItemChecked(bar(), 5));
    // Items in submenus are found too.
    EXPECT_TRUE(ToggleMenuCheck(ContextMenu, 8));
    EXPECT_TRUE(FindMenuItem(ContextMenu, 8)->isChecked());
}

TEST_F(CheckMarks, MissingItemsChangeNothing) {
    EXPECT_FALSE(ToggleMenuCheck(ContextMenu, 12)); // 12 is only in the bar
    EXPECT_FALSE(ToggleMenuCheck(bar(), 14));       // 14 is only in the context menu
    EXPECT_FALSE(ToggleMenuCheck(nullptr, 5));
    EXPECT_EQ(FindMenuItem(ContextMenu, 12), nullptr);
    EXPECT_EQ(FindMenuItem(bar(), 14), nullptr);
    for (int id : {11, 13})
        EXPECT_EQ(FindMenuItem(ContextMenu, id), nullptr);
    for (int id = 1; id <= 13; ++id)
        EXPECT_NE(FindMenuItem(bar(), id), nullptr) << id;
}

TEST_F(CheckMarks, ChoosingAnItemNeverFlipsItsMarkButPostsItsCommand) {
    ToggleMenuCheck(bar(), 9);
    QAction* checked = FindMenuItem(bar(), 9);
    QAction* unchecked = FindMenuItem(ContextMenu, 10);
    checked->trigger();
    unchecked->trigger();
    EXPECT_TRUE(checked->isChecked());
    EXPECT_FALSE(unchecked->isChecked());
    // Both commands wait in the event queue as menu commands for the main window.
    struct Recorder : QObject {
        QList<int> ids;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == CommandEventType) {
                const auto* command = static_cast<CommandEvent*>(e);
                if (command->source == CommandSource::Menu) ids << command->id;
                return true;
            }
            return false;
        }
    } recorder;
    window->installEventFilter(&recorder);
    QCoreApplication::sendPostedEvents(window);
    EXPECT_EQ(recorder.ids, QList<int>({9, 10}));
}

TEST_F(CheckMarks, CurrentMenuIsTheSavedBarWhileItIsHidden) {
    EXPECT_EQ(CurrentMenu(), bar());
    SavedMenuBar = bar();
    bar()->setVisible(false);
    EXPECT_EQ(AttachedMenuBar(), nullptr);
    EXPECT_EQ(CurrentMenu(), bar());
    // A toggle through CurrentMenu marks the hidden bar, and the mark is there when it
    // shows again.
    EXPECT_TRUE(ToggleMenuCheck(CurrentMenu(), 8));
    bar()->setVisible(true);
    EXPECT_TRUE(IsMenuItemChecked(AttachedMenuBar(), 8));
}

TEST(MenuBar, IsNotHandedToADesktopWideMenu) {
    QMenuBar* bar = LoadMenuBar("T");
    EXPECT_FALSE(bar->isNativeMenuBar());
    EXPECT_EQ(bar->actions().size(), 4);
    delete bar;
    // A resource that does not exist gives an empty bar and no context menu.
    QMenuBar* empty = LoadMenuBar("X");
    EXPECT_TRUE(empty->actions().isEmpty());
    delete empty;
    EXPECT_EQ(LoadContextMenu("X"), nullptr);
}

} // namespace
