// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "dialog/winpropsdialog.h"
#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"
#include "tests/common/modalanswerer.h"
#include "tests/common/testenvironment.h"
#include "tests/common/testrecords.h"
#include "tests/robustness/hostilerecords.h"
#include "tests/robustness/hostilerun.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>

#include <map>
#include <memory>

namespace {
// libdbus's default time-out of a call, which the tool keeps.
constexpr int BusTimeoutMs = 25000;
// Time for start-up and for the work itself on top of a time-out; longer in the sanitized run.
int slackMs()
{
    return TestEnvironment::scaledMs(15000);
}
// For the dialogs of this process on a service that never answers, so that the call fails
// sooner. Services that answer keep the usual time-out: 100,000 records take seconds under load.
constexpr int ShortTimeoutMs = 2000;

enum class Outcome {
    Stored, // read whole, changed, stored: status 0
    Unread, // could not be read: status 3, nothing sent
    StoreFailed, // read whole and sent, the store failed: status 3
};

Outcome outcomeOf(const QString &mode)
{
    static const QStringList unread
        = { "wrong-signature", "wrong-record", "other-struct",  "same-field-count",
            "no-arguments",    "fetch-error",  "overlong-name", "silent" };
    static const QStringList storeFailed = { "silent-store", "store-error", "vanish-before-save" };
    if (unread.contains(mode))
        return Outcome::Unread;
    if (storeFailed.contains(mode))
        return Outcome::StoreFailed;
    return Outcome::Stored;
}

bool isSlow(const QString &mode)
{
    return mode == QLatin1String("silent") || mode == QLatin1String("silent-store");
}

WinPropsList delivered(const QString &mode)
{
    WinPropsList list;
    for (const WinProps &props : Hostile::records(mode))
        list.append(Hostile::asDelivered(props));
    return list;
}

int indexOf(const WinPropsList &list, const QString &name)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).winName() == name)
            return i;
    }
    return -1;
}

// What a quiet run stores: the first record of the name deleted or replaced, or the new one
// appended, and the records that set nothing left out.
QStringList expectedStore(const QString &mode, const QString &option, const QString &value)
{
    WinPropsList list = delivered(mode);
    if (option == QLatin1String("--delete")) {
        list.removeAt(indexOf(list, value));
    } else {
        const WinProps added(value);
        const int index = indexOf(list, added.winName());
        if (index >= 0)
            list[index] = added;
        else
            list.append(added);
    }
    // Records of other names go back as they came, even those that set nothing; an added
    // record that sets nothing is not stored.
    if (option != QLatin1String("--delete") && WinProps(value).isNull())
        list.removeAt(indexOf(list, WinProps(value).winName()));
    return textsOf(list);
}

struct QuietCase
{
    QString tag;
    QString mode;
    QStringList arguments;
};

QString nameToDelete(const QString &mode)
{
    if (mode == QLatin1String("huge"))
        return QStringLiteral("app-%1").arg(Hostile::HugeCount / 2, 6, 10, QLatin1Char('0'));
    if (mode == QLatin1String("long-names"))
        return QStringLiteral("short");
    if (mode == QLatin1String("markup-names"))
        return QStringLiteral("<b>bold</b>");
    if (mode == QLatin1String("odd-names"))
        return QStringLiteral("other");
    return QStringLiteral("vlc");
}

QString recordToAdd(const QString &mode)
{
    if (mode == QLatin1String("markup-names"))
        return QStringLiteral("<i>added</i> & more;ontop");
    if (mode == QLatin1String("odd-names"))
        return QStringLiteral("twice;no_border");
    return QStringLiteral("added;ontop;shadow=30");
}

