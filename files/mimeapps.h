// Reading and editing the text of a mimeapps.list file: the per-user choice of the
// default application for each file type.
#pragma once

#include <QString>

#include <optional>

// The value of mimeType in the [Default Applications] section; nothing when the
// section or the entry is missing.
std::optional<QString> DefaultApplicationEntry(const QString& text, const QString& mimeType);

// The first desktop id of an entry's ';'-separated list.
QString FirstDesktopId(const QString& entry);

// The text with mimeType's default set to entry, or removed when entry is empty.
// Every other line and section is kept as it was; a missing section is added.
QString WithDefaultApplication(const QString& text, const QString& mimeType, const QString& entry);

// A program path as the Exec key of a desktop entry wants it: quoted when it holds
// a character that needs quoting, with the escapes of quoted arguments and of the
// key's string value. Nothing when the path cannot be written there (line breaks).
std::optional<QString> DesktopExecProgram(const QString& path);
