#include "display/lookup.h"

#include "display/container.h"
#include "display/edit_text.h"

namespace zimo::display {

namespace {

QList<QStringView> splitPath(QStringView path) {
    QList<QStringView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == QLatin1Char('.') || path[i] == QLatin1Char('/')) {
            if (i > start) parts.push_back(path.mid(start, i - start));
            start = i + 1;
        }
    }
    if (!parts.isEmpty() && parts.front() == QLatin1String("_root")) parts.pop_front();
    return parts;
}

DisplayObject* walk(Container& root, const QList<QStringView>& parts, qsizetype count) {
    DisplayObject* item = &root;
    for (qsizetype i = 0; i < count; ++i) {
        auto* c = dynamic_cast<Container*>(item);
        if (!c) return nullptr;
        item = c->childByName(parts[i]);
        if (!item) return nullptr;
    }
    return item;
}

EditText* fieldWithVariable(DisplayObject* owner, QStringView variable) {
    auto* c = dynamic_cast<Container*>(owner);
    if (!c) return nullptr;
    for (const auto& [depth, child] : c->children()) {
        if (child->kind() != ItemKind::EditText) continue;
        auto* field = static_cast<EditText*>(child.get());
        if (field->variableName() == variable) return field;
    }
    return nullptr;
}

} // namespace

DisplayObject* findItem(Container& root, QStringView path) {
    const auto parts = splitPath(path);
    return walk(root, parts, parts.size());
}

PropertyValue readPath(Container& root, QStringView path, QPointF stageMouse) {
    const auto parts = splitPath(path);
    if (parts.isEmpty()) return std::monostate{};
    DisplayObject* owner = walk(root, parts, parts.size() - 1);
    if (!owner) return std::monostate{};
    const QStringView last = parts.back();
    if (auto p = propertyByName(last)) return getProperty(*owner, *p, stageMouse);
    if (auto* field = fieldWithVariable(owner, last)) return field->text();
    return std::monostate{};
}

bool writePath(Container& root, QStringView path, const PropertyValue& value) {
    const auto parts = splitPath(path);
    if (parts.isEmpty()) return false;
    DisplayObject* owner = walk(root, parts, parts.size() - 1);
    if (!owner) return false;
    const QStringView last = parts.back();
    if (auto p = propertyByName(last)) return setProperty(*owner, *p, value);
    if (auto* field = fieldWithVariable(owner, last)) {
        field->setText(formatValue(value));
        return true;
    }
    return false;
}

} // namespace zimo::display
