// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// Adding, renaming and deleting entries of the working copy, from the buttons under the list and
// from the command line. None of these reaches the service before the next save.
#include "dialog/winpropsdialog.h"

#include "platform/x11/x11windowpicker.h"

#include <QInputDialog>

// A refill shows the new current record without keeping the editor's content, so the pending
// edits of the record on show are kept first.
void WinPropsDialog::carryEditorIntoWorkingCopy()
{
    const QString current = winListWidget->currentString();
    if (!current.isEmpty())
        keepEditorEdits(current);
}

void WinPropsDialog::refill(const QString &current)
{
    winListWidget->setStrings(m_workingCopy.names(), current);
}

WinProps WinPropsDialog::emptyRecord(const QString &name)
{
    WinProps props;
    props.setWinName(name);
    return props;
}

// An entry the user adds, renames or picks is shown, though the filter would hide it.
void WinPropsDialog::revealInFilter(const QString &name)
{
    if (!name.contains(filterEdit->text(), Qt::CaseInsensitive))
        filterEdit->clear();
}

// Stores the record and makes its row current, keeping the pending edits of the record on show.
void WinPropsDialog::storeAndShow(const WinProps &props)
{
    carryEditorIntoWorkingCopy();
    m_workingCopy.store(props);
    revealInFilter(props.winName());
    refill(props.winName());
    setChanged(true);
}

void WinPropsDialog::showEmptyPageIfNoNames()
{
    if (m_workingCopy.isEmpty())
        showEmptyPage();
}

// In place of the editor while no entry is chosen: what to do next.
void WinPropsDialog::showEmptyPage()
{
    if (!m_workingCopy.isEmpty() && !winListWidget->showsAnyRow())
        emptyHintLabel->setText(tr("No window name matches \"%1\".").arg(filterEdit->text()));
    else if (!m_workingCopy.isEmpty())
        emptyHintLabel->setText(tr("Choose a window name from the list to edit its properties."));
    else if (!m_session.isRead())
        emptyHintLabel->setText(tr("The stored window properties are unavailable: the service "
                                   "could not be read. Entries added here replace them all when "
                                   "saved."));
    else if (m_windowPicker)
        emptyHintLabel->setText(tr("No window properties are stored yet. Add... creates an entry "
                                   "for a program; Pick a window creates one for a window you "
                                   "click."));
    else
        emptyHintLabel->setText(
            tr("No window properties are stored yet. Add... creates an entry for a program."));
    stackedWidget->setCurrentWidget(emptyPropsWidget);
}

