#include "core/uProgramSettings.h"

#include "platform/IniFiles.h"
#include "platform/SysUtils.h"

namespace {

KProgramSettings *TheInstance = nullptr;

const QString MainForm = QStringLiteral("MainForm");
const QString Settings = QStringLiteral("Settings");
const QString Memory = QStringLiteral("Memory");

} // namespace

KProgramSettings::KProgramSettings()
{
    // The run-time separator does not start as the system's here, so the
    // system's own is asked for directly.
    SystemDecimalSeparator = ::SystemDecimalSeparator();
    SetDefaults();
    LanguageFile.clear();
}

KProgramSettings *KProgramSettings::Instance()
{
    return SingleInstance(TheInstance, [] { return new KProgramSettings(); });
}

void KProgramSettings::FreeInstance()
{
    FreeSingleInstance(TheInstance);
}

void KProgramSettings::SetDefaults()
{
    Center = true;
    Top = 100;
    Left = 100;
    OnTop = false;
    SaveMemoryData = false;
    MemoryData = QStringLiteral("0");
    SaveHistory = true;
    SaveVariables = false;
    CheckUpdatesAtStart = true;
    CopyResultToClipboard = false;
    InsertAfterCalculation = 1;
    DecimalSeparator = 0;
    ComplexNumberFormat = 1;
    RememberLastState = false;
    ScientificNotation = false;
    AllowOnlyOneInstance = false;
    CloseParentheses = true;
}

void KProgramSettings::SetDecimalSeparator(quint8 Mode)
{
    DecimalSeparator = Mode;
    switch (Mode) {
    case 0:
        ::DecimalSeparator = SystemDecimalSeparator;
        break;
    case 1:
        ::DecimalSeparator = QChar(u'.');
        break;
    case 2:
        ::DecimalSeparator = QChar(u',');
        break;
    default:
        break;
    }
}

void KProgramSettings::Load(TIniFile *Ini)
{
    if (!Ini)
        return;
    const TIniReadGroup group(*Ini);
    Center = Ini->ReadBool(MainForm, QStringLiteral("Center"), Center);
    Top = Ini->ReadInteger(MainForm, QStringLiteral("Top"), Top);
    Left = Ini->ReadInteger(MainForm, QStringLiteral("Left"), Left);
    OnTop = Ini->ReadBool(MainForm, QStringLiteral("OnTop"), OnTop);

    SaveMemoryData = Ini->ReadBool(Settings, QStringLiteral("SaveMemoryData"), SaveMemoryData);
    MemoryData = Ini->ReadString(Memory, QStringLiteral("Data"), MemoryData);

    SaveHistory = Ini->ReadBool(Settings, QStringLiteral("SaveHistory"), SaveHistory);
    CheckUpdatesAtStart = Ini->ReadBool(Settings, QStringLiteral("CheckUpdatesAtStart"), CheckUpdatesAtStart);
    LanguageFile = Ini->ReadString(Settings, QStringLiteral("LanguageFile"), LanguageFile);
    SaveVariables = Ini->ReadBool(Settings, QStringLiteral("SaveVariables"), SaveVariables);
    CopyResultToClipboard = Ini->ReadBool(Settings, QStringLiteral("CopyResultToClipboard"), CopyResultToClipboard);

    UID = Ini->ReadString(Settings, QStringLiteral("UID"), QStringLiteral("none"));

    const int insert = Ini->ReadInteger(Settings, QStringLiteral("InsertAfterCalculation"), InsertAfterCalculation);
    if (insert >= 0 && insert <= 2)
        InsertAfterCalculation = quint8(insert);
    const int separator = Ini->ReadInteger(Settings, QStringLiteral("DecimalSeparator"), DecimalSeparator);
    if (separator >= 0 && separator <= 2)
        SetDecimalSeparator(quint8(separator));
    const int complexFormat = Ini->ReadInteger(Settings, QStringLiteral("ComplexNumberFormat"), ComplexNumberFormat);
    if (complexFormat >= 0 && complexFormat <= 1)
        ComplexNumberFormat = quint8(complexFormat);

    RememberLastState = Ini->ReadBool(Settings, QStringLiteral("RememberLastState"), RememberLastState);
    ScientificNotation = Ini->ReadBool(Settings, QStringLiteral("ScientificNotation"), ScientificNotation);
    AllowOnlyOneInstance = Ini->ReadBool(Settings, QStringLiteral("AllowOnlyOneInstance"), AllowOnlyOneInstance);
    CloseParentheses = Ini->ReadBool(Settings, QStringLiteral("CloseParentheses"), CloseParentheses);
}

void KProgramSettings::Save(TIniFile *Ini) const
{
    if (!Ini)
        return;
    WriteIniAtomically(Ini->FileName(), [this](TIniFile &ini) {
        if (!Center) {
            ini.WriteBool(MainForm, QStringLiteral("Center"), false);
            ini.WriteInteger(MainForm, QStringLiteral("Top"), Top);
            ini.WriteInteger(MainForm, QStringLiteral("Left"), Left);
        } else {
            // The last position stays in the file for a later uncentred start.
            ini.WriteBool(MainForm, QStringLiteral("Center"), true);
        }
        ini.WriteBool(MainForm, QStringLiteral("OnTop"), OnTop);

        if (SaveMemoryData) {
            ini.WriteBool(Settings, QStringLiteral("SaveMemoryData"), true);
            ini.WriteString(Memory, QStringLiteral("Data"), MemoryData);
        } else {
            ini.WriteBool(Settings, QStringLiteral("SaveMemoryData"), false);
        }

        ini.WriteBool(Settings, QStringLiteral("SaveHistory"), SaveHistory);
        ini.WriteBool(Settings, QStringLiteral("CheckUpdatesAtStart"), CheckUpdatesAtStart);
        ini.WriteString(Settings, QStringLiteral("LanguageFile"), LanguageFile);
        ini.WriteBool(Settings, QStringLiteral("SaveVariables"), SaveVariables);
        ini.WriteBool(Settings, QStringLiteral("CopyResultToClipboard"), CopyResultToClipboard);
        ini.WriteString(Settings, QStringLiteral("UID"), UID);
        ini.WriteInteger(Settings, QStringLiteral("InsertAfterCalculation"), InsertAfterCalculation);
        ini.WriteInteger(Settings, QStringLiteral("DecimalSeparator"), DecimalSeparator);
        ini.WriteInteger(Settings, QStringLiteral("ComplexNumberFormat"), ComplexNumberFormat);
        ini.WriteBool(Settings, QStringLiteral("RememberLastState"), RememberLastState);
        ini.WriteBool(Settings, QStringLiteral("ScientificNotation"), ScientificNotation);
        ini.WriteBool(Settings, QStringLiteral("AllowOnlyOneInstance"), AllowOnlyOneInstance);
        ini.WriteBool(Settings, QStringLiteral("CloseParentheses"), CloseParentheses);
    });
}
