// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "winpropsstore.h"

#include "geometrystring.h"
#include "winpropsfields.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("WinPropsStore", text);
}

constexpr QFileDevice::Permissions privateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

bool isUtf8(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// Creates the folder and any missing parents with mode 0700; folders that exist stay as they are.
bool makePrivateFolder(const QString &path, QString &errorMessage)
{
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).path();
    if (parent != path && !makePrivateFolder(parent, errorMessage))
        return false;
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || errno == EEXIST)
        return true;
    errorMessage
        = tr("Cannot create the folder %1: %2")
              .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(strerror(errno)));
    return false;
}

QString quotedName(const QString &name)
{
    WinProps named;
    named.setWinName(name);
    return QLatin1Char('"') + named.toString() + QLatin1Char('"');
}

// Where the first control character of text is, or -1.
int controlCharacterIndex(const QString &text)
{
    const auto found
        = std::find_if(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20; });
    return found == text.cend() ? -1 : int(found - text.cbegin());
}

// Whether the record text of a record with a usable name and usable values reads back: it can
// fail only on a geometry that does not parse.
bool surelyReadsBack(const WinProps &props)
{
    const auto &fields = winPropsFields();
    return std::all_of(fields.cbegin(), fields.cend(), [&props](const WinPropsField &field) {
        return field.kind != WinPropsKind::Geometry || (props.*field.text).isEmpty()
            || parseGeometryString(props.*field.text);
    });
}

} // namespace

StorageContents parseStorage(const QByteArray &contents)
{
    StorageContents result;
    QHash<QString, int> lineOfName;
    const QList<QByteArray> lines = contents.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        const int number = i + 1;
        if (line.isEmpty())
            continue;
        if (!isUtf8(line)) {
            result.rejected.append({ number, line, tr("The line is not valid UTF-8 text.") });
            continue;
        }
        const WinProps props(QString::fromUtf8(line));
        if (!props.isValid()) {
            result.rejected.append({ number, line, props.errorString() });
        } else if (const QString problem = recordProblem(props); !problem.isNull()) {
            // Escaped control characters read back, but a stored record follows the same
            // rules as one that arrives.
            result.rejected.append({ number, line, problem });
        } else if (lineOfName.contains(props.winName())) {
            result.rejected.append({ number, line,
                                     tr("The window %1 is already on line %2.")
                                         .arg(quotedName(props.winName()))
                                         .arg(lineOfName.value(props.winName())) });
        } else {
            lineOfName.insert(props.winName(), number);
            result.records.append(normalized(props));
        }
    }
    return result;
}

QByteArray serializeStorage(const WinPropsList &records)
{
    QByteArray contents;
    for (const WinProps &props : records)
        contents += props.toString().toUtf8() + '\n';
    return contents;
}

WinProps normalized(WinProps props)
{
    for (const WinPropsField &field : winPropsFields()) {
        if (field.kind == WinPropsKind::Number && !field.isSet(props))
            field.reset(props);
    }
    return props;
}

QString nameProblem(const QString &name)
{
    if (name.isEmpty())
        return tr("The window name is empty.");
    for (const QChar c : name) {
        if (c.unicode() < 0x20)
            return tr("The window name %1 contains the control character U+%2.")
                .arg(quotedName(name))
                .arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return {};
}

// Record texts can carry control characters as escapes, but the desktop reads the stored
// values as they are: keep them out of images and geometry.
QString valueProblem(const WinProps &props)
{
    for (const WinPropsField &field : winPropsFields()) {
        if (!field.text)
            continue;
        const QString &value = props.*field.text;
        const int index = controlCharacterIndex(value);
        if (index >= 0)
            return tr("A value contains the control character U+%1.")
                .arg(value.at(index).unicode(), 4, 16, QLatin1Char('0'));
    }
    return {};
}

QString recordProblem(const WinProps &props)
{
    QString problem = nameProblem(props.winName());
    if (problem.isNull())
        problem = valueProblem(props);
    // The round trip through the record text is slow; only a record that it may refuse takes it,
    // for its message.
    if (problem.isNull() && !surelyReadsBack(props))
        problem = props.storageProblem();
    if (problem.isNull())
        return {};
    return tr("Window %1: %2").arg(quotedName(props.winName()), problem);
}

QString listProblem(const WinPropsList &records, const WinPropsList &stored)
{
    QHash<QString, int> indexOfName;
    indexOfName.reserve(records.size());
    for (int i = 0; i < records.size(); ++i) {
        const WinProps &props = records.at(i);
        const bool known = i < stored.size() && stored.at(i) == props;
        const QString problem = known ? QString() : recordProblem(props);
        if (!problem.isNull())
            return tr("Record %1: %2").arg(i + 1).arg(problem);
        if (indexOfName.contains(props.winName()))
            return tr("Record %1: the window %2 is given already as record %3.")
                .arg(i + 1)
                .arg(quotedName(props.winName()))
                .arg(indexOfName.value(props.winName()) + 1);
        indexOfName.insert(props.winName(), i);
    }
    return {};
}

WinPropsStore::WinPropsStore(const QString &path)
    : m_path(path)
{
}

QString WinPropsStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/kivo/winprops");
}

bool WinPropsStore::load(StorageContents &contents, QString &errorMessage) const
{
    contents = StorageContents();
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        errorMessage
            = tr("Cannot read %1: %2").arg(QDir::toNativeSeparators(m_path), file.errorString());
        return false;
    }
    contents = parseStorage(file.readAll());
    return true;
}

bool WinPropsStore::save(const WinPropsList &records, QString &errorMessage) const
{
    if (!makePrivateFolder(QFileInfo(m_path).path(), errorMessage))
        return false;
    const bool isNew = !QFileInfo::exists(m_path);
    QSaveFile file(m_path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written && isNew)
        written = file.setPermissions(privateFile);
    written = written && file.write(serializeStorage(records)) >= 0;
    if (written && file.commit())
        return true;
    errorMessage
        = tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(m_path), file.errorString());
    file.cancelWriting();
    return false;
}

QString WinPropsStore::keepRejected(const QList<RejectedLine> &rejected,
                                    QString &errorMessage) const
{
    QByteArray contents;
    for (const RejectedLine &line : rejected)
        contents += line.text + '\n';
    const QString stem = m_path + QStringLiteral(".rejected-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 1;; ++attempt) {
        const QString path
            = attempt == 1 ? stem : stem + QLatin1Char('-') + QString::number(attempt);
        QFile file(path);
        // NewOnly: an earlier side file is never overwritten.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.setPermissions(privateFile) && file.write(contents) == contents.size()
                && file.flush())
                return path;
            errorMessage
                = tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
            return {};
        }
        if (!file.exists()) {
            errorMessage = tr("Cannot create %1: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString());
            return {};
        }
    }
}
