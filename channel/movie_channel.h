// The shell drives the movie by assigning named string variables on its root.
#pragma once

#include <QString>

enum class RotateDirection { Left, Right };

void SetMovieVariable(const QString& name, const QString& value);
void SendFile(const QString& path);
void SendRepeat(bool on);
void RotateStep(RotateDirection direction);
void SendMute(bool on);
void VolumeUp();
void VolumeDown();
