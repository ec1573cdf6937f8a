#include "core/uCalculation.h"

#include "core/Analyzator.h"
#include "core/KomplexneCisla.h"
#include "core/KomplexnyAnalyzator.h"
#include "core/ModuloAnalyzator.h"
#include "core/PrevodySustav.h"
#include "core/ZlomkovyAnalyzator.h"
#include "core/Zlomky.h"
#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "platform/Classes.h"

using namespace ExpressionChars;

namespace {

QString WithoutBlanks(const QString &S)
{
    QString r = S;
    r.remove(u' ');
    return r;
}

// A letter, where names begin; a "$" name has its own check before.
bool HoldsLetter(const QString &S)
{
    for (const QChar c : S)
        if (IsAsciiLetter(c))
            return true;
    return false;
}

QChar ExtraDigitCharacter()
{
    return KProgramState::GetInstance(0)->NumberSet == 1 ? ImaginaryUnit : QChar(u'\0');
}

} // namespace

void ConvertExpressionBaseKeepingConstants(quint8 FromRadix, quint8 ToRadix, QChar Extra, QString &S,
                                           TCalculationError &Err)
{
    // The converter skips bracketed text; a text that already holds
    // brackets of its own is converted as it stands.
    if (!S.contains(u'$') || S.contains(u'[') || S.contains(u']')) {
        ConvertExpressionBase(FromRadix, ToRadix, Extra, S, Err);
        return;
    }
    QString wrapped;
    wrapped.reserve(S.size() + 8);
    for (qsizetype i = 0; i < S.size();) {
        if (S.at(i) != u'$') {
            wrapped += S.at(i++);
            continue;
        }
        qsizetype end = i + 1;
        while (end < S.size() && S.at(end).isLetterOrNumber())
            ++end;
        wrapped += u'[' + S.mid(i, end - i) + u']';
        i = end;
    }
    ConvertExpressionBase(FromRadix, ToRadix, Extra, wrapped, Err);
    for (qsizetype open = wrapped.indexOf(QStringLiteral("[$")); open >= 0;
         open = wrapped.indexOf(QStringLiteral("[$"), open)) {
        const qsizetype close = wrapped.indexOf(u']', open);
        if (close < 0)
            break;
        wrapped.remove(close, 1);
        wrapped.remove(open, 1);
    }
    S = wrapped;
}

