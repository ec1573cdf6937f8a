#pragma once
// The quadratic equation a x^2 + b x + c = 0: the discriminant and both
// roots, real or complex. The roots are computed without cancellation in
// 80-bit floating point (uQuadraticSolver); complex roots are written as the
// calculator writes complex numbers.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"

namespace Ui {
class TQuadraticEquationFrm;
}

class TQuadraticEquationFrm : public KTandorelForm
{
    Q_OBJECT

public:
    explicit TQuadraticEquationFrm(QWidget *parent = nullptr);
    ~TQuadraticEquationFrm() override;

    void TranslateTexts() override;
    // The calculation (the button, and Enter in the coefficient edits).
    void calculateBtnClick();

    QString NotAQuadraticEquationMsg;        // "It is not a quadratic equation if a = 0."
    QString NotAQuadraticEquationCaptionMsg; // "Not a quadratic equation"

private:
    Ui::TQuadraticEquationFrm *ui;
    TTranslationTable m_texts;
};
