#include "tools/fQuadraticEquation.h"
#include "ui_fQuadraticEquation.h"

#include "core/KomplexneCisla.h"
#include "core/uProgramState.h"
#include "core/uResultFormater.h"
#include "platform/SysUtils.h"
#include "shell/uAccessibility.h"
#include "shell/uMainProgram.h"
#include "tools/model/uQuadraticSolver.h"
#include "tools/uToolControls.h"

TQuadraticEquationFrm::TQuadraticEquationFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TQuadraticEquationFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, size(), false);
    for (QLineEdit *edit : {ui->aEdt, ui->bEdt, ui->cEdt})
        HandleEditKeys(edit, TEditTyping::Number, [this] { calculateBtnClick(); });
    for (QLineEdit *edit : {ui->discriminantEdt, ui->x1Edt, ui->x2Edt})
        HandleEditKeys(edit, TEditTyping::Any);
    connect(ui->calculateBtn, &QPushButton::clicked, this, [this] { calculateBtnClick(); });

    m_texts.Caption(this, "QuadraticEquation", "Caption")
        .Field(&NotAQuadraticEquationMsg, "QuadraticEquation", "NotAQuadraticEquationMsg",
               QStringLiteral("It is not a quadratic equation if a = 0."))
        .Field(&NotAQuadraticEquationCaptionMsg, "QuadraticEquation", "NotAQuadraticEquationCaptionMsg",
               QStringLiteral("Not a quadratic equation"))
        .Text(ui->calculateBtn, "Common", "Calculate");
}

TQuadraticEquationFrm::~TQuadraticEquationFrm()
{
    delete ui;
}

void TQuadraticEquationFrm::TranslateTexts()
{
    m_texts.Translate();
}

void TQuadraticEquationFrm::calculateBtnClick()
{
    double coefficient[3] = {0, 0, 0};
    QLineEdit *edits[] = {ui->aEdt, ui->bEdt, ui->cEdt};
    for (int i = 0; i < 3; ++i)
        if (!TryStrToDouble(edits[i]->text(), coefficient[i])) {
            // No roots of other coefficients may stand beside the faulty one.
            ui->discriminantEdt->clear();
            ui->x1Edt->clear();
            ui->x2Edt->clear();
            KMainProgram::Instance()->ShowInputError();
            edits[i]->setFocus();
            edits[i]->selectAll();
            return;
        }
    TQuadraticRoots roots;
    if (!SolveQuadratic(coefficient[0], coefficient[1], coefficient[2], roots)) {
        KMainProgram::Instance()->ShowMessage(NotAQuadraticEquationCaptionMsg, NotAQuadraticEquationMsg);
        return;
    }
    ui->discriminantEdt->setText(TResultFormater::FormatResult(roots.Discriminant));
    if (!roots.Complex) {
        ui->x1Edt->setText(TResultFormater::FormatResult(roots.X1));
        ui->x2Edt->setText(TResultFormater::FormatResult(roots.X2));
    } else {
        const quint8 decimals = KProgramState::GetInstance(0)->Decimals;
        QString text;
        ComplexToStrDecimals(TComplex{roots.Re, roots.Im, false}, decimals, text);
        ui->x1Edt->setText(text);
        ComplexToStrDecimals(TComplex{roots.Re, -roots.Im, false}, decimals, text);
        ui->x2Edt->setText(text);
    }
    for (QLineEdit *edit : {ui->discriminantEdt, ui->x1Edt, ui->x2Edt})
        edit->setCursorPosition(0);
}
