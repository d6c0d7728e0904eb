#include "kivoui.h"
#include "testenvironment.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUuid>
#include <QVBoxLayout>

namespace {
QWidget *helpWindow()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->objectName() == QLatin1String("kivoHelpWindow"))
            return window;
    }
    return nullptr;
}

QTextBrowser *helpBrowser()
{
    QWidget *window = helpWindow();
    return window ? window->findChild<QTextBrowser *>() : nullptr;
}

// The dialog and editor as far as help looks at them: object names and parents.
struct DialogLike
{
    DialogLike()
    {
        dialog.setObjectName(QStringLiteral("WinPropsDialog"));
        auto *layout = new QVBoxLayout(&dialog);
        list->setObjectName(QStringLiteral("winListWidget"));
        layout->addWidget(list);
        editor->setObjectName(QStringLiteral("WinPropsWidget"));
        layout->addWidget(editor);
        auto *tabs = new QTabWidget(editor);
        tabs->setObjectName(QStringLiteral("tabWidget"));
        auto *appearance = new QWidget;
        appearance->setObjectName(QStringLiteral("tab_2"));
        tabs->addTab(appearance, QStringLiteral("Appearance"));
        height->setObjectName(QStringLiteral("heightSB"));
        height->setParent(appearance);
        auto *behavior = new QWidget;
        behavior->setObjectName(QStringLiteral("tab"));
        tabs->addTab(behavior, QStringLiteral("Behavior"));
        behaviorLabel->setParent(behavior);
        behaviorLabel->setObjectName(QStringLiteral("label_9"));
        unnamed->setParent(editor);
    }

    QWidget dialog;
    QListWidget *list = new QListWidget;
    QWidget *editor = new QWidget;
    QSpinBox *height = new QSpinBox;
    QLabel *behaviorLabel = new QLabel;
    QWidget *unnamed = new QWidget;
};
} // namespace

class TestKivoUi : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase();
    void initSetsNames();
    void initLoadsTranslationForLocale_data();
    void initLoadsTranslationForLocale();
    void helpShowsSectionOfWidget_data();
    void helpShowsSectionOfWidget();
    void helpGoesToTopWithoutSection();
    void helpWindowIsReused();
    void manualHasSectionForEveryControl_data();
    void manualHasSectionForEveryControl();
    void lookForWidget();

private:
    QStringList m_madeFolders;
};

void TestKivoUi::cleanupTestCase()
{
    for (const QString &folder : qAsConst(m_madeFolders))
        QDir(folder).removeRecursively();
    QDir().rmdir(QCoreApplication::applicationDirPath() + QStringLiteral("/../share"));
}

void TestKivoUi::initSetsNames()
{
    kivoInit("1.1.3-2", "kivo-admin-winprops");
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("kivo-admin-winprops"));
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.1.3-2"));
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("kivo"));
    QCOMPARE(QCoreApplication::organizationDomain(), QStringLiteral("kivo.org"));
}

void TestKivoUi::initLoadsTranslationForLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<QString>("expected");
    QTest::newRow("de_DE") << QStringLiteral("de_DE") << true << QStringLiteral("Fenster");
    QTest::newRow("de_AT, language file only")
        << QStringLiteral("de_AT") << true << QStringLiteral("Fenster");
    QTest::newRow("fr_FR, no file") << QStringLiteral("fr_FR") << true << QStringLiteral("Window");
    QTest::newRow("de_DE, no file") << QStringLiteral("de_DE") << false << QStringLiteral("Window");
}

void TestKivoUi::initLoadsTranslationForLocale()
{
    QFETCH(QString, locale);
    QFETCH(bool, withFile);
    QFETCH(QString, expected);
    // Each row its own application name, so that an earlier row's file does not count.
    const QString appName
        = QStringLiteral("kivo-test-") + QUuid::createUuid().toString(QUuid::Id128);
    if (withFile) {
        const QString folder
            = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/") + appName;
        m_madeFolders << folder;
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/translations")));
        QVERIFY(QFile::copy(QStringLiteral(TEST_TRANSLATION),
                            folder + QStringLiteral("/translations/") + appName
                                + QStringLiteral("_de.qm")));
    }
    QLocale::setDefault(QLocale(locale));
    kivoInit("1", appName.toUtf8().constData());
    QLocale::setDefault(QLocale::c());

    QCOMPARE(QCoreApplication::translate("KivoTest", "Window"), expected);
}

void TestKivoUi::helpShowsSectionOfWidget_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("anchor");
    QTest::newRow("its own") << QStringLiteral("list") << QStringLiteral("winListWidget");
    QTest::newRow("spin box's inner line edit")
        << QStringLiteral("height line edit") << QStringLiteral("heightSB");
    QTest::newRow("label on a tab") << QStringLiteral("behavior label") << QStringLiteral("tab");
    QTest::newRow("unnamed in the editor")
        << QStringLiteral("unnamed") << QStringLiteral("WinPropsWidget");
    QTest::newRow("the dialog") << QStringLiteral("dialog") << QStringLiteral("WinPropsDialog");
}

