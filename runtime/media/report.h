// What a stream tells its owner: a status code, or the file's metadata.
#pragma once

#include "media/amf_value.h"

#include <QString>

namespace zimo::media {

struct Report {
    enum class Kind { Status, MetaData };
    Kind kind = Kind::Status;
    QString code;      // "NetStream.Play.Start" and so on, for a status
    QString level;     // "status" or "error", for a status
    AmfValue metadata; // the onMetaData argument, for metadata

    static Report status(QString code, QString level = QStringLiteral("status")) {
        return {Kind::Status, std::move(code), std::move(level), {}};
    }
    static Report metaData(AmfValue value) { return {Kind::MetaData, {}, {}, std::move(value)}; }
};

namespace status {
inline const QString PlayStart = QStringLiteral("NetStream.Play.Start");
inline const QString PlayStop = QStringLiteral("NetStream.Play.Stop");
inline const QString StreamNotFound = QStringLiteral("NetStream.Play.StreamNotFound");
inline const QString SeekNotify = QStringLiteral("NetStream.Seek.Notify");
inline const QString PauseNotify = QStringLiteral("NetStream.Pause.Notify");
inline const QString UnpauseNotify = QStringLiteral("NetStream.Unpause.Notify");
inline const QString BufferFull = QStringLiteral("NetStream.Buffer.Full");
inline const QString BufferEmpty = QStringLiteral("NetStream.Buffer.Empty");
} // namespace status

} // namespace zimo::media
