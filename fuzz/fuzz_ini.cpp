// The INI layer as the program uses it. One input is one file, taken as
// "settings.ini" (the settings read at start, then the save at exit), as
// "programState.ini" (the calculator state, then its save) and as a language
// file (its header and the translator's look-ups), and then written once
// more with one value. The promises: every value read lies in its range,
// every written value reads back, every line the writes do not touch stays
// byte for byte, and look-ups find every key as the file lists it.
#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "fuzz/FuzzFiles.h"
#include "platform/IniFiles.h"
#include "shell/uProgramTranslator.h"
#include "shell/uTranslationFileInfo.h"

#include <QSet>

#include <cstddef>
#include <cstdint>

namespace {

// A line's section or key name as the reader finds it, folded; empty for
// other lines.
struct TLineName
{
    bool Header = false;
    QString Name;
};

TLineName NameOf(const QByteArray &Line)
{
    const QString text = QString::fromUtf8(Line);
    const QString trimmed = text.trimmed();
    TLineName n;
    if (trimmed.startsWith(u'[')) {
        n.Header = true;
        const qsizetype close = trimmed.indexOf(u']');
        n.Name = trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed().toCaseFolded();
    } else if (!trimmed.startsWith(u';') && trimmed.contains(u'=')) {
        n.Name = trimmed.left(trimmed.indexOf(u'=')).trimmed().toCaseFolded();
    }
    return n;
}

// After holds Before's lines in their order, except that lines of the
// written keys may have changed and lines of written keys and headers of
// written sections may have come in.
void CheckOtherLinesKept(const QByteArray &Before, const QByteArray &After, const QSet<QString> &Keys,
                         const QSet<QString> &Sections)
{
    const QList<QByteArray> before = FileLines(Before);
    const QList<QByteArray> after = FileLines(After);
    const auto written = [&](const QByteArray &Line) {
        const TLineName n = NameOf(Line);
        return !n.Name.isEmpty() && (n.Header ? Sections.contains(n.Name) : Keys.contains(n.Name));
    };
    qsizetype i = 0;
    for (const QByteArray &line : after) {
        if (i < before.size() && line == before.at(i)) {
            ++i;
        } else if (i < before.size() && written(before.at(i)) && written(line) && !NameOf(line).Header) {
            ++i; // a written key's new value
        } else if (!written(line)) {
            Fail("a line the writes did not touch changed", QString::fromUtf8(line));
        }
    }
    Check(i == before.size(), "a line the writes did not touch is gone", QString::fromUtf8(before.value(i)));
}

QSet<QString> Folded(std::initializer_list<const char *> Names)
{
    QSet<QString> set;
    for (const char *name : Names)
        set.insert(QString::fromLatin1(name).toCaseFolded());
    return set;
}

// The fields the exit save writes, as "name=value" texts.
QStringList SavedFields(const KProgramSettings &S)
{
    const auto b = [](bool v) { return QString::number(int(v)); };
    QStringList f{"Center=" + b(S.Center),
                  "OnTop=" + b(S.OnTop),
                  "SaveMemoryData=" + b(S.SaveMemoryData),
                  "SaveHistory=" + b(S.SaveHistory),
                  "CheckUpdatesAtStart=" + b(S.CheckUpdatesAtStart),
                  "LanguageFile=" + S.LanguageFile,
                  "SaveVariables=" + b(S.SaveVariables),
                  "CopyResultToClipboard=" + b(S.CopyResultToClipboard),
                  "UID=" + S.UID,
                  "InsertAfterCalculation=" + QString::number(S.InsertAfterCalculation),
                  "DecimalSeparator=" + QString::number(S.DecimalSeparator),
                  "ComplexNumberFormat=" + QString::number(S.ComplexNumberFormat),
                  "RememberLastState=" + b(S.RememberLastState),
                  "ScientificNotation=" + b(S.ScientificNotation),
                  "AllowOnlyOneInstance=" + b(S.AllowOnlyOneInstance),
                  "CloseParentheses=" + b(S.CloseParentheses)};
    if (!S.Center)
        f << "Top=" + QString::number(S.Top) << "Left=" + QString::number(S.Left);
    if (S.SaveMemoryData)
        f << "Data=" + S.MemoryData;
    return f;
}

void Settings(const QByteArray &Input)
{
    WriteScratch(QStringLiteral("settings.ini"), Input);
    const QString file = ScratchFile(QStringLiteral("settings.ini"));
    KProgramSettings::FreeInstance();
    KProgramSettings *settings = KProgramSettings::Instance();
    {
        TIniFile ini(file);
        settings->Load(&ini);
        Check(settings->InsertAfterCalculation <= 2 && settings->DecimalSeparator <= 2
                  && settings->ComplexNumberFormat <= 1,
              "a setting out of its range");
        try {
            settings->Save(&ini);
        } catch (const EIniFileException &) {
            Check(ReadScratch(QStringLiteral("settings.ini")) == Input, "a failed save changed the file");
            return;
        }
    }
    CheckOtherLinesKept(Input, ReadScratch(QStringLiteral("settings.ini")),
                        Folded({"Center", "Top", "Left", "OnTop", "SaveMemoryData", "Data", "SaveHistory",
                                "CheckUpdatesAtStart", "LanguageFile", "SaveVariables", "CopyResultToClipboard", "UID",
                                "InsertAfterCalculation", "DecimalSeparator", "ComplexNumberFormat",
                                "RememberLastState", "ScientificNotation", "AllowOnlyOneInstance", "CloseParentheses"}),
                        Folded({"MainForm", "Settings", "Memory"}));

    const QStringList saved = SavedFields(*settings);
    KProgramSettings::FreeInstance();
    TIniFile ini(file);
    KProgramSettings::Instance()->Load(&ini);
    const QStringList again = SavedFields(*KProgramSettings::Instance());
    for (qsizetype k = 0; k < saved.size(); ++k)
        Check(again.value(k) == saved.at(k), "a saved setting reads back otherwise", saved.at(k));
}

void State(const QByteArray &Input)
{
    WriteScratch(QStringLiteral("programState.ini"), Input);
    const QString file = ScratchFile(QStringLiteral("programState.ini"));
    KProgramState *state = KProgramState::GetInstance(1);
    state->SetDefaults();
    state->LoadFromFile(file);
    Check(state->NumberSet <= 2 && state->AngleMode <= 2 && state->NumeralSystem <= 3 && state->ModuloBase >= 2,
          "a state value out of its range");
    try {
        state->SaveToFile(file);
    } catch (const EIniFileException &) {
        Check(ReadScratch(QStringLiteral("programState.ini")) == Input, "a failed save changed the file");
        return;
    }
    CheckOtherLinesKept(
        Input, ReadScratch(QStringLiteral("programState.ini")),
        Folded({"NumberSet", "ModuloBase", "AngleMode", "NumeralSystem", "Hyp", "Fractions", "Decimals"}),
        Folded({"ProgramState"}));
    KProgramState *again = KProgramState::GetInstance(0);
    again->SetDefaults();
    again->LoadFromFile(file);
    Check(again->NumberSet == state->NumberSet && again->ModuloBase == state->ModuloBase
              && again->AngleMode == state->AngleMode && again->NumeralSystem == state->NumeralSystem
              && again->Hyp == state->Hyp && again->Fractions == state->Fractions && again->Decimals == state->Decimals,
          "the saved state reads back otherwise");
}

bool Ascii(const QString &S)
{
    for (const QChar c : S)
        if (c.unicode() > 127)
            return false;
    return true;
}

QString SwapCase(const QString &S)
{
    QString r = S;
    for (QChar &c : r)
        c = c.isUpper() ? c.toLower() : c.toUpper();
    return r;
}

void Language(const QByteArray &Input)
{
    WriteScratch(QStringLiteral("lang/xx.txt"), Input);
    const QString file = ScratchFile(QStringLiteral("lang/xx.txt"));
    TTranslationFileInfo info;
    info.LoadFromFile(file);
    Check(info.LanguageIsoCode.size() <= 255, "a language code longer than 255 characters");

    TProgramTranslator *translator = TProgramTranslator::Instance();
    Check(translator->LoadFile(file), "a small language file was refused");
    const TIniFile ini(file, MaxLanguageFileSize);
    QStringList sections;
    ini.ReadSections(sections);
    const QString missing = QStringLiteral("\x01");
    for (const QString &section : sections.mid(0, 30)) {
        QStringList keys;
        ini.ReadSection(section, keys);
        const TTranslationGroup texts;
        for (const QString &key : keys.mid(0, 30)) {
            const QString value = translator->Translate(section, key, missing);
            Check(value != missing || ini.ReadString(section, key, QString()) == missing, "a listed key is not found",
                  section + u'/' + key);
            Check(value.size() <= 2047, "a value longer than 2047 characters");
            if (Ascii(section) && Ascii(key))
                Check(translator->Translate(SwapCase(section), SwapCase(key), missing) == value,
                      "a look-up depends on letter case", section + u'/' + key);
        }
    }
    Check(translator->Translate(QStringLiteral("Common"), QStringLiteral("\x02none"), QStringLiteral("d")) == "d",
          "a missing key does not give the default");
    TProgramTranslator::FreeInstance();
}

// One more write into the settings file: a value that reading could change.
void OneWrite(const QByteArray &Input, uint8_t Choice)
{
    static const struct
    {
        const char *Section, *Key;
    } keys[] = {{"Settings", "UID"}, {"MainForm", "Top"}, {"Memory", "Data"}, {"Common", "Close"}, {"New", "Key"}};
    static const QString values[] = {
        QStringLiteral("plain"),      QStringLiteral(" padded "),   QStringLiteral("\"quoted\""),
        QStringLiteral("a=b;[c]"),    QString::fromUtf8("Zavrieť"), QString(3000, u'x'),
        QStringLiteral("two\nlines"),
    };
    const auto &key = keys[Choice % std::size(keys)];
    const QString &value = values[Choice / std::size(keys) % std::size(values)];
    QString expected = value.left(2047);
    expected.replace(u'\n', u' ');

    WriteScratch(QStringLiteral("write.ini"), Input);
    const QString file = ScratchFile(QStringLiteral("write.ini"));
    try {
        TIniFile(file).WriteString(QLatin1String(key.Section), QLatin1String(key.Key), value);
    } catch (const EIniFileException &) {
        Check(ReadScratch(QStringLiteral("write.ini")) == Input, "a failed write changed the file");
        return;
    }
    Check(TIniFile(file).ReadString(QLatin1String(key.Section), QLatin1String(key.Key), QString()) == expected,
          "a written value reads back otherwise", QLatin1String(key.Section) + u'/' + QLatin1String(key.Key));
    CheckOtherLinesKept(Input, ReadScratch(QStringLiteral("write.ini")), Folded({key.Key}), Folded({key.Section}));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 65536)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    Settings(input);
    State(input);
    Language(input);
    OneWrite(input, size ? data[size - 1] : 0);
    KProgramSettings::FreeInstance();
    KProgramState::FreeInstances();
    DecimalSeparator = u'.';
    return 0;
}
