#pragma once
// Combinatorics: one of six counting quantities of n and k (0 to 9999),
// shown in its own result box. Results are exact as far as 80 bits hold
// them (uCombinatorics); an undefined quantity or one beyond the range is
// "Invalid input" in red.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"

namespace Ui {
class TkombinatorikaFrm;
}

class TkombinatorikaFrm : public KTandorelForm
{
    Q_OBJECT

public:
    explicit TkombinatorikaFrm(QWidget *parent = nullptr);
    ~TkombinatorikaFrm() override;

    void TranslateTexts() override;
    // The calculation (the button, Enter in the edits and on the choices).
    void vypocetBtnClick();

    QString KNotEntered;  // "Enter k"
    QString NNotEntered;  // "Enter n"
    QString InvalidInput; // "Invalid input"

private:
    // A result in black, or one of the three messages in red; a message is
    // shown anew in the new language when the language changes.
    void ShowResultText(const QString &text);
    void ShowMessage(const QString *message);

    const QString *m_shownMessage = nullptr;

    Ui::TkombinatorikaFrm *ui;
    TTranslationTable m_texts;
};
