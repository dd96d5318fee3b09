#include "menus.h"

#include "command_event.h"
#include "menu_definitions.h"
#include "shell/globals.h"

#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

// A chosen item becomes a command for the main window. Qt flips a checkable item
// itself when it is clicked; the mark is put back at once, so that only
// ToggleMenuCheck ever changes it.
void MenuItemChosen(QAction* action) {
    if (action->isCheckable()) action->setChecked(!action->isChecked());
    PostCommand(action->data().toInt());
}

template <typename Menu> void AddItems(Menu* menu, const MenuDefinition& items) {
    for (const MenuItemDefinition& item : items) {
        switch (item.kind) {
        case MenuItemDefinition::Kind::Separator:
            menu->addSeparator();
            break;
        case MenuItemDefinition::Kind::Popup:
            AddItems(menu->addMenu(item.text), item.items);
            break;
        case MenuItemDefinition::Kind::Command: {
            auto* action = new QAction(item.text, menu);
            action->setData(item.id);
            QObject::connect(action, &QAction::triggered, action,
                             [action] { MenuItemChosen(action); });
            menu->addAction(action);
            break;
        }
        }
    }
}

// Sets the mark of command id and gives the state it had before: 1 checked,
// 0 unchecked, -1 when no item carries that command.
int CheckMenuItem(QWidget* menu, int id, bool checked) {
    QAction* action = FindMenuItem(menu, id);
    if (!action) return -1;
    const int previous = action->isChecked() ? 1 : 0;
    // Only a checked item is checkable, so an unchecked one shows no empty box and a
    // click on it cannot set a mark.
    if (checked) action->setCheckable(true);
    action->setChecked(checked);
    if (!checked) action->setCheckable(false);
    return previous;
}

} // namespace

void PostCommand(int id, CommandSource source) {
    if (MainWindow) QCoreApplication::postEvent(MainWindow, new CommandEvent(id, source));
}

QMenuBar* LoadMenuBar(const QString& name) {
    auto* bar = new QMenuBar;
    // The bar belongs in the window, never in a desktop-wide menu.
    bar->setNativeMenuBar(false);
    if (const auto definition = LoadMenuDefinition(name)) AddItems(bar, *definition);
    return bar;
}

QMenu* LoadContextMenu(const QString& name) {
    const auto definition = LoadMenuDefinition(name);
    if (!definition || definition->empty()) return nullptr;
    const MenuItemDefinition& first = definition->front();
    if (first.kind != MenuItemDefinition::Kind::Popup) return nullptr;
    // The popup's own title is never shown.
    auto* menu = new QMenu(first.text);
    AddItems(menu, first.items);
    return menu;
}

QMenuBar* AttachedMenuBar() {
    if (!MainWindow) return nullptr;
    auto* bar = qobject_cast<QMenuBar*>(MainWindow->menuWidget());
    return bar && bar->isVisibleTo(MainWindow) ? bar : nullptr;
}

QMenuBar* CurrentMenu() {
    QMenuBar* bar = AttachedMenuBar();
    return bar ? bar : SavedMenuBar;
}

QAction* FindMenuItem(const QWidget* menu, int id) {
    if (!menu) return nullptr;
    for (QAction* action : menu->actions()) {
        if (QMenu* submenu = action->menu()) {
            if (QAction* found = FindMenuItem(submenu, id)) return found;
        } else if (!action->isSeparator() && action->data().toInt() == id) {
            return action;
        }
    }
    return nullptr;
}

bool IsMenuItemChecked(const QWidget* menu, int id) {
    const QAction* action = FindMenuItem(menu, id);
    return action && action->isChecked();
}

bool ToggleMenuCheck(QWidget* menu, int id) {
    const int previous = CheckMenuItem(menu, id, true);
    if (previous == 1) CheckMenuItem(menu, id, false);
    return previous == 0;
}
