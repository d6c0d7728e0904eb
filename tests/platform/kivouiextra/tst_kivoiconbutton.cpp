// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/kivouiextra/kivoiconbutton.h"
#include "platform/kivouiextra/kivoicondialog.h"
#include "tests/common/modalanswerer.h"
#include "tests/common/testenvironment.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace {

QString iconsRoot()
{
    return TestEnvironment::root() + QStringLiteral("/icons");
}

void writeTheme(const QString &theme, const QString &inherits, const QString &folder,
                const QStringList &files)
{
    const QDir dir(iconsRoot() + QLatin1Char('/') + theme);
    QVERIFY(dir.mkpath(folder));
    QFile index(dir.filePath(QStringLiteral("index.theme")));
    QVERIFY(index.open(QIODevice::WriteOnly));
    QTextStream(&index) << "[Icon Theme]\nName=" << theme << "\nInherits=" << inherits
                        << "\nDirectories=" << folder << "\n\n[" << folder
                        << "]\nSize=32\nType=Fixed\n";
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::darkCyan);
    for (const QString &file : files) {
        const QString path = dir.filePath(folder + QLatin1Char('/') + file);
        if (file.endsWith(QLatin1String(".txt"))) {
            QFile text(path);
            QVERIFY(text.open(QIODevice::WriteOnly));
        } else {
            QVERIFY(image.save(path));
        }
    }
}

// Closes a dialog that an answer left open, so that a fault fails the test instead of hanging it.
ModalAnswerer::Answer guarded(const ModalAnswerer::Answer &answer)
{
    return [answer](QWidget *dialog) {
        QTimer::singleShot(5000, dialog, [dialog] {
            qWarning("%s left open", qPrintable(ModalAnswerer::describe(dialog)));
            qobject_cast<QDialog *>(dialog)->reject();
        });
        answer(dialog);
    };
}

QListView *iconView(QWidget *dialog)
{
    return dialog->findChild<QListView *>(QStringLiteral("iconView"));
}

QString currentName(QWidget *dialog)
{
    return iconView(dialog)->currentIndex().data().toString();
}

// Searches for text and picks the first icon the grid still shows.
void pickFirstFound(QWidget *dialog, const QString &text)
{
    dialog->findChild<QLineEdit *>(QStringLiteral("searchEdit"))->setText(text);
    QListView *view = iconView(dialog);
    view->setCurrentIndex(view->model()->index(0, 0));
    dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
}

void clickBrowse(QWidget *dialog)
{
    dialog->findChild<QPushButton *>(QStringLiteral("browseButton"))->click();
}

} // namespace

