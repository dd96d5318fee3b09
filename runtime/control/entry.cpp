// The component's one exported entry point.
#include "player_widget.h"

#include <QMainWindow>

extern "C" Q_DECL_EXPORT zimo::PlayerControl* zimo_CreateControl(QWidget* host) {
    if (!host) return nullptr;
    auto* control = new zimo::PlayerWidget(host); // owned by the host widget
    if (auto* mainWindow = qobject_cast<QMainWindow*>(host)) {
        mainWindow->setCentralWidget(control);
    } else {
        control->setGeometry(host->rect());
    }
    control->show();
    return control;
}
