// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#ifndef KIVO_ICONIMAGES_H
#define KIVO_ICONIMAGES_H

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVector>

// Turns the record's images, icon theme names or image paths, into _NET_WM_ICON data. Found files
// are remembered by name, so that a burst of windows of one program looks up its icon once.
class IconImages
{
public:
    // The sizes offered for each image: the small one for window menus and title bars, the large
    // one for task switchers.
    static const QVector<int> &smallSizes();
    static const QVector<int> &largeSizes();

    // Width, height and non-premultiplied ARGB pixels for every size of every image that loads;
    // unloaded (when given) lists the images that did not.
    QVector<quint32> netWmIcon(const QString &smallImage, const QString &largeImage,
                               QStringList *unloaded = nullptr);

    // The file of an icon theme name (hicolor, Adwaita, then the pixmaps folders), or of a path.
    QString findFile(const QString &nameOrPath, int size);

private:
    bool append(QVector<quint32> &data, const QString &image, const QVector<int> &sizes);
    static void appendImage(QVector<quint32> &data, const QImage &image, int size);

    QHash<QString, QString> m_files;
    QHash<QString, QVector<quint32>> m_icons;
};

#endif
