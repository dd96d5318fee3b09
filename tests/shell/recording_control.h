// A stand-in player control that records what the shell sends it.
#pragma once

#include <zimo/player_control.h>

#include <QList>
#include <QPair>
#include <QString>

#include <ostream>

// Readable strings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

class RecordingControl final : public zimo::PlayerControl {
public:
    QWidget* window() override { return nullptr; }
    bool controlEvent(QEvent*) override { return false; }
    bool putMovie(const QString&) override { return true; }
    void setVariable(const QString& name, const QString& value) override {
        sent.append({name, value});
    }
    QString getVariable(const QString&) override { return {}; }
    QByteArray loadedMovie() const override { return {}; }

    // "name=value" for each assignment, in order.
    QStringList log() const {
        QStringList out;
        for (const auto& [name, value] : sent)
            out << name + QLatin1Char('=') + value;
        return out;
    }

    QList<QPair<QString, QString>> sent;
};
