#include "movie_fixture.h"

#include <QFile>

MovieFixture::MovieFixture() : runtime({&clock, false}) {}

void MovieFixture::SetUp() {
    runtime.stage().setViewSize(QSize(480, 360));
}

void MovieFixture::loadOnly() {
    QFile file(ZIMO_MOVIE_SWF);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(runtime.load({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                              static_cast<std::size_t>(bytes.size())}));
}

void MovieFixture::start() {
    loadOnly();
    runtime.settle();
}

void MovieFixture::ticks(int n) {
    for (int i = 0; i < n; ++i) {
        clock.advanceUs(33333);
        runtime.waitForStreams();
        runtime.tick(1000.0 / 30);
    }
}
