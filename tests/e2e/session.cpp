#include "session.h"

#include "clip.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <cmath>

#ifndef ZIMO_PROGRAM
#error "ZIMO_PROGRAM must name the built program"
#endif

namespace {

constexpr double PanelHeight = 26.57;
constexpr double PanelScale = 1.00345; // one panel unit across, in stage pixels

QString Tool(const QString& program, const QStringList& arguments) {
    return RunTool(program, arguments);
}

QByteArray ToolBytes(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(10000);
    return p.readAllStandardOutput();
}

int Field(const QString& text, const QString& label) {
    const QRegularExpression re(QRegularExpression::escape(label) + R"(\s*(-?\d+))");
    const auto match = re.match(text);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

bool LightNeutral(QRgb c) {
    const int hi = std::max({qRed(c), qGreen(c), qBlue(c)});
    const int lo = std::min({qRed(c), qGreen(c), qBlue(c)});
    return hi - lo <= 8 && lo >= 0xC0;
}

void Xdotool(const QStringList& arguments) {
    Tool("xdotool", arguments);
}

} // namespace

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs) {
    QElapsedTimer waited;
    waited.start();
    while (true) {
        if (condition()) return true;
        if (waited.elapsed() > timeoutMs) return false;
        QThread::msleep(stepMs);
    }
}

void Settle(int ms) {
    QThread::msleep(ms);
}

Session::~Session() {
    if (run.process.state() != QProcess::NotRunning) {
        run.process.terminate();
        if (!run.process.waitForFinished(5000)) {
            run.process.kill();
            run.process.waitForFinished(5000);
        }
    }
}

bool Session::start(const QStringList& arguments) {
    if (!run.install(ZIMO_PROGRAM, ZIMO_PLAYER)) {
        error = "the program could not be installed";
        return false;
    }
    // The pointer starts away from the window, so nothing wakes the panel by chance.
    moveAway();
    run.start(arguments);
    window = run.waitForWindow("FLV Player zimo", 15000);
    if (window.isEmpty()) {
        error = "no main window";
        return false;
    }
    // The menu bar: light rows at the top of the client area, down to the stage.
    const bool measured = WaitUntil(
        [&] {
            const Frame f = grab();
            if (!f.valid() || f.image.width() < 40) return false;
            int y = 0;
            const int w = f.image.width();
            while (y < f.image.height() && LightNeutral(f.image.pixel(w - 2, y)) &&
                   LightNeutral(f.image.pixel(w - 30, y)))
                ++y;
            menuBar = y;
            return y >= 10 && y <= 60;
        },
        10000);
    if (!measured) error = "no menu bar found above the stage";
    return measured;
}

QRect Session::client() const {
    const QString info = Tool("xwininfo", {"-id", window});
    return QRect(Field(info, "Absolute upper-left X:"), Field(info, "Absolute upper-left Y:"),
                 Field(info, "Width:"), Field(info, "Height:"));
}

Frame Session::grab() const {
    Frame f;
    f.image = QImage::fromData(ToolBytes("import", {"-window", window, "ppm:-"}), "PPM");
    f.top = menuBar;
    return f;
}

void Session::moveTo(QPointF stage) const {
    const QRect c = client();
    Xdotool({"mousemove", QString::number(c.x() + std::lround(stage.x())),
             QString::number(c.y() + menuBar + std::lround(stage.y()))});
}

void Session::moveAway() const {
    Xdotool({"mousemove", "2", "2"});
}

void Session::click(QPointF stage, int button) const {
    moveTo(stage);
    Settle();
    Xdotool({"click", QString::number(button)});
}

void Session::drag(QPointF from, QPointF to, int steps) const {
    moveTo(from);
    Settle(100);
    Xdotool({"mousedown", "1"});
    Settle(100);
    for (int i = 1; i <= steps; ++i) {
        moveTo(from + (to - from) * (double(i) / steps));
        Settle(50);
    }
    Settle(100);
    Xdotool({"mouseup", "1"});
}

void Session::wheel(QPointF stage, bool forward) const {
    moveTo(stage);
    Settle();
    Xdotool({"click", forward ? "4" : "5"});
}

void Session::key(const QString& name) const {
    PressKeyIn(window, name);
}

Frame Session::wakePanel(double x, int timeoutMs) const {
    // Each step moves along both axes, as the panel wants to be woken.
    int step = 0;
    Frame shown;
    WaitUntil(
        [&] {
            const QRect c = client();
            const double h = c.height() - menuBar;
            for (int i = 0; i < 3; ++i, ++step) {
                moveTo(QPointF(x + step % 40, h - 10 - (step % 2) * 4));
                Settle(40);
            }
            const Frame f = grab();
            if (f.valid() && PanelShown(f)) shown = f;
            return shown.valid();
        },
        timeoutMs, 0);
    return shown;
}

Frame Session::waitForFrame(const std::function<bool(const Frame&)>& shows, int timeoutMs) const {
    Frame found;
    WaitUntil(
        [&] {
            const Frame f = grab();
            if (f.valid() && shows(f)) found = f;
            return found.valid();
        },
        timeoutMs);
    return found;
}

