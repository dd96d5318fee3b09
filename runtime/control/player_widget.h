// The player control: the child widget the shell hosts.
#pragma once

#include <zimo/player_control.h>

#include <QHash>
#include <QWidget>

namespace zimo {

class PlayerWidget final : public QWidget, public PlayerControl {
public:
    explicit PlayerWidget(QWidget* parent);

    QWidget* window() override { return this; }
    bool controlEvent(QEvent* event) override { return QWidget::event(event); }
    bool putMovie(const QString& path) override;
    void setVariable(const QString& name, const QString& value) override;
    QString getVariable(const QString& path) override;
    QByteArray loadedMovie() const override { return movieBytes_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QByteArray movieBytes_;
    QHash<QString, QString> rootVariables_;
};

} // namespace zimo
