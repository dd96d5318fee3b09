// The two menus as the program's resources describe them: a tree of items, each a
// command with its text, a separator, or a popup holding further items.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

struct MenuItemDefinition {
    enum class Kind { Command, Separator, Popup };
    Kind kind = Kind::Separator;
    int id = 0;                            // command number, for commands
    QString text;                          // command or popup title
    std::vector<MenuItemDefinition> items; // popup contents
};

using MenuDefinition = std::vector<MenuItemDefinition>;

// The resource file the menus are read from.
inline constexpr char MenuResourcePath[] = ":/zimo/menus.json";

// Reads the menu called name out of a resource text. Nothing when the text is not a
// well-formed resource, the menu is missing, or an item is malformed (an unknown
// kind, a command number outside 1 to 65535, nesting deeper than a few levels).
std::optional<MenuDefinition> ParseMenuResource(const QByteArray& text, const QString& name);

// The menu called name from the program's own resources.
std::optional<MenuDefinition> LoadMenuDefinition(const QString& name);