QList<QuietCase> quietCases()
{
    QList<QuietCase> cases;
    for (const QString &mode : Hostile::modes()) {
        cases.append({ mode + QStringLiteral(", add"),
                       mode,
                       { QStringLiteral("--quiet"), QStringLiteral("--add"), recordToAdd(mode) } });
        cases.append(
            { mode + QStringLiteral(", delete"),
              mode,
              { QStringLiteral("--quiet"), QStringLiteral("--delete"), nameToDelete(mode) } });
    }
    return cases;
}

bool hasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

// A message box as it was shown.
struct ShownBox
{
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QSize size;
};

// Notes the box and clicks one of its buttons.
ModalAnswerer::Answer noteAndClick(QList<ShownBox> &shown, QMessageBox::StandardButton button)
{
    return [&shown, button](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        if (!box) {
            shown.append({ dialog->windowTitle(), QString(), Qt::AutoText, dialog->size() });
            qobject_cast<QDialog *>(dialog)->reject();
            return;
        }
        shown.append({ box->windowTitle(), box->text(), box->textFormat(), box->size() });
        box->button(button)->click();
    };
}

// The text a rich-text label shows.
QString renderedText(const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

// The dialog of this process on a hostile service on the test's own bus.
class HostileDialog
{
public:
    explicit HostileDialog(const QString &mode)
        : service(mode,
                  TestEnvironment::root() + QStringLiteral("/dialog-") + mode
                      + QString::number(++count))
        , apprc(WinPropsService::busName(), WinPropsService::objectPath(),
                QDBusConnection::sessionBus())
    {
        apprc.setTimeout(isSlow(mode) ? ShortTimeoutMs : BusTimeoutMs);
    }

    bool start()
    {
        if (!service.start())
            return false;
        dialog = std::make_unique<WinPropsDialog>(&apprc);
        return true;
    }

    template<typename T = QWidget> T *child(const char *name) const
    {
        return dialog->findChild<T *>(QLatin1String(name));
    }
    QPushButton *button(QDialogButtonBox::StandardButton which) const
    {
        return child<QDialogButtonBox>("buttonBox")->button(which);
    }
    bool isChanged() const { return button(QDialogButtonBox::Ok)->isEnabled(); }
    bool sentStore() const { return service.calls().contains(QLatin1String("setAllProperties")); }
    QStringList names() const
    {
        auto *list = child<QTableWidget>("winListWidget");
        QStringList result;
        for (int row = 0; row < list->rowCount(); ++row)
            result.append(list->item(row, 0)->text());
        return result;
    }

    HostileService service;
    ApprcInterface apprc;
    std::unique_ptr<WinPropsDialog> dialog;
    ModalAnswerer answers;
    QList<ShownBox> shown;

private:
    static int count;
};

int HostileDialog::count = 0;
} // namespace

class TestHostilePeers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void quietActions_data();
    void quietActions();
    void lostBusEndsTheWait_data();
    void lostBusEndsTheWait();
    void unreadServiceWarnsAndAsksBeforeReplacing_data();
    void unreadServiceWarnsAndAsksBeforeReplacing();
    void failedStoreIsReported_data();
    void failedStoreIsReported();
    void hostileNamesShownAsPlainText_data();
    void hostileNamesShownAsPlainText();
    void bigCollectionsInDialog_data();
    void bigCollectionsInDialog();
    void untouchedRecordKeepsWhatEditorCannotShow();
    void recordTextReportedOnOneLine();

private:
    std::map<QString, std::unique_ptr<HostileRun>> m_runs;
};

// The runs that wait for a time-out start at once and go on while the others are tried.
void TestHostilePeers::initTestCase()
{
    registerWinPropsTypes();
    for (const QuietCase &quiet : quietCases()) {
        if (!isSlow(quiet.mode))
            continue;
        auto run = std::make_unique<HostileRun>(quiet.mode, quiet.arguments);
        QVERIFY(run->start());
        m_runs[quiet.tag] = std::move(run);
    }
}

void TestHostilePeers::quietActions_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QStringList>("arguments");
    for (const QuietCase &quiet : quietCases())
        QTest::newRow(qPrintable(quiet.tag)) << quiet.mode << quiet.arguments;
}

