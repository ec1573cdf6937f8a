#pragma once
// The captions of a window that do not fit their controls as laid out: a
// label, button, check box, radio button or group-box title whose text is
// wider than the room the control gives it. The window is laid out first.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QWidget>

inline int WidestLine(const QFontMetrics &Metrics, const QString &Text)
{
    int widest = 0;
    for (const QString &line : Text.split(u'\n'))
        widest = qMax(widest, Metrics.horizontalAdvance(line));
    return widest;
}

// "name: text" of every clipped caption of Window (shown controls only).
inline QStringList ClippedTexts(QWidget *Window)
{
    Window->ensurePolished();
    if (Window->layout())
        Window->layout()->activate();
    QApplication::processEvents();
    QStringList clipped;
    const auto report = [&clipped](const QWidget *W, const QString &Text, int Needed, int Room) {
        clipped << QStringLiteral("%1: %2 (needs %3 px, has %4)").arg(W->objectName(), Text).arg(Needed).arg(Room);
    };
    for (QWidget *w : Window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(Window))
            continue;
        if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->wordWrap() || label->text().isEmpty() || !label->pixmap().isNull())
                continue;
            const QString text = label->textFormat() == Qt::RichText ? QString() : label->text();
            const int room = label->contentsRect().width() - 2 * label->margin() - qMax(label->indent(), 0);
            QString shown = text;
            shown.remove(u'&');
            const int needed = WidestLine(label->fontMetrics(), shown);
            if (!shown.isEmpty() && needed > room)
                report(label, text, needed, room);
        } else if (auto *box = qobject_cast<QGroupBox *>(w)) {
            const int needed = box->fontMetrics().horizontalAdvance(box->title()) + 8;
            if (!box->title().isEmpty() && needed > box->width())
                report(box, box->title(), needed, box->width());
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (button->text().isEmpty())
                continue;
            QString shown = button->text();
            shown.remove(u'&');
            int needed = WidestLine(button->fontMetrics(), shown);
            if (qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button)) {
                const bool radio = qobject_cast<QRadioButton *>(button);
                needed +=
                    button->style()->pixelMetric(radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth)
                    + button->style()->pixelMetric(radio ? QStyle::PM_RadioButtonLabelSpacing
                                                         : QStyle::PM_CheckBoxLabelSpacing);
            } else if (qobject_cast<QPushButton *>(button)) {
                needed += button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            }
            if (needed > button->width())
                report(button, button->text(), needed, button->width());
        }
    }
    return clipped;
}
