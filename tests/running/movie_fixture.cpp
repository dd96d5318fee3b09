#include "movie_fixture.h"

#include <QFile>

MovieFixture::MovieFixture() : movie({&clock, false}) {}

void MovieFixture::SetUp() {
    movie.stage().setViewSize(QSize(480, 360));
}

void MovieFixture::loadOnly() {
    QFile file(ZIMO_MOVIE_SWF);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(movie.load({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            static_cast<std::size_t>(bytes.size())}));
}

void MovieFixture::start() {
    loadOnly();
    movie.settle();
}

void MovieFixture::ticks(int n) {
    for (int i = 0; i < n; ++i) {
        clock.advanceUs(33333);
        movie.waitForStreams();
        movie.tick(1000.0 / 30);
    }
}
