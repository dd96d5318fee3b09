// A small stand-in for a file manager: a window that, when pressed, drags the files
// named on its command line (paths, or file: addresses) as file addresses, the way file
// managers offer them.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

class DragSource final : public QWidget {
protected:
    void mousePressEvent(QMouseEvent*) override {
        QList<QUrl> urls;
        // Addresses come as they are encoded, so names that are not UTF-8 keep their bytes.
        for (const QString& file : QCoreApplication::arguments().mid(1))
            urls << (file.startsWith("file:") ? QUrl::fromEncoded(file.toLatin1())
                                              : QUrl::fromLocalFile(file));
        auto* data = new QMimeData;
        data->setUrls(urls);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction result = drag->exec(Qt::CopyAction);
        std::printf("%s\n", result == Qt::CopyAction ? "copied" : "refused");
        std::fflush(stdout);
        // Stay a moment, should the target ask for the data late.
        QTimer::singleShot(1000, qApp, &QCoreApplication::quit);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    DragSource source;
    source.setWindowTitle("drag source");
    source.setGeometry(20, 40, 150, 150);
    source.show();
    return QApplication::exec();
}
