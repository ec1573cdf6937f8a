#include "shell/uMainProgram.h"

#include "core/KomplexneCisla.h"
#include "core/PrevodySustav.h"
#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "platform/SysUtils.h"
#include "shell/PingUnit.h"
#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uHistoryModel.h"
#include "shell/uProgramTranslator.h"
#include "shell/uShellCommon.h"
#include "shell/uTandorelMainForm.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>

namespace {

KMainProgram *TheMainProgram = nullptr;

ITandorelMainForm *MainForm()
{
    return TGUIManager::Instance()->GetMainForm();
}

bool IsRegistered(int id)
{
    return TGUIManager::Instance()->Entry(id).FormClass != nullptr;
}

// The window of a hand-over through its interface, so that the controller
// needs none of the tool-window classes. A registered window without the
// interface is a programming fault and must not pass unnoticed.
template <class THandOver>
THandOver *HandOverTarget(int id)
{
    auto *target = dynamic_cast<THandOver *>(TGUIManager::Instance()->GetForm(id));
    if (!target)
        throw Exception(QStringLiteral("Window %1 does not take the hand-over").arg(id));
    return target;
}

} // namespace

KMainProgram *KMainProgram::Instance()
{
    if (!TheMainProgram)
        TheMainProgram = new KMainProgram();
    return TheMainProgram;
}

void KMainProgram::DestroyInstance()
{
    delete TheMainProgram;
    TheMainProgram = nullptr;
}

KMainProgram::KMainProgram() : Evaluator(new TExpressionEvaluator()), m_historyModel(new THistoryModel())
{
    m_texts.Field(&msgError, "Messages", "msgError", QStringLiteral("Error"))
        .Field(&msgCouldntSaveSettings, "Messages", "msgCouldntSaveSettings",
               QStringLiteral("Unable to save program settings."))
        .Field(&msgRestoreDefaultSettingsCaption, "Messages", "msgRestoreDefaultSettingsCaption",
               QStringLiteral("Restore default settings"))
        .Field(&msgRestoreDefaultSettings, "Messages", "msgRestoreDefaultSettings",
               QStringLiteral("All your settings will be lost. Restore anyway ?"))
        .Field(&InputError, "Common", "InputError", QStringLiteral("Input error"))
        .Field(&IncorrectValue, "Common", "IncorrectValue", QStringLiteral("Value entered incorrectly."))
        .Field(&msgCouldntFindManual, "Messages", "msgCouldntFindManual",
               QStringLiteral("Unable to find the manual file."))
        .Field(&ManualFile, "Addresses", "ManualFile", QStringLiteral("/manual/en/manual.html"))
        .Field(&msgFileTooLarge, "Messages", "msgFileTooLarge",
               QStringLiteral("The file \"#1\" is far larger than any file of the program. It was not read "
                              "and is left as it is."));
    // The Back key can recall a line while one is selected.
    QObject::connect(m_historyModel, &THistoryModel::ItemIndexChanged, m_historyModel,
                     [this](int index) { SetBackEnabled(index >= 0); });
}

KMainProgram::~KMainProgram()
{
    delete m_historyModel;
    delete Evaluator;
}

void KMainProgram::SetDefaultTexts()
{
    m_texts.SetDefaultTexts();
}

// ------------------------------------------------------------ calculation

void KMainProgram::EnsureConstantItems(const QString &expr)
{
    // The list set here is the constants window itself; should that window
    // be gone (a new registry), the stale reference is dropped.
    static QPointer<QObject> window;
    static const TConstantItems *fromWindow = nullptr;
    if (ConstantItems && ConstantItems == fromWindow && !window)
        ConstantItems = fromWindow = nullptr;
    if (ConstantItems || !expr.contains(u'$') || !IsRegistered(FormId::Constants))
        return;
    KTandorelForm *form = TGUIManager::Instance()->GetForm(FormId::Constants);
    window = form;
    fromWindow = dynamic_cast<const TConstantItems *>(form);
    ConstantItems = fromWindow;
}

