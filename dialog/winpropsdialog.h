// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSDIALOG_H
#define KIVO_WINPROPSDIALOG_H

#include "ui_winpropsdialog.h"
#include "winprops.h"

#include <QDialog>
#include <QHash>
#include <QMessageBox>

#include <optional>

class ApprcInterface;

// The tool's window: window names on the left, the property editor of the current name on the
// right. Holds a working copy of every record of the service and sends it back whole on save.
class WinPropsDialog : public QDialog, public Ui::WinPropsDialog
{
    Q_OBJECT

public:
    explicit WinPropsDialog(ApprcInterface *apprc, QWidget *parent = nullptr);
    ~WinPropsDialog() override;

    // Command-line entries.
    void addWinPropFromRecord(const QString &record);
    void deleteWinPropByName(const QString &name);
    void editWinPropByName(const QString &name);

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

private Q_SLOTS:
    void slotCurrentWinChanged(const QString &current, const QString &previous);
    bool save();
    void reset();
    void addWinProp();
    void deleteWinProp();
    void renameWindowId();
    void setChanged(bool b);
    void showHelp();
    void slotAccept();
    void slotReject();

private:
    WinPropsList fetchAllProperties();
    QStringList winPropsNames() const;
    WinProps winPropsFor(const QString &name) const;
    void storeWinProps(const WinProps &props);
    int indexOfWinProps(const QString &name) const;
    void forgetNameIndex();
    bool renameWinProps(const QString &oldName, const QString &newName);
    bool removeWinProps(const QString &name);
    bool isChanged() const;
    bool checkUnsavedChanges();
    void restoreWindowState();
    void saveWindowState();

    bool confirmReplacingUnreadService();
    bool eraseMissingProperties();
    bool sendWorkingCopy();
    void warnIfServiceUnread();
    void carryEditorIntoWorkingCopy();
    void showInEditor(const QString &name);
    void keepEditorEdits(const QString &name);
    void refill(const QString &current);
    void showEmptyPageIfNoNames();
    bool confirmDeleting(const QString &name);
    void refuseEmptyName();
    std::optional<QString> promptNewName(const QString &title, const QString &label, QString text);
    QMessageBox::StandardButton ask(QMessageBox::Icon icon, const QString &title,
                                    const QString &text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton
                                    = QMessageBox::NoButton,
                                    Qt::TextFormat format = Qt::PlainText);

    ApprcInterface *apprc;
    WinPropsList winPropsList;
    // Where the first record of each name is in winPropsList, built on the first lookup. Any
    // change to winPropsList other than storeWinProps must call forgetNameIndex.
    mutable QHash<QString, int> nameIndex;
    mutable bool nameIndexBuilt = false;
    // What the editor gave right after its last load, to tell edits from what it cannot show.
    WinProps editorAsLoaded;
    QString fetchError;
    QString lastServiceError;
    bool unreadWarningDue = false;
};

#endif
