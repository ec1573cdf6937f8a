#include "core/uProgramState.h"

#include "platform/IniFiles.h"

namespace {

KProgramState *Instances[2] = {nullptr, nullptr};

const QString Section = QStringLiteral("ProgramState");

} // namespace

KProgramState::KProgramState()
{
    SetDefaults();
}

KProgramState *KProgramState::GetInstance(quint8 Index)
{
    if (Index > 1)
        return nullptr;
    return SingleInstance(Instances[Index], [] { return new KProgramState(); });
}

void KProgramState::FreeInstances()
{
    for (KProgramState *&p : Instances)
        FreeSingleInstance(p);
}

void KProgramState::SetDefaults()
{
    JustCalculated = false;
    NumberSet = 0;
    ModuloBase = 5;
    AngleMode = 0;
    NumeralSystem = 2;
    Ans.clear();
    LastExpression.clear();
    Hyp = false;
    Fractions = false;
    Decimals = 6;
}

void KProgramState::Assign(quint8 FromIndex)
{
    const KProgramState *from = GetInstance(FromIndex);
    if (!from || from == this)
        return;
    JustCalculated = from->JustCalculated;
    NumberSet = from->NumberSet;
    ModuloBase = from->ModuloBase;
    AngleMode = from->AngleMode;
    NumeralSystem = from->NumeralSystem;
    Ans = from->Ans;
    LastExpression = from->LastExpression;
    Hyp = from->Hyp;
    Fractions = from->Fractions;
    Decimals = from->Decimals;
}

int KProgramState::GetRadix() const
{
    switch (NumeralSystem) {
    case 0:
        return 2;
    case 1:
        return 8;
    case 3:
        return 16;
    default:
        return 10;
    }
}

void KProgramState::LoadFromFile(const QString &FileName)
{
    // The INI reader gives the default for a missing or unreadable file or
    // key, and every default is the field's current value.
    const TIniFile ini(FileName);
    const TIniReadGroup group(ini);
    const auto read = [&](const char *key, quint8 current, int high, int low = 0) -> quint8 {
        const int v = ini.ReadInteger(Section, QString::fromLatin1(key), current);
        return (v >= low && v <= high) ? quint8(v) : current;
    };
    NumberSet = read("NumberSet", NumberSet, 2);
    AngleMode = read("AngleMode", AngleMode, 2);
    NumeralSystem = read("NumeralSystem", NumeralSystem, 3);
    // A modulus or a number of decimals beyond 0..255 cannot be held, so it
    // is ignored like every other value out of range. A modulus of 0 or 1
    // would make every residue 0 and every calculation a division by zero.
    ModuloBase = read("ModuloBase", ModuloBase, 255, 2);
    Hyp = ini.ReadBool(Section, QStringLiteral("Hyp"), Hyp);
    Fractions = ini.ReadBool(Section, QStringLiteral("Fractions"), Fractions);
    Decimals = read("Decimals", Decimals, 255);
}

void KProgramState::SaveToFile(const QString &FileName) const
{
    WriteIniAtomically(FileName, [this](TIniFile &ini) {
        ini.WriteInteger(Section, QStringLiteral("NumberSet"), NumberSet);
        ini.WriteInteger(Section, QStringLiteral("ModuloBase"), ModuloBase);
        ini.WriteInteger(Section, QStringLiteral("AngleMode"), AngleMode);
        ini.WriteInteger(Section, QStringLiteral("NumeralSystem"), NumeralSystem);
        ini.WriteBool(Section, QStringLiteral("Hyp"), Hyp);
        ini.WriteBool(Section, QStringLiteral("Fractions"), Fractions);
        ini.WriteInteger(Section, QStringLiteral("Decimals"), Decimals);
    });
}