void KMainProgram::Calculate(const QString &input)
{
    LastError = TCalculationError();
    try {
        EnsureConstantItems(input);
    } catch (const Exception &) {
        // Without the constants window every "$" name stays unknown.
    }
    const TCalculationOutcome outcome = CalculateExpression(input);
    LastError = outcome.Error;
    if (!outcome.Ok()) {
        ReportError(LastError);
        if (outcome.VariableValueMissing && IsRegistered(FormId::Variables))
            TGUIManager::Instance()->ShowForm(FormId::Variables);
        return;
    }
    ShowResult(outcome.DisplayText);
    try {
        AddToHistory(outcome.HistoryLine);
    } catch (const Exception &) {
        // A history that cannot take the line does not undo the result.
    }
    if (KProgramSettings::Instance()->CopyResultToClipboard)
        QGuiApplication::clipboard()->setText(outcome.AnswerText);
}

void KMainProgram::CalculateInput()
{
    CloseBrackets();
    ITandorelMainForm *form = MainForm();
    if (!form)
        return;
    Calculate(form->GetInput());
    // A tool window asked for it: the result and the next keys belong to
    // the main window, unless a variable still wants its value typed.
    const bool valueWanted = LastError.ErrorCode == 15 || LastError.ErrorCode == 17 || LastError.ErrorCode == 31;
    if (!valueWanted)
        form->Show();
}

void KMainProgram::CloseBrackets()
{
    ITandorelMainForm *form = MainForm();
    if (!form || !KProgramSettings::Instance()->CloseParentheses)
        return;
    QString s = form->GetInput();
    const QString before = s;
    Evaluator->CloseBrackets(s);
    // Writing an unchanged text back would still count as an edit.
    if (s != before)
        form->SetInput(s);
}

void KMainProgram::CheckConstants(const QString &expr, TCalculationError &err)
{
    try {
        EnsureConstantItems(expr);
    } catch (const Exception &) {}
    ::CheckConstants(expr, err);
}

void KMainProgram::RegisterVariables(const QString &expr, const QString &exempt)
{
    ::RegisterVariables(expr, exempt);
}

void KMainProgram::RegisterInputVariables()
{
    if (ITandorelMainForm *form = MainForm())
        RegisterVariables(form->GetInput(), QString());
}

void KMainProgram::CheckVariableValues(const QString &expr, TCalculationError &err, const QString &exempt)
{
    ::CheckVariableValues(expr, err, exempt);
}

void KMainProgram::CleanResultText(QString &s)
{
    ::CleanResultText(s);
}

QString KMainProgram::GetVariableValuesText(const QString &expr)
{
    return ::GetVariableValuesText(expr);
}

void KMainProgram::AddToHistory(const QString &line)
{
    m_historyModel->AddIntoHistory(line);
}

void KMainProgram::UseHistoryLine(const QString &line)
{
    const QString expression = THistoryModel::ExpressionOf(line);
    KProgramState::GetInstance(0)->LastExpression = expression;
    SetExpression(expression, false);
    ShowResult(THistoryModel::ResultOf(line));
}

// ---------------------------------------------------------- error reports

QString KMainProgram::DefaultErrorMessage(int code)
{
    static const char *const texts[34] = {
        "Incorrect expression notation.",
        "Expression can not start with an operator",
        "Expression can not end with an operator.",
        "Expression can not end with a decimal point.",
        "Operator can not be followed by another operator.",
        "Decimal point must be followed by a numeral.",
        "Operator must be followed by a constant, variable, or function.",
        "Operator must be preceded by a constant, variable, or function.",
        "Empty brackets.",
        "Incorrect use of closing bracket.",
        "Bracket not closed.",
        "Function \"#1\" lacks argument",
        "This operator can not be used over the selected set.",
        "This function can only be used over the set of real numbers.",
        "All variables are not entered.",
        "Illegal character.",
        "Value of variable \"#1\" does not match the selected set.",
        "Unspecified constant.",
        "Unknown constant \"#1\".",
        "Calculation error: Value too high.",
        "Illegal operation: Root of a negative number.",
        "Invalid argument of function \"#2\".",
        "Calculation error: Argument of function \"#1\" too high.",
        "Factorial can only be calculated from whole numbers.",
        "Illegal operation: Division by zero.",
        "Some numbers could not be converted.",
        "Parameter of operator \"#1\" must be a whole number.",
        "First parameter (n) of operator \"nad\" must be greater then second (k).",
        "Unknown calculation error.",
        "Decimal point must be preceded by a numeral.",
        "Value of variable \"#1\" entered incorrectly.",
        "Incorrect complex number notation.",
        "You must enter a function.",
        "You must enter an expression.",
    };
    if (code < 1 || code > 34)
        return QString();
    return QString::fromUtf8(texts[code - 1]);
}

