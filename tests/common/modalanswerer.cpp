// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/common/modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const char answeredProperty[] = "kivoTestAnswered";
constexpr int pollMs = 10;
constexpr int unexpectedAfterTicks = 300;
} // namespace

ModalAnswerer::ModalAnswerer(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(pollMs);
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start();
}

void ModalAnswerer::then(Answer answer)
{
    m_answers.enqueue(std::move(answer));
}

void ModalAnswerer::thenClick(QMessageBox::StandardButton button)
{
    then([button](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        if (box && box->button(button))
            box->button(button)->click();
        else if (auto *plain = qobject_cast<QDialog *>(dialog))
            plain->reject();
    });
}

void ModalAnswerer::thenType(const QString &text)
{
    then([text](QWidget *dialog) {
        auto *input = qobject_cast<QInputDialog *>(dialog);
        if (!input) {
            qobject_cast<QDialog *>(dialog)->reject();
            return;
        }
        input->setTextValue(text);
        input->accept();
    });
}

void ModalAnswerer::thenCancel()
{
    then([](QWidget *dialog) {
        if (auto *plain = qobject_cast<QDialog *>(dialog))
            plain->reject();
    });
}

QString ModalAnswerer::describe(QWidget *dialog)
{
    if (auto *box = qobject_cast<QMessageBox *>(dialog))
        return box->windowTitle() + QLatin1Char('|') + box->text()
            + (box->detailedText().isEmpty() ? QString() : QLatin1Char('|') + box->detailedText());
    if (auto *input = qobject_cast<QInputDialog *>(dialog))
        return input->windowTitle() + QLatin1Char('|') + input->labelText();
    return dialog->windowTitle();
}

void ModalAnswerer::poll()
{
    QWidget *dialog = QApplication::activeModalWidget();
    if (!dialog || dialog->property(answeredProperty).toBool() || !dialog->isVisible()) {
        m_waiting = nullptr;
        return;
    }
    if (m_answers.isEmpty()) {
        if (m_waiting != dialog) {
            m_waiting = dialog;
            m_waitingTicks = 0;
        }
        if (++m_waitingTicks < unexpectedAfterTicks)
            return;
        m_unexpected.append(describe(dialog));
        dialog->setProperty(answeredProperty, true);
        if (auto *plain = qobject_cast<QDialog *>(dialog))
            plain->reject();
        return;
    }
    dialog->setProperty(answeredProperty, true);
    m_seen.append(describe(dialog));
    if (auto *input = qobject_cast<QInputDialog *>(dialog))
        m_fieldTexts.append(input->textValue());
    const Answer answer = m_answers.dequeue();
    // Answer outside the timer's slot so the dialog's own loop does the closing.
    QTimer::singleShot(0, dialog, [answer, dialog] { answer(dialog); });
}
