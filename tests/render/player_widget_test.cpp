// The control: loading a movie file, painting the stage, reading properties by path.
#include "player_widget.h"
#include "test_movies.h"

#include <QApplication>
#include <QTemporaryDir>

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

} // namespace
