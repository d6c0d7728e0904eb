// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_KIVOICONBUTTON_H
#define KIVO_KIVOICONBUTTON_H

#include <QPushButton>
#include <QString>

class QPixmap;

// A button that shows an icon, given as a theme icon name or an image file path, and lets the
// user pick another one in an icon selection dialog when clicked.
class KivoIconButton : public QPushButton
{
    Q_OBJECT

public:
    // defaultIconSize: see setDefaultIconSize(); the button's icon size starts at it as well.
    explicit KivoIconButton(QWidget *parent = nullptr, int defaultIconSize = 32);

    // The size, in pixels, at which the chosen icon is meant to be used; the selection dialog
    // shows the icons at this size.
    void setDefaultIconSize(int size);
    int defaultIconSize() const { return m_defaultIconSize; }

    // Shows pixmap when given, otherwise the image file at namePath when it holds a '/', or else
    // the theme icon of that name; an empty namePath shows no icon. Remembers namePath as it is.
    void setIconNamePath(const QString &namePath, const QPixmap *pixmap);
    QString iconNamePath() const { return m_iconNamePath; }

Q_SIGNALS:
    // The user picked another icon in the selection dialog.
    void iconChanged(const QString &namePath);

private:
    void chooseIcon();

    QString m_iconNamePath;
    int m_defaultIconSize;
};

#endif
