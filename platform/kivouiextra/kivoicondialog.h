// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_KIVOICONDIALOG_H
#define KIVO_KIVOICONDIALOG_H

#include <QDialog>
#include <QString>
#include <QStringList>

class QDialogButtonBox;
class QLineEdit;
class QListView;
class QSortFilterProxyModel;

// Lets the user pick an icon of the current icon theme by name, or an image file by path.
class KivoIconDialog : public QDialog
{
    Q_OBJECT

public:
    explicit KivoIconDialog(QWidget *parent = nullptr);

    // Size of the icons in the grid, in pixels.
    void setIconSize(int size);
    // Selects the icon of that name when the grid lists it.
    void setSelectedIcon(const QString &namePath);
    // The icon name selected in the grid, or the image file picked with "Browse...".
    QString selectedIcon() const { return m_selected; }

    // Names of the icons of the current theme, of the themes it inherits and of hicolor, sorted;
    // only icons in a format that QIcon can load are listed.
    static QStringList themeIconNames();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void filterNames(const QString &text);
    void selectName(const QString &name);
    void selectionChanged();
    void browse();

    QLineEdit *m_searchEdit;
    QListView *m_iconView;
    QSortFilterProxyModel *m_filter;
    QDialogButtonBox *m_buttons;
    QString m_selected;
    QString m_browseFolder;
};

#endif
