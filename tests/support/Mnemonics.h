#pragma once
// The keyboard accelerators ("&" marks) of a window as a keyboard user meets
// them: every shown button, check box, radio button and page tab with a word
// on it (two letters or more; a single symbol such as a sigma cannot be
// typed as one), and every label that names an input field, should carry
// one, and
// no letter may serve twice among what is shown at the same time. Hidden
// pages of a page control do not count against each other.
#include "tests/support/EveryPage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QStringList>
#include <QTabWidget>
#include <QWidget>

// The accelerator letter of Text in lower case, or a null character.
inline QChar MnemonicOf(const QString &Text)
{
    for (qsizetype i = 0; i + 1 < Text.size(); ++i) {
        if (Text.at(i) != u'&')
            continue;
        if (Text.at(i + 1) != u'&')
            return Text.at(i + 1).toLower();
        ++i;
    }
    return QChar();
}

inline int LettersIn(const QString &Text)
{
    int letters = 0;
    for (const QChar c : Text)
        letters += c.isLetterOrNumber();
    return letters;
}

// A label that names a field the user types into or chooses from.
inline bool NamesAnInput(const QLabel *Label)
{
    const QWidget *buddy = Label->buddy();
    if (!buddy || !buddy->isEnabled() || !(buddy->focusPolicy() & Qt::TabFocus))
        return false;
    const auto *edit = qobject_cast<const QLineEdit *>(buddy);
    return !edit || !edit->isReadOnly() || qobject_cast<const QComboBox *>(buddy->parentWidget());
}

struct TMnemonicReport
{
    QStringList Missing; // "objectName: text"
    QStringList Clashes; // "x: first text / second text"
};

inline TMnemonicReport CheckMnemonics(QWidget *Window)
{
    TMnemonicReport report;
    const auto check = [&] {
        QMap<QChar, QString> used;
        const auto take = [&](const QString &Name, const QString &Text, bool Required) {
            const QChar letter = MnemonicOf(Text);
            if (letter.isNull()) {
                const QString entry = Name + QStringLiteral(": ") + Text;
                if (Required && !report.Missing.contains(entry))
                    report.Missing << entry;
                return;
            }
            if (used.contains(letter)) {
                const QString entry = QStringLiteral("%1: %2 / %3").arg(letter).arg(used.value(letter), Text);
                if (!report.Clashes.contains(entry))
                    report.Clashes << entry;
            } else {
                used.insert(letter, Text);
            }
        };
        for (QWidget *w : Window->findChildren<QWidget *>()) {
            if (!w->isVisibleTo(Window))
                continue;
            if (auto *button = qobject_cast<QAbstractButton *>(w)) {
                if (LettersIn(button->text()) > 0)
                    take(button->objectName(), button->text(), LettersIn(button->text()) > 1);
            } else if (auto *label = qobject_cast<QLabel *>(w)) {
                if (label->buddy())
                    take(label->objectName(), label->text(), NamesAnInput(label) && LettersIn(label->text()) > 0);
            } else if (auto *pages = qobject_cast<QTabWidget *>(w)) {
                for (int i = 0; i < pages->count(); ++i)
                    take(pages->objectName(), pages->tabText(i), LettersIn(pages->tabText(i)) > 1);
            }
        }
    };
    OnEveryPage(Window, check);
    return report;
}
