// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/kivoui/kivohelp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPointer>
#include <QSet>
#include <QTextBlock>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// The manual lives in the resources of this static library, which the linker would otherwise
// leave out.
static void initHelpResources()
{
    Q_INIT_RESOURCE(kivohelp);
}

namespace {
QUrl manualUrl()
{
    return QUrl(QStringLiteral("qrc:/kivo/help/manual.html"));
}

QSet<QString> anchorNamesOf(const QTextDocument &document)
{
    QSet<QString> names;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QStringList anchors = fragment.fragment().charFormat().anchorNames();
            for (const QString &anchor : anchors)
                names.insert(anchor);
        }
    }
    return names;
}

class HelpWindow : public QDialog
{
public:
    HelpWindow()
        : m_browser(new QTextBrowser(this))
    {
        setObjectName(QStringLiteral("kivoHelpWindow"));
        // Help never keeps the application running once its own windows are closed.
        setAttribute(Qt::WA_QuitOnClose, false);
        m_browser->setObjectName(QStringLiteral("kivoHelpBrowser"));
        m_browser->setOpenExternalLinks(true);
        m_browser->setSource(manualUrl());
        m_anchors = anchorNamesOf(*m_browser->document());

        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(m_browser);
        layout->addWidget(buttons);

        // The manual is in English; its window's title is in the user's language.
        setWindowTitle(QCoreApplication::translate("KivoHelp", "Help – %1")
                           .arg(QCoreApplication::translate("KivoHelp", "Windows properties")));
        resize(640, 560);
    }

    void showSectionFor(QWidget *widget)
    {
        QUrl url = manualUrl();
        url.setFragment(anchorFor(widget));
        show();
        raise();
        activateWindow();
        // Without a fragment the browser goes to the top.
        m_browser->setSource(url);
    }

private:
    QString anchorFor(QWidget *widget) const
    {
        for (QWidget *w = widget; w; w = w->parentWidget()) {
            if (m_anchors.contains(w->objectName()))
                return w->objectName();
        }
        return QString();
    }

    QTextBrowser *m_browser;
    QSet<QString> m_anchors;
};

QPointer<HelpWindow> helpWindow;

// Runs while the application object still exists, which widgets need to be deleted.
void deleteHelpWindow()
{
    delete helpWindow;
}
} // namespace

QWidget *kivoHelpLookForWidget()
{
    QWidget *active = QApplication::activeWindow();
    QWidget *underMouse = QApplication::widgetAt(QCursor::pos());
    if (active && underMouse && underMouse->window() == active)
        return underMouse;
    if (QWidget *focus = QApplication::focusWidget())
        return focus;
    return active;
}

void kivoHelpShow(QWidget *widget)
{
    if (!helpWindow) {
        initHelpResources();
        helpWindow = new HelpWindow;
        qAddPostRoutine(deleteHelpWindow);
    }
    helpWindow->showSectionFor(widget);
}
