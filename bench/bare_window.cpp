// SPDX-License-Identifier: MIT
// The yardstick of bench_startup: a bare Qt Widgets window of the table's
// size, shown and left idle.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.resize(790, 578);
    window.show();
    return app.exec();
}
