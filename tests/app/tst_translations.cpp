// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "dialog/winpropsdialog.h"
#include "platform/kivoui/kivoui.h"
#include "platform/winprops/winpropsservice.h"
#include "service/apprcinterface.h"
#include "tests/common/modalanswerer.h"
#include "tests/common/serviceprocess.h"
#include "tests/common/testenvironment.h"
#include "tests/common/toolrun.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QGroupBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <memory>

namespace {
// The whole process runs in a German session, set as a login sets it and before Qt reads the
// environment. No system locale has to be installed for that: Qt takes the language from LANG.
const bool inGermanSession = [] {
    qputenv("LANG", "de_DE.UTF-8");
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    qunsetenv("LANGUAGE");
    return true;
}();

const int Timeout = 20000;

ToolRun runTool(const QStringList &arguments, const QString &lang)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANG"), lang);
    return ::runTool(arguments, environment, Timeout);
}

struct Message
{
    QString context;
    QString source;
    bool numerus = false;
    // One text, or one per plural form.
    QStringList translations;
    bool unfinished = false;
};

QList<Message> readTranslationSource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    QXmlStreamReader xml(&file);
    QList<Message> messages;
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            Message message;
            message.context = context;
            message.numerus
                = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
            messages.append(message);
        } else if (xml.name() == QLatin1String("source")) {
            messages.last().source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            Message &message = messages.last();
            message.unfinished
                = xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
            if (!message.numerus)
                message.translations.append(xml.readElementText());
            while (message.numerus && xml.readNextStartElement())
                message.translations.append(xml.readElementText());
        }
    }
    if (xml.hasError())
        qFatal("%s: %s", qPrintable(path), qPrintable(xml.errorString()));
    return messages;
}

// What a translation has to carry over from its source: the place markers, the line breaks of
// rich text and, where the source has one, a keyboard accelerator.
QStringList markersOf(const QString &text)
{
    static const QRegularExpression marker(
        QStringLiteral("%(\\d+|n)|<br>|&(?=[^&\\s])|\\n|--[a-z]+"));
    QStringList found;
    for (auto match = marker.globalMatch(text); match.hasNext();)
        found.append(match.next().captured());
    found.sort();
    return found;
}

// Merges what lupdate finds in the sources into the translation file, as the update target does.
bool updatedFromSources(const QString &translationFile)
{
    QStringList arguments { QStringLiteral("-silent"), QStringLiteral("-no-obsolete") };
    const QStringList folders = QStringLiteral(KIVO_TRANSLATED_FOLDERS).split(QLatin1Char(','));
    for (const QString &folder : folders)
        arguments.append(QStringLiteral(KIVO_SOURCE_DIR "/") + folder);
    arguments << QStringLiteral("-ts") << translationFile;
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    lupdate.start(QStringLiteral(KIVO_LUPDATE), arguments);
    return lupdate.waitForFinished(Timeout) && lupdate.exitStatus() == QProcess::NormalExit
        && lupdate.exitCode() == 0;
}

QString withoutMnemonic(QString text)
{
    return text.remove(QLatin1Char('&'));
}

// What Alt and a letter can reach while the tab page is shown: the dialog's own buttons (hidden
// ones too: "Pick a window" shows only on X11), the tab titles and the page's check boxes.
QList<QPair<QString, bool>> reachableTexts(QDialog &dialog, QTabWidget *tabs, int page)
{
    QList<QPair<QString, bool>> texts; // text, whether it must have a mnemonic
    for (int i = 0; i < tabs->count(); ++i)
        texts.append({ tabs->tabText(i), true });
    for (QAbstractButton *button : dialog.findChildren<QAbstractButton *>()) {
        if (!tabs->isAncestorOf(button))
            texts.append({ button->text(),
                           qobject_cast<QPushButton *>(button)
                               && button->parent() != dialog.findChild<QDialogButtonBox *>() });
    }
    for (QCheckBox *box : tabs->widget(page)->findChildren<QCheckBox *>())
        texts.append({ box->text(), true });
    for (QGroupBox *box : tabs->widget(page)->findChildren<QGroupBox *>()) {
        if (box->isCheckable())
            texts.append({ box->title(), true });
    }
    return texts;
}
} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void translationSourcesAreComplete_data();
    void translationSourcesAreComplete();
    void dialogShowsLanguageOfLocale_data();
    void dialogShowsLanguageOfLocale();
    void mnemonicsAreUniqueOnEachTab_data();
    void mnemonicsAreUniqueOnEachTab();
    void messageBoxIsGerman();
    void helpIsInLanguageOfLang_data();
    void helpIsInLanguageOfLang();
    void commandLineErrorIsGerman();

private:
    void useLocale(const QString &name);
    WinPropsDialog &openDialog(const QStringList &storedRecords);

    std::unique_ptr<ServiceProcess> service;
    std::unique_ptr<ApprcInterface> apprc;
    std::unique_ptr<WinPropsDialog> dialog;
};

