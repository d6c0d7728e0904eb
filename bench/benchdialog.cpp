// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// In-process figures of the dialog on a real service holding N generated records: moving the
// current row, and a save (an edit, then Apply, which waits for the service's answer).
// Run by scripts/bench with -median; not a test.
#include "apprcinterface.h"
#include "benchrecords.h"
#include "serviceprocess.h"
#include "testenvironment.h"
#include "winpropsdialog.h"
#include "winpropsservice.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QFile>
#include <QPushButton>
#include <QSpinBox>

#include <memory>

namespace {
// The dialog on a service with count records, kept across the reruns that -median makes.
class Fixture
{
public:
    explicit Fixture(int count)
        : count(count)
    {
        WinPropsList records = BenchRecords::generate(count);
        // The last two rows hold the same records whatever the count, so that moving between
        // them does the same work apart from what depends on the count.
        records[count - 2] = WinProps(QStringLiteral(
            "bench-last-but-one;no_title;small_image=utilities-terminal;geometry=640x480+0+0"));
        records[count - 1] = WinProps(QStringLiteral("bench-last;ontop;no_border;shadow=40"));
        QFile file(service.storagePath());
        if (!file.open(QIODevice::WriteOnly) || file.write(BenchRecords::storageText(records)) < 0)
            qFatal("cannot write %s", qPrintable(service.storagePath()));
        file.close();
        if (!service.start())
            qFatal("the window-properties service did not start");
        apprc = std::make_unique<ApprcInterface>(WinPropsService::busName(),
                                                 WinPropsService::objectPath(),
                                                 QDBusConnection::sessionBus());
        dialog = std::make_unique<WinPropsDialog>(apprc.get());
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
    ServiceProcess service;
    std::unique_ptr<ApprcInterface> apprc;
    std::unique_ptr<WinPropsDialog> dialog;
};
} // namespace

class BenchDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Fixture> fixture;

    Fixture &fixtureOf(int count)
    {
        if (!fixture || fixture->count != count) {
            fixture.reset();
            fixture = std::make_unique<Fixture>(count);
        }
        return *fixture;
    }

    static void addCounts()
    {
        QTest::addColumn<int>("count");
        for (const int count : { 100, 100000 })
            QTest::newRow(qPrintable(QString::number(count))) << count;
    }

private Q_SLOTS:
    void initTestCase() { registerWinPropsTypes(); }
    void cleanupTestCase() { fixture.reset(); }

    void moveCurrentRow_data() { addCounts(); }

    // Between the last two rows, where a lookup that walks the list from the front pays most.
    void moveCurrentRow()
    {
        QFETCH(int, count);
        Fixture &f = fixtureOf(count);
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

    void save_data() { addCounts(); }

    // One edit of the last record, then Apply: the edit keeps the record from being empty, so
    // that no question comes.
    void save()
    {
        QFETCH(int, count);
        Fixture &f = fixtureOf(count);
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
