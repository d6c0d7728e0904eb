// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

// Saves what KWin shows, all its outputs, as a PNG: kwin-screenshot FILE. KWin lends its
// screenshot interface only to programs it trusts, or to any with
// KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 in its own environment, and only with OpenGL
// compositing (KWIN_COMPOSE=O2 on a machine without a GPU). Status 1 and one line when it fails.

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QImage>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

int fail(const QString &why)
{
    std::fprintf(stderr, "kwin-screenshot: %s\n", qPrintable(why));
    return 1;
}

// The raw image KWin writes into the pipe, laid out as its answer says.
QImage imageOf(const QVariantMap &layout, const QByteArray &pixels)
{
    const int width = layout.value(QStringLiteral("width")).toInt();
    const int height = layout.value(QStringLiteral("height")).toInt();
    const int stride = layout.value(QStringLiteral("stride")).toInt();
    const auto format = QImage::Format(layout.value(QStringLiteral("format")).toInt());
    if (layout.value(QStringLiteral("type")).toString() != QLatin1String("raw") || width <= 0
        || height <= 0 || stride <= 0 || pixels.size() < qint64(stride) * height)
        return {};
    return QImage(reinterpret_cast<const uchar *>(pixels.constData()), width, height, stride,
                  format)
        .copy();
}

QDBusMessage captureWorkspace(int pipe)
{
    QDBusMessage capture = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.KWin"), QStringLiteral("/org/kde/KWin/ScreenShot2"),
        QStringLiteral("org.kde.KWin.ScreenShot2"), QStringLiteral("CaptureWorkspace"));
    capture.setArguments({ QVariantMap(), QVariant::fromValue(QDBusUnixFileDescriptor(pipe)) });
    return QDBusConnection::sessionBus().call(capture);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return fail(QStringLiteral("usage: kwin-screenshot FILE"));
    int pipe[2];
    if (pipe2(pipe, O_CLOEXEC) != 0)
        return fail(QStringLiteral("no pipe"));
    const QDBusMessage answer = captureWorkspace(pipe[1]);
    // Every copy of the write end closed: the pipe ends when KWin has written the image.
    ::close(pipe[1]);
    if (answer.type() != QDBusMessage::ReplyMessage) {
        ::close(pipe[0]);
        return fail(answer.errorMessage());
    }
    QFile input;
    input.open(pipe[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QImage image
        = imageOf(qdbus_cast<QVariantMap>(answer.arguments().value(0)), input.readAll());
    if (image.isNull())
        return fail(QStringLiteral("KWin's answer holds no image it describes"));
    if (!image.save(app.arguments().at(1), "PNG"))
        return fail(QStringLiteral("cannot write ") + app.arguments().at(1));
    return 0;
}