void TestTranslations::initTestCase()
{
    QVERIFY(inGermanSession);
    registerWinPropsTypes();
    QCOMPARE(QLocale::system().name(), QStringLiteral("de_DE"));
    kivoInit("1.1.3-2", "kivo-admin-winprops");
}

void TestTranslations::cleanup()
{
    dialog.reset();
    apprc.reset();
    if (service)
        QVERIFY(service->stop());
    service.reset();
    useLocale(QLocale::system().name());
}

// Switches the language the way a start in another locale would: kivoInit reads the locale.
void TestTranslations::useLocale(const QString &name)
{
    QLocale::setDefault(QLocale(name));
    kivoInit("1.1.3-2", "kivo-admin-winprops");
}

WinPropsDialog &TestTranslations::openDialog(const QStringList &storedRecords)
{
    service = std::make_unique<ServiceProcess>();
    if (!service->startWith(storedRecords))
        qFatal("the window-properties service did not start");
    apprc = std::make_unique<ApprcInterface>(
        WinPropsService::busName(), WinPropsService::objectPath(), QDBusConnection::sessionBus());
    dialog = std::make_unique<WinPropsDialog>(apprc.get());
    return *dialog;
}

void TestTranslations::translationSourcesAreComplete_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("pluralForms");
    QTest::newRow("German") << QStringLiteral("de") << 2;
    QTest::newRow("Russian") << QStringLiteral("ru") << 3;
}

void TestTranslations::translationSourcesAreComplete()
{
    QFETCH(QString, language);
    QFETCH(int, pluralForms);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString copy = folder.filePath(QStringLiteral("copy.ts"));
    QVERIFY(QFile::copy(QStringLiteral(KIVO_SOURCE_DIR "/translations/kivo-admin-winprops_")
                            + language + QStringLiteral(".ts"),
                        copy));
    QVERIFY2(updatedFromSources(copy), "lupdate failed");
    const QList<Message> messages = readTranslationSource(copy);
    QVERIFY(messages.size() > 50);
    for (const Message &message : messages) {
        const QString where = message.context + QStringLiteral(": ") + message.source;
        QVERIFY2(!message.unfinished, qPrintable(where));
        QCOMPARE(message.translations.size(), message.numerus ? pluralForms : 1);
        for (const QString &translation : message.translations) {
            QVERIFY2(!translation.isEmpty(), qPrintable(where));
            QVERIFY2(markersOf(translation) == markersOf(message.source),
                     qPrintable(where + QStringLiteral(" -> ") + translation));
        }
    }
}

void TestTranslations::dialogShowsLanguageOfLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("tabs");
    QTest::addColumn<QString>("geometry");
    QTest::addColumn<QStringList>("buttons");
    QTest::newRow("German from LANG")
        << QString() << QStringLiteral("Fenstereigenschaften einstellen")
        << QStringList { QStringLiteral("Erscheinungsbild"), QStringLiteral("Verhalten") }
        << QStringLiteral("Geometrie festlegen")
        << QStringList { QStringLiteral("Hinzufügen..."), QStringLiteral("Abbrechen"),
                         QStringLiteral("Anwenden"), QStringLiteral("Zurücksetzen"),
                         QStringLiteral("Hilfe") };
    QTest::newRow("Russian") << QStringLiteral("ru_RU") << QStringLiteral("Настройка свойств окон")
                             << QStringList { QStringLiteral("Внешний вид"),
                                              QStringLiteral("Поведение") }
                             << QStringLiteral("Задать геометрию")
                             << QStringList { QStringLiteral("Добавить..."),
                                              QStringLiteral("Отмена"), QStringLiteral("Применить"),
                                              QStringLiteral("Сбросить"),
                                              QStringLiteral("Справка") };
}

void TestTranslations::dialogShowsLanguageOfLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, title);
    QFETCH(QStringList, tabs);
    QFETCH(QString, geometry);
    QFETCH(QStringList, buttons);
    if (!locale.isEmpty())
        useLocale(locale);

    WinPropsDialog &shown = openDialog({ QStringLiteral("xterm;no_title") });
    QCOMPARE(shown.windowTitle(), title);
    auto *tabWidget = shown.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QVERIFY(tabWidget);
    QCOMPARE((QStringList { withoutMnemonic(tabWidget->tabText(0)),
                            withoutMnemonic(tabWidget->tabText(1)) }),
             tabs);
    auto *geometryBox = shown.findChild<QCheckBox *>(QStringLiteral("geometryCB"));
    QVERIFY(geometryBox);
    QCOMPARE(withoutMnemonic(geometryBox->text()), geometry);
    const auto *box = shown.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QVERIFY(box);
    const QStringList shownButtons {
        withoutMnemonic(shown.findChild<QPushButton *>(QStringLiteral("addButton"))->text()),
        withoutMnemonic(box->button(QDialogButtonBox::Cancel)->text()),
        withoutMnemonic(box->button(QDialogButtonBox::Apply)->text()),
        withoutMnemonic(box->button(QDialogButtonBox::Reset)->text()),
        withoutMnemonic(box->button(QDialogButtonBox::Help)->text()),
    };
    QCOMPARE(shownButtons, buttons);
}

