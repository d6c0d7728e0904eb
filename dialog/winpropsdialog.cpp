// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "dialog/winpropsdialog.h"

#include "platform/kivoui/kivohelp.h"
#include "platform/x11/x11windowpicker.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>

namespace {
const char windowStateGroup[] = "WindowState";
const char sizeKey[] = "size";
} // namespace

WinPropsDialog::WinPropsDialog(WinPropsBackend *service, QWidget *parent)
    : QDialog(parent)
    , m_service(*service)
    , m_session(*service, [this](const QStringList &names) { return askAboutConflicts(names); })
    , m_workingCopy(m_session.workingCopy())
{
    setupUi(this);
    setChanged(false);
    buttonBox->button(QDialogButtonBox::Help)->setShortcut(QKeySequence::HelpContents);

    connect(buttonBox, &QDialogButtonBox::helpRequested, this, &WinPropsDialog::showHelp);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &WinPropsDialog::slotReject);
    connect(buttonBox, &QDialogButtonBox::accepted, this, &WinPropsDialog::slotAccept);
    connect(buttonBox->button(QDialogButtonBox::Reset), &QPushButton::clicked, this,
            &WinPropsDialog::reset);
    connect(buttonBox->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &WinPropsDialog::save);
    connect(winListWidget, &StringListWidget::currentChanged, this,
            &WinPropsDialog::slotCurrentWinChanged);
    setUpWindowPicking();

    m_unreadWarningDue = !m_session.fetch();
    showDesktopEffects();
    winListWidget->setStrings(m_workingCopy.names(), QString());
    if (m_workingCopy.isEmpty())
        slotCurrentWinChanged(QString(), QString());

    // Only now, so that showing the first record is not taken for an edit.
    connect(winPropsWidget, qOverload<bool>(&WinPropsWidget::changed), this,
            &WinPropsDialog::setChanged);
    connect(addButton, &QPushButton::clicked, this, &WinPropsDialog::addWinProp);
    connect(deleteButton, &QPushButton::clicked, this, &WinPropsDialog::deleteWinProp);
    connect(renameButton, &QPushButton::clicked, this, &WinPropsDialog::renameWindowId);
    connectKeyboard();

    restoreWindowState();
}

void WinPropsDialog::showDesktopEffects()
{
    const std::optional<DesktopEffects> effects = m_service.effectsHere();
    winPropsWidget->setDesktopEffects(effects ? &*effects : nullptr);
}

// The list's own keys act like the buttons under it; Ctrl+F goes to the filter, and Enter there
// goes on to the list.
void WinPropsDialog::connectKeyboard()
{
    connect(winListWidget, &StringListWidget::deleteRequested, deleteButton, &QPushButton::click);
    connect(filterEdit, &QLineEdit::textChanged, this, &WinPropsDialog::filterNames);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        filterEdit->setFocus(Qt::ShortcutFocusReason);
        filterEdit->selectAll();
    });
    filterEdit->installEventFilter(this);
}

// The entry on show is always one the list shows: when the filter hides it, its edits are kept
// and the editor gives way to the hint until another entry is chosen.
void WinPropsDialog::filterNames(const QString &text)
{
    carryEditorIntoWorkingCopy();
    winListWidget->setFilterText(text);
    if (winListWidget->currentString().isEmpty())
        showEmptyPage();
}

// Enter in the filter field must not reach the dialog's default button, which would save and
// close; Escape first clears a filter that holds text, as search fields do, rather than close.
bool WinPropsDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == filterEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            winListWidget->makeFirstShownRowCurrent();
            winListWidget->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
        if (key == Qt::Key_Escape && !filterEdit->text().isEmpty()) {
            filterEdit->clear();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// The picker talks to the display the dialog is on ($DISPLAY, as Qt's X11 platform), over a
// connection of its own; on any other platform there is no window of another program to pick.
void WinPropsDialog::setUpWindowPicking()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (std::unique_ptr<X11Connection> x11 = X11Connection::open(QByteArray()))
            m_windowPicker = new X11WindowPicker(std::move(x11), this);
    }
    pickButton->setVisible(m_windowPicker != nullptr);
    if (!m_windowPicker)
        return;
    connect(pickButton, &QPushButton::clicked, this, &WinPropsDialog::pickWindow);
    connect(m_windowPicker, &X11WindowPicker::finished, this, &WinPropsDialog::takePickedWindow);
}

