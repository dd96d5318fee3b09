// The control: loading a movie file, painting the stage, reading properties by path.
#include "player_widget.h"
#include "test_movies.h"

#include "clips.h"
#include "display/video_surface.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using namespace zimo;
using namespace zimo::test;

TEST(PlayerWidget, LoadsPaintsAndReadsProperties) {
    int argc = 1;
    char name[] = "player_widget_test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    ShapeBuilder s;
    s.styles(0, s.solid({255, 0, 0}), 0).rect(0, 0, 50, 50);
    MovieMaker m(100, 100);
    m.add(movie::tag(9, {0, 0, 255})).add(s.tag(1));
    m.add(placeTag(1, 1, {}, {}, "box")).showFrame();
    const Bytes bytes = m.file();

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("movie.swf");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
    QWidget host;
    auto* control = new PlayerWidget(&host);
    control->resize(200, 100);
    EXPECT_FALSE(control->putMovie(dir.filePath("missing.swf")));
    ASSERT_TRUE(control->putMovie(path));
    EXPECT_EQ(control->loadedMovie().size(), static_cast<qsizetype>(bytes.size()));
    QFile::remove(path); // the whole file was read
    EXPECT_EQ(control->movie().stage().frameRate(), 30);

    EXPECT_EQ(control->getVariable("box._width"), "50");
    EXPECT_EQ(control->getVariable("box._alpha"), "100");
    EXPECT_EQ(control->getVariable("nothing._x"), "");
    control->setVariable("Ff", "/tmp/a.flv");
    EXPECT_EQ(control->getVariable("Ff"), "/tmp/a.flv");

    // The 100 × 100 stage fitted into 200 × 100 and centred; the background colour fills
    // the whole view.
    const QImage image = control->grab().toImage();
    EXPECT_EQ(image.pixelColor(10, 50), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(45, 25), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(75, 25), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(125, 75), QColor(Qt::blue));

    // A corrupt file is refused and the movie shown stays.
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), 20);
    }
    EXPECT_FALSE(control->putMovie(path));
    EXPECT_EQ(control->getVariable("box._width"), "50");
}

// A window moved to a screen of another scale keeps its size in view pixels (as under
// Wayland): the picture is made again for the new device pixels all the same.
TEST(PlayerWidget, MakesThePictureAgainForTheScaleOfTheScreenItMovesTo) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString config = dir.filePath("screens.json");
    {
        QFile f(config);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"({"screens": [
            {"name": "one", "x": 0, "y": 0, "width": 1280, "height": 800, "dpr": 1},
            {"name": "two", "x": 1280, "y": 0, "width": 1280, "height": 800, "dpr": 2}]})");
    }
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    int argc = 1;
    char name[] = "player_widget_test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    ASSERT_EQ(screens[1]->devicePixelRatio(), 2.0);

    PlayerWidget control(nullptr);
    control.resize(480, 360);
    control.show();
    ASSERT_TRUE(control.putMovie(ZIMO_MOVIE_SWF));
    control.setVariable(
        "Ff", media::test::numberedClip(media::test::Codecs::Flv1Mp3, media::test::Layout::Flv));
    auto* surface =
        dynamic_cast<display::VideoSurface*>(control.movie().stage().find(u"vidplayer.player"));
    ASSERT_NE(surface, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !surface->picture().isNull(); }, 5000));
    const QSize atOne = surface->picture().size();
    ASSERT_GE(atOne.width(), 160); // drawn larger than the clip's own 160 x 120

    control.windowHandle()->setScreen(screens[1]);
    EXPECT_TRUE(QTest::qWaitFor([&] { return surface->picture().size() == atOne * 2; }, 5000))
        << surface->picture().width() << " x " << surface->picture().height();
    EXPECT_EQ(control.size(), QSize(480, 360));
    EXPECT_GE(media::test::pictureNumber(surface->picture()), 0);
}

} // namespace
