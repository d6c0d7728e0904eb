// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "session/winpropssession.h"
#include "tests/common/fakebackend.h"
#include "tests/common/testrecords.h"

#include <QtTest>

namespace {
const QStringList baseline = { "a;ontop", "b;sticky", "c;no_title" };

QString nameOf(WinPropsSession::Outcome outcome)
{
    switch (outcome) {
    case WinPropsSession::Outcome::Stored:
        return QStringLiteral("stored");
    case WinPropsSession::Outcome::Cancelled:
        return QStringLiteral("cancelled");
    case WinPropsSession::Outcome::Failed:
        break;
    }
    return QStringLiteral("failed");
}

std::optional<ConflictChoice> choiceOf(const QString &answer)
{
    if (answer == QLatin1String("mine"))
        return ConflictChoice::KeepMine;
    if (answer == QLatin1String("theirs"))
        return ConflictChoice::KeepTheirs;
    return std::nullopt;
}
} // namespace

// The store of a session whose baseline another client changed meanwhile, with a service that
// has generations and with one that has none: the changes of both sides are joined name by name,
// and the question is asked, and asked again, until the user settles it.
class TestWinPropsSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void joinsChangesMadeElsewhere_data()
    {
        QTest::addColumn<bool>("generations");
        QTest::addColumn<bool>("changes");
        QTest::addColumn<QStringList>("mine");
        QTest::addColumn<QStringList>("theirs"); // empty: nobody else stored
        QTest::addColumn<bool>("refetchFails");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("outcomes");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QStringList>("stored");
        const QStringList aHere = { "a;no_border", "b;sticky", "c;no_title" };
        const QStringList bothThere = { "a;sticky", "b;ontop", "c;no_title" };
        const QStringList stored = { "stored" };
        // Whether the service has generations, and whether it takes only the changes.
        const std::pair<bool, bool> services[]
            = { { true, true }, { true, false }, { false, false } };
        for (const auto &[generations, changes] : services) {
            const auto row
                = [generations = generations, changes = changes](const char *name) -> QTestData & {
                return QTest::addRow("%s, %s", name,
                                     changes           ? "changes only"
                                         : generations ? "whole collection"
                                                       : "no generations")
                    << generations << changes;
            };
            row("changed here only") << aHere << QStringList() << false << QStringList() << stored
                                     << QStringList() << aHere;
            row("changed there only")
                << aHere << QStringList({ "a;ontop", "b;ontop", "c;no_title" }) << false
                << QStringList() << stored << QStringList()
                << QStringList({ "a;no_border", "b;ontop", "c;no_title" });
            row("changed in both alike")
                << aHere << aHere << false << QStringList() << stored << QStringList() << aHere;
            row("changed in both, keep mine")
                << aHere << bothThere << false << QStringList("mine") << stored << QStringList("a")
                << QStringList({ "a;no_border", "b;ontop", "c;no_title" });
            row("changed in both, keep theirs")
                << aHere << bothThere << false << QStringList("theirs") << stored
                << QStringList("a") << bothThere;
            row("removed here, changed there")
                << QStringList({ "b;sticky", "c;no_title" }) << bothThere << false
                << QStringList("mine") << stored << QStringList("a")
                << QStringList({ "b;ontop", "c;no_title" });
            row("removed there, unchanged here")
                << QStringList({ "a;ontop", "b;no_border", "c;no_title" })
                << QStringList({ "b;sticky", "c;no_title" }) << false << QStringList() << stored
                << QStringList() << QStringList({ "b;no_border", "c;no_title" });
            row("removed there, changed here")
                << aHere << QStringList({ "b;sticky", "c;no_title" }) << false
                << QStringList("theirs") << stored << QStringList("a")
                << QStringList({ "b;sticky", "c;no_title" });
            row("removed on both sides")
                << QStringList({ "b;sticky", "c;no_title" })
                << QStringList({ "b;sticky", "c;ontop" }) << false << QStringList() << stored
                << QStringList() << QStringList({ "b;sticky", "c;ontop" });
            row("Cancel, then keep mine")
                << aHere << bothThere << false << QStringList({ "cancel", "mine" })
                << QStringList({ "cancelled", "stored" }) << QStringList({ "a", "a" })
                << QStringList({ "a;no_border", "b;ontop", "c;no_title" });
            row("failed re-fetch, then keep mine")
                << aHere << bothThere << true << QStringList("mine")
                << QStringList({ "failed", "stored" }) << QStringList("a")
                << QStringList({ "a;no_border", "b;ontop", "c;no_title" });
        }
    }

    void joinsChangesMadeElsewhere()
    {
        QFETCH(bool, generations);
        QFETCH(bool, changes);
        QFETCH(QStringList, mine);
        QFETCH(QStringList, theirs);
        QFETCH(bool, refetchFails);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, outcomes);
        QFETCH(QStringList, asked);
        QFETCH(QStringList, stored);
        FakeBackend service(baseline);
        service.hasGenerations = generations;
        service.storesChanges = changes;
        QStringList questions;
        WinPropsSession session(service, [&](const QStringList &names) {
            questions.append(names.join(QLatin1Char(',')));
            return choiceOf(answers.value(questions.size() - 1));
        });
        QVERIFY(session.fetch());
        session.workingCopy() = WinPropsWorkingCopy(recordsOf(mine));
        if (!theirs.isEmpty())
            service.storeElsewhere(theirs);
        if (refetchFails)
            service.fetchError = QStringLiteral("The name is not owned.");

        QStringList seen = { nameOf(session.store()) };
        service.fetchError = QString();
        // Neither a cancelled question nor a failed read leaves the session stored on theirs.
        if (seen.first() != QLatin1String("stored")) {
            QCOMPARE(textsOf(session.workingCopy().records()), mine);
            QCOMPARE(textsOf(session.baseline()), baseline);
            seen.append(nameOf(session.store()));
        }
        QCOMPARE(seen, outcomes);
        QCOMPARE(questions, asked);
        QCOMPARE(service.storedTexts(), stored);
        QCOMPARE(textsOf(session.baseline()), stored);
        QCOMPARE(service.changeStores, changes ? service.stores : 0);
    }

    // Only what differs from the baseline is sent, where that says it all; nothing when nothing
    // does.
    void sendsOnlyTheChanges_data()
    {
        QTest::addColumn<QStringList>("mine");
        QTest::addColumn<int>("stores");
        QTest::addColumn<QStringList>("sent"); // none: the whole collection was
        QTest::newRow("nothing changed") << baseline << 0 << QStringList();
        QTest::newRow("added") << baseline + QStringList("d;ontop") << 1 << QStringList("d;ontop");
        QTest::newRow("changed and removed")
            << QStringList({ "a;sticky", "c;no_title" }) << 1 << QStringList({ "a;sticky", "-b" });
        QTest::newRow("renamed in place")
            << QStringList({ "a;ontop", "z;sticky", "c;no_title" }) << 1 << QStringList();
        QTest::newRow("moved") << QStringList({ "b;sticky", "a;ontop", "c;no_title" }) << 1
                               << QStringList();
        QTest::newRow("name given twice")
            << baseline + QStringList({ "d;ontop", "d;sticky" }) << 1 << QStringList();
    }

    void sendsOnlyTheChanges()
    {
        QFETCH(QStringList, mine);
        QFETCH(int, stores);
        QFETCH(QStringList, sent);
        FakeBackend service(baseline);
        WinPropsSession session(service);
        QVERIFY(session.fetch());
        session.workingCopy() = WinPropsWorkingCopy(recordsOf(mine));
        QCOMPARE(session.store(), WinPropsSession::Outcome::Stored);
        QCOMPARE(service.stores, stores);
        QCOMPARE(service.changeStores, sent.isEmpty() ? 0 : 1);
        QCOMPARE(service.sentChanges, sent);
        QCOMPARE(service.storedTexts(), mine);
    }

    // A quiet run reads only the entries it names and sends only its changes; other entries,
    // whoever changes them meanwhile, are never sent.
    void partReadSendsOnlyTheChanges_data()
    {
        QTest::addColumn<QStringList>("theirs"); // empty: nobody else stored
        QTest::addColumn<bool>("changeStoreLost");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<int>("partReads");
        QTest::addColumn<QStringList>("sent"); // by the last store of changes
        const QStringList elsewhere = { "a;ontop", "b;no_title", "c;sticky", "o;sticky" };
        QTest::newRow("alone") << QStringList() << false
                               << QStringList({ "a;ontop", "c;no_title", "b;no_border", "n;ontop" })
                               << 1 << QStringList({ "b;no_border", "n;ontop", "-b" });
        QTest::newRow("changed elsewhere")
            << elsewhere << false
            << QStringList({ "a;ontop", "b;no_border", "c;sticky", "o;sticky", "n;ontop" }) << 2
            << QStringList({ "b;no_border", "n;ontop" });
        QTest::newRow("changes no longer taken")
            << elsewhere << true
            << QStringList({ "a;ontop", "b;no_border", "c;sticky", "o;sticky", "n;ontop" }) << 1
            << QStringList();
    }

    void partReadSendsOnlyTheChanges()
    {
        QFETCH(QStringList, theirs);
        QFETCH(bool, changeStoreLost);
        QFETCH(QStringList, stored);
        QFETCH(int, partReads);
        QFETCH(QStringList, sent);
        FakeBackend service(baseline);
        service.readsApart = true;
        WinPropsSession session(service);
        QVERIFY(session.fetch({ "b", "n" }));
        QCOMPARE(textsOf(session.baseline()), QStringList("b;sticky"));
        QVERIFY(session.workingCopy().remove("b"));
        session.workingCopy().store(recordOf("b;no_border"));
        session.workingCopy().store(recordOf("n;ontop"));
        if (!theirs.isEmpty())
            service.storeElsewhere(theirs);
        service.storesChanges = !changeStoreLost;

        QCOMPARE(session.store(), WinPropsSession::Outcome::Stored);
        QCOMPARE(service.storedTexts(), stored);
        QCOMPARE(service.partReads, partReads);
        QCOMPARE(service.sentChanges, sent);
    }

    // A collection that could not be read is replaced only by a store on no basis at all, which
    // then is the baseline of the next, conditional one.
    void unreadServiceIsReplacedThenStoredOnCondition()
    {
        FakeBackend service({ "x;ontop" });
        service.fetchError = QStringLiteral("The name is not owned.");
        WinPropsSession session(service);
        QVERIFY(!session.fetch());
        QCOMPARE(session.errorMessage(), service.fetchError);
        service.fetchError = QString();
        session.workingCopy().store(recordOf("new;ontop"));
        QCOMPARE(session.store(), WinPropsSession::Outcome::Stored);
        QVERIFY(session.isRead());
        QCOMPARE(service.storedTexts(), QStringList("new;ontop"));
        service.storeElsewhere({ "new;ontop", "o;sticky" });
        session.workingCopy().store(recordOf("new;sticky"));
        QCOMPARE(session.store(), WinPropsSession::Outcome::Stored);
        QCOMPARE(service.storedTexts(), QStringList({ "new;sticky", "o;sticky" }));
    }
};

QTEST_GUILESS_MAIN(TestWinPropsSession)
#include "tst_winpropssession.moc"
