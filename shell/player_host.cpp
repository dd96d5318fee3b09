#include "player_host.h"

#include "commands/window_procs.h"
#include "globals.h"

#include <zimo/player_control.h>

#include <QCoreApplication>
#include <QLibrary>
#include <QWidget>

namespace {

// Where the player library may stand: beside the program (build tree) or in the
// installed library folder.
QStringList PlayerLibraryCandidates() {
    const QString dir = QCoreApplication::applicationDirPath();
    return {dir + QStringLiteral("/" ZIMO_PLAYER_LIBRARY),
            dir + QStringLiteral("/../" ZIMO_PLAYER_LIBDIR "/" ZIMO_PLAYER_LIBRARY)};
}

} // namespace

QWidget* CreatePlayerControl(QWidget* host) {
    zimo::CreateControlFunction create = nullptr;
    for (const QString& candidate : PlayerLibraryCandidates()) {
        // Loaded once and kept for the whole run.
        auto* library = new QLibrary(candidate, QCoreApplication::instance());
        if (!library->load()) {
            delete library;
            continue;
        }
        create = reinterpret_cast<zimo::CreateControlFunction>(library->resolve(ZIMO_PLAYER_ENTRY));
        break;
    }
    if (!create) return nullptr;

    PlayerControl = create(host);
    if (!PlayerControl || !PlayerControl->window()) {
        PlayerControl = nullptr;
        return nullptr;
    }
    QWidget* window = PlayerControl->window();
    zimo::PlayerControl* control = PlayerControl;
    PreviousPlayerProc = [control](QEvent* event) { return control->controlEvent(event); };
    InstallPlayerWindowProc(window);
    return window;
}