void Session::saveShot(const QString& name) const {
    const QString folder = QProcessEnvironment::systemEnvironment().value("ZIMO_E2E_SHOTS");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    // The window manager's frame around the client: left, right, top, bottom.
    const QStringList extents =
        Tool("xprop", {"-id", window, "_NET_FRAME_EXTENTS"}).section('=', 1).split(',');
    int left = 0, right = 0, top = 0, bottom = 0;
    if (extents.size() == 4) {
        left = extents[0].trimmed().toInt();
        right = extents[1].trimmed().toInt();
        top = extents[2].trimmed().toInt();
        bottom = extents[3].trimmed().toInt();
    }
    const QRect c = client();
    const QString crop = QString("%1x%2+%3+%4")
                             .arg(c.width() + left + right)
                             .arg(c.height() + top + bottom)
                             .arg(c.x() - left)
                             .arg(c.y() - top);
    Tool("import", {"-window", "root", "-crop", crop, "+repage", folder + "/" + name + ".png"});
}

bool PanelShown(const Frame& f) {
    const QRect band(30, f.height() - 5, std::max(1, f.width() - 90), 2);
    return CountPixels(f, band, IsPanelGrey) >= 0.8 * band.width() * band.height();
}

bool PanelHidden(const Frame& f) {
    const QRect band(30, f.height() - 5, std::max(1, f.width() - 90), 2);
    return CountPixels(f, band, IsPanelGrey) <= 0.05 * band.width() * band.height();
}

QPointF PlayButtonCentre(const Frame& f) {
    return QPointF(14, f.height() - PanelHeight / 2);
}

QRect PlayButtonArea(const Frame& f) {
    return QRect(0, f.height() - 26, 28, 26);
}

QRect TimeTextArea(const Frame& f) {
    return QRect(f.width() - 132, f.height() - 22, 78, 18);
}

QRect VolumeBarsArea(const Frame& f) {
    return QRect(f.width() - 52, f.height() - 25, 50, 23);
}

double GrooveY(const Frame& f) {
    return f.height() - PanelHeight + 13.5;
}

double KnobXFor(const Frame& f, double part) {
    return (40 + part * (f.width() - 190)) * PanelScale;
}

int KnobX(const Frame& f) {
    // The knob is the one dark grey thing on the groove, between the played bar (red)
    // and the rest of the track (light grey).
    const int y = int(GrooveY(f));
    int first = -1, last = -1;
    for (int x = 30; x < f.width() - 135; ++x) {
        const QRgb c = f.at(x, y);
        const int hi = std::max({qRed(c), qGreen(c), qBlue(c)});
        const int lo = std::min({qRed(c), qGreen(c), qBlue(c)});
        if (hi - lo <= 16 && hi < 0x90) {
            if (first < 0) first = x;
            last = x;
        }
    }
    if (first < 0 || last - first > 24) return -1;
    return (first + last) / 2;
}

double BandProgress(const Frame& f, const QRect& picture) {
    if (picture.isEmpty()) return -1;
    const double middle = (BandTop + BandBottom) / 2;
    const int y = picture.top() + int(std::lround(middle * picture.height()));
    int white = 0, black = 0;
    for (int x = picture.left(); x <= picture.right(); ++x) {
        const QRgb c = f.at(x, y);
        white += IsWhite(c) ? 1 : 0;
        black += IsBlack(c) ? 1 : 0;
    }
    // Only white and black across the band's row, else this is not the band.
    if (white + black < 0.9 * picture.width()) return -1;
    return double(white) / picture.width();
}

namespace {

bool Ink(QRgb c) {
    return qGreen(c) < 0xA0 && qRed(c) < 0xA0;
}

} // namespace

std::vector<QImage> TimeGlyphs(const Frame& f) {
    const QRect area = TimeTextArea(f).intersected(f.stage());
    std::vector<QImage> glyphs;
    int start = -1;
    for (int x = area.left(); x <= area.right() + 1; ++x) {
        bool inked = false;
        for (int y = area.top(); x <= area.right() && y <= area.bottom(); ++y)
            inked = inked || Ink(f.at(x, y));
        if (inked && start < 0) start = x;
        if (!inked && start >= 0) {
            QImage glyph(x - start, area.height(), QImage::Format_Mono);
            for (int gx = 0; gx < glyph.width(); ++gx)
                for (int gy = 0; gy < glyph.height(); ++gy)
                    glyph.setPixel(gx, gy, Ink(f.at(start + gx, area.top() + gy)) ? 1 : 0);
            glyphs.push_back(glyph);
            start = -1;
        }
    }
    return glyphs;
}

bool SameGlyph(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    int differ = 0;
    for (int x = 0; x < a.width(); ++x)
        for (int y = 0; y < a.height(); ++y)
            differ += a.pixelIndex(x, y) != b.pixelIndex(x, y);
    return differ <= 2;
}
