#pragma once
// The controller between the main window and the calculation engine. It runs
// every calculation started from the main window, reports calculation errors
// with their translated message and the faulty part of the input, keeps the
// previous answer and the history, converts the input when the numeral
// system changes and hands the input over to the graph, derivatives,
// series-sum and preview windows after checking it.
//
// It never touches the main window's controls: everything goes through the
// ITandorelMainForm interface that TGUIManager::GetMainForm returns, and every
// tool window is reached through TGUIManager by its window id.
//
// The calculation itself (checks, conversion, evaluation, formatting) is the
// GUI-free routine CalculateExpression of core/uCalculation.h; Calculate runs
// it and applies its outcome to the windows.
#include "core/uCalculation.h"
#include "core/uCommon.h"
#include "core/uExpressionEvaluator.h"
#include "shell/uTranslationTable.h"

#include <QObject>
#include <QString>

class THistoryModel;

class KMainProgram
{
public:
    // The one controller; created on first use, freed by DestroyInstance at
    // program end (it outlives the main window).
    static KMainProgram *Instance();
    static void DestroyInstance();

    // ---------------------------------------------------------------- fields
    TCalculationError LastError;              // error record of the last calculation
    TExpressionEvaluator *Evaluator;          // owned; bracket completion
    QString msgError;                         // "Error"
    QString msgCouldntSaveSettings;           // "Unable to save program settings."
    QString msgRestoreDefaultSettingsCaption; // "Restore default settings"
    QString msgRestoreDefaultSettings;        // "All your settings will be lost. Restore anyway ?"
    QString InputError;                       // "Input error"
    QString IncorrectValue;                   // "Value entered incorrectly."
    QString msgCouldntFindManual;             // "Unable to find the manual file."
    QString ManualFile;                       // below DataDir; "/manual/en/manual.html"
    QString msgFileTooLarge;                  // "The file "#1" is far larger ... left as it is."

    // ------------------------------------------------------- calculation road
    // The whole calculation of Input (the main window's text as typed): error
    // display on failure; display, Ans, history and clipboard on success.
    void Calculate(const QString &input);
    // CloseBrackets, then Calculate of the main window's input.
    void CalculateInput();
    // With the setting CloseParentheses on, appends the missing ")" to the
    // main window's input.
    void CloseBrackets();
    // Every "$" name of Expr must be a known constant (code 19, with the
    // span of the name in Expr as typed, blanks included).
    void CheckConstants(const QString &expr, TCalculationError &err);
    // Every variable of Expr (but Exempt) becomes known, empty when new.
    void RegisterVariables(const QString &expr, const QString &exempt);
    // RegisterVariables of the main window's input, no exempt name.
    void RegisterInputVariables();
    // Every variable of Expr (but Exempt) must have a value that suits the
    // number set (codes 15, 31, 17, no faulty part).
    void CheckVariableValues(const QString &expr, TCalculationError &err, const QString &exempt);
    // Blanks, the first "[" and the first "]" removed; "" becomes "0".
    void CleanResultText(QString &s);
    // "name=value;" for every variable of Expr, in collected order.
    QString GetVariableValuesText(const QString &expr);
    // The history of the calculations (the history window shows it).
    THistoryModel *History() const { return m_historyModel; }
    // Appends one line to the history.
    void AddToHistory(const QString &line);
    // A history line used again: its expression becomes LastExpression and
    // the input, its result (without the variables) the display.
    void UseHistoryLine(const QString &line);

    // ------------------------------------------------------ error reporting
    // The translated message of Err's code with "#1"/"#2" filled, shown in the
    // main window's error label with the faulty part selected.
    void ReportError(TCalculationError err);
    // The English message of an error code, "" outside 1..34.
    static QString DefaultErrorMessage(int code);
    // The message ReportError shows for Err (translated, "#1"/"#2" filled).
    static QString ErrorMessage(const TCalculationError &err);
    void GetLastError(TCalculationError &err) const;

    // -------------------------------------------------- main window services
    void ShowResult(const QString &text);
    // NewNumeralSystem: 0 binary, 1 octal, 2 decimal, 3 hexadecimal. The
    // answer is converted even when the input cannot be (code 26 shown).
    void ChangeBase(int newNumeralSystem);
    // The hand-overs reach their windows through the registry and the
    // interfaces of shell/uTandorelForm.h (graph IFunctionGraphHandOver,
    // derivatives IDerivativeHandOver, series ISeriesHandOver, preview
    // IExpressionPreviewHandOver). An id without a class is skipped.
    void ShowFunctionGraph(const QString &expr);
    void ShowDerivative(const QString &expr);
    void ShowSeriesSummation(const QString &expr);
    void ShowExpressionPreview(const QString &text);
    // Text after its first "=" (the whole text when it holds none) becomes
    // the input; RegisterVars also registers its variables and opens the
    // variables window.
    void SetExpression(const QString &text, bool registerVars);
    void InsertIntoInput(const QString &text);
    // The main input's text before the caret (empty without a main window).
    QString GetInputBeforeCaret();
    void SetBackEnabled(bool enabled);
    // Back key: the history selection moves one line up (wrapping to the
    // last line) and that entry is used.
    void RecallLastHistoryEntry();
    void SetAlwaysOnTop(bool onTop);
    void RestoreDefaultSettings();
    void ShowManual();
    // A message box with the exclamation icon and an OK button.
    int ShowMessage(const QString &caption, const QString &text);
    // msgFileTooLarge with "#1" the file, in a message box: a file far larger
    // than any real one was refused unread and will not be written over.
    void ReportFileTooLarge(const QString &fileName);
    void ShowInputError();
    void SetDefaultTexts();

    // ------------------------------------------- start-up and shut-down
    // These belong to the program's start and end and are defined in
    // shell/uMainProgramStartup.cpp.
    void Start();
    // Before the main window closes: every created tool window that keeps
    // unsaved changes (IUnsavedChangesOwner) offers them for saving; false
    // when one of them asks to keep the program running. While SessionEnding
    // (a signal ends the program) they are saved without a question.
    bool OfferUnsavedChanges();
    bool SessionEnding = false;
    void SaveAll();
    // English defaults, then (with a language file loaded) the translations
    // of the texts above, the main window's and every tool window's texts.
    void LoadTexts();
    // ImaginaryUnit, ImaginaryUnitFirst and ImaginaryUnitChar from the
    // complex number format setting; re-captions the complex keys.
    void ApplyImaginaryUnit();
    void CheckForUpdate(bool automatic);
    void UpdateInformerDone(QObject *sender);

    // The three checked hand-overs share this road: returns false (after
    // reporting the error) when Text may not be handed over; on success Text
    // holds the checked text with decimal numbers.
    bool CheckHandOver(QString &text, int emptyCode, bool checkVariables);

private:
    KMainProgram();
    ~KMainProgram();
    KMainProgram(const KMainProgram &) = delete;
    KMainProgram &operator=(const KMainProgram &) = delete;

    THistoryModel *m_historyModel; // owned
    TTranslationTable m_texts;

    // Sets ConstantItems from the constants window on first use.
    void EnsureConstantItems(const QString &expr);
};
