// Clips for the tests, made with the ffmpeg command-line tool in a temporary folder.
#pragma once

#include <QString>

struct ClipSpec {
    int width = 160;
    int height = 120;
    double seconds = 2;
    bool sound = true;
    bool sizeInMetadata = true; // false: width and height are taken out of onMetaData
};

// Makes the clip once per spec; its path. Empty when ffmpeg failed.
QString makeClip(const ClipSpec& spec);
// A path in the temporary folder (nothing is created).
QString scratchPath(const QString& name);