void TestKivoUi::helpShowsSectionOfWidget()
{
    QFETCH(QString, path);
    QFETCH(QString, anchor);
    DialogLike ui;
    const QHash<QString, QWidget *> widgets {
        { QStringLiteral("list"), ui.list },
        { QStringLiteral("height line edit"), ui.height->findChild<QLineEdit *>() },
        { QStringLiteral("behavior label"), ui.behaviorLabel },
        { QStringLiteral("unnamed"), ui.unnamed },
        { QStringLiteral("dialog"), &ui.dialog },
    };
    QWidget *widget = widgets.value(path);
    QVERIFY(widget);

    kivoHelpShow(widget);
    QTextBrowser *browser = helpBrowser();
    QVERIFY(browser);
    QVERIFY(helpWindow()->isVisible());
    QCOMPARE(browser->source().fragment(), anchor);
}

void TestKivoUi::helpGoesToTopWithoutSection()
{
    QWidget stranger;
    stranger.setObjectName(QStringLiteral("SomeOtherWindow"));
    auto *inside = new QPushButton(&stranger);

    kivoHelpShow(new QLabel(QStringLiteral("x"), inside));
    QTextBrowser *browser = helpBrowser();
    QVERIFY(browser);
    QCOMPARE(browser->source().fragment(), QString());
    QCOMPARE(browser->verticalScrollBar()->value(), 0);

    // A section far down scrolls; a widget without one, and no widget, go back to the top.
    QWidget far;
    far.setObjectName(QStringLiteral("focus_on_clickCB"));
    kivoHelpShow(&far);
    QTRY_VERIFY(browser->verticalScrollBar()->value() > 0);
    kivoHelpShow(inside);
    QCOMPARE(browser->verticalScrollBar()->value(), 0);
    kivoHelpShow(&far);
    QTRY_VERIFY(browser->verticalScrollBar()->value() > 0);
    kivoHelpShow(nullptr);
    QCOMPARE(browser->source().fragment(), QString());
    QCOMPARE(browser->verticalScrollBar()->value(), 0);
}

void TestKivoUi::helpWindowIsReused()
{
    DialogLike ui;
    kivoHelpShow(ui.list);
    QWidget *first = helpWindow();
    QVERIFY(first);
    first->close();
    QVERIFY(!first->isVisible());

    kivoHelpShow(ui.height);
    QCOMPARE(helpWindow(), first);
    QVERIFY(first->isVisible());
    int helpWindows = 0;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        helpWindows += window->findChildren<QTextBrowser *>().size();
    QCOMPARE(helpWindows, 1);
    QCOMPARE(first->windowTitle(), QStringLiteral("Help – Windows properties"));
}

void TestKivoUi::manualHasSectionForEveryControl_data()
{
    QTest::addColumn<QString>("name");
    const QStringList names {
        "WinPropsDialog",
        "winListWidget",
        "addButton",
        "renameButton",
        "deleteButton",
        "buttonBox",
        "WinPropsWidget",
        "tabWidget",
        "tab_2",
        "tab",
        "no_titleCB",
        "no_borderCB",
        "no_border_edgeCB",
        "no_ctrlbtnCB",
        "no_button1CB",
        "no_button2CB",
        "no_button3CB",
        "no_tbuttonCB",
        "no_pagerCB",
        "small_imageCB",
        "large_imageCB",
        "shadowCB",
        "transparencyCB",
        "stickyCB",
        "no_focusCB",
        "close_soonCB",
        "ontopCB",
        "onbottomCB",
        "init_maximizeCB",
        "init_minimizeCB",
        "focus_on_clickCB",
        "small_imageButton",
        "large_imageButton",
        "shadowSlider",
        "shadowSpinBox",
        "transparencySlider",
        "transparencySpinBox",
        "geometryWidget",
        "groupBox",
        "xSB",
        "ySB",
        "widthSB",
        "heightSB",
        "fromRightEdgeCB",
        "fromBottomEdgeCB",
        "centerOfScreenCB",
    };
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << name;
}

void TestKivoUi::manualHasSectionForEveryControl()
{
    QFETCH(QString, name);
    QWidget widget;
    widget.setObjectName(name);
    kivoHelpShow(&widget);
    QTextBrowser *browser = helpBrowser();
    QVERIFY(browser);
    QCOMPARE(browser->source().fragment(), name);
}

void TestKivoUi::lookForWidget()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *pointed = new QPushButton(QStringLiteral("pointed"));
    auto *focused = new QPushButton(QStringLiteral("focused"));
    layout->addWidget(pointed);
    layout->addWidget(focused);
    window.setGeometry(20, 20, 200, 120);
    QWidget other;
    other.setGeometry(400, 300, 200, 120);
    other.show();
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    focused->setFocus();
    QCOMPARE(QApplication::focusWidget(), focused);

    QCursor::setPos(pointed->mapToGlobal(pointed->rect().center()));
    QCOMPARE(kivoHelpLookForWidget(), pointed);

    // Under the mouse but in a window that is not active: the focus widget.
    QCursor::setPos(other.mapToGlobal(other.rect().center()));
    QCOMPARE(kivoHelpLookForWidget(), focused);
    QCursor::setPos(QPoint(790, 10));
    QCOMPARE(kivoHelpLookForWidget(), focused);

    // Nothing under the mouse, nothing focused: the active window.
    focused->clearFocus();
    QCOMPARE(QApplication::focusWidget(), nullptr);
    QCOMPARE(kivoHelpLookForWidget(), &window);
}

KIVO_TEST_MAIN(TestKivoUi)

#include "tst_kivoui.moc"
