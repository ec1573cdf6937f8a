#pragma once
// How the edits and buttons of the small tool windows take their keys:
// Ctrl+A, C, V and X on every edit, a typing filter on number edits, and
// Enter starting the window's calculation.
#include <QString>

#include <functional>

class QLineEdit;
class QWidget;

enum class TEditTyping {
    Any,     // every key (read-only result fields)
    Number,  // NumericEditKeyPress: digits, one separator, "E", "-"
    Digits,  // digits only, national keys mapped, "+" read as 1
};

// Installs the handling on Edit: EditShortcutKeyDown for Ctrl+A/C/V/X,
// printable characters through Typing (a refused key is dropped, a mapped
// one typed as its mapping), and Enter calling OnEnter when it is set.
void HandleEditKeys(QLineEdit *Edit, TEditTyping Typing, std::function<void()> OnEnter = {});
// Enter (or the keypad's Enter) on Control calls OnEnter.
void HandleEnterKey(QWidget *Control, std::function<void()> OnEnter);
