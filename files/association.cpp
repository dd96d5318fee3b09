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
    const QString id = FirstDesktopId(entry);
    return id.compare(QLatin1String(ProgramDesktopId), Qt::CaseInsensitive) == 0 ||
           id.compare(QLatin1String(InstalledDesktopId), Qt::CaseInsensitive) == 0;
}

} // namespace

bool IsAssociated() {
    PathBufferA.clear();
    return ReadFlvDefault(PathBufferA, SettingReadCapacity) && IsProgramEntry(PathBufferA);
}

bool Associate() {
    PathBufferA.clear();
    PathBufferB = QCoreApplication::applicationFilePath();
    // An installed program is named by its installed entry; otherwise the entry is
    // written first, so the default never names an entry that is not there.
    const bool installed = HasInstalledDesktopEntry(PathBufferB);
    if (!installed && !WriteProgramDesktopEntry(PathBufferB)) return false;
    const bool read = ReadFlvDefault(PathBufferA, SettingReadCapacity);
    // "old" never holds the program's own entry.
    if ((!read || !IsProgramEntry(PathBufferA)) &&
        !WriteSetting(QStringLiteral("old"), PathBufferA))
        return false;
    return WriteFlvDefault(QLatin1String(installed ? InstalledDesktopId : ProgramDesktopId));
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
