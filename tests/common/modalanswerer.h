// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#ifndef KIVO_MODALANSWERER_H
#define KIVO_MODALANSWERER_H

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QStringList>
#include <QTimer>

#include <functional>

// Answers the modal dialogs that the code under test opens, in order, from a timer. A dialog
// that appears with no answer left is recorded and rejected, so a test fails instead of hanging.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    using Answer = std::function<void(QWidget *dialog)>;

    explicit ModalAnswerer(QObject *parent = nullptr);

    // Queues an answer for the next dialog.
    void then(Answer answer);
    // Queues a click on a message box button.
    void thenClick(QMessageBox::StandardButton button);
    // Queues typing text into an input dialog's field (replacing it) and pressing OK.
    void thenType(const QString &text);
    // Queues cancelling an input dialog.
    void thenCancel();

    // Every dialog seen, as "title|text" (the input dialog's label as text), and "|details"
    // where a message box has them.
    QStringList seen() const { return m_seen; }
    // Input dialogs' field contents when they appeared.
    QStringList fieldTexts() const { return m_fieldTexts; }
    // Dialogs that appeared with no answer queued.
    QStringList unexpected() const { return m_unexpected; }
    bool allAnswered() const { return m_answers.isEmpty(); }

    static QString describe(QWidget *dialog);

private:
    void poll();

    QQueue<Answer> m_answers;
    QStringList m_seen;
    QStringList m_fieldTexts;
    QStringList m_unexpected;
    QTimer m_timer;
    QPointer<QWidget> m_waiting;
    int m_waitingTicks = 0;
};

#endif