// Never a crash or a hang, one line on stderr for a failure, and never a store of a collection
// that was not read whole.
void TestHostilePeers::quietActions()
{
    QFETCH(QString, mode);
    QFETCH(QStringList, arguments);
    const QString tag = QString::fromUtf8(QTest::currentDataTag());
    if (!m_runs.count(tag)) {
        m_runs[tag] = std::make_unique<HostileRun>(mode, arguments);
        QVERIFY(m_runs[tag]->start());
    }
    HostileRun &run = *m_runs[tag];
    // Only a service that never answers may keep the tool waiting, and only for the time-out.
    QVERIFY2(run.finish(BusTimeoutMs + slackMs()), "the tool hung");
    QVERIFY(!run.crashed());
    if (!isSlow(mode))
        QVERIFY2(run.elapsedMs() < BusTimeoutMs, qPrintable(QString::number(run.elapsedMs())));

    const Outcome outcome = outcomeOf(mode);
    const QString error = run.standardError();
    if (outcome == Outcome::Stored) {
        QCOMPARE(error, QString());
        QCOMPARE(run.exitCode(), 0);
    } else {
        QCOMPARE(run.exitCode(), 3);
        const QString start = outcome == Outcome::Unread
            ? QStringLiteral("kivo-admin-winprops: the window properties could not be read from "
                             "the service: ")
            : QStringLiteral("kivo-admin-winprops: the window properties could not be stored: ");
        QVERIFY2(error.startsWith(start), qPrintable(error));
        QVERIFY2(error.endsWith(QLatin1Char('\n')), qPrintable(error));
        QVERIFY2(!hasControlCharacter(error.chopped(1)), qPrintable(error));
    }

    const QList<QStringList> stores = run.service().stores();
    if (outcome == Outcome::Unread || mode == QLatin1String("vanish-before-save")) {
        QVERIFY(!run.service().calls().contains(QLatin1String("setAllProperties")));
        QCOMPARE(stores.size(), 0);
    } else {
        QCOMPARE(stores.size(), 1);
        QCOMPARE(stores.first(), expectedStore(mode, arguments.at(1), arguments.at(2)));
    }
}

void TestHostilePeers::lostBusEndsTheWait_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("unanswered");
    QTest::newRow("waiting for the fetch") << "silent"
                                           << "getPropertiesAndGeneration";
    QTest::newRow("waiting for the store") << "silent-store"
                                           << "setAllProperties";
}

// A bus that drops the tool leaves no call to be answered: the tool ends at once, saying so.
void TestHostilePeers::lostBusEndsTheWait()
{
    QFETCH(QString, mode);
    QFETCH(QString, unanswered);
    HostileRun run(mode, { QStringLiteral("--quiet"), QStringLiteral("--add"), "added;ontop" });
    QVERIFY(run.start());
    QTRY_VERIFY(run.service().calls().contains(unanswered));
    run.bus().kill();
    // Well before the call would time out.
    QVERIFY2(run.finish(BusTimeoutMs / 2), "the tool waits on a lost bus");
    QCOMPARE(run.exitCode(), 3);
    QVERIFY2(run.standardError().startsWith(
                 QStringLiteral("kivo-admin-winprops: the connection to the session bus was lost")),
             qPrintable(run.standardError()));
    QCOMPARE(run.standardError().count(QLatin1Char('\n')), 1);
}

void TestHostilePeers::unreadServiceWarnsAndAsksBeforeReplacing_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("reason");
    QTest::newRow("wrong signature") << "wrong-signature"
                                     << "\"as\"";
    QTest::newRow("wrong record") << "wrong-record"
                                  << "a(siobbbbbbbbbbbbbbbbbbbd)";
    QTest::newRow("no arguments") << "no-arguments"
                                  << "\"\"";
    QTest::newRow("error") << "fetch-error"
                           << "the collection is <i>locked</i>";
    QTest::newRow("overlong name")
        << "overlong-name"
        << QStringLiteral("a text of %1 characters").arg(Hostile::OverlongNameLength);
    QTest::newRow("silent") << "silent"
                            << "";
}

