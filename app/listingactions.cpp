// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "app/listingactions.h"

#include "app/commandline.h"
#include "app/commandlineactions.h"
#include "platform/winprops/recordlines.h"
#include "service/apprcinterface.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool isStandardStream(const QString &path)
{
    return path == QLatin1String("-");
}

QString cannotWrite(const QString &path, const QString &reason)
{
    return QCoreApplication::translate("CommandLineActions",
                                       "the file \"%1\" could not be written: %2")
        .arg(path, reason);
}

bool writeAll(int fd, const QByteArray &contents)
{
    for (qint64 done = 0; done < contents.size();) {
        const ssize_t written
            = ::write(fd, contents.constData() + done, size_t(contents.size() - done));
        if (written < 0 && errno != EINTR)
            return false;
        done += std::max<ssize_t>(written, 0);
    }
    return true;
}

// A device, a named pipe or a terminal is written as it is: replacing it by a file would break
// it. A named pipe nobody reads from is not waited for.
bool writeInPlace(const QString &path, const QByteArray &contents, QString &errorMessage)
{
    const int fd
        = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        errorMessage = cannotWrite(path,
                                   errno == ENXIO ? QCoreApplication::translate(
                                       "CommandLineActions", "it is a named pipe that nobody reads")
                                                  : QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // Blocking again, so that a slow reader gets everything.
    const bool written = ::fcntl(fd, F_SETFL, 0) == 0 && writeAll(fd, contents);
    const int writeError = errno;
    if (::close(fd) == 0 && written)
        return true;
    errorMessage
        = cannotWrite(path, QString::fromLocal8Bit(std::strerror(written ? errno : writeError)));
    return false;
}

bool writeOutputFile(const QString &path, const QByteArray &contents, QString &errorMessage)
{
    if (isStandardStream(path)) {
        const bool written = std::fwrite(contents.constData(), 1, size_t(contents.size()), stdout)
                == size_t(contents.size())
            && std::fflush(stdout) == 0;
        // Its reader took what it wanted and went (head, a pager): nothing is wrong.
        if (!written && errno == EPIPE)
            return true;
        if (!written)
            errorMessage = QCoreApplication::translate("CommandLineActions",
                                                       "standard output could not be written");
        return written;
    }
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode))
        return writeInPlace(path, contents, errorMessage);
    // Written whole or not at all, so that a failed export leaves an older copy intact.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() && file.commit())
        return true;
    errorMessage = cannotWrite(path, file.errorString());
    return false;
}

enum class InputRead { Whole, TooLarge, Silent, Failed };

// Twice what one reply of the service can carry: escapes may double a record's text.
constexpr qint64 MaxInputSize = qint64(1) << 27;
// How long the input may keep the run waiting, at its start or between two parts.
constexpr int InputPatienceMs = 5000;

// Reads to the end, but never more than MaxInputSize bytes, and never waits longer than
// InputPatienceMs for more (a named pipe without a writer, a terminal nobody types into).
InputRead readBounded(int fd, QByteArray &contents)
{
    constexpr qint64 chunk = 1 << 16;
    contents.clear();
    for (;;) {
        pollfd ready = { fd, POLLIN, 0 };
        const int polled = ::poll(&ready, 1, InputPatienceMs);
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled < 0)
            return InputRead::Failed;
        if (polled == 0)
            return InputRead::Silent;
        const qint64 used = contents.size();
        contents.resize(int(std::min(used + chunk, MaxInputSize + 1)));
        const ssize_t got = ::read(fd, contents.data() + used, size_t(contents.size() - used));
        contents.resize(int(used + std::max<ssize_t>(got, 0)));
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got < 0)
            return InputRead::Failed;
        if (contents.size() > MaxInputSize)
            return InputRead::TooLarge;
        if (got == 0)
            return InputRead::Whole;
    }
}

} // namespace

ListingActions::ListingActions(const QCommandLineParser &parser, const CommandLineOptions &options)
    : m_list(parser.isSet(options.listOption))
    , m_desktop(parser.isSet(options.desktopOption))
    , m_showName(optionValue(parser, options.showOption))
    , m_exportPath(optionValue(parser, options.exportOption))
{
}

int ListingActions::run(ApprcInterface &apprc) const
{
    const int status = m_list || m_showName || m_exportPath ? listRecords(apprc) : 0;
    return status == 0 && m_desktop ? printDesktop(apprc) : status;
}

int ListingActions::printDesktop(ApprcInterface &apprc) const
{
    QString error;
    const std::optional<DesktopEffects> effects = apprc.readDesktopEffects(error);
    if (!effects) {
        CommandLineActions::report(
            error.isEmpty()
                ? QCoreApplication::translate("CommandLineActions",
                                              "the service does not tell what this desktop "
                                              "does with window properties")
                : QCoreApplication::translate("CommandLineActions",
                                              "the service could not be asked what this desktop "
                                              "does with window properties: %1")
                      .arg(error));
        return ServiceFailure;
    }
    QString writeError;
    if (!writeOutputFile(QStringLiteral("-"), desktopLines(*effects).toUtf8(), writeError)) {
        CommandLineActions::report(writeError);
        return FileFailure;
    }
    return 0;
}

