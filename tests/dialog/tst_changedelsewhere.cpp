// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "dialog/winpropsdialog.h"
#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"
#include "tests/common/modalanswerer.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"
#include "tests/common/testrecords.h"
#include "tests/robustness/hostilerecords.h"
#include "tests/robustness/hostilerun.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QPushButton>

#include <memory>

// The dialog of this process on a real service while another client stores: whatever the user
// answers, nothing that client stored is lost without being asked about.
class TestChangedElsewhere : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ServiceProcess> m_standIn;
    std::unique_ptr<HostileService> m_older;

    bool startService(const QString &which)
    {
        if (which == QLatin1String("stand-in")) {
            m_standIn = std::make_unique<ServiceProcess>();
            m_standIn->writeStorage(
                { QStringLiteral("xterm;no_title"), QStringLiteral("vlc;ontop") });
            return m_standIn->start();
        }
        // It serves xterm;no_title and vlc;ontop as well.
        m_older = std::make_unique<HostileService>(
            which == QLatin1String("older") ? Hostile::olderServiceMode()
                                            : Hostile::wholeCollectionServiceMode(),
            TestEnvironment::root() + QLatin1Char('/') + which);
        return m_older->start();
    }

private Q_SLOTS:
    void initTestCase() { registerWinPropsTypes(); }

    void cleanup()
    {
        m_standIn.reset();
        m_older.reset();
        QVERIFY(ServiceProcess::waitForService(false));
    }

    void cancelThenApplyAgain_data()
    {
        QTest::addColumn<QString>("service");
        QTest::newRow("stand-in service") << "stand-in";
        QTest::newRow("service without generations") << "older";
        QTest::newRow("service without storing only changes") << "whole";
    }

    // Cancel leaves the edits and what the other client stored apart: the next Apply asks again.
    void cancelThenApplyAgain()
    {
        QFETCH(QString, service);
        QVERIFY(startService(service));
        ApprcInterface apprc(WinPropsService::busName(), WinPropsService::objectPath(),
                             QDBusConnection::sessionBus());
        ApprcInterface other(WinPropsService::busName(), WinPropsService::objectPath(),
                             QDBusConnection::sessionBus());
        ModalAnswerer answers;
        WinPropsDialog dialog(&apprc);
        dialog.show();
        dialog.winListWidget->setCurrentString(QStringLiteral("vlc"));
        dialog.findChild<QCheckBox *>(QStringLiteral("no_titleCB"))->click();
        QVERIFY(succeeded(other.setAllProperties(recordsOf({ "xterm;sticky", "vlc;no_pager" }))));

        QPushButton *apply = dialog.buttonBox->button(QDialogButtonBox::Apply);
        answers.thenClick(QMessageBox::Cancel);
        apply->click();
        answers.thenClick(QMessageBox::Yes);
        apply->click();

        QVERIFY(answers.allAnswered());
        QCOMPARE(answers.seen().size(), 2);
        for (const QString &seen : answers.seen())
            QVERIFY2(seen.startsWith(QLatin1String("Changed elsewhere|")), qPrintable(seen));
        const WinPropsBackend::Fetched stored = other.readAllProperties();
        QVERIFY(stored.ok);
        QCOMPARE(textsOf(stored.records), QStringList({ "xterm;sticky", "vlc;no_title;ontop" }));
        // Asked once whether it stores only changes, and never again.
        if (m_older)
            QCOMPARE(m_older->calls().count(QStringLiteral("changePropertiesIfUnchanged")),
                     service == QLatin1String("whole") ? 1 : 0);
    }
};

KIVO_TEST_MAIN(TestChangedElsewhere)
#include "tst_changedelsewhere.moc"