void TestHostilePeers::unreadServiceWarnsAndAsksBeforeReplacing()
{
    QFETCH(QString, mode);
    QFETCH(QString, reason);
    HostileDialog f(mode);
    QVERIFY(f.start());
    f.answers.then(noteAndClick(f.shown, QMessageBox::Ok));
    f.dialog->show();
    QTRY_COMPARE(f.shown.size(), 1);
    QCOMPARE(f.shown.at(0).title, QStringLiteral("Window properties unavailable"));
    QCOMPARE(f.shown.at(0).format, Qt::PlainText);
    QVERIFY2(f.shown.at(0).text.contains(reason), qPrintable(f.shown.at(0).text));
    QCOMPARE(f.names(), QStringList());

    f.dialog->addWinPropFromRecord(QStringLiteral("new;ontop"));
    QVERIFY(f.isChanged());
    f.answers.then(noteAndClick(f.shown, QMessageBox::No));
    f.button(QDialogButtonBox::Apply)->click();
    QCOMPARE(f.shown.size(), 2);
    QCOMPARE(f.shown.at(1).title, QStringLiteral("Replace all window properties"));
    QVERIFY(!f.sentStore());
    QVERIFY(f.isChanged());

    // Replacing is the user's choice; then the store goes out, and a silent service's time-out
    // is reported like any failed store.
    f.answers.then(noteAndClick(f.shown, QMessageBox::Yes));
    if (mode == QLatin1String("silent"))
        f.answers.then(noteAndClick(f.shown, QMessageBox::Ok));
    f.button(QDialogButtonBox::Apply)->click();
    QTRY_VERIFY(f.sentStore());
    if (mode == QLatin1String("silent")) {
        QCOMPARE(f.shown.size(), 4);
        QCOMPARE(f.shown.at(3).title, QStringLiteral("Saving failed"));
        QVERIFY(f.isChanged());
    } else {
        QCOMPARE(f.shown.size(), 3);
        QCOMPARE(f.service.stores(), QList<QStringList>({ { "new;ontop" } }));
        QVERIFY(!f.isChanged());
    }
    QVERIFY(f.answers.unexpected().isEmpty());
}

void TestHostilePeers::failedStoreIsReported_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("stores");
    QTest::newRow("error") << "store-error" << Hostile::storeErrorMessage() << 1;
    QTest::newRow("silent") << "silent-store"
                            << "" << 1;
    QTest::newRow("vanished") << "vanish-before-save"
                              << "" << 0;
}

void TestHostilePeers::failedStoreIsReported()
{
    QFETCH(QString, mode);
    QFETCH(QString, reason);
    QFETCH(int, stores);
    HostileDialog f(mode);
    QVERIFY(f.start());
    f.dialog->show();
    QCOMPARE(f.names(), QStringList({ "xterm", "vlc" }));
    f.child<QCheckBox>("stickyCB")->click();
    f.answers.then(noteAndClick(f.shown, QMessageBox::Ok));
    f.button(QDialogButtonBox::Ok)->click();

    QCOMPARE(f.shown.size(), 1);
    QCOMPARE(f.shown.at(0).title, QStringLiteral("Saving failed"));
    QCOMPARE(f.shown.at(0).format, Qt::PlainText);
    const QString start = QStringLiteral("The window properties could not be saved:\n");
    QVERIFY2(f.shown.at(0).text.startsWith(start), qPrintable(f.shown.at(0).text));
    QVERIFY(f.shown.at(0).text.size() > start.size());
    QVERIFY(f.shown.at(0).text.contains(reason));
    QVERIFY(f.dialog->isVisible());
    QVERIFY(f.isChanged());
    QCOMPARE(f.service.stores().size(), stores);
}

