#pragma once
// The calculator mode that every calculation reads. There are exactly two
// states: instance 0 is the live one (main window, analyzers), instance 1 the
// start-up state that the preferences edit and "programState.ini" holds.
#include "core/uSingleton.h"

#include <QString>
#include <QtGlobal>

class KProgramState : public TSingleton
{
public:
    bool JustCalculated = false; // right after a calculation showed its result
    quint8 NumberSet = 0;        // 0 real, 1 complex, 2 modulo
    quint8 ModuloBase = 5;
    quint8 AngleMode = 0;     // 0 degrees, 1 radians, 2 grads
    quint8 NumeralSystem = 2; // 0 base 2, 1 base 8, 2 base 10, 3 base 16
    QString Ans;              // previous result, never saved
    QString LastExpression;   // expression that produced Ans, never saved
    bool Hyp = false;
    bool Fractions = false;
    quint8 Decimals = 6;

    // Instance 0 or 1 (created on first use with defaults), nullptr for any
    // other index.
    static KProgramState *GetInstance(quint8 Index);
    // Destroys both instances; the next GetInstance creates them afresh.
    static void FreeInstances();

    void SetDefaults();
    // Copies every field from instance FromIndex; nothing when that is this
    // object or the index names no instance.
    void Assign(quint8 FromIndex);
    // 2, 8, 10 or 16 for NumeralSystem 0..3; 10 for anything else.
    int GetRadix() const;

    // Section "ProgramState". A missing or unreadable file, a missing key or
    // a value out of range leaves the field as it was.
    void LoadFromFile(const QString &FileName);
    // Writes the saved fields; raises EIniFileException when the file cannot
    // be written, in which case the old file stays as it was.
    void SaveToFile(const QString &FileName) const;

protected:
    KProgramState();
    ~KProgramState() override = default;
};
