// Where the .flv association lives on a freedesktop system: the program's desktop
// entry in the user's applications folder, and the user's default application for
// video/x-flv in mimeapps.list.
#pragma once

#include <QString>

inline constexpr char FlvMimeType[] = "video/x-flv";
inline constexpr char ProgramDesktopId[] = "zimoFLV.desktop";

QString MimeAppsListPath();
QString ProgramDesktopEntryPath();

// Reads the user's default application entry for video/x-flv (a desktop id, or a
// ';'-separated list of them). Fails, leaving out empty, when there is none or it
// needs more than capacity bytes as UTF-16.
bool ReadFlvDefault(QString& out, int capacity);
// Makes entry the user's default for video/x-flv, or removes the user's default when
// entry is empty. The file is replaced as a whole, never left half written. Returns
// whether the change reached the disk.
bool WriteFlvDefault(const QString& entry);
// Writes the program's desktop entry, opening files with the program at programPath.
bool WriteProgramDesktopEntry(const QString& programPath);
