#pragma once
// A check of a window on what it shows, run again on every page of each of
// its page controls; the pages shown before are shown again afterwards.
#include <QTabWidget>
#include <QWidget>

#include <functional>

inline void OnEveryPage(QWidget *Window, const std::function<void()> &Check)
{
    Check();
    for (QTabWidget *pages : Window->findChildren<QTabWidget *>()) {
        const int shown = pages->currentIndex();
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            Check();
        }
        pages->setCurrentIndex(shown);
    }
}
