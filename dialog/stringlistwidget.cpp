// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "dialog/stringlistwidget.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QToolTip>

namespace {
// Folded one character at a time, as a search that ignores case compares them.
QString foldedCase(const QString &text)
{
    QString folded;
    folded.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const uint character = QChar::toCaseFolded(QChar::surrogateToUcs4(unit, text.at(++i)));
            folded += QChar(QChar::highSurrogate(character));
            folded += QChar(QChar::lowSurrogate(character));
        } else {
            folded += unit.toCaseFolded();
        }
    }
    return folded;
}
} // namespace

StringListWidget::StringListWidget(QWidget *parent)
    : QTableWidget(parent)
    , m_changingCurrent(false)
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
    m_foldedNames.clear();
    m_nameEnds.clear();
    m_nameEnds.reserve(names.size());
    for (const QString &name : names) {
        m_foldedNames += foldedCase(name);
        m_nameEnds.push_back(m_foldedNames.size());
    }
    setRowCount(names.size());
    setColumnCount(1);
    fillRows(names);
    clearHeaderTexts(names.size());
    applyFilter();
    const int named = current.isEmpty() ? 0 : qMax(0, names.indexOf(current));
    const int row = isRowHidden(named) ? firstShownRow() : named;
    resizeColumnsToContents();
    m_contentsWidth = columnWidth(0);
    fitColumn();
    if (row >= 0) {
        setCurrentCell(row, 0);
        scrollToItem(currentItem());
    }
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
    return textOf(m_changingCurrent ? m_previousItem : currentItem());
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

// The row on show is never hidden: a filter that hides it leaves no row current.
void StringListWidget::setFilterText(const QString &text)
{
    m_filterText = text;
    applyFilter();
    if (currentItem() && isRowHidden(currentRow()))
        setCurrentItem(nullptr);
}

int StringListWidget::firstShownRow() const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (!isRowHidden(row))
            return row;
    }
    return -1;
}

void StringListWidget::makeFirstShownRowCurrent()
{
    if (currentItem())
        return;
    const int row = firstShownRow();
    if (row >= 0)
        setCurrentCell(row, 0);
}

// A row hidden while the header updates itself finds its position first, walking every row
// before it; with the header's updates off, it only marks the row, and the rows are laid out
// once afterwards.
void StringListWidget::applyFilter()
{
    QHeaderView *rows = verticalHeader();
    const bool updating = rows->updatesEnabled();
    rows->setUpdatesEnabled(false);
    const std::vector<bool> matching = rowsMatchingFilter();
    for (int row = 0; row < int(matching.size()); ++row) {
        if (matching[row] == isRowHidden(row))
            setRowHidden(row, !matching[row]);
    }
    rows->setUpdatesEnabled(updating);
}

// A match that runs over the end of a name into the next is none.
std::vector<bool> StringListWidget::rowsMatchingFilter() const
{
    const QString needle = foldedCase(m_filterText);
    std::vector<bool> matching(m_nameEnds.size(), needle.isEmpty());
    std::size_t row = 0;
    int from = 0;
    for (int at; !needle.isEmpty() && (at = m_foldedNames.indexOf(needle, from)) >= 0;) {
        while (row < m_nameEnds.size() && m_nameEnds[row] <= at)
            ++row;
        if (row == m_nameEnds.size())
            break;
        if (at + needle.size() <= m_nameEnds[row]) {
            matching[row] = true;
            from = m_nameEnds[row];
        } else {
            from = at + 1;
        }
    }
    return matching;
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
    m_changingCurrent = true;
    m_previousItem = previous;
    Q_EMIT currentChanged(textOf(current), textOf(previous));
    m_changingCurrent = false;
}

QString StringListWidget::textOf(const QTableWidgetItem *item)
{
    return item ? item->data(Qt::DisplayRole).toString() : QString();
}

// The only column fills the view, and is wider only for a name wider than the view, which the
// view then scrolls to by pixels. It follows the view's width as a vertical scroll bar comes and
// goes, so that no horizontal one shows without need.
void StringListWidget::fitColumn()
{
    if (columnCount() == 0)
        return;
    const int target = qMax(m_contentsWidth, viewport()->width());
    if (columnWidth(0) != target)
        horizontalHeader()->resizeSection(0, target);
}

// A name wider than the list is shown whole in a tooltip, rather than only by scrolling.
bool StringListWidget::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QTableWidget::viewportEvent(event);
    const QPoint position = static_cast<QHelpEvent *>(event)->pos();
    const QTableWidgetItem *pointed = itemAt(position);
    const QRect shown = pointed ? visualItemRect(pointed) : QRect();
    const int needed = pointed ? fontMetrics().horizontalAdvance(pointed->text()) : 0;
    if (pointed && shown.left() + needed + 2 * frameWidth() > viewport()->width())
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), pointed->text(), this);
    else
        QToolTip::hideText();
    return true;
}

void StringListWidget::updateGeometries()
{
    QTableWidget::updateGeometries();
    fitColumn();
}
