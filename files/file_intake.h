// How a file reaches the player: named on the command line, dropped on the picture,
// or chosen in the open dialog. All three end in SendFile.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

class QDropEvent;
class QWidget;

// Keeps the program's arguments, as the system passed them, in CommandLine.
void KeepCommandLine(int argc, char** argv);
// Called after each paint of the player window; on the second one the file named on
// the command line, if any, goes to the movie.
void TakeCommandLineFile();
// Hands the command line's file to the movie, once per run, unless shut-down has begun.
void HandOverCommandLineFile();
// How long after the main window is shown the command line's file goes to the movie
// when no second paint has come by then.
inline constexpr int SecondPaintWaitMs = 300;
// Called once the main window is shown (and the movie's main script has run).
void ExpectCommandLineFile();
// The first argument after the program, whole as the system passed it (spaces, '!'
// and all), its bytes kept and a file: address made its local path; empty when there
// is none.
QString ParseFirstArgument(const QList<QByteArray>& arguments);

// The first local file among dropped addresses, percent-encoding decoded to the name's
// exact bytes; empty when none of them is a local file.
QString FirstDroppedFile(const QList<QUrl>& urls);
// Whether a drag carries something TakeDroppedFile would take.
bool CarriesDroppedFile(const QDropEvent* event);
// Plays the first local file of a drop; the others are ignored.
void TakeDroppedFile(const QDropEvent* event);

// The open dialog's title and its one filter: files named *.flv, in any letter case. The
// desktop's own dialogs match a pattern's letters exactly as written, so each letter of
// the extension names both of its cases; the dialog shows the filter by its name alone.
inline constexpr char OpenDialogTitle[] = "Select FLV file";
inline constexpr char OpenDialogFilter[] = "FLV files (*.[fF][lL][vV])";

// Command 1: lets the user choose a file, plays it and remembers it as "Rec".
void OpenFileCommand();
// The modal open dialog over owner, starting in initialFolder with an empty file
// name. Returns whether a file was chosen; its path is then in file.
bool ShowOpenDialog(QWidget* owner, const QString& filter, QString& file, const QString& title,
                    const QString& initialFolder);