void TestTranslations::mnemonicsAreUniqueOnEachTab_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("English") << QStringLiteral("en_US");
    QTest::newRow("German") << QString();
    QTest::newRow("Russian") << QStringLiteral("ru_RU");
}

void TestTranslations::mnemonicsAreUniqueOnEachTab()
{
    QFETCH(QString, locale);
    if (!locale.isEmpty())
        useLocale(locale);
    WinPropsDialog &shown = openDialog({ QStringLiteral("xterm;no_title") });
    auto *tabs = shown.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QVERIFY(tabs);
    for (int page = 0; page < tabs->count(); ++page) {
        QHash<QString, QString> textOfKey;
        for (const auto &[text, needsOne] : reachableTexts(shown, tabs, page)) {
            const QString key = QKeySequence::mnemonic(text).toString();
            QVERIFY2(!needsOne || !key.isEmpty(), qPrintable(text + QStringLiteral(": none")));
            if (key.isEmpty())
                continue;
            QVERIFY2(!textOfKey.contains(key),
                     qPrintable(key + QStringLiteral(": ") + textOfKey.value(key)
                                + QStringLiteral(", ") + text));
            textOfKey.insert(key, text);
        }
    }
}

void TestTranslations::messageBoxIsGerman()
{
    WinPropsDialog &shown = openDialog({ QStringLiteral("xterm;no_title") });
    ModalAnswerer answerer;
    QStringList buttons;
    answerer.then([&buttons](QWidget *widget) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box)
            return;
        buttons = QStringList { box->button(QMessageBox::Yes)->text(),
                                box->button(QMessageBox::No)->text() };
        box->button(QMessageBox::No)->click();
    });
    shown.deleteWinPropByName(QStringLiteral("xterm"));
    QCOMPARE(answerer.seen(),
             QStringList { QStringLiteral("Eigenschaften löschen|Möchten Sie die "
                                          "Fenstereigenschaften für „xterm“ wirklich löschen?") });
    QCOMPARE(answerer.unexpected(), QStringList());
    QCOMPARE(buttons, (QStringList { QStringLiteral("&Ja"), QStringLiteral("&Nein") }));
}

void TestTranslations::helpIsInLanguageOfLang_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("German") << QStringLiteral("de_DE.UTF-8")
                            << QStringList {
                                   QStringLiteral("Optionen:"),
                                   QStringLiteral("-h, --help Zeigt Hilfe zu den "
                                                  "Kommandozeilenoptionen an."),
                                   QStringLiteral("--add <Fenstereintrag> Eigenschaften für das "
                                                  "durch <Fenstereintrag> beschriebene Fenster "
                                                  "hinzufügen"),
                                   QStringLiteral("--delete <Fenstername> Eigenschaften des "
                                                  "Fensters <Fenstername> löschen"),
                                   QStringLiteral("--edit <Fenstername> Eigenschaften des "
                                                  "Fensters <Fenstername> bearbeiten"),
                                   QStringLiteral("--quiet Keine Fragen stellen"),
                               };
    QTest::newRow("Austrian German, language file only")
        << QStringLiteral("de_AT.UTF-8")
        << QStringList { QStringLiteral("--quiet Keine Fragen stellen") };
    QTest::newRow("Russian") << QStringLiteral("ru_RU.UTF-8")
                             << QStringList {
                                    QStringLiteral("Параметры:"),
                                    QStringLiteral("--add <запись окна> Добавить свойства окна, "
                                                   "заданного записью <запись окна>"),
                                    QStringLiteral("--delete <имя окна> Удалить свойства окна "
                                                   "<имя окна>"),
                                    QStringLiteral("--edit <имя окна> Изменить свойства окна "
                                                   "<имя окна>"),
                                    QStringLiteral("--quiet Не задавать вопросов"),
                                };
}

void TestTranslations::helpIsInLanguageOfLang()
{
    QFETCH(QString, lang);
    QFETCH(QStringList, lines);
    const ToolRun run = runTool({ QStringLiteral("--help") }, lang);
    QCOMPARE(run.exitCode, 0);
    // Long descriptions wrap, so compare with the line breaks and padding taken out.
    const QString text = run.out.simplified();
    int previous = -1;
    for (const QString &line : lines) {
        const int at = text.indexOf(line);
        QVERIFY2(at > previous, qPrintable(line + QStringLiteral(" not in order in:\n") + run.out));
        previous = at;
    }
}

// The tool's own line and the record's reason, both translated, on a terminal without any
// locale installed.
void TestTranslations::commandLineErrorIsGerman()
{
    const ToolRun run = runTool(
        { QStringLiteral("--quiet"), QStringLiteral("--add"), QStringLiteral("xterm;bogus") },
        QStringLiteral("de_DE.UTF-8"));
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.err,
             QStringLiteral("kivo-admin-winprops: ungültiger Fenstereintrag „xterm;bogus“: "
                            "„bogus“ ist keine Fenstereigenschaft.\n"));
}

KIVO_TEST_MAIN(TestTranslations)
#include "tst_translations.moc"