void TestHostilePeers::hostileNamesShownAsPlainText_data()
{
    QTest::addColumn<QString>("name");
    const WinPropsList records = delivered(QStringLiteral("markup-names"));
    for (int i = 0; i < records.size(); ++i)
        QTest::addRow("name %d", i) << records.at(i).winName();
}

// Every question that names a window shows the name as it is, never as markup.
void TestHostilePeers::hostileNamesShownAsPlainText()
{
    QFETCH(QString, name);
    HostileDialog f(QStringLiteral("markup-names"));
    QVERIFY(f.start());
    f.dialog->show();
    const QStringList names = textsOf(delivered(QStringLiteral("markup-names")));
    QCOMPARE(f.names().size(), names.size());
    QVERIFY(f.names().contains(name));
    auto *list = f.child<StringListWidget>("winListWidget");

    // Deleting it, declined, then done.
    list->setCurrentString(name);
    f.answers.then(noteAndClick(f.shown, QMessageBox::No));
    f.answers.then(noteAndClick(f.shown, QMessageBox::Yes));
    f.child<QPushButton>("deleteButton")->click();
    f.child<QPushButton>("deleteButton")->click();
    QVERIFY(!f.names().contains(name));

    // Adding it again without properties, then saving: the name is listed as missing.
    f.answers.thenType(name);
    f.child<QPushButton>("addButton")->click();
    QCOMPARE(list->currentString(), name);
    f.answers.then(noteAndClick(f.shown, QMessageBox::No));
    f.button(QDialogButtonBox::Apply)->click();

    // Renaming another entry to it.
    list->setCurrentString(f.names().first());
    f.answers.thenType(name);
    f.answers.then(noteAndClick(f.shown, QMessageBox::No));
    f.child<QPushButton>("renameButton")->click();

    // Adding it from a record text, where it can be written as one.
    WinProps record;
    record.setWinName(name);
    record.ontop = true;
    const bool writable = WinProps(record.toString()).isValid();
    if (writable) {
        f.answers.then(noteAndClick(f.shown, QMessageBox::No));
        f.dialog->addWinPropFromRecord(record.toString());
    }

    QCOMPARE(f.shown.size(), writable ? 5 : 4);
    if (writable)
        QCOMPARE(f.shown.at(4).title, QStringLiteral("Properties already set"));
    const QString quoted = QLatin1Char('"') + name + QLatin1Char('"');
    for (int i = 0; i < f.shown.size(); ++i) {
        if (i == 2)
            continue;
        QCOMPARE(f.shown.at(i).format, Qt::PlainText);
        QVERIFY2(f.shown.at(i).text.contains(quoted), qPrintable(f.shown.at(i).text));
    }
    QCOMPARE(f.shown.at(0).title, QStringLiteral("Deleting properties"));
    QCOMPARE(f.shown.at(3).title, QStringLiteral("Properties are already exist"));
    // The one rich text: line breaks between names; a line break in a name is just space.
    QCOMPARE(f.shown.at(2).title, QStringLiteral("Missing properties"));
    QVERIFY2(renderedText(f.shown.at(2).text).simplified().contains(quoted.simplified()),
             qPrintable(f.shown.at(2).text));
    QVERIFY(!f.sentStore());
    QVERIFY(f.answers.unexpected().isEmpty());
}

void TestHostilePeers::bigCollectionsInDialog_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("huge") << "huge";
    QTest::newRow("long names") << "long-names";
}

