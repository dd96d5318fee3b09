#include "association.h"

#include "commands/menus.h"
#include "mimeapps.h"
#include "settings.h"
#include "shell/globals.h"
#include "xdg_association.h"

#include <QCoreApplication>
#include <QMenuBar>

namespace {

bool IsProgramEntry(const QString& entry) {
    return FirstDesktopId(entry).compare(QLatin1String(ProgramDesktopId), Qt::CaseInsensitive) == 0;
}

} // namespace

bool IsAssociated() {
    PathBufferA.clear();
    return ReadFlvDefault(PathBufferA, SettingReadCapacity) && IsProgramEntry(PathBufferA);
}

bool Associate() {
    PathBufferA.clear();
    PathBufferB = QCoreApplication::applicationFilePath();
    // The entry first, so the default never names an entry that is not there.
    if (!WriteProgramDesktopEntry(PathBufferB)) return false;
    const bool read = ReadFlvDefault(PathBufferA, SettingReadCapacity);
    // "old" never holds the program's own entry.
    if ((!read || !IsProgramEntry(PathBufferA)) &&
        !WriteSetting(QStringLiteral("old"), PathBufferA))
        return false;
    return WriteFlvDefault(QLatin1String(ProgramDesktopId));
}

bool Unassociate() {
    PathBufferA.clear();
    ReadSetting(QStringLiteral("old"), PathBufferA);
    return WriteFlvDefault(PathBufferA);
}

void ToggleAssociation() {
    const bool written = AssociationFlag ? Unassociate() : Associate();
    if (!written) return;
    AssociationFlag = !AssociationFlag;
    ToggleMenuCheck(CurrentMenu(), 12);
}
