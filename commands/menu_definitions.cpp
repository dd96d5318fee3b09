#include "menu_definitions.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Popups inside popups inside the top level: more is not a menu a person can use.
constexpr int kMaxDepth = 4;
constexpr int kMaxItemsPerLevel = 64;

std::optional<MenuDefinition> ParseItems(const QJsonArray& array, int depth);

std::optional<MenuItemDefinition> ParseItem(const QJsonValue& value, int depth) {
    if (!value.isObject()) return std::nullopt;
    const QJsonObject object = value.toObject();
    MenuItemDefinition item;
    if (object.value(QStringLiteral("separator")).toBool(false)) {
        item.kind = MenuItemDefinition::Kind::Separator;
        return item;
    }
    if (object.contains(QStringLiteral("popup"))) {
        const QJsonValue title = object.value(QStringLiteral("popup"));
        const QJsonValue items = object.value(QStringLiteral("items"));
        if (!title.isString() || !items.isArray()) return std::nullopt;
        auto children = ParseItems(items.toArray(), depth + 1);
        if (!children) return std::nullopt;
        item.kind = MenuItemDefinition::Kind::Popup;
        item.text = title.toString();
        item.items = std::move(*children);
        return item;
    }
    const QJsonValue id = object.value(QStringLiteral("id"));
    const QJsonValue text = object.value(QStringLiteral("text"));
    if (!id.isDouble() || !text.isString()) return std::nullopt;
    const double number = id.toDouble();
    if (number < 1 || number > 65535 || number != static_cast<int>(number)) return std::nullopt;
    item.kind = MenuItemDefinition::Kind::Command;
    item.id = static_cast<int>(number);
    item.text = text.toString();
    return item;
}

std::optional<MenuDefinition> ParseItems(const QJsonArray& array, int depth) {
    if (depth > kMaxDepth || array.size() > kMaxItemsPerLevel) return std::nullopt;
    MenuDefinition items;
    for (const QJsonValue& value : array) {
        auto item = ParseItem(value, depth);
        if (!item) return std::nullopt;
        items.push_back(std::move(*item));
    }
    return items;
}

} // namespace

std::optional<MenuDefinition> ParseMenuResource(const QByteArray& text, const QString& name) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    const QJsonValue menu = document.object().value(name);
    if (!menu.isArray()) return std::nullopt;
    return ParseItems(menu.toArray(), 1);
}

std::optional<MenuDefinition> LoadMenuDefinition(const QString& name) {
    QFile file(QString::fromLatin1(MenuResourcePath));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return ParseMenuResource(file.readAll(), name);
}
