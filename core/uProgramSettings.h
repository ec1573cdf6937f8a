#pragma once
// The user's options, one field per key of "settings.ini", and the choice of
// the process-wide run-time decimal separator.
#include "core/uSingleton.h"

#include <QChar>
#include <QString>
#include <QtGlobal>

class TIniFile;

class KProgramSettings : public TSingleton
{
public:
    // [MainForm]
    bool Center = true;
    qint32 Top = 100;
    qint32 Left = 100;
    bool OnTop = false;
    // [Settings] and [Memory]
    bool SaveMemoryData = false;
    QString MemoryData = QStringLiteral("0");
    bool SaveHistory = true;
    bool SaveVariables = false;
    bool CheckUpdatesAtStart = true;
    bool CopyResultToClipboard = false;
    QString LanguageFile;              // relative to the program's folder
    QChar SystemDecimalSeparator;      // the system's separator, not saved; restored by mode 0
    quint8 InsertAfterCalculation = 1; // 0 operator only, 1 ANS and operator, 2 after the expression
    quint8 DecimalSeparator = 0;       // 0 system, 1 ".", 2 ","
    quint8 ComplexNumberFormat = 1;    // 0 "5+6i", 1 "5+j6"
    QString UID;                       // "none" when the key is missing
    bool RememberLastState = false;
    bool ScientificNotation = false;
    bool AllowOnlyOneInstance = false;
    bool CloseParentheses = true;

    // The single object, created on first use.
    static KProgramSettings *Instance();
    // Destroys the single object; the next Instance creates it afresh.
    static void FreeInstance();

    // Every field with a fixed default gets it; LanguageFile, UID,
    // SystemDecimalSeparator and the run-time separator are kept.
    void SetDefaults();
    // Stores Mode and sets the run-time separator: 0 the system's, 1 ".",
    // 2 ","; any other Mode leaves the run-time separator as it was.
    void SetDecimalSeparator(quint8 Mode);

    // Both do nothing for a null Ini. Save raises EIniFileException when the
    // file cannot be written; the file then stays as it was.
    void Load(TIniFile *Ini);
    void Save(TIniFile *Ini) const;

protected:
    KProgramSettings();
    ~KProgramSettings() override = default;
};
