#pragma once
// Answers the next modal window (a message box or a dialog) once it is open.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

// Runs Act on the next modal widget as soon as one is open (polling, up to
// about five seconds). A watch that is still waiting when its test ends
// stops: what Act writes to belongs to that test.
inline void OnNextModal(std::function<void(QWidget *)> Act, int Tries = 500)
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    QTimer::singleShot(10, qApp, [Act, Tries, test] {
        if (::testing::UnitTest::GetInstance()->current_test_info() != test)
            return;
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
