// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/kivoui/kivohelp.h"
#include "platform/kivoui/kivoui.h"
#include "tests/common/testenvironment.h"

#include <QIcon>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
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

int helpWindowCount()
{
    int count = 0;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        count += window->findChildren<QTextBrowser *>().size();
    return count;
}

// A chain of widgets named by the parts of path, each the child of the one before; the last
// one is returned. An empty part is a widget without a name.
QWidget *buildChain(QWidget &window, const QString &path)
{
    const QStringList names = path.split(QLatin1Char('/'));
    window.setObjectName(names.first());
    QWidget *widget = &window;
    for (const QString &name : names.mid(1)) {
        widget = new QWidget(widget);
        widget->setObjectName(name);
    }
    return widget;
}
} // namespace

class TestKivoUi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase();
    void initSetsNames();
    void initLoadsTranslationForLocale_data();
    void initLoadsTranslationForLocale();
    void helpShowsSectionOfWidget_data();
    void helpShowsSectionOfWidget();
    void manualHasSectionForEveryControl_data();
    void manualHasSectionForEveryControl();
    void lookForWidget();
    void iconThemeFallback_data();
    void iconThemeFallback();
    void initGivesIconsOnBareSession();

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

void TestKivoUi::iconThemeFallback_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("platform's theme kept") << "Papirus" << QStringList("Adwaita") << "Papirus";
    QTest::newRow("none named") << "" << QStringList({ "oxygen", "Adwaita" }) << "Adwaita";
    QTest::newRow("only the fallback named") << "hicolor" << QStringList("breeze") << "breeze";
    QTest::newRow("none installed") << "" << QStringList("hicolor") << "";
}

void TestKivoUi::iconThemeFallback()
{
    QFETCH(QString, current);
    QFETCH(QStringList, installed);
    QFETCH(QString, chosen);
    QTemporaryDir empty;
    QTemporaryDir icons;
    for (const QString &theme : installed) {
        QVERIFY(QDir(icons.path()).mkpath(theme));
        QFile index(icons.filePath(theme + QStringLiteral("/index.theme")));
        QVERIFY(index.open(QIODevice::WriteOnly));
    }
    QCOMPARE(kivoIconThemeFallback(current, { empty.path(), icons.path() }), chosen);
}

// The offscreen platform, like X11 without a desktop, names no icon theme.
void TestKivoUi::initGivesIconsOnBareSession()
{
    kivoInit("1.1.3-2", "kivo-admin-winprops");
    QVERIFY2(QIcon::hasThemeIcon(QStringLiteral("document-open")), qPrintable(QIcon::themeName()));
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
    const QString editor = QStringLiteral("WinPropsDialog/WinPropsWidget/tabWidget/"
                                          "qt_tabwidget_stackedwidget");
    QTest::newRow("its own") << QStringLiteral("WinPropsDialog/winListWidget")
                             << QStringLiteral("winListWidget");
    QTest::newRow("spin box's inner line edit") << editor
            + QStringLiteral("/tab_2/scrollArea/qt_scrollarea_viewport/"
                             "scrollAreaWidgetContents/geometryWidget/groupBox/heightSB/"
                             "qt_spinbox_lineedit")
                                                << QStringLiteral("heightSB");
    QTest::newRow("label on a tab")
        << editor + QStringLiteral("/tab/label_9") << QStringLiteral("tab");
    QTest::newRow("unnamed in the editor")
        << QStringLiteral("WinPropsDialog/WinPropsWidget/") << QStringLiteral("WinPropsWidget");
    QTest::newRow("the dialog") << QStringLiteral("WinPropsDialog")
                                << QStringLiteral("WinPropsDialog");
    QTest::newRow("no section") << QStringLiteral("SomeOtherWindow/button/") << QString();
    QTest::newRow("no widget") << QString() << QString();
}

void TestKivoUi::helpShowsSectionOfWidget()
{
    QFETCH(QString, path);
    QFETCH(QString, anchor);
    QWidget window;
    QWidget *widget = path.isEmpty() ? nullptr : buildChain(window, path);
    // Start far down, so that going to the top is seen.
    QWidget far;
    far.setObjectName(QStringLiteral("focus_on_clickCB"));
    kivoHelpShow(&far);
    QTextBrowser *browser = helpBrowser();
    QVERIFY(browser);
    QTRY_VERIFY(browser->verticalScrollBar()->value() > 0);

    kivoHelpShow(widget);
    QCOMPARE(browser->source().fragment(), anchor);
    if (anchor.isEmpty())
        QCOMPARE(browser->verticalScrollBar()->value(), 0);
    QVERIFY(helpWindow()->isVisible());
    QCOMPARE(helpWindowCount(), 1);
    QCOMPARE(helpWindow()->windowTitle(), QStringLiteral("Help – Windows properties"));
    helpWindow()->close();
}

void TestKivoUi::manualHasSectionForEveryControl_data()
{
    QTest::addColumn<QString>("name");
    const QString names = QStringLiteral(
        "WinPropsDialog winListWidget addButton pickButton renameButton deleteButton buttonBox "
        "WinPropsWidget tabWidget tab_2 tab no_titleCB no_borderCB no_border_edgeCB no_ctrlbtnCB "
        "no_button1CB no_button2CB no_button3CB no_tbuttonCB no_pagerCB small_imageCB "
        "large_imageCB shadowCB transparencyCB stickyCB no_focusCB close_soonCB ontopCB "
        "onbottomCB init_maximizeCB init_minimizeCB focus_on_clickCB small_imageButton "
        "large_imageButton shadowSlider shadowSpinBox transparencySlider transparencySpinBox "
        "geometryWidget geometryCB groupBox xSB ySB widthSB heightSB fromRightEdgeCB "
        "fromBottomEdgeCB "
        "centerOfScreenCB");
    for (const QString &name : names.split(QLatin1Char(' ')))
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

KIVO_TEST_MAIN_WITHOUT_BUS(TestKivoUi)

#include "tst_kivoui.moc"