class TestKivoIconButton : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        writeTheme(QStringLiteral("kivotest"), QStringLiteral("kivobase"),
                   QStringLiteral("32x32/apps"),
                   { QStringLiteral("kivo-alpha.png"), QStringLiteral("kivo-beta.png"),
                     QStringLiteral("kivo-shared.png"), QStringLiteral("kivo-alpha.symbolic.png"),
                     QStringLiteral("kivo-notes.txt") });
        writeTheme(QStringLiteral("kivobase"), QStringLiteral("hicolor"),
                   QStringLiteral("16x16/apps"),
                   { QStringLiteral("kivo-base-only.png"), QStringLiteral("kivo-shared.png") });
        writeTheme(QStringLiteral("hicolor"), QString(), QStringLiteral("48x48/apps"),
                   { QStringLiteral("kivo-hicolor.png"), QStringLiteral("kivo-unloadable.xpm") });
        writeTheme(QStringLiteral("kivoother"), QString(), QStringLiteral("32x32/apps"),
                   { QStringLiteral("kivo-elsewhere.png") });
        // Not listed among the theme's folders, so QIcon would not find it either.
        QVERIFY(QImage(8, 8, QImage::Format_ARGB32)
                    .save(iconsRoot() + QStringLiteral("/kivotest/kivo-stray.png")));
        QIcon::setThemeSearchPaths({ iconsRoot() });
        QIcon::setThemeName(QStringLiteral("kivotest"));

        m_imageFile = TestEnvironment::root() + QStringLiteral("/picked image.png");
        QVERIFY(QImage(16, 16, QImage::Format_ARGB32).save(m_imageFile));
    }

    void listsThemeChain()
    {
        const QStringList expected
            = { "kivo-alpha", "kivo-base-only", "kivo-beta", "kivo-hicolor", "kivo-shared" };
        QCOMPARE(KivoIconDialog::themeIconNames(), expected);
    }

    void searchFiltersGrid_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("shown");
        QTest::newRow("all") << "" << 5;
        QTest::newRow("prefix") << "kivo-b" << 2;
        QTest::newRow("inner, other case") << "ALPH" << 1;
        QTest::newRow("nothing") << "zebra" << 0;
    }

    void searchFiltersGrid()
    {
        QFETCH(QString, text);
        QFETCH(int, shown);
        KivoIconDialog dialog;
        dialog.findChild<QLineEdit *>(QStringLiteral("searchEdit"))->setText(text);
        QCOMPARE(iconView(&dialog)->model()->rowCount(), shown);
        QVERIFY(dialog.selectedIcon().isEmpty());
        QVERIFY(!dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled());
    }

    void searchKeepsSelectionWhileShown()
    {
        KivoIconDialog dialog;
        auto *search = dialog.findChild<QLineEdit *>(QStringLiteral("searchEdit"));
        QPushButton *ok = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
        dialog.setSelectedIcon(QStringLiteral("kivo-beta"));
        QCOMPARE(dialog.selectedIcon(), QStringLiteral("kivo-beta"));
        search->setText(QStringLiteral("kivo-b"));
        QCOMPARE(dialog.selectedIcon(), QStringLiteral("kivo-beta"));
        QCOMPARE(currentName(&dialog), QStringLiteral("kivo-beta"));
        QVERIFY(ok->isEnabled());
        search->setText(QStringLiteral("alpha"));
        QVERIFY(dialog.selectedIcon().isEmpty());
        QVERIFY(iconView(&dialog)->selectionModel()->selectedIndexes().isEmpty());
        QVERIFY(!ok->isEnabled());
    }

    void namePathRoundTrips_data()
    {
        QTest::addColumn<QString>("namePath");
        QTest::addColumn<bool>("showsIcon");
        QTest::newRow("theme icon") << "kivo-beta" << true;
        QTest::newRow("inherited icon") << "kivo-hicolor" << true;
        QTest::newRow("image file") << m_imageFile << true;
        QTest::newRow("unknown name") << "no-such-icon" << false;
        QTest::newRow("missing file") << "/no/such/file.png" << false;
        QTest::newRow("empty") << "" << false;
    }

    void namePathRoundTrips()
    {
        QFETCH(QString, namePath);
        QFETCH(bool, showsIcon);
        KivoIconButton button(nullptr, 32);
        QSignalSpy spy(&button, &KivoIconButton::iconChanged);
        button.setIconNamePath(QStringLiteral("kivo-alpha"), nullptr);
        button.setIconNamePath(namePath, nullptr);
        QCOMPARE(button.iconNamePath(), namePath);
        QCOMPARE(!button.icon().isNull(), showsIcon);
        QCOMPARE(spy.count(), 0);
    }

    void pixmapIsShownAndNameKept()
    {
        KivoIconButton button;
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::red);
        button.setIconNamePath(QStringLiteral("no-such-icon"), &pixmap);
        QVERIFY(!button.icon().isNull());
        QCOMPARE(button.iconNamePath(), QStringLiteral("no-such-icon"));
    }

    void pickByName()
    {
        KivoIconButton button(nullptr, 16);
        button.setIconNamePath(QStringLiteral("kivo-alpha"), nullptr);
        QSignalSpy spy(&button, &KivoIconButton::iconChanged);
        ModalAnswerer answerer;
        QString preselected;
        answerer.then(guarded([&preselected](QWidget *dialog) {
            preselected = currentName(dialog);
            pickFirstFound(dialog, QStringLiteral("beta"));
        }));
        button.click();
        QCOMPARE(answerer.seen().size(), 1);
        QVERIFY(answerer.unexpected().isEmpty());
        QCOMPARE(preselected, QStringLiteral("kivo-alpha"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), QStringLiteral("kivo-beta"));
        QCOMPARE(button.iconNamePath(), QStringLiteral("kivo-beta"));
    }

    void pickSameEmitsNothing()
    {
        KivoIconButton button;
        button.setIconNamePath(QStringLiteral("kivo-shared"), nullptr);
        QSignalSpy spy(&button, &KivoIconButton::iconChanged);
        ModalAnswerer answerer;
        answerer.then(
            guarded([](QWidget *dialog) { pickFirstFound(dialog, QStringLiteral("shared")); }));
        button.click();
        QVERIFY(answerer.allAnswered());
        QCOMPARE(spy.count(), 0);
        QCOMPARE(button.iconNamePath(), QStringLiteral("kivo-shared"));
    }

    void pickByFile()
    {
        KivoIconButton button;
        button.setIconNamePath(QStringLiteral("kivo-alpha"), nullptr);
        QSignalSpy spy(&button, &KivoIconButton::iconChanged);
        ModalAnswerer answerer;
        answerer.then(guarded(clickBrowse));
        answerer.then(guarded([this](QWidget *dialog) {
            auto *fileDialog = qobject_cast<QFileDialog *>(dialog);
            QVERIFY(fileDialog);
            // Typed as a user would: selectFile() leaves a focused name field alone.
            fileDialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
                ->setText(m_imageFile);
            QMetaObject::invokeMethod(fileDialog, "accept");
        }));
        button.click();
        QVERIFY(answerer.allAnswered());
        QVERIFY(answerer.unexpected().isEmpty());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().first().toString(), m_imageFile);
        QCOMPARE(button.iconNamePath(), m_imageFile);
        QVERIFY(!button.icon().isNull());
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<bool>("browseFirst");
        QTest::newRow("cancel") << false;
        QTest::newRow("cancel browsing, then the dialog") << true;
    }

    void cancelChangesNothing()
    {
        QFETCH(bool, browseFirst);
        KivoIconButton button;
        button.setIconNamePath(QStringLiteral("kivo-alpha"), nullptr);
        QSignalSpy spy(&button, &KivoIconButton::iconChanged);
        ModalAnswerer answerer;
        bool openAfterBrowsing = false;
        if (browseFirst) {
            // The answerer serves each dialog once, so this answer also closes the icon dialog.
            answerer.then(guarded([&openAfterBrowsing](QWidget *dialog) {
                iconView(dialog)->setCurrentIndex(iconView(dialog)->model()->index(1, 0));
                clickBrowse(dialog);
                openAfterBrowsing = dialog->isVisible();
                qobject_cast<QDialog *>(dialog)->reject();
            }));
        }
        answerer.thenCancel();
        button.click();
        QCOMPARE(openAfterBrowsing, browseFirst);
        QVERIFY(answerer.allAnswered());
        QVERIFY(answerer.unexpected().isEmpty());
        QCOMPARE(spy.count(), 0);
        QCOMPARE(button.iconNamePath(), QStringLiteral("kivo-alpha"));
    }

private:
    QString m_imageFile;
};

KIVO_TEST_MAIN_WITHOUT_BUS(TestKivoIconButton)
#include "tst_kivoiconbutton.moc"