QString KMainProgram::ErrorMessage(const TCalculationError &err)
{
    QString message = TProgramTranslator::Instance()->Translate(QStringLiteral("ErrorMessages"),
                                                                QStringLiteral("err") + QString::number(err.ErrorCode),
                                                                DefaultErrorMessage(err.ErrorCode));
    if (message.contains(QStringLiteral("#1")))
        ReplaceAll(message, QStringLiteral("#1"), err.ErrorText);
    if (message.contains(QStringLiteral("#2")))
        ReplaceAll(message, QStringLiteral("#2"), err.ErrorName);
    return message;
}

void KMainProgram::ReportError(TCalculationError err)
{
    if (ITandorelMainForm *form = MainForm())
        form->ShowError(ErrorMessage(err), err.ErrorStart, err.ErrorEnd);
}

void KMainProgram::GetLastError(TCalculationError &err) const
{
    err = LastError;
}

// ---------------------------------------------------- main window services

void KMainProgram::ShowResult(const QString &text)
{
    if (ITandorelMainForm *form = MainForm())
        form->ShowResult(text);
}

void KMainProgram::ChangeBase(int newNumeralSystem)
{
    ITandorelMainForm *form = MainForm();
    KProgramState *state = KProgramState::GetInstance(0);
    TCalculationError err;
    const quint8 oldRadix = quint8(state->GetRadix());
    state->NumeralSystem = quint8(newNumeralSystem);
    const quint8 newRadix = quint8(state->GetRadix());
    // More places than the state can hold (only from an edited state file)
    // are capped rather than left to end the base change half-way.
    try {
        state->Decimals = DigitCountForBase(oldRadix, newRadix, state->Decimals);
    } catch (const ERangeError &) {
        state->Decimals = 255;
    }
    if (form)
        form->SetDecimals(state->Decimals);
    const QChar extra = state->NumberSet == 1 ? ImaginaryUnit : QChar(u'\0');
    QString s = form ? form->GetInput() : QString();
    ConvertExpressionBaseKeepingConstants(oldRadix, newRadix, extra, s, err);
    const bool justCalculated = state->JustCalculated;
    if (err.ErrorCode == 0) {
        state->LastExpression = s;
        if (form)
            form->SetInput(s);
    }
    // The answer follows the numeral system even when the input could not:
    // left in the old base, ANS and the next continuation would read its
    // digits in the new one ("FF" taken as a decimal text).
    TCalculationError answerErr;
    QString a = state->Ans;
    ConvertResultBase(oldRadix, newRadix, extra, a, answerErr, state->Decimals);
    state->Ans = a;
    ShowResult(a);
    state->JustCalculated = justCalculated;
    if (err.ErrorCode == 0)
        err = answerErr;
    if (err.ErrorCode != 0)
        ReportError(err);
}

bool KMainProgram::CheckHandOver(QString &text, int emptyCode, bool checkVariables)
{
    if (ITandorelMainForm *form = MainForm())
        form->ClearError();
    try {
        if (text.contains(u'$'))
            EnsureConstantItems(text);
    } catch (const Exception &) {}
    const THandOverCheck check = CheckHandOverExpression(text, emptyCode, checkVariables);
    if (check.Ok())
        return true;
    ReportError(check.Error);
    if (check.VariableValueMissing && IsRegistered(FormId::Variables))
        TGUIManager::Instance()->ShowForm(FormId::Variables);
    return false;
}

void KMainProgram::ShowFunctionGraph(const QString &expr)
{
    QString text = expr;
    if (!CheckHandOver(text, 33, true) || !IsRegistered(FormId::FunctionGraph))
        return;
    HandOverTarget<IFunctionGraphHandOver>(FormId::FunctionGraph)->ShowFunction(text);
    TGUIManager::Instance()->ShowForm(FormId::FunctionGraph);
}