// The dialog shows them within the screen, asks what it must, and stores everything it read.
void TestHostilePeers::bigCollectionsInDialog()
{
    QFETCH(QString, mode);
    HostileDialog f(mode);
    QVERIFY(f.start());
    f.dialog->show();
    const WinPropsList records = delivered(mode);
    QCOMPARE(f.names().size(), records.size());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(f.dialog->width() <= screen.width());
    QVERIFY(f.dialog->height() <= screen.height());

    // The first record is current; deleting it is declined, then an edit is saved.
    f.answers.then(noteAndClick(f.shown, QMessageBox::No));
    f.child<QPushButton>("deleteButton")->click();
    QCOMPARE(f.shown.size(), 1);
    QVERIFY(f.shown.at(0).text.contains(records.first().winName()));
    WinPropsList expected;
    for (WinProps props : records) {
        if (props.winName() == records.first().winName())
            props.focus_on_click = true;
        if (!props.isNull())
            expected.append(props);
    }
    const bool asksMissing = expected.size() < records.size();
    f.child<QCheckBox>("focus_on_clickCB")->click();
    if (asksMissing)
        f.answers.then(noteAndClick(f.shown, QMessageBox::Yes));
    QElapsedTimer saving;
    saving.start();
    f.button(QDialogButtonBox::Apply)->click();
    const qint64 savingMs = saving.elapsed();
    QCOMPARE(f.service.stores(), QList<QStringList>({ textsOf(expected) }));
    QVERIFY(!f.isChanged());
    QCOMPARE(f.shown.size(), asksMissing ? 2 : 1);
    QVERIFY(f.answers.unexpected().isEmpty());
    for (const ShownBox &box : qAsConst(f.shown)) {
        QVERIFY2(box.size.height() <= screen.height(), qPrintable(box.title));
        QVERIFY2(box.size.width() <= screen.width(), qPrintable(box.title));
    }
    if (asksMissing) {
        QCOMPARE(f.shown.at(1).title, QStringLiteral("Missing properties"));
        const int missing = records.size() - expected.size();
        QVERIFY(renderedText(f.shown.at(1).text)
                    .contains(QStringLiteral("and %1 more").arg(missing - 20)));
    }
    QVERIFY2(savingMs < BusTimeoutMs, qPrintable(QString::number(savingMs)));
}

// The first record has a geometry and an image the editor cannot show; moving past it and
// saving another edit must not rewrite it.
void TestHostilePeers::untouchedRecordKeepsWhatEditorCannotShow()
{
    HostileDialog f(QStringLiteral("odd-names"));
    QVERIFY(f.start());
    f.dialog->show();
    const WinPropsList records = delivered(QStringLiteral("odd-names"));
    auto *list = f.child<StringListWidget>("winListWidget");
    QCOMPARE(list->currentString(), records.first().winName());
    list->setCurrentString(QStringLiteral("other"));
    f.child<QCheckBox>("ontopCB")->click();
    f.button(QDialogButtonBox::Apply)->click();

    WinPropsList expected = records;
    expected[indexOf(expected, QStringLiteral("other"))].ontop = true;
    QCOMPARE(f.service.stores(), QList<QStringList>({ textsOf(expected) }));
    QVERIFY(f.shown.isEmpty());
}

// The refused record text is quoted in the message, its control characters made harmless.
void TestHostilePeers::recordTextReportedOnOneLine()
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(KIVO_ADMIN_WINPROPS),
               { QStringLiteral("--quiet"), QStringLiteral("--add"),
                 QStringLiteral("two\nlines\x1b[2J;ontop") });
    QVERIFY(tool.waitForFinished(BusTimeoutMs));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 2);
    const QString error = QString::fromUtf8(tool.readAllStandardError());
    QVERIFY2(
        error.startsWith(QStringLiteral("kivo-admin-winprops: invalid window record \"two lines")),
        qPrintable(error));
    QCOMPARE(error.count(QLatin1Char('\n')), 1);
    QVERIFY2(!hasControlCharacter(error.chopped(1)), qPrintable(error));
}

KIVO_TEST_MAIN(TestHostilePeers)

#include "tst_hostilepeers.moc"
