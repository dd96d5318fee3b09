// Where the .flv association lives on a freedesktop system: the program's desktop
// entry (the installed one, or else one in the user's applications folder), and the
// user's default application for video/x-flv in mimeapps.list.
#pragma once

#include <QString>

inline constexpr char FlvMimeType[] = "video/x-flv";
// The entry the program writes for itself when it is not installed.
inline constexpr char ProgramDesktopId[] = "zimoFLV.desktop";
// The entry installed with the program.
inline constexpr char InstalledDesktopId[] = "zimo.desktop";

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
// Writes the program's desktop entry, opening files with the program at programPath,
// and brings the folder's cache of file types up to date, so the desktop offers the
// program for .flv files.
bool WriteProgramDesktopEntry(const QString& programPath);
// Whether the program at programPath was installed with its desktop entry beside it
// (prefix/bin and prefix/share/applications) and the desktop finds that entry.
bool HasInstalledDesktopEntry(const QString& programPath);
