// A chosen menu command on its way to the main window's handler, the way a menu
// reports it: delivered through the event loop after the menu has closed.
#pragma once

#include <QEvent>

inline constexpr QEvent::Type CommandEventType = static_cast<QEvent::Type>(QEvent::User + 1);

// Where a command comes from. Only commands chosen in a menu are carried out; the
// other sources exist so that the handler can tell them apart.
enum class CommandSource { Menu = 0, Accelerator = 1 };

class CommandEvent final : public QEvent {
public:
    CommandEvent(int id, CommandSource source) : QEvent(CommandEventType), id(id), source(source) {}
    const int id;
    const CommandSource source;
};

// Queues command id for the main window as a menu would.
void PostCommand(int id, CommandSource source = CommandSource::Menu);
