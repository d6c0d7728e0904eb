// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// In-process figures of the dialog holding N generated records: its first paint from the real
// service, with its floors (the fetch, an empty dialog); one keystroke in the filter and moving
// the current row, with the service held in the process; and a save (an edit, then Apply, which
// waits for the answer of a real service). Run by scripts/bench with -median; not a test.
#include "bench/benchrecords.h"
#include "dialog/winpropsdialog.h"
#include "platform/winprops/recordlines.h"
#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"
#include "tests/common/fakebackend.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <memory>

namespace {
// The dialog on a service with count records, kept across the reruns that -median makes: the
// real service as a process, or one in this process where the service does not take part.
class Fixture
{
public:
    Fixture(int count, bool realService)
        : count(count)
        , realService(realService)
    {
        WinPropsList records = BenchRecords::generate(count);
        // The last two rows hold the same records whatever the count, so that moving between
        // them does the same work apart from what depends on the count.
        records[count - 2] = WinProps(QStringLiteral(
            "bench-last-but-one;no_title;small_image=utilities-terminal;geometry=640x480+0+0"));
        records[count - 1] = WinProps(QStringLiteral("bench-last;ontop;no_border;shadow=40"));
        fake.stored = records;
        WinPropsBackend *backend = &fake;
        if (realService)
            backend = startService(records);
        dialog = std::make_unique<WinPropsDialog>(backend);
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            qFatal("the dialog was not shown");
    }

    template<typename T> T *child(const char *name) const
    {
        T *found = dialog->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }

    const int count;
    const bool realService;
    ServiceProcess service;
    std::unique_ptr<ApprcInterface> apprc;
    FakeBackend fake;
    std::unique_ptr<WinPropsDialog> dialog;

private:
    ApprcInterface *startService(const WinPropsList &records)
    {
        QFile file(service.storagePath());
        if (!file.open(QIODevice::WriteOnly) || file.write(recordLines(records)) < 0)
            qFatal("cannot write %s", qPrintable(service.storagePath()));
        file.close();
        if (!service.start())
            qFatal("the window-properties service did not start");
        apprc = std::make_unique<ApprcInterface>(WinPropsService::busName(),
                                                 WinPropsService::objectPath(),
                                                 QDBusConnection::sessionBus());
        return apprc.get();
    }
};
} // namespace

class BenchDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Fixture> fixture;

    Fixture &fixtureOf(int count, bool realService)
    {
        if (!fixture || fixture->count != count || fixture->realService != realService) {
            fixture.reset();
            fixture = std::make_unique<Fixture>(count, realService);
        }
        return *fixture;
    }

    static void addCounts(std::initializer_list<int> counts = { 100, 100000 })
    {
        QTest::addColumn<int>("count");
        for (const int count : counts)
            QTest::newRow(qPrintable(QString::number(count))) << count;
    }

    static void addGrowingCounts() { addCounts({ 100, 10000, 100000 }); }

    static void paintDialogOn(WinPropsBackend *backend)
    {
        WinPropsDialog dialog(backend);
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            qFatal("the dialog was not shown");
        dialog.grab();
    }

private Q_SLOTS:
    void initTestCase() { registerWinPropsTypes(); }
    void cleanupTestCase() { fixture.reset(); }

    void firstPaint_data() { addGrowingCounts(); }

    // From building the dialog, which fetches every record from the real service, to its first
    // frame.
    void firstPaint()
    {
        QFETCH(int, count);
        Fixture &f = fixtureOf(count, true);
        QBENCHMARK
        {
            paintDialogOn(f.apprc.get());
        }
    }

    void fetchInProcess_data() { addGrowingCounts(); }

    // Half of the first paint's floor: the fetch alone, through the same client.
    void fetchInProcess()
    {
        QFETCH(int, count);
        Fixture &f = fixtureOf(count, true);
        QBENCHMARK
        {
            QVERIFY(f.apprc->fetchAll().ok);
        }
    }

    // The other half: the dialog's first frame without records.
    void emptyDialog()
    {
        FakeBackend empty;
        QBENCHMARK
        {
            paintDialogOn(&empty);
        }
        QVERIFY(empty.stored.isEmpty());
    }

    void filterKeystroke_data() { addGrowingCounts(); }

    // One character typed into the filter, or taken out again: every generated name holds an
    // "e" or not, so each keystroke hides or shows a part of the rows.
    void filterKeystroke()
    {
        QFETCH(int, count);
        Fixture &f = fixtureOf(count, false);
        auto *filter = f.child<QLineEdit>("filterEdit");
        filter->setFocus();
        filter->clear();
        QBENCHMARK
        {
            QTest::keyClick(filter, filter->text().isEmpty() ? Qt::Key_E : Qt::Key_Backspace);
            QCoreApplication::processEvents();
        }
        filter->clear();
    }

    void moveCurrentRow_data() { addCounts(); }

    // Between the last two rows, where a lookup that walks the list from the front pays most.
    void moveCurrentRow()
    {
        QFETCH(int, count);
        Fixture &f = fixtureOf(count, false);
        StringListWidget *list = f.child<StringListWidget>("winListWidget");
        QCOMPARE(list->rowCount(), count);
        int row = count - 1;
        QBENCHMARK
        {
            row = row == count - 1 ? count - 2 : count - 1;
            list->setCurrentItem(list->item(row, 0), QItemSelectionModel::ClearAndSelect);
            QCoreApplication::processEvents();
        }
        QCOMPARE(list->currentRow(), row);
    }

    void save_data() { addGrowingCounts(); }

    // One edit of the last record, then Apply: the edit keeps the record from being empty, so
    // that no question comes.
    void save()
    {
        QFETCH(int, count);
        Fixture &f = fixtureOf(count, true);
        StringListWidget *list = f.child<StringListWidget>("winListWidget");
        list->setCurrentCell(count - 1, 0);
        f.child<QCheckBox>("shadowCB")->setChecked(true);
        QSpinBox *shadow = f.child<QSpinBox>("shadowSpinBox");
        QPushButton *apply
            = f.child<QDialogButtonBox>("buttonBox")->button(QDialogButtonBox::Apply);
        QBENCHMARK
        {
            shadow->setValue(shadow->value() == 40 ? 41 : 40);
            QVERIFY(apply->isEnabled());
            apply->click();
            QCoreApplication::processEvents();
        }
        QVERIFY(!apply->isEnabled());
        QCOMPARE(list->currentRow(), count - 1);
    }
};

KIVO_TEST_MAIN(BenchDialog)
#include "benchdialog.moc"
