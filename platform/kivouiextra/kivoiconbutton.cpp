// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/kivouiextra/kivoiconbutton.h"

#include "platform/kivouiextra/kivoicondialog.h"

#include <QFileInfo>
#include <QIcon>
#include <QPixmap>

namespace {

// The theme's "image-missing" icon stands for a file or name that is not found.
QIcon iconFor(const QString &namePath)
{
    if (namePath.isEmpty())
        return {};
    const QIcon missing = QIcon::fromTheme(QStringLiteral("image-missing"));
    if (namePath.contains(QLatin1Char('/')))
        return QFileInfo(namePath).isFile() ? QIcon(namePath) : missing;
    return QIcon::fromTheme(namePath, missing);
}

} // namespace

KivoIconButton::KivoIconButton(QWidget *parent, int defaultIconSize)
    : QPushButton(parent)
    , m_defaultIconSize(defaultIconSize)
{
    setIconSize(QSize(defaultIconSize, defaultIconSize));
    connect(this, &QPushButton::clicked, this, &KivoIconButton::chooseIcon);
}

void KivoIconButton::setDefaultIconSize(int size)
{
    m_defaultIconSize = size;
}

void KivoIconButton::setIconNamePath(const QString &namePath, const QPixmap *pixmap)
{
    m_iconNamePath = namePath;
    setIcon(pixmap ? QIcon(*pixmap) : iconFor(namePath));
}

void KivoIconButton::chooseIcon()
{
    KivoIconDialog dialog(this);
    dialog.setIconSize(m_defaultIconSize);
    dialog.setSelectedIcon(m_iconNamePath);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString picked = dialog.selectedIcon();
    if (picked.isEmpty() || picked == m_iconNamePath)
        return;
    setIconNamePath(picked, nullptr);
    Q_EMIT iconChanged(picked);
}
