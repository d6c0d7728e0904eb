// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSDIALOG_H
#define KIVO_WINPROPSDIALOG_H

#include "ui_winpropsdialog.h"
#include "windowpickoutcome.h"
#include "winpropsbackend.h"
#include "winpropsworkingcopy.h"

#include <QDialog>
#include <QMessageBox>

#include <optional>

class X11WindowPicker;

// The tool's window: window names on the left, the property editor of the current name on the
// right. Holds a working copy of every record of the service and sends it back whole on save.
class WinPropsDialog : public QDialog, public Ui::WinPropsDialog
{
    Q_OBJECT

public:
    // The service must outlive the dialog.
    explicit WinPropsDialog(WinPropsBackend *service, QWidget *parent = nullptr);
    ~WinPropsDialog() override;

    // Command-line entries.
    void addWinPropFromRecord(const QString &record);
    void deleteWinPropByName(const QString &name);
    void editWinPropByName(const QString &name);
    // Puts the records in place of those of the same name, or adds them; asks nothing.
    void importWinProps(const WinPropsList &records);

    // Whether the records could not be read from the service when the dialog was built, and why.
    bool isServiceUnread() const { return !fetchError.isNull(); }
    // The message of the last failed fetch or save.
    QString serviceError() const { return lastServiceError; }
    // Stores pending changes without asking anything; true when stored or nothing was pending.
    bool saveQuietly();

    void setVisible(bool visible) override;

    // No questions: the command-line entries act without showing the dialog or asking.
    bool quiet = false;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    void slotCurrentWinChanged(const QString &current, const QString &previous);
    bool save();
    void reset();
    void addWinProp();
    void pickWindow();
    void takePickedWindow(WindowPickOutcome outcome, const QString &name);
    void deleteWinProp();
    void renameWindowId();
    void setChanged(bool b);
    void showHelp();
    void filterNames(const QString &text);
    void slotAccept();
    void slotReject();

private:
    WinPropsList fetchAllProperties();
    bool isChanged() const;
    bool checkUnsavedChanges();
    void restoreWindowState();
    void connectKeyboard();
    void setUpWindowPicking();
    void saveWindowState();

    bool confirmReplacingUnreadService();
    bool eraseMissingProperties();
    bool sendWorkingCopy();
    bool reportSaveFailure(const QString &message);
    bool takeInChangesMadeElsewhere(const WinPropsList &theirs);
    std::optional<ConflictChoice> askAboutConflicts(const QStringList &names);
    QString quotedNames(const QStringList &names);
    void warnIfServiceUnread();
    void carryEditorIntoWorkingCopy();
    void showInEditor(const QString &name);
    void keepEditorEdits(const QString &name);
    void refill(const QString &current);
    void revealInFilter(const QString &name);
    static WinProps emptyRecord(const QString &name);
    void storeAndShow(const WinProps &props);
    void showEmptyPageIfNoNames();
    void showEmptyPage();
    bool confirmDeleting(const QString &name);
    void refuseEmptyName();
    // unchanged: a name that is accepted although it exists.
    std::optional<QString> promptNewName(const QString &title, const QString &label, QString text,
                                         const QString &unchanged = QString());
    QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString &title,
                                    const QString &text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton
                                    = QMessageBox::NoButton,
                                    Qt::TextFormat format = Qt::PlainText);

    WinPropsBackend *service;
    WinPropsWorkingCopy workingCopy;
    // The collection as the service last returned or accepted it: what Reset returns to, and
    // what tells the changes made here from those made elsewhere.
    WinPropsList baseline;
    // What the editor gave right after its last load, to tell edits from what it cannot show.
    WinProps editorAsLoaded;
    QString fetchError;
    QString lastServiceError;
    // Only where the dialog is on an X11 display; the pick button is hidden elsewhere.
    X11WindowPicker *windowPicker = nullptr;
    bool unreadWarningDue = false;
    bool wasShown = false;
};

#endif
