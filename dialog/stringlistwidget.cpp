// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "stringlistwidget.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>

StringListWidget::StringListWidget(QWidget *parent)
    : QTableWidget(parent)
    , changingCurrent(false)
{
    horizontalHeader()->hide();
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Renaming goes through the dialog, which keeps names unique.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the next control; the arrow keys move the row.
    setTabKeyNavigation(false);
    connect(this, &QTableWidget::currentItemChanged, this, &StringListWidget::slotCurrentChanged);
}

StringListWidget::~StringListWidget() = default;

void StringListWidget::setStrings(const QStringList &names, const QString &current)
{
    clear();
    setRowCount(names.size());
    setColumnCount(1);
    fillRows(names);
    clearHeaderTexts(names.size());
    applyFilter();
    const int row = current.isEmpty() ? 0 : qMax(0, names.indexOf(current));
    setCurrentCell(row, 0);
    resizeColumnsToContents();
    fitColumn();
}

// Each item put into a row reports its own change; with many thousands of rows those reports
// cost more than the items. One report for the whole column tells the same.
void StringListWidget::fillRows(const QStringList &names)
{
    if (names.isEmpty())
        return;
    {
        const QSignalBlocker blocker(model());
        for (int i = 0; i < names.size(); ++i)
            setItem(i, 0, new QTableWidgetItem(names.at(i)));
    }
    Q_EMIT model()->dataChanged(model()->index(0, 0), model()->index(names.size() - 1, 0));
}

QString StringListWidget::currentString() const
{
    return textOf(changingCurrent ? previousItem : currentItem());
}

void StringListWidget::setCurrentString(const QString &name)
{
    for (int row = 0; row < rowCount(); ++row) {
        QTableWidgetItem *candidate = item(row, 0);
        if (candidate && candidate->text() == name) {
            setCurrentItem(candidate, QItemSelectionModel::ClearAndSelect);
            return;
        }
    }
}

void StringListWidget::setFilterText(const QString &text)
{
    filterText = text;
    applyFilter();
}

void StringListWidget::applyFilter()
{
    for (int row = 0; row < rowCount(); ++row) {
        const QTableWidgetItem *candidate = item(row, 0);
        setRowHidden(row,
                     candidate && !candidate->text().contains(filterText, Qt::CaseInsensitive));
    }
}

// Hidden headers still reach screen readers, as cells with the row and column numbers: give
// them no text, so that only the names are read.
void StringListWidget::clearHeaderTexts(int rows)
{
    const QSignalBlocker blocker(model());
    setHorizontalHeaderItem(0, new QTableWidgetItem(QString()));
    for (int row = 0; row < rows; ++row)
        setVerticalHeaderItem(row, new QTableWidgetItem(QString()));
}

void StringListWidget::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
        Q_EMIT deleteRequested();
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The row is already shown; Enter must not reach the dialog's default button.
        event->accept();
        return;
    default:
        QTableWidget::keyPressEvent(event);
    }
}

void StringListWidget::resizeEvent(QResizeEvent *event)
{
    QTableWidget::resizeEvent(event);
    fitColumn();
}

void StringListWidget::slotCurrentChanged(QTableWidgetItem *current, QTableWidgetItem *previous)
{
    changingCurrent = true;
    previousItem = previous;
    Q_EMIT currentChanged(textOf(current), textOf(previous));
    changingCurrent = false;
}

QString StringListWidget::textOf(const QTableWidgetItem *item)
{
    return item ? item->data(Qt::DisplayRole).toString() : QString();
}

// Widens the only column to the view, never narrows it: a long name keeps its width and the view
// scrolls by pixels instead.
void StringListWidget::fitColumn()
{
    if (columnCount() == 0)
        return;
    const int target = width() - 2 * frameWidth() - 1;
    if (columnWidth(0) < target)
        horizontalHeader()->resizeSection(0, target);
}
