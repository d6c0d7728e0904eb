// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_STRINGLISTWIDGET_H
#define KIVO_STRINGLISTWIDGET_H

#include <QTableWidget>

#include <vector>

// A one-column list of names that keeps one row current and announces every change of the
// current row with the new and the previous name, so a listener can keep what belonged to the
// previous name before it shows the new one.
class StringListWidget : public QTableWidget
{
    Q_OBJECT

public:
    explicit StringListWidget(QWidget *parent = nullptr);
    ~StringListWidget() override;

    // Replaces all rows; current names the row to make current (the first row shown when it is
    // empty, absent or hidden by the filter; none when the filter hides every row).
    void setStrings(const QStringList &names, const QString &current);
    // The current name; while a change is being announced, still the previous one.
    QString currentString() const;
    // Makes the first row with exactly this text current; nothing when there is none.
    void setCurrentString(const QString &name);
    // Shows only the rows whose names contain text, ignoring case; an empty text shows all.
    // A current row that this hides stops being current (announced as any change).
    void setFilterText(const QString &text);
    // When no row is current, makes the first row shown current.
    void makeFirstShownRowCurrent();
    bool showsAnyRow() const { return firstShownRow() >= 0; }

Q_SIGNALS:
    void currentChanged(const QString &current, const QString &previous);
    // The Delete key was pressed on the list.
    void deleteRequested();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void updateGeometries() override;

private Q_SLOTS:
    void slotCurrentChanged(QTableWidgetItem *current, QTableWidgetItem *previous);

private:
    static QString textOf(const QTableWidgetItem *item);
    void fillRows(const QStringList &names);
    int firstShownRow() const;
    void fitColumn();
    void applyFilter();
    // The rows whose names hold the filter text, ignoring case.
    std::vector<bool> rowsMatchingFilter() const;
    void clearHeaderTexts(int rows);

    bool m_changingCurrent;
    QTableWidgetItem *m_previousItem = nullptr;
    QString m_filterText;
    // The rows' names case-folded, one after the other in one string, where the filter finds
    // its text in one sweep through memory rather than a search in each name; m_nameEnds: where
    // each row's name ends in it.
    QString m_foldedNames;
    std::vector<int> m_nameEnds;
    // Of the widest name, as of the last setStrings.
    int m_contentsWidth = 0;
};

#endif