WinPropsDialog::~WinPropsDialog()
{
    // A dialog never shown has only the size it was given, fitted to this screen.
    if (m_wasShown)
        saveWindowState();
}

void WinPropsDialog::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    if (!visible)
        return;
    m_wasShown = true;
    warnIfServiceUnread();
}

// Shown once, when the dialog first appears, since saving would then replace what the service
// holds with a list that may be incomplete.
void WinPropsDialog::warnIfServiceUnread()
{
    if (!m_unreadWarningDue)
        return;
    m_unreadWarningDue = false;
    // No service at all is said in words, its message there for whoever looks further; a
    // service that answers wrongly is quoted.
    const bool absent = m_service.isServiceAbsent();
    const QString why = absent
        ? tr("The window properties could not be read from the window-properties service. Check "
             "that it is installed and running (kivo-winpropsd, usually started with the "
             "session), then open this window again.")
        : tr("The window properties could not be read from the service:") + QLatin1Char('\n')
            + m_session.errorMessage();
    QMessageBox box(QMessageBox::Warning, tr("Window properties unavailable"),
                    why + QLatin1Char('\n')
                        + tr("Saving will replace all stored window properties with the entries "
                             "shown here."),
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    if (absent)
        box.setDetailedText(m_session.errorMessage());
    box.exec();
}

void WinPropsDialog::slotCurrentWinChanged(const QString &current, const QString &previous)
{
    // A service may hold a record without a name: its row counts as a row.
    const bool hasRow = winListWidget->currentItem() != nullptr;
    deleteButton->setEnabled(hasRow);
    renameButton->setEnabled(hasRow);
    if (!hasRow) {
        showEmptyPage();
        return;
    }
    if (!previous.isNull())
        keepEditorEdits(previous);
    stackedWidget->setCurrentWidget(winPropsWidget);
    showInEditor(current);
}

void WinPropsDialog::showInEditor(const QString &name)
{
    winPropsWidget->setWinProps(m_workingCopy.find(name));
    m_editorAsLoaded = winPropsWidget->winProps(name);
    // A record without a name is shown as it is and cannot be edited: nothing could be kept
    // under its name.
    winPropsWidget->setEnabled(!name.isEmpty());
}

// The editor rewrites what it cannot show (a geometry it does not read, say), so only what the
// user changed in it is taken over; everything else stays as the service sent it.
void WinPropsDialog::keepEditorEdits(const QString &name)
{
    if (name.isEmpty() || !m_workingCopy.contains(name))
        return;
    const WinProps kept = m_workingCopy.find(name);
    const WinProps edited = withEdits(kept, m_editorAsLoaded, winPropsWidget->winProps(name));
    if (edited != kept)
        m_workingCopy.store(edited);
}

bool WinPropsDialog::save()
{
    if (!confirmReplacingUnreadService())
        return false;
    const QString current = winListWidget->currentString();
    carryEditorIntoWorkingCopy();
    if (!eraseMissingProperties())
        return false;
    const bool sent = sendWorkingCopy();
    refill(current);
    showEmptyPageIfNoNames();
    if (!sent)
        return false;
    QWidget *focused = focusWidget();
    setChanged(false);
    // Apply, now disabled, would hand the focus on to Help, and the next Return to it.
    if (focused && !focused->isEnabled())
        winListWidget->setFocus(Qt::OtherFocusReason);
    return true;
}

bool WinPropsDialog::confirmReplacingUnreadService()
{
    if (m_session.isRead())
        return true;
    return ask(QMessageBox::Warning, tr("Replace all window properties"),
               tr("The stored window properties could not be read when this dialog opened. "
                  "Saving replaces all of them with the entries shown here. Do you want to "
                  "continue?"),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

// Records that set nothing are not kept; the user may decline and go on editing them.
bool WinPropsDialog::eraseMissingProperties()
{
    const QStringList missing = m_workingCopy.nullNames();
    if (missing.isEmpty())
        return true;
    const QString text = tr("There are no properties for window names:<br>%1<br><br>These "
                            "names will be removed. Do you want to continue?")
                             .arg(quotedNames(missing));
    if (ask(QMessageBox::Warning, tr("Missing properties"), text,
            QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton, Qt::RichText)
        == QMessageBox::No)
        return false;
    m_workingCopy.removeAll(missing);
    return true;
}

// A screenful at most: thousands of lines take long to lay out and push the buttons off the
// screen.
QString WinPropsDialog::quotedNames(const QStringList &names)
{
    constexpr int maxListed = 20;
    const int listed = qMin(names.size(), maxListed);
    QStringList quoted;
    for (int i = 0; i < listed; ++i)
        quoted.append(QLatin1Char('"') + names.at(i).toHtmlEscaped() + QLatin1Char('"'));
    if (listed < names.size())
        quoted.append(tr("and %n more", nullptr, names.size() - listed));
    return quoted.join(QLatin1String("<br>"));
}

// Waits for the service's answer: a store that fails must not pass for a saved one. What others
// stored meanwhile is taken in, asking about the entries changed in both places.
bool WinPropsDialog::sendWorkingCopy()
{
    switch (m_session.store()) {
    case WinPropsSession::Outcome::Stored:
        return true;
    case WinPropsSession::Outcome::Cancelled:
        return false;
    case WinPropsSession::Outcome::Failed:
        break;
    }
    ask(QMessageBox::Critical, tr("Saving failed"),
        tr("The window properties could not be saved:") + QLatin1Char('\n')
            + m_session.errorMessage(),
        QMessageBox::Ok);
    return false;
}

// Returns to what the service last returned or accepted, every entry included.
void WinPropsDialog::reset()
{
    const QString current = winListWidget->currentString();
    m_session.reset();
    refill(current);
    showEmptyPageIfNoNames();
    setChanged(false);
}

std::optional<ConflictChoice> WinPropsDialog::askAboutConflicts(const QStringList &names)
{
    QMessageBox box(QMessageBox::Warning, tr("Changed elsewhere"),
                    tr("While this dialog was open, these window names were also changed "
                       "elsewhere:<br>%1<br><br>Which changes do you want to keep?")
                        .arg(quotedNames(names)),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setTextFormat(Qt::RichText);
    // Neither is a refusal: no style's "no" icon, and keys of their own.
    for (const auto &[which, text] : { std::pair(QMessageBox::Yes, tr("Keep &mine")),
                                       std::pair(QMessageBox::No, tr("Keep &theirs")) }) {
        box.button(which)->setText(text);
        box.button(which)->setIcon(QIcon());
    }
    box.setDefaultButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return ConflictChoice::KeepMine;
    case QMessageBox::No:
        return ConflictChoice::KeepTheirs;
    default:
        return std::nullopt;
    }
}

void WinPropsDialog::setChanged(bool b)
{
    for (const auto which :
         { QDialogButtonBox::Ok, QDialogButtonBox::Apply, QDialogButtonBox::Reset })
        buttonBox->button(which)->setEnabled(b);
}

bool WinPropsDialog::isChanged() const
{
    return buttonBox->button(QDialogButtonBox::Ok)->isEnabled();
}

void WinPropsDialog::showHelp()
{
    kivoHelpShow(kivoHelpLookForWidget());
}

void WinPropsDialog::slotAccept()
{
    if (save())
        accept();
}

void WinPropsDialog::slotReject()
{
    reject();
}

void WinPropsDialog::closeEvent(QCloseEvent *event)
{
    event->setAccepted(checkUnsavedChanges());
}

bool WinPropsDialog::checkUnsavedChanges()
{
    if (!isChanged())
        return true;
    const auto answer
        = ask(QMessageBox::Warning, tr("Unsaved changes"),
              tr("There are some unapplied changes. Do you want to save them now?"),
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer == QMessageBox::Yes)
        return save();
    if (answer == QMessageBox::No) {
        reset();
        return true;
    }
    return false;
}

void WinPropsDialog::restoreWindowState()
{
    QSettings settings;
    settings.beginGroup(QLatin1String(windowStateGroup));
    QSize size = settings.value(QLatin1String(sizeKey), QSize(600, 400)).toSize();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    size.setWidth(qMin(size.width(), available.width()));
    size.setHeight(qMin(size.height(), available.height()));
    resize(size);
}

void WinPropsDialog::saveWindowState()
{
    QSettings settings;
    settings.beginGroup(QLatin1String(windowStateGroup));
    settings.setValue(QLatin1String(sizeKey), size());
}

QMessageBox::StandardButton WinPropsDialog::ask(QMessageBox::Icon icon, const QString &title,
                                                const QString &text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton,
                                                Qt::TextFormat format)
{
    QMessageBox box(icon, title, text, buttons, this);
    box.setTextFormat(format);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
