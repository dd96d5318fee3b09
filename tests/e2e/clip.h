// The clip the trials play, made once with the ffmpeg command-line tool.
#pragma once

#include <QString>

// A 640 × 360 Sorenson H.263 / MP3 FLV of ClipSeconds: a moving test picture with a
// sine tone, and across rows 36..71 of the picture (10 % to 20 % of its height) a
// progress band, white from the left edge to t / ClipSeconds of the width and black
// beyond, so a screenshot tells where in the clip the picture is and which way it is
// turned.
constexpr double ClipSeconds = 30;
constexpr double ClipRatio = 640.0 / 360.0;
constexpr double BandTop = 0.1; // band rows as parts of the picture's height
constexpr double BandBottom = 0.2;

// Makes the clip in folder unless it is there already (safe when several test
// processes ask at once); its path, or "" when ffmpeg failed. Without band, the same
// clip without its progress band (for pictures of the program).
QString ProgressClip(const QString& folder, bool band = true);
