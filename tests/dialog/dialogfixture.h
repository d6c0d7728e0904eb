// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_DIALOGFIXTURE_H
#define KIVO_DIALOGFIXTURE_H

#include "dialog/winpropsdialog.h"
#include "tests/common/fakebackend.h"
#include "tests/common/modalanswerer.h"

#include <QCheckBox>
#include <QPushButton>
#include <memory>

Q_DECLARE_METATYPE(QMessageBox::StandardButton)

// A dialog on a service held in the process, with short ways to reach its controls by object
// name.
class DialogFixture
{
public:
    // An unreachable service fails every call until startService.
    explicit DialogFixture(const QStringList &storedRecords, bool reachable = true)
        : service(storedRecords)
    {
        if (!reachable) {
            service.fetchError = QStringLiteral("The name is not owned.");
            service.storeError = service.fetchError;
            service.absent = true;
        }
    }

    void startService()
    {
        service.fetchError = QString();
        service.storeError = QString();
        service.absent = false;
    }

    WinPropsDialog &makeDialog()
    {
        dialog = std::make_unique<WinPropsDialog>(&service);
        return *dialog;
    }

    template<typename T = QWidget> T *child(const char *name) const
    {
        T *found = dialog->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }

    StringListWidget *list() const { return child<StringListWidget>("winListWidget"); }
    QCheckBox *checkBox(const char *name) const { return child<QCheckBox>(name); }
    QPushButton *button(QDialogButtonBox::StandardButton which) const
    {
        return child<QDialogButtonBox>("buttonBox")->button(which);
    }
    bool isChanged() const
    {
        const bool ok = button(QDialogButtonBox::Ok)->isEnabled();
        if (button(QDialogButtonBox::Apply)->isEnabled() != ok
            || button(QDialogButtonBox::Reset)->isEnabled() != ok)
            qFatal("OK, Apply and Reset disagree on the changed state");
        return ok;
    }
    bool showsEditor() const
    {
        return child<QStackedWidget>("stackedWidget")->currentWidget()
            == child<QWidget>("winPropsWidget");
    }
    QStringList names() const
    {
        QStringList result;
        for (int row = 0; row < list()->rowCount(); ++row)
            result.append(list()->item(row, 0)->text());
        return result;
    }

    // What the service holds now, as record texts.
    QStringList stored() const { return service.storedTexts(); }

    FakeBackend service;
    std::unique_ptr<WinPropsDialog> dialog;
    ModalAnswerer answers;
};

#endif