int ListingActions::listRecords(ApprcInterface &apprc) const
{
    if (m_showName && m_showName->isEmpty()) {
        CommandLineActions::report(QCoreApplication::translate(
            "CommandLineActions", "the window name given to --show is empty"));
        return InvalidCommandLineValue;
    }
    const WinPropsBackend::Fetched fetched = apprc.readAllProperties();
    if (!fetched.ok) {
        CommandLineActions::report(
            QCoreApplication::translate(
                "CommandLineActions",
                "the window properties could not be read from the service: %1")
                .arg(fetched.errorMessage));
        return ServiceFailure;
    }
    QStringList leftOut;
    const WinPropsList records = listableRecords(fetched.records, leftOut);
    if (m_list || m_exportPath) {
        for (const QString &line : qAsConst(leftOut))
            CommandLineActions::report(line);
    }
    int status = 0;
    // Checked like an export: a listing into a full disk or a closed pipe is no success. After a
    // failed write the run has failed, and says so once.
    const auto output = [&status](const QString &path, const WinPropsList &lines) {
        QString error;
        if (status != FileFailure && !writeOutputFile(path, recordLines(lines), error)) {
            CommandLineActions::report(error);
            status = FileFailure;
        }
    };
    const QString standardOutput = QStringLiteral("-");
    if (m_list)
        output(standardOutput, records);
    if (m_showName) {
        const auto found
            = std::find_if(records.cbegin(), records.cend(),
                           [this](const WinProps &p) { return p.winName() == *m_showName; });
        if (found != records.cend()) {
            output(standardOutput, { *found });
        } else {
            CommandLineActions::report(
                QCoreApplication::translate("CommandLineActions",
                                            "no properties are stored for the window \"%1\"")
                    .arg(*m_showName));
            status = NameNotStored;
        }
    }
    if (m_exportPath)
        output(*m_exportPath, records);
    return status;
}

QString desktopLines(const DesktopEffects &effects)
{
    QString text = effects.applies() ? QStringLiteral("Desktop: %1\n").arg(effects.desktop())
                                     : QStringLiteral("Desktop: none (%1)\n").arg(effects.reason());
    for (const WinPropsField &field : winPropsFields()) {
        const PropertyEffect effect = effects.of(field);
        text += field.key() + QLatin1String(": ");
        text += effect.effect == Effect::Applied ? QLatin1String("applied")
            : effect.effect == Effect::NoEffect  ? QLatin1String("no effect")
                                                 : QLatin1String("not said");
        if (!effect.note.isEmpty())
            text += QStringLiteral(" (%1)").arg(effect.note);
        text += QLatin1Char('\n');
    }
    return text;
}

WinPropsList listableRecords(const WinPropsList &records, QStringList &leftOut)
{
    WinPropsList listable;
    QSet<QString> names;
    for (const WinProps &props : records) {
        const WinProps readBack(props.toString());
        if (props.winName().isEmpty())
            leftOut.append(QCoreApplication::translate(
                "CommandLineActions",
                "left out an entry without a window name, which no record line can hold"));
        else if (names.contains(props.winName()))
            leftOut.append(
                QCoreApplication::translate(
                    "CommandLineActions", "left out a second entry of \"%1\"; the first is listed")
                    .arg(props.winName()));
        else if (!readBack.isValid() || readBack != props)
            leftOut.append(QCoreApplication::translate(
                               "CommandLineActions",
                               "left out the entry of \"%1\", whose values no record line can hold")
                               .arg(props.winName()));
        else {
            names.insert(props.winName());
            listable.append(props);
        }
    }
    return listable;
}

bool readInputFile(const QString &path, QByteArray &contents, QString &errorMessage)
{
    const QString cannotRead
        = QCoreApplication::translate("CommandLineActions", "the file \"%1\" could not be read: %2")
              .arg(path);
    // Not blocking in open: a named pipe without a writer would wait for one for ever.
    const int fd = isStandardStream(path)
        ? STDIN_FILENO
        : ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        errorMessage = cannotRead.arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat status = {};
    // A file's size is known at once: a huge one is not read first.
    const bool knownTooLarge
        = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > MaxInputSize;
    const InputRead read = knownTooLarge ? InputRead::TooLarge : readBounded(fd, contents);
    if (fd != STDIN_FILENO)
        ::close(fd);
    if (read == InputRead::Whole)
        return true;
    if (read == InputRead::TooLarge)
        errorMessage = cannotRead.arg(
            QCoreApplication::translate("CommandLineActions",
                                        "it holds more than %1 bytes, more than any window "
                                        "properties can take")
                .arg(MaxInputSize));
    else if (read == InputRead::Silent)
        errorMessage = cannotRead.arg(
            QCoreApplication::translate("CommandLineActions", "nothing came from it for %1 seconds")
                .arg(InputPatienceMs / 1000));
    else
        errorMessage = cannotRead.arg(QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}
