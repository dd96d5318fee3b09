// The menu bar and the context menu, and the check marks that hold the state of the
// switchable commands.
#pragma once

class QMenu;
class QMenuBar;
class QString;
class QAction;
class QWidget;

// The menu bar built from the menu resource name, for the main window.
QMenuBar* LoadMenuBar(const QString& name);
// Submenu 0 of the menu resource name; null when the resource has none.
QMenu* LoadContextMenu(const QString& name);

// The menu bar on the main window while it is shown there, else null.
QMenuBar* AttachedMenuBar();
// The attached menu bar, or the one put aside while the bars are hidden.
QMenuBar* CurrentMenu();

// The item carrying command id in menu or its submenus; null when there is none.
QAction* FindMenuItem(const QWidget* menu, int id);
bool IsMenuItemChecked(const QWidget* menu, int id);
// Flips the mark of command id in menu. Returns true when the item is checked after
// the call; an item that does not exist changes nothing and gives false.
bool ToggleMenuCheck(QWidget* menu, int id);
