#pragma once
// The texts of a window that do not stand out from what they are drawn on:
// every label, button, check box, radio button and edit (shown or not, so
// that a message waiting to be shown counts too) whose text colour has less
// than 4.5:1 contrast against its real background. Disabled controls are
// left out: a theme greys them on purpose. A style sheet's own colours are
// read from it.
#include "shell/uAccessibility.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStringList>
#include <QWidget>

// The colour a style sheet gives Property ("color" or "background"), or an
// invalid colour.
inline QColor StyleSheetColour(const QWidget *W, const char *Property)
{
    const QRegularExpression rule(
        QStringLiteral("(?:^|[;{\\s])%1\\s*:\\s*(#[0-9a-fA-F]{3,8}|[a-z]+)").arg(QLatin1String(Property)));
    const QRegularExpressionMatch match = rule.match(W->styleSheet());
    return match.hasMatch() ? QColor(match.captured(1)) : QColor();
}

// What W is painted on: the nearest widget, itself included, that fills its
// background, the window at last.
inline QColor BackgroundBehind(const QWidget *W)
{
    for (const QWidget *w = W; w; w = w->parentWidget()) {
        const QColor sheet = StyleSheetColour(w, "background");
        if (sheet.isValid())
            return sheet;
        if (w->autoFillBackground() || w->isWindow())
            return w->palette().color(w->backgroundRole());
    }
    return QColor(Qt::white);
}

inline QStringList LowContrastTexts(QWidget *Window)
{
    QStringList low;
    for (QWidget *w : Window->findChildren<QWidget *>()) {
        if (!w->isEnabled())
            continue;
        QColor text, background;
        if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            text = edit->palette().color(QPalette::Text);
            background = edit->palette().color(QPalette::Base);
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->text().isEmpty())
                continue;
            text = label->palette().color(label->foregroundRole());
            background =
                BackgroundBehind(label->parentWidget() && !label->autoFillBackground() ? label->parentWidget() : label);
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (button->text().isEmpty())
                continue;
            const bool plain = qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button);
            text = button->palette().color(plain ? QPalette::WindowText : QPalette::ButtonText);
            background = plain ? BackgroundBehind(button->parentWidget()) : button->palette().color(QPalette::Button);
        } else {
            continue;
        }
        if (const QColor sheet = StyleSheetColour(w, "color"); sheet.isValid())
            text = sheet;
        if (const QColor sheet = StyleSheetColour(w, "background"); sheet.isValid())
            background = sheet;
        const double ratio = ContrastRatio(text, background);
        if (ratio < 4.5)
            low << QStringLiteral("%1: %2 on %3 (%4:1)")
                       .arg(w->objectName(), text.name(), background.name())
                       .arg(ratio, 0, 'f', 1);
    }
    return low;
}
