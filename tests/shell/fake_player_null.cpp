// A player library whose control cannot be created.
class QWidget;
namespace zimo {
class PlayerControl;
}
extern "C" __attribute__((visibility("default"))) zimo::PlayerControl*
zimo_CreateControl(QWidget*) {
    return nullptr;
}