std::optional<QString> WinPropsDialog::promptNewName(const QString &title, const QString &label,
                                                     QString text, const QString &unchanged)
{
    for (;;) {
        bool ok = false;
        text = QInputDialog::getText(this, title, label, QLineEdit::Normal, text, &ok);
        if (!ok)
            return std::nullopt;
        if (text.isEmpty()) {
            ask(QMessageBox::Warning, tr("Empty window name"),
                tr("Please enter non-empty window name"), QMessageBox::Ok, QMessageBox::Ok);
            continue;
        }
        if (!m_workingCopy.contains(text) || (!unchanged.isNull() && text == unchanged))
            return text;
        if (ask(QMessageBox::Critical, tr("Properties are already exist"),
                tr("Properties for \"%1\" are already exist. Do you want to set new window name?")
                    .arg(text),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
            != QMessageBox::Yes)
            return std::nullopt;
    }
}

void WinPropsDialog::addWinProp()
{
    const std::optional<QString> name = promptNewName(
        tr("Add new window properties"), tr("Enter program name or window class:"), QString());
    if (!name)
        return;
    storeAndShow(emptyRecord(*name));
}

void WinPropsDialog::pickWindow()
{
    const X11WindowPicker::Start started = m_windowPicker->start();
    if (started == X11WindowPicker::Start::Started) {
        pickButton->setEnabled(false);
        return;
    }
    ask(QMessageBox::Warning, tr("Pick a window"),
        started == X11WindowPicker::Start::Busy
            ? tr("Another program holds the mouse pointer or the keyboard. Try again when it "
                 "lets go.")
            : tr("The connection to the X display is lost."),
        QMessageBox::Ok);
}

// The picked program's entry is selected, or added as Add... adds one.
void WinPropsDialog::takePickedWindow(WindowPickOutcome outcome, const QString &name)
{
    pickButton->setEnabled(true);
    switch (outcome) {
    case WindowPickOutcome::Picked:
        if (m_workingCopy.contains(name)) {
            revealInFilter(name);
            winListWidget->setCurrentString(name);
        } else
            storeAndShow(emptyRecord(name));
        break;
    case WindowPickOutcome::Cancelled:
        break;
    case WindowPickOutcome::RootWindow:
        ask(QMessageBox::Information, tr("Pick a window"),
            tr("That was the desktop, not a window. Nothing was added."), QMessageBox::Ok);
        break;
    case WindowPickOutcome::NoWmClass:
        ask(QMessageBox::Information, tr("Pick a window"),
            tr("That window has no program name or window class (WM_CLASS). Nothing was added."),
            QMessageBox::Ok);
        break;
    case WindowPickOutcome::Lost:
        ask(QMessageBox::Warning, tr("Pick a window"),
            tr("The connection to the X display is lost."), QMessageBox::Ok);
        break;
    }
}

void WinPropsDialog::renameWindowId()
{
    const QString oldName = winListWidget->currentString();
    const std::optional<QString> newName = promptNewName(
        tr("Renaming window id"), tr("Enter new program name or window class:"), oldName, oldName);
    // Its own name is nothing to do.
    if (!newName || *newName == oldName)
        return;
    m_workingCopy.rename(oldName, *newName);
    revealInFilter(*newName);
    // The editor keeps its content, which now belongs to the new name.
    const bool wasBlocked = winListWidget->blockSignals(true);
    refill(*newName);
    winListWidget->blockSignals(wasBlocked);
    // A record without a name was shown unedited; under its new name it can be edited.
    if (oldName.isEmpty())
        showInEditor(*newName);
    setChanged(true);
}

bool WinPropsDialog::confirmDeleting(const QString &name)
{
    return ask(QMessageBox::Warning, tr("Deleting properties"),
               tr("Are you sure you want to delete window propeties for \"%1\"?").arg(name),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void WinPropsDialog::deleteWinProp()
{
    const QString name = winListWidget->currentString();
    if (!confirmDeleting(name))
        return;
    m_workingCopy.remove(winListWidget->currentString());
    showEmptyPageIfNoNames();
    refill(winListWidget->currentString());
    setChanged(true);
}

void WinPropsDialog::deleteWinPropByName(const QString &name)
{
    show();
    if (name.isEmpty()) {
        refuseEmptyName();
        return;
    }
    if (!m_workingCopy.contains(name))
        return;
    if (!confirmDeleting(name))
        return;
    carryEditorIntoWorkingCopy();
    m_workingCopy.remove(name);
    showEmptyPageIfNoNames();
    refill(QString());
    setChanged(true);
}

void WinPropsDialog::explainImportProblem(const QString &problem)
{
    show();
    const QString sentence = problem.left(1).toUpper() + problem.mid(1);
    ask(QMessageBox::Warning, tr("Nothing imported"), sentence, QMessageBox::Ok);
}

void WinPropsDialog::addWinPropFromRecord(const QString &record)
{
    show();
    const WinProps props(record);
    if (!props.isValid()) {
        ask(QMessageBox::Warning, tr("Invalid window record"), props.errorString(),
            QMessageBox::Ok);
        return;
    }
    const QString name = props.winName();
    if (m_workingCopy.contains(name)) {
        if (ask(QMessageBox::Warning, tr("Properties already set"),
                tr("Properties for \"%1\" already set. Do you want to rewrite them?").arg(name),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes) {
            revealInFilter(name);
            winListWidget->setCurrentString(name);
            return;
        }
    }
    storeAndShow(props);
}

// The user chose the file to import, so its records replace entries without a question each.
void WinPropsDialog::importWinProps(const WinPropsList &records)
{
    if (records.isEmpty())
        return;
    carryEditorIntoWorkingCopy();
    for (const WinProps &props : records)
        m_workingCopy.store(props);
    revealInFilter(records.first().winName());
    refill(records.first().winName());
    setChanged(true);
}

void WinPropsDialog::editWinPropByName(const QString &name)
{
    if (name.isEmpty()) {
        refuseEmptyName();
        return;
    }
    if (m_workingCopy.contains(name)) {
        revealInFilter(name);
        winListWidget->setCurrentString(name);
        return;
    }
    if (ask(QMessageBox::Warning, tr("Missing properties"),
            tr("There are no setted window properties for \"%1\". Do you want to create them?")
                .arg(name),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    storeAndShow(emptyRecord(name));
}

void WinPropsDialog::refuseEmptyName()
{
    ask(QMessageBox::Warning, tr("Empty window name"),
        tr("The window name given on the command line is empty."), QMessageBox::Ok);
}
