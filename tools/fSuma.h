#pragma once
// The series window: the sum or the product of the main window's expression
// over a whole-number variable between two bounds. The result goes to the
// main window as its new result and previous answer.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"
#include "tools/model/uCyklickeVypocty.h"

namespace Ui {
class TsumaFrm;
}

class QLineEdit;

class TsumaFrm : public KTandorelForm, public ISeriesHandOver
{
public:
    explicit TsumaFrm(QWidget *parent = nullptr);
    ~TsumaFrm() override;

    // The expression handed over by the controller (checked, decimal).
    void SetExpression(const QString &text) override;
    void TranslateTexts() override;

    // Runs the calculation as the Calculate button does.
    void vypocetBtnClick();

    // The questions about long series.
    QString DifficultCalculationCaption;
    QString DifficultCalculation;
    QString TooDifficultCalculation;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Refuses a bound or name: the red label and the focus on Edit.
    void ShowIncorrectValue(QLineEdit *edit);
    // The result in the main window's display and answer, written for the
    // calculator's number set and numeral system.
    void SendResult(Extended value);
    void RadioButton1Click();
    void RadioButton2Click();

    Ui::TsumaFrm *ui;
    TTranslationTable m_texts;
    TCyklickeVypocty Calc;
};
