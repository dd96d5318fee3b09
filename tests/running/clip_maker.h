// Clips for the tests, made with the ffmpeg command-line tool in a temporary folder.
#pragma once

#include <QString>

#include <optional>

struct ClipSpec {
    int width = 160;
    int height = 120;
    double seconds = 2;
    bool sound = true;
    bool sizeInMetadata = true;     // false: width and height are taken out of onMetaData
    std::optional<double> duration; // the duration onMetaData gives, in place of the real one
};

// Makes each kind of clip once; its path. Empty when ffmpeg failed.
QString makeClip(const ClipSpec& clip);
// A path in the temporary folder (nothing is created).
QString scratchPath(const QString& name);

// The real VP6 sample with alpha, or empty when it is not on this machine.
QString vp6aSample();
