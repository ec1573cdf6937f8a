#pragma once
// The polynomials window: two polynomials P and Q typed in the notation of
// the polynomial model, and their sum, difference, product, quotient with
// remainder, P to the power n and the Horner scheme of Q at a point m. The
// result is drawn with raised exponents and its text can be copied back into
// P or Q. The window works on its own; it does not talk to the calculator's
// input.
#include "shell/uTandorelForm.h"
#include "shell/uTranslationTable.h"
#include "tools/model/uPolynomy.h"

#include <QWidget>

#include <functional>

namespace Ui {
class TmnohoclenyFrm;
}

class QLineEdit;

// Shows a polynomial picture; painted on demand, only the part in view.
class TPolynomView : public QWidget
{
public:
    explicit TPolynomView(QWidget *parent = nullptr);

    TPolynomImage Image;
    // The widget takes the picture's size and repaints.
    void Changed();

protected:
    void paintEvent(QPaintEvent *event) override;
};

class TmnohoclenyFrm : public KTandorelForm
{
public:
    explicit TmnohoclenyFrm(QWidget *parent = nullptr);
    ~TmnohoclenyFrm() override;

    void TranslateTexts() override;

    // The polynomials as last parsed by an operation, and the result.
    const TPolynom &PolynomP() const { return P; }
    const TPolynom &PolynomQ() const { return Q; }
    const TPolynom &ResultPolynom() const { return Result; }
    const TPolynomImage &Picture() const;

    // Messages ("#1" and "#2" are filled in).
    QString errDivisionByZero;
    QString errMaxVariables;
    QString errMaxVariablesTogether;
    QString errMax1Variable;
    QString errValueTooHigh;
    QString errIncorrectNotation;
    QString IncorrectValue;
    QString errMaxDegreeForHornerScheme;
    QString errNegativeIndexes;
    QString reminder;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void scitanieBtnClick();
    void odcitanieBtnClick();
    void nasobenieBtnClick();
    void delenieBtnClick();
    void umocniPBtnClick();
    void hornerBtnClick();
    void pEdtChange(QLineEdit *Edit);
    void mocnina1BtnClick(QLineEdit *Edit);
    void vymenaBtnClick();

    // The sum (Negate false) or the difference.
    void AddOrSubtract(bool Negate, const QString &Op);
    // Both texts checked (letters together, notation) and parsed into P and
    // Q with one letter table; false after showing why not.
    bool ParseInputs(int Max);
    // Edit's text in the notation; otherwise its message and mark.
    bool CheckNotation(QLineEdit *Edit, const QString &Name);
    void ShowError(const QString &Text, const QString &Arg1 = QString(), const QString &Arg2 = QString());
    void ShowResult(const QString &Op, TPolynom *Remainder);
    void ClearImage();
    void PictureChanged();
    // Shows the result edit again after a Horner scheme took its room.
    void RestoreResultEdit();
    void MarkEdit(QLineEdit *Edit);
    void ResetEditColour(QLineEdit *Edit);
    // Runs Action; an arithmetic failure is shown as its message (Name is
    // the polynomial a sixth letter belongs to).
    void Guarded(const QString &Name, const std::function<void()> &Action);

    Ui::TmnohoclenyFrm *ui;
    TTranslationTable Texts;
    TPolynom P;
    TPolynom Q;
    TPolynom Result;
};
