#pragma once
// Answers the next modal window (a message box or a dialog) once it is open.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

// Runs Act on the next modal widget as soon as one is open (polling, up to
// about five seconds).
inline void OnNextModal(std::function<void(QWidget *)> Act, int Tries = 500)
{
    QTimer::singleShot(10, qApp, [Act, Tries] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible())
            Act(modal);
        else if (Tries > 0)
            OnNextModal(Act, Tries - 1);
    });
}

// Clicks Button of the next message box and records its text and title.
inline void AnswerNextMessageBox(QMessageBox::StandardButton Button, QString *Text = nullptr, QString *Title = nullptr)
{
    OnNextModal([=](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box)
            return;
        if (Text)
            *Text = box->text();
        if (Title)
            *Title = box->windowTitle();
        if (QAbstractButton *b = box->button(Button))
            b->click();
        else
            box->close();
    });
}
