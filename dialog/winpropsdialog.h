// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_WINPROPSDIALOG_H
#define KIVO_WINPROPSDIALOG_H

#include "dialog/ui_winpropsdialog.h"
#include "platform/x11/windowpickoutcome.h"
#include "session/winpropssession.h"

#include <QDialog>
#include <QMessageBox>

#include <optional>

class X11WindowPicker;

// The tool's window: window names on the left, the property editor of the current name on the
// right. Edits the working copy of its session and has the session store it on save; it asks
// the questions, the session does the rest.
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
    // Says why nothing was imported, as a bad record to add is said.
    void explainImportProblem(const QString &problem);

    void setVisible(bool visible) override;
    // Asks the service again what this desktop does with each property, and shows it.
    void showDesktopEffects();

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
    bool isChanged() const;
    bool checkUnsavedChanges();
    void restoreWindowState();
    void connectKeyboard();
    void setUpWindowPicking();
    void saveWindowState();

    bool confirmReplacingUnreadService();
    bool eraseMissingProperties();
    bool sendWorkingCopy();
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

    WinPropsBackend &m_service;
    WinPropsSession m_session;
    // The session's, which Reset and a save taking in changes made elsewhere replace.
    WinPropsWorkingCopy &m_workingCopy;
    // What the editor gave right after its last load, to tell edits from what it cannot show.
    WinProps m_editorAsLoaded;
    // Only where the dialog is on an X11 display; the pick button is hidden elsewhere.
    X11WindowPicker *m_windowPicker = nullptr;
    bool m_unreadWarningDue = false;
    bool m_wasShown = false;
};

#endif