void CheckConstants(const QString &Expr, TCalculationError &Err)
{
    Err.ErrorCode = 0;
    Err.ErrorStart = 0;
    Err.ErrorEnd = 0;
    if (!Expr.contains(u'$'))
        return;
    // A blank left beside an operator word ends the name ('$c mod 2').
    const QString s = CompactBlanks(Expr);
    qsizetype blanks = 0; // before position i, for the positions without blanks
    qsizetype i = 0;
    while (i < s.size()) {
        if (s.at(i) != u'$') {
            blanks += s.at(i) == u' ';
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        while (j < s.size() && s.at(j) != u' ' && !IsConstantNameEnd(s.at(j)))
            ++j;
        const QString name = s.mid(i, j - i);
        bool known = false;
        if (ConstantItems) {
            for (int k = 0; k < ConstantItems->Count() && !known; ++k)
                known = ConstantItems->Identifier(k) == name;
        }
        if (!known) {
            Err.ErrorCode = 19;
            Err.ErrorText = name;
            // The span of this very occurrence (an earlier "$name2" may hold
            // the same letters), mapped back to the text as typed.
            Err.ErrorStart = qint32(i - blanks);
            Err.ErrorEnd = qint32(j - blanks);
            AdjustErrorPositions(Expr, Err);
            return;
        }
        // Resume at the stop character itself: when it is the "$" of the
        // next name, that name is checked too.
        i = j;
    }
}

void RegisterVariables(const QString &Expr, const QString &Exempt)
{
    TStringList names;
    CollectVariables(Expr, names, Exempt);
    TVariableManager *vars = TVariableManager::Instance();
    // SetValue(name, "") for each, without a walk through the list per name:
    // a known name keeps its value, an unknown one is added without one. The
    // names differ from each other in more than letter case.
    const TVariableLookup known(*vars);
    for (int i = 0; i < names.Count(); ++i) {
        const QString name = names[i].toLower();
        if (!known.Exists(name))
            vars->Variables.Add(name + u'=');
    }
}

void CheckVariableValues(const QString &Expr, TCalculationError &Err, const QString &Exempt)
{
    Err.ErrorCode = 0;
    Err.ErrorStart = 0;
    Err.ErrorEnd = 0;
    TNameWalk copy(CompactBlanks(Expr));
    const quint8 numberSet = KProgramState::GetInstance(0)->NumberSet;
    const TVariableLookup vars(*TVariableManager::Instance());
    auto fail = [&](quint8 code, const QString &text) {
        ExpressionValid = false;
        Err.ErrorCode = code;
        Err.ErrorText = text;
    };
    // Every name is checked until none is left, as CollectVariables walks
    // them: stopping at the last letter but "e" would let a variable "e"
    // after a function name ('ln(e)') reach the evaluator unchecked.
    for (;;) {
        QString name = copy.Next();
        if (name.isEmpty())
            break;
        if (name.compare(QStringLiteral("logy"), Qt::CaseInsensitive) == 0)
            name = name.right(1);
        if (name != Exempt && IsVariableName(name)) {
            QString value = vars.GetValue(name);
            if (value.isEmpty()) {
                fail(15, QString());
                return;
            }
            const bool asFraction = value.contains(u'/');
            if (asFraction)
                value.replace(u'/', u'|');
            try {
                if (asFraction) {
                    // Only whether it reads: its size is the evaluation's to judge.
                    if (!IsFractionText(value))
                        throw EConvertError(value);
                } else {
                    TComplex z;
                    StrToComplex(value, z);
                }
            } catch (const Exception &) {
                fail(31, name);
                return;
            }
            try {
                if (numberSet == 0) {
                    if (!IsFractionText(value))
                        throw EConvertError(value);
                } else if (numberSet == 1) {
                    TComplex z;
                    StrToComplex(value, z);
                }
            } catch (const Exception &) {
                fail(17, name);
                return;
            }
        }
        if (!copy.DeleteFirst(name))
            break;
    }
}

void CleanResultText(QString &S)
{
    S.remove(u' ');
    ReplaceFirst(S, QStringLiteral("["), QString());
    ReplaceFirst(S, QStringLiteral("]"), QString());
    if (S.isEmpty())
        S = QStringLiteral("0");
}

QString GetVariableValuesText(const QString &Expr)
{
    TStringList names;
    CollectVariables(Expr, names, QString());
    QString text;
    const TVariableLookup vars(*TVariableManager::Instance());
    for (int i = 0; i < names.Count(); ++i)
        text += names[i] + u'=' + vars.GetValue(names[i]) + u';';
    return text;
}

TCalculationOutcome CalculateExpression(const QString &Input)
{
    TCalculationOutcome out;
    TCalculationError &err = out.Error;
    KProgramState *state = KProgramState::GetInstance(0);
    QString expr = Input;
    try {
        const TStringList &names = FunctionNames();
        switch (state->NumberSet) {
        case 1:
            CheckComplexSyntax(expr, err, names);
            break;
        case 2:
            CheckModuloSyntax(expr, err, names);
            break;
        default:
            CheckRealSyntax(expr, err, names);
            break;
        }
        if (err.ErrorCode == 0)
            CheckConstants(expr, err);
        const quint8 radix = quint8(state->GetRadix());
        if (err.ErrorCode == 0 && state->NumeralSystem != 2)
            ConvertExpressionBaseKeepingConstants(radix, 10, ExtraDigitCharacter(), expr, err);
        if (err.ErrorCode != 0)
            return out;

        // Names (variables, functions) begin with a letter; most expressions
        // hold none, and need no search for them.
        const bool hasNames = HoldsLetter(expr);
        if (hasNames) {
            RegisterVariables(expr, QString());
            CheckVariableValues(expr, err, QString());
            if (err.ErrorCode != 0) {
                out.VariableValueMissing = true;
                return out;
            }
        }

        QString r;
        switch (state->NumberSet) {
        case 1:
            ComplexFirstCall = true;
            EvaluateComplex(expr, err, r);
            break;
        case 2:
            ModuloFirstCall = true;
            Modulus = state->ModuloBase;
            EvaluateModulo(expr, err, r);
            break;
        default:
            RealPreprocessed = false;
            if (state->Fractions) {
                FractionFirstCall = true;
                if (!hasNames || ExpressionHasNoFunction(expr, names))
                    EvaluateFraction(expr, err, r);
                else
                    EvaluateReal(expr, err, names, r);
            } else {
                EvaluateReal(expr, err, names, r);
            }
            break;
        }
        if (err.ErrorCode != 0)
            return out;

        CleanResultText(r);
        const bool scientific = KProgramSettings::Instance()->ScientificNotation;
        QString display;
        switch (state->NumberSet) {
        case 1: {
            TComplex z;
            StrToComplex(r, z);
            ComplexToDisplayString(z, state->Decimals, radix, display, scientific);
            break;
        }
        case 2:
            display = FormatNumber(state->Decimals, radix, false, StrToFloat(r));
            break;
        default:
            if (state->Fractions)
                FormatFractionString(r, radix, display);
            else
                display = FormatNumber(state->Decimals, radix, scientific, StrToFloat(r));
            break;
        }

        out.DisplayText = display;
        out.AnswerText = state->NumberSet == 1 ? u'(' + display + u')' : display;
        // The variables of the converted text: in base 16 "ff" is a number,
        // not a variable, although the typed text reads like a name.
        const QString values = hasNames ? GetVariableValuesText(expr) : QString();
        out.HistoryLine.reserve(Input.size() + 3 + out.AnswerText.size());
        out.HistoryLine += Input;
        out.HistoryLine += QStringLiteral(" = ");
        out.HistoryLine += out.AnswerText;
        if (!values.isEmpty())
            out.HistoryLine += QStringLiteral(" [") + values + u']';

        state->LastExpression = Input;
        state->Ans = out.AnswerText;
        state->JustCalculated = true;
    } catch (...) {
        ClassifyCurrentException(err);
    }
    if (!out.Ok()) {
        out.DisplayText.clear();
        out.AnswerText.clear();
        out.HistoryLine.clear();
    }
    return out;
}

THandOverCheck CheckHandOverExpression(QString &Text, int EmptyCode, bool CheckVariables)
{
    THandOverCheck out;
    TCalculationError &err = out.Error;
    if (Trim(Text).isEmpty()) {
        err.ErrorCode = quint8(EmptyCode);
        return out;
    }
    try {
        const TStringList &names = FunctionNames();
        CheckRealSyntax(Text, err, names);
        if (err.ErrorCode == 0)
            CheckConstants(Text, err);
        KProgramState *state = KProgramState::GetInstance(0);
        if (err.ErrorCode == 0 && state->NumeralSystem != 2)
            ConvertExpressionBaseKeepingConstants(quint8(state->GetRadix()), 10, QChar(u'\0'), Text, err);
        if (err.ErrorCode == 0 && CheckVariables) {
            RegisterVariables(Text, QStringLiteral("x"));
            CheckVariableValues(Text, err, QStringLiteral("x"));
            out.VariableValueMissing = err.ErrorCode != 0;
        }
    } catch (...) {
        ClassifyCurrentException(err);
    }
    return out;
}

QString PreviewText(const QString &Input)
{
    if (Input.isEmpty())
        return QStringLiteral("0");
    QString t = WithoutBlanks(Input);
    TCalculationError err;
    CheckRealSyntax(t, err, FunctionNames());
    if (err.ErrorCode != 0)
        return QStringLiteral("???");
    BracketComplexLiterals(t);
    InsertImplicitMultiplication(t, TCharSet(u"+,-.") + TCharSet::Digits(), TCharSet::Digits() + TCharSet::Letters());
    t.remove(u'[');
    t.remove(u']');
    return t;
}
