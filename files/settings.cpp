#include "settings.h"

#include <QSettings>

namespace {

QSettings UserSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quorbin"),
                     QStringLiteral("ZP"));
}

} // namespace

bool ReadSetting(const QString& name, QString& out, int capacity) {
    out.clear();
    const QSettings settings = UserSettings();
    const QVariant value = settings.value(name);
    if (!value.isValid()) return false;
    const QString text = value.toString();
    if ((text.size() + 1) * 2 > capacity) return false;
    out = text;
    return true;
}

bool WriteSetting(const QString& name, const QString& value) {
    QSettings settings = UserSettings();
    settings.setValue(name, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
