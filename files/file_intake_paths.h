// What a path that comes in becomes before it goes to the movie: file names keep their
// exact bytes (see zimo/file_name_text.h) and a file: address becomes the local path it
// names.
#pragma once

#include <QString>
#include <QUrl>

// Whether something exists at the path, by its exact bytes.
bool PathExists(const QString& path);
// The local path a file: address names, its percent-encoded bytes decoded; empty for an
// address that names no file on this machine.
QString LocalFileOf(const QUrl& url);
// A path as it came in (a command-line argument, a choice in the open dialog): the same
// path when something exists there as typed or when it is no file: address, else the
// local path the address names (the text itself when it names none).
QString IncomingFilePath(const QString& typed);
// The open dialog shows names that are not valid UTF-8 with replacement characters, so
// the path it gives names no file. Where the folder holds exactly one entry whose name
// shows that way, its path with the name's exact bytes; else path as it is.
QString RecoverShownFileName(const QString& path);
