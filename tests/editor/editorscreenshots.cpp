// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// Writes pictures of the property editor showing a sample record, one per tab.
#include "editor/winpropswidget.h"
#include "platform/winprops/winprops.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTextStream>

namespace {

const char sampleRecord[] = "xterm;no_title;no_border;small_image=utilities-terminal;ontop;"
                            "focus_on_click;geometry=800x600-10+20;shadow=40;transparency=20";

// The form's own size leaves part of the first tab to its scroll bar; show all of it.
void growToShowAll(WinPropsWidget &editor)
{
    editor.show();
    QApplication::processEvents();
    const int hidden = editor.scrollAreaWidgetContents->minimumSizeHint().height()
        - editor.scrollArea->viewport()->height();
    if (hidden > 0)
        editor.resize(editor.width(), editor.height() + hidden);
    QApplication::processEvents();
}

bool writeTab(WinPropsWidget &editor, int index, const QString &path)
{
    editor.tabWidget->setCurrentIndex(index);
    QApplication::processEvents();
    return editor.grab().save(path);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "Usage: editor-screenshots FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        err << "Cannot create " << folder.path() << '\n';
        return 1;
    }
    // Without a desktop session no icon theme is chosen; use the one a desktop would have.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));

    const WinProps record(QString::fromLatin1(sampleRecord));
    if (!record.isValid()) {
        err << record.errorString() << '\n';
        return 1;
    }
    WinPropsWidget editor;
    editor.setWinProps(record);
    growToShowAll(editor);
    const QStringList names
        = { QStringLiteral("editor-appearance.png"), QStringLiteral("editor-behavior.png") };
    for (int i = 0; i < names.size(); ++i) {
        const QString path = folder.filePath(names.at(i));
        if (!writeTab(editor, i, path)) {
            err << "Cannot write " << path << '\n';
            return 1;
        }
        QTextStream(stdout) << path << '\n';
    }
    return 0;
}
