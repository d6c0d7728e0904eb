// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

// A Wayland-native window for the tests, with the app id given as its only argument; it runs
// until it is closed or killed.

#include <QGuiApplication>
#include <QRasterWindow>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return 2;
    QGuiApplication::setDesktopFileName(app.arguments().at(1));
    QRasterWindow window;
    window.resize(200, 150);
    window.show();
    return app.exec();
}
