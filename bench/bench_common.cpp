#include "bench_common.h"

#include "control/player_widget.h"

#include <QStringList>
#include <QTemporaryFile>

#include <sys/resource.h>

extern const std::uint8_t EmbeddedMovie[];
extern const std::size_t EmbeddedMovieSize;

namespace zimo::bench {

std::span<const std::uint8_t> embeddedMovie() {
    return {EmbeddedMovie, EmbeddedMovieSize};
}

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void showWindow(QWidget& window, QSize size, bool fullScreen) {
    window.resize(size);
    if (fullScreen)
        window.showFullScreen();
    else
        window.show();
}

PlayerWidget* showPlayer(QMainWindow& window, QSize size, bool fullScreen) {
    auto* control = new PlayerWidget(&window);
    window.setCentralWidget(control);
    showWindow(window, size, fullScreen);
    QTemporaryFile movie;
    const auto bytes = embeddedMovie();
    if (!movie.open() || movie.write(reinterpret_cast<const char*>(bytes.data()),
                                     qint64(bytes.size())) != qint64(bytes.size()))
        return nullptr;
    movie.close();
    return control->putMovie(movie.fileName()) ? control : nullptr;
}

QSize parseSize(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2) return {};
    bool okW = false, okH = false;
    const QSize size(parts[0].toInt(&okW), parts[1].toInt(&okH));
    return okW && okH && size.width() > 0 && size.height() > 0 ? size : QSize();
}

} // namespace zimo::bench
