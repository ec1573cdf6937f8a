#pragma once
// Base of every registered tool window.
#include "shell/uMagneticForm.h"

class KTandorelForm : public TMagneticForm
{
    Q_OBJECT

public:
    explicit KTandorelForm(QWidget *parent = nullptr) : TMagneticForm(parent) {}

    // Reads the window's texts from the translator. A window that keeps
    // texts in fields first resets them to their English defaults; then,
    // only while a language file is loaded, every caption, hint, column
    // title and text field becomes
    // TProgramTranslator::Instance()->Translate(section, key, current text),
    // so that a key the new language lacks keeps the previous text.
    virtual void TranslateTexts() = 0;
};
