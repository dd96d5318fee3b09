#include "movie_channel.h"

#include "shell/globals.h"

#include <zimo/player_control.h>

void SetMovieVariable(const QString& name, const QString& value) {
    if (PlayerControl) PlayerControl->setVariable(name, value);
}

void SendFile(const QString& path) {
    SetMovieVariable(QStringLiteral("Ff"), path);
    if (!RepeatValue.isEmpty()) SetMovieVariable(QStringLiteral("Rpt"), RepeatValue);
}

void SendRepeat(bool on) {
    const QString value = on ? QStringLiteral("1") : QStringLiteral("0");
    SetMovieVariable(QStringLiteral("Rpt"), value);
    RepeatValue = value;
}

void RotateStep(RotateDirection direction) {
    // Index 0..3 selects "-1", "0", "1", "2": quarter turns from the unrotated start.
    static const QString kRotationTable = QStringLiteral("-012");
    RotationIndex += direction == RotateDirection::Right ? 1 : -1;
    if (RotationIndex > 3) RotationIndex = 0;
    if (RotationIndex < 0) RotationIndex = 3;
    QString value(kRotationTable.at(RotationIndex));
    if (value == QLatin1String("-")) value += QLatin1Char('1');
    SetMovieVariable(QStringLiteral("RTo"), value);
}

void SendMute(bool on) {
    SetMovieVariable(QStringLiteral("Vlm"), on ? QStringLiteral("1000") : QStringLiteral("1002"));
}

void VolumeUp() {
    SetMovieVariable(QStringLiteral("Vlm"), QStringLiteral("1001"));
}

void VolumeDown() {
    SetMovieVariable(QStringLiteral("Vlm"), QStringLiteral("999"));
}
