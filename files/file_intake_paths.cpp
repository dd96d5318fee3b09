#include "file_intake_paths.h"

#include <zimo/file_name_text.h>

#include <filesystem>
#include <string>

namespace {

std::filesystem::path NativePath(const QString& path) {
    const QByteArray bytes = zimo::fileNameBytes(path);
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

} // namespace

bool PathExists(const QString& path) {
    std::error_code error;
    return !path.isEmpty() && std::filesystem::exists(NativePath(path), error);
}

QString LocalFileOf(const QUrl& url) {
    if (!url.isValid() || !url.isLocalFile()) return {};
    if (!url.host().isEmpty() && url.host() != QLatin1String("localhost")) return {};
    const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
    return zimo::fileNameText(QByteArray::fromPercentEncoding(encoded));
}

QString IncomingFilePath(const QString& typed) {
    if (!typed.startsWith(QLatin1String("file:"), Qt::CaseInsensitive) || PathExists(typed))
        return typed;
    // Bytes beyond ASCII, as a terminal may pass them unencoded, are percent-encoded
    // first, so none is lost on the way into the address.
    QByteArray ascii;
    for (const char c : zimo::fileNameBytes(typed)) {
        if (static_cast<unsigned char>(c) < 0x80)
            ascii += c;
        else
            ascii += '%' + QByteArray::number(static_cast<unsigned char>(c), 16).toUpper();
    }
    const QString local = LocalFileOf(QUrl(QString::fromLatin1(ascii)));
    return local.isEmpty() ? typed : local;
}

QString RecoverShownFileName(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || !path.contains(QChar::ReplacementCharacter) || PathExists(path)) return path;
    const QString folder = path.left(slash + 1);
    const QString shown = path.mid(slash + 1);
    QString found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(NativePath(folder), error), end; it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().native();
        if (QString::fromUtf8(name.data(), qsizetype(name.size())) != shown) continue;
        if (!found.isEmpty()) return path; // two names show alike: neither is taken
        found = folder + zimo::fileNameText(QByteArrayView(name.data(), qsizetype(name.size())));
    }
    return found.isEmpty() ? path : found;
}
