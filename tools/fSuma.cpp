#include "tools/fSuma.h"
#include "ui_fSuma.h"

#include "core/KomplexneCisla.h"
#include "core/KomplexnyAnalyzator.h"
#include "core/PrevodySustav.h"
#include "core/uCommon.h"
#include "core/uProgramState.h"
#include "shell/uAccessibility.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>

namespace {

const QString SumSign = QStringLiteral("\u03A3");
const QString ProductSign = QStringLiteral("\u03A0");

// The busy cursor for as long as the object lives, whatever way the
// calculation ends.
class TBusyCursor
{
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor &) = delete;
    TBusyCursor &operator=(const TBusyCursor &) = delete;
};

bool IsEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

TsumaFrm::TsumaFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TsumaFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, minimumSize(), true);
    SetFixedTextColour(ui->incorrectValueLbl, QColor(255, 0, 0));
    QFont sign = ui->Label1->font();
    sign.setPixelSize(67);
    ui->Label1->setFont(sign);
    ui->Label1->setText(SumSign);
    ui->RadioButton1->setText(SumSign);
    ui->RadioButton2->setText(ProductSign);

    m_texts.Caption(this, "Sum", "Caption")
        .Text(ui->vypocetBtn, "Common", "Calculate")
        .Text(ui->incorrectValueLbl, "Common", "IncorrectValue")
        .Field(&DifficultCalculationCaption, "Sum", "DifficultCalculationCaption",
               QStringLiteral("Difficult calculation"))
        .Field(&DifficultCalculation, "Sum", "DifficultCalculation",
               QStringLiteral("The entered calculation is difficult and may take some time (even a couple of "
                              "minutes) to perform. Do it anyway?"))
        .Field(&TooDifficultCalculation, "Sum", "TooDifficultCalculation",
               QStringLiteral("The entered calculation would take too long to process."));
    m_texts.SetDefaultTexts();

    connect(ui->vypocetBtn, &QPushButton::clicked, this, [this] { vypocetBtnClick(); });
    connect(ui->RadioButton1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton1Click();
    });
    connect(ui->RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton2Click();
    });
    for (QWidget *w :
         {static_cast<QWidget *>(ui->OdEdt), static_cast<QWidget *>(ui->DoEdt), static_cast<QWidget *>(ui->premEdt),
          static_cast<QWidget *>(ui->RadioButton1), static_cast<QWidget *>(ui->RadioButton2)})
        w->installEventFilter(this);

    // Opens centred on the main window.
    SetMainForm(TGUIManager::Instance()->GetMainForm());
    PlaceBesideMainForm(DockCentred);
}

TsumaFrm::~TsumaFrm()
{
    delete ui;
}

void TsumaFrm::SetExpression(const QString &text)
{
    // A long expression shows from its start; the whole of it in the tooltip.
    ui->expressionLbl->setText(text);
    ui->expressionLbl->setToolTip(text);
}

void TsumaFrm::TranslateTexts()
{
    m_texts.Translate();
}

void TsumaFrm::RadioButton1Click()
{
    ui->Label1->setText(SumSign);
}

void TsumaFrm::RadioButton2Click()
{
    ui->Label1->setText(ProductSign);
}

bool TsumaFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return KTandorelForm::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (IsEnter(key)) {
        vypocetBtnClick();
        return true;
    }
    auto *bound = qobject_cast<QLineEdit *>(watched);
    if (bound != ui->OdEdt && bound != ui->DoEdt)
        return KTandorelForm::eventFilter(watched, event);
    // Bounds are whole numbers: digits, and a minus sign in front.
    const QString typed = key->text();
    if (typed.size() != 1 || typed[0] < u' ' || key->modifiers().testFlag(Qt::ControlModifier))
        return KTandorelForm::eventFilter(watched, event);
    QChar c = typed[0];
    MapKeyboardChar(c, true);
    const int caret = bound->hasSelectedText() ? bound->selectionStart() : bound->cursorPosition();
    const bool digit = c >= u'0' && c <= u'9';
    const bool sign = c == u'-' && caret == 0 && !bound->text().contains(u'-');
    if (!digit && !sign)
        return true;
    if (c != typed[0]) {
        bound->insert(QString(c));
        return true;
    }
    return KTandorelForm::eventFilter(watched, event);
}

void TsumaFrm::ShowIncorrectValue(QLineEdit *edit)
{
    edit->setFocus();
    ui->incorrectValueLbl->show();
}

void TsumaFrm::SendResult(Extended value)
{
    KProgramState *state = KProgramState::GetInstance(0);
    const quint8 radix = quint8(state->GetRadix());
    QString display;
    QString answer;
    if (state->NumberSet == 1) {
        // A real value is a complex one; the answer keeps the complex form
        // the complex evaluator reads.
        TComplex z;
        z.Re = value;
        ComplexToDisplayString(z, state->Decimals, radix, display, false);
        answer = u'(' + display + u')';
    } else {
        display = FormatNumber(state->Decimals, radix, false, value);
        answer = display;
    }
    state->Ans = answer;
    KMainProgram::Instance()->ShowResult(display);
}

void TsumaFrm::vypocetBtnClick()
{
    TCalculationError err;
    KMainProgram *program = KMainProgram::Instance();

    // The index must be a name the expression can hold: not a number, a
    // function or an operator word.
    const QString name = LowerCase(ui->premEdt->text().trimmed());
    QString token;
    NextToken(name, token);
    if (token != name || !IsVariableName(name)) {
        ShowIncorrectValue(ui->premEdt);
        return;
    }
    int from, to;
    if (!TryStrToInt(ui->OdEdt->text(), from)) {
        ShowIncorrectValue(ui->OdEdt);
        return;
    }
    if (!TryStrToInt(ui->DoEdt->text(), to)) {
        ShowIncorrectValue(ui->DoEdt);
        return;
    }
    ui->incorrectValueLbl->hide();
    Calc.SetVariableName(name);

    const QString expr = LowerCase(ui->expressionLbl->text());
    // The terms are real numbers; a residue modulo m cannot be made of them.
    if (KProgramState::GetInstance(0)->NumberSet == 2) {
        SetErrorCode(err, 14);
        program->ReportError(err);
        hide();
        return;
    }
    program->RegisterVariables(expr, name);
    program->CheckVariableValues(expr, err, name);
    if (err.ErrorCode != 0) {
        // A value missing, unreadable or unfit for the number set: the
        // variables window lets the user mend it.
        program->ReportError(err);
        if (TGUIManager::Instance()->Entry(FormId::Variables).FormClass)
            TGUIManager::Instance()->ShowForm(FormId::Variables);
        hide();
        return;
    }

    const qint64 n = qint64(to) - from;
    if (n >= 3000) {
        program->ShowMessage(DifficultCalculationCaption, TooDifficultCalculation);
        return;
    }
    if (n >= 1000) {
        QMessageBox box(QMessageBox::Question, DifficultCalculationCaption, DifficultCalculation,
                        QMessageBox::Yes | QMessageBox::No, this);
        if (box.exec() != QMessageBox::Yes)
            return;
    }

    {
        TBusyCursor busy;
        repaint();
        try {
            QString resultText;
            Calc.SetExpression(expr);
            Calc.Calculate(from, to, resultText, ui->RadioButton2->isChecked(), err);
            if (err.ErrorCode == 0)
                SendResult(Calc.Result);
        } catch (...) {
            ClassifyCurrentException(err);
        }
    }
    if (err.ErrorCode != 0)
        program->ReportError(err);
    hide();
}
