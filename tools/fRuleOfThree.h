#pragma once
// The rule of three: from a ... b and c ... X, X by direct proportion
// (b c / a) or inverse proportion (a b / c). A zero where the division needs
// a non-zero value, like any value that is no number, shows "Invalid input
// values" in red instead of a result.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"

class QLineEdit;
namespace Ui {
class TRuleOfThreeFrm;
}

class TRuleOfThreeFrm : public KTandorelForm
{
    Q_OBJECT

public:
    explicit TRuleOfThreeFrm(QWidget *parent = nullptr);
    ~TRuleOfThreeFrm() override;

    void TranslateTexts() override;
    // The calculation (the button, and Enter in the edits and on the
    // direction buttons).
    void Button1Click();

    QString ValueNotEntered; // "All values are not entered"
    QString InvalidInput;    // "Invalid input values"

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Shows one of the two messages; it is shown anew in the new language
    // when the language changes.
    void ShowError(const QString *text);
    void RadioButton1Click();

    const QString *m_shownMessage = nullptr;

    Ui::TRuleOfThreeFrm *ui;
    TTranslationTable m_texts;
};