void KMainProgram::ShowDerivative(const QString &expr)
{
    QString text = expr;
    if (!CheckHandOver(text, 33, false) || !IsRegistered(FormId::Derivatives))
        return;
    HandOverTarget<IDerivativeHandOver>(FormId::Derivatives)->SetFunction(text);
    TGUIManager::Instance()->ShowForm(FormId::Derivatives);
}

void KMainProgram::ShowSeriesSummation(const QString &expr)
{
    QString text = expr;
    if (!CheckHandOver(text, 34, false) || !IsRegistered(FormId::SeriesSum))
        return;
    HandOverTarget<ISeriesHandOver>(FormId::SeriesSum)->SetExpression(text);
    TGUIManager::Instance()->ShowForm(FormId::SeriesSum);
}

void KMainProgram::ShowExpressionPreview(const QString &text)
{
    if (!IsRegistered(FormId::ExpressionPreview))
        return;
    auto *preview = HandOverTarget<IExpressionPreviewHandOver>(FormId::ExpressionPreview);
    preview->SetExpression(text);
    preview->Redraw();
    TGUIManager::Instance()->ShowForm(FormId::ExpressionPreview);
}

void KMainProgram::SetExpression(const QString &text, bool registerVars)
{
    QString expression = text;
    const qsizetype eq = expression.indexOf(u'=');
    if (eq >= 0)
        expression.remove(0, eq + 1);
    if (registerVars) {
        RegisterVariables(expression, QString());
        if (IsRegistered(FormId::Variables))
            TGUIManager::Instance()->ShowForm(FormId::Variables);
    }
    if (ITandorelMainForm *form = MainForm())
        form->SetInput(expression);
}

void KMainProgram::InsertIntoInput(const QString &text)
{
    if (ITandorelMainForm *form = MainForm())
        form->InsertText(text);
}

QString KMainProgram::GetInputBeforeCaret()
{
    ITandorelMainForm *form = MainForm();
    return form ? form->GetInputBeforeCaret() : QString();
}

void KMainProgram::SetBackEnabled(bool enabled)
{
    if (ITandorelMainForm *form = MainForm())
        form->SetBackEnabled(enabled);
}

void KMainProgram::RecallLastHistoryEntry()
{
    if (m_historyModel->Count() == 0)
        return;
    const int index = m_historyModel->ItemIndex();
    m_historyModel->SetItemIndex(index <= 0 ? m_historyModel->Count() - 1 : index - 1);
    UseHistoryLine(m_historyModel->Lines(m_historyModel->ItemIndex()));
}

void KMainProgram::SetAlwaysOnTop(bool onTop)
{
    TGUIManager::Instance()->SetStayOnTop(onTop);
    KProgramSettings::Instance()->OnTop = onTop;
}

void KMainProgram::RestoreDefaultSettings()
{
    QMessageBox box(QMessageBox::Question, msgRestoreDefaultSettingsCaption, msgRestoreDefaultSettings,
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes)
        return;
    KProgramSettings::Instance()->SetDefaults();
    KProgramState::GetInstance(0)->SetDefaults();
    if (ITandorelMainForm *form = MainForm()) {
        form->ApplySettings();
        form->RestoreState();
    }
    if (IsRegistered(FormId::Settings)) {
        HandOverTarget<IStartupStateEditor>(FormId::Settings)->LoadControls();
        TGUIManager::Instance()->ShowForm(FormId::Settings);
    }
}

void KMainProgram::ShowManual()
{
    if (Ping(MakerServerName())) {
        OpenURL(MakerWebAddress(QStringLiteral("manual/?") + BuildQueryString(false)));
        return;
    }
    // The language file names it; it may not lead out of the data folder.
    const QString local = DataDirFile(ManualFile, QStringLiteral("manual/en/manual.html"));
    if (!local.isEmpty() && QFileInfo::exists(local))
        OpenURL(local);
    else
        ShowMessage(msgError, msgCouldntFindManual);
}

void KMainProgram::ReportFileTooLarge(const QString &fileName)
{
    QString text = msgFileTooLarge;
    text.replace(QStringLiteral("#1"), QDir::toNativeSeparators(fileName));
    ShowMessage(msgError, text);
}

int KMainProgram::ShowMessage(const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok);
    return box.exec();
}

void KMainProgram::ShowInputError()
{
    ShowMessage(InputError, IncorrectValue);
}
