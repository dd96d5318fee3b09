// Test clips made with the ffmpeg command-line tool into a temporary folder
// that lives as long as the test program.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

namespace zimo::media::test {

// The kinds of clip the tests use: two seconds of testsrc at 160x120, 25
// frames a second, with a 440 Hz tone where the clip has sound.
enum class Clip {
    Flv1Mp3,          // Sorenson H.263 + MP3
    H264Aac,          // H.264 + AAC in FLV
    FlashSvAdpcm,     // Screen Video + ADPCM
    Flv1Nellymoser,   // Sorenson H.263 + Nellymoser
    Flv1Speex,        // Sorenson H.263 + Speex
    Flv1Pcm,          // Sorenson H.263 + PCM
    Flv1NoMetadata,   // as Flv1Mp3 without onMetaData
    Flv1VideoOnly,    // Sorenson H.263, no sound, 4 s with a key frame each second
    Mp3Only,          // MP3 in FLV, no picture
    Mp4H264Aac,       // H.264 + AAC in MP4
    Flv1HalfTone,     // as Flv1Mp3, the tone in the first second only
    H264FarKeyFrames, // H.264, no sound, 12 s of a busy 640x360 picture, one key frame
    Flv1SoundGaps,    // Sorenson H.263 + MP3, 4 s, the tone from 0.5 s to 1.5 s and from 3 s
};

// Makes the clip on first use; the path of the file. Fails the test when
// ffmpeg cannot make it.
QString clipPath(Clip clip);

// The pairs of codecs FFmpeg writes into Flash Video (and the two it writes into MP4).
// HEVC goes into Flash Video under the number streaming sites give it, by our own writer.
enum class Codecs {
    Flv1Mp3,
    H264Aac,
    FlashSvAdpcm,
    Flv1Nellymoser,
    Flv1Speex,
    Flv1Pcm,
    H264Mp3,
    HevcAac,         // under codec number 12
    HevcAacExtended, // in the extended layout
    Av1Aac,          // under codec number 13
    Av1AacExtended,
    Vp9AacExtended,
    // Sound in the extended layout, the pictures in the older one unless said
    H264Opus,
    H264Flac,
    H264Ac3,  // without a sequence start
    H264Eac3, // with an empty one
    H264AacExtended,
    H264Mp3Extended,
    HevcOpusExtended,
    Vp8AacExtended
};
// How the file is laid out: FFmpeg's FLV (onMetaData without a keyframe index), the same
// with a keyframe index, without any onMetaData, or MP4.
enum class Layout { Flv, FlvIndexed, FlvBare, Mp4 };
const char* codecsName(Codecs codecs);
const char* layoutName(Layout layout);

// Two seconds at 160x120, 25 pictures a second with a key frame each second, and a tone;
// each picture carries its number: bit k is band k of eight 20-pixel bands across the
// picture, light for 1 and dark for 0. Made on first use; the path.
QString numberedClip(Codecs codecs, Layout layout);
// The number a picture of a numbered clip carries, at whatever size it was made.
int pictureNumber(const QImage& image);

// A clip of the test's own: ffmpeg run with `arguments` (inputs and options) into `name` in
// the temporary folder. The path, or empty (and the test failed) when ffmpeg could not.
QString ffmpegClip(const QString& name, const QStringList& arguments);

// A fresh path in the temporary folder (the file is not created).
QString scratchPath(const QString& name);

QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);

// H.264 in Flash Video whose picture changes size midway, as a recorded broadcast's may:
// 2 s at 160x120, then 2 s at 320x120. Made on first use; the path.
QString sizeChangingClip();

// The real VP6 with alpha sample, or empty when it is not on this machine.
QString vp6aSamplePath();

} // namespace zimo::media::test
