#include "core/uCommon.h"

#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "platform/FloatMath.h"
#include "platform/PascalString.h"

#include <cmath>
#include <mutex>

using pas::At;
using pas::Copy;
using pas::Delete;
using pas::Insert;
using pas::IsAsciiLetter;
using pas::IsDigit;
using pas::Length;

QChar ImaginaryUnitChar = QChar(u'j');
const TConstantItems *ConstantItems = nullptr;

// ---------------------------------------------------------- character sets

TCharSet::TCharSet(const char16_t *Chars)
{
    for (; Chars && *Chars; ++Chars)
        if (*Chars < 256)
            m_bits.set(*Chars);
}

TCharSet::TCharSet(QStringView Chars)
{
    for (QChar c : Chars)
        if (c.unicode() < 256)
            m_bits.set(c.unicode());
}

TCharSet TCharSet::Digits()
{
    return TCharSet(u"0123456789");
}

TCharSet TCharSet::Letters()
{
    return TCharSet(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
}

TCharSet TCharSet::operator+(const TCharSet &Other) const
{
    TCharSet r = *this;
    r.m_bits |= Other.m_bits;
    return r;
}

TCharSet TCharSet::operator-(const TCharSet &Other) const
{
    TCharSet r = *this;
    r.m_bits &= ~Other.m_bits;
    return r;
}

TCharSet &TCharSet::operator+=(const TCharSet &Other)
{
    m_bits |= Other.m_bits;
    return *this;
}

TCharSet &TCharSet::operator-=(const TCharSet &Other)
{
    m_bits &= ~Other.m_bits;
    return *this;
}

// ------------------------------------------------------------ local helpers

namespace {

bool IsE(QChar c)
{
    return c == u'E' || c == u'e';
}

// A character after which an "e" is the exponent mark of a number.
bool IsNumberPart(QChar c)
{
    return c == u',' || c == u'.' || IsDigit(c) || IsE(c);
}

bool AllDigits(const QString &s)
{
    for (QChar c : s)
        if (!IsDigit(c))
            return false;
    return true;
}

// Deletes the blanks (character 32) only.
QString WithoutBlanks(QString s)
{
    s.remove(QChar(u' '));
    return s;
}

bool IsRealMode()
{
    return KProgramState::GetInstance(0)->NumberSet == 0;
}

// The table of function names; see FunctionNames for why the order matters.
const char16_t *const FunctionNameTable[38] = {
    u"arccoth", u"arccotgh", u"arccotg", u"arccot", u"arctanh", u"arctgh", u"arctan", u"arctg",
    u"coth",    u"cotgh",    u"cotan",   u"cotg",   u"tanh",    u"tgh",    u"tan",    u"tg",
    u"arcsinh", u"arcsin",   u"arccosh", u"arccos", u"sinh",    u"cosh",   u"sin",    u"cos",
    u"abs",     u"sign",     u"logy",    u"log",    u"ln",      u"sqrt",   u"sqr",    u"deg",
    u"dms",     u"rnd",      u"gamma",   u"sec",    u"csc",     u"exp",
};

TStringList &FunctionNameStorage()
{
    static TStringList names;
    return names;
}

std::once_flag FunctionNamesBuilt;

} // namespace

// ------------------------------------------------------- shared name lists

void BuildFunctionNameList()
{
    // Worker threads may be the first to ask for the list; it is filled
    // exactly once and never changes afterwards, so readers need no lock.
    std::call_once(FunctionNamesBuilt, [] {
        TStringList &names = FunctionNameStorage();
        for (const char16_t *name : FunctionNameTable)
            names.Add(QString::fromUtf16(name));
    });
}

const TStringList &FunctionNames()
{
    BuildFunctionNameList();
    return FunctionNameStorage();
}

// ----------------------------------------------------------- preprocessing

void AdjustErrorPositions(const QString &Typed, TCalculationError &Err)
{
    if (Err.ErrorStart == 0 && Err.ErrorEnd == 0)
        return; // no faulty part is known
    const auto blanksBefore = [&Typed](int nonBlanks) {
        int passed = 0, blanks = 0;
        for (int i = 1; i <= Length(Typed) && passed < nonBlanks; ++i) {
            if (At(Typed, i) == u' ')
                ++blanks;
            else
                ++passed;
        }
        return blanks;
    };
    const int startShift = blanksBefore(Err.ErrorStart + 1);
    const int endShift = blanksBefore(Err.ErrorEnd);
    Err.ErrorStart += startShift;
    Err.ErrorEnd += endShift;
}

void CheckBrackets(const QString &Stripped, const QString &Typed, TCalculationError &Err)
{
    int depth = 0;
    int unmatchedClose = 0;
    int lastTopOpen = 0;
    for (int i = 1; i <= Length(Stripped); ++i) {
        const QChar c = At(Stripped, i);
        if (c == u'(') {
            ++depth;
            if (depth == 1)
                lastTopOpen = i;
        } else if (c == u')') {
            --depth;
            if (depth < 0 && unmatchedClose == 0)
                unmatchedClose = i;
        }
    }
    int at = 0;
    if (unmatchedClose > 0) {
        Err.ErrorCode = 10;
        at = unmatchedClose;
    } else if (depth > 0) {
        Err.ErrorCode = 11;
        at = lastTopOpen;
    } else {
        return;
    }
    Err.ErrorStart = at - 1;
    Err.ErrorEnd = at;
    AdjustErrorPositions(Typed, Err);
}

bool IsOperatorWordAt(const QString &Run, const TCharSet &WordSet)
{
    if (!IsRealMode())
        return false;
    for (QStringView word : OperatorWords) {
        // Names typed in capitals are the same operator once the evaluator
        // lower-cases the text.
        if (!Run.startsWith(word, Qt::CaseInsensitive))
            continue;
        if (Length(Run) == int(word.size()))
            return true;
        return WordSet.Contains(At(Run, int(word.size()) + 1));
    }
    return false;
}

void InsertImplicitMultiplication(QString &S, const TCharSet &WordSet, const TCharSet &RunSet)
{
    const QString W = S;
    int I = 0;
    int i = 2;
    while (i <= Length(W)) {
        const QChar before = At(W, i - 1);
        const QChar c = At(W, i);
        if (before == u'!' || before == u'%' || before == u')' || before == u']') {
            if (c == u'(' || c == u'[') {
                Insert(QStringLiteral("*"), S, i + I);
                ++I;
            } else if (RunSet.Contains(c) || c == u'$') {
                int end = i;
                while (end <= Length(W) && RunSet.Contains(At(W, end)))
                    ++end;
                const QString run = Copy(W, i, end - i);
                if (!IsOperatorWordAt(run, WordSet)) {
                    Insert(QStringLiteral("*"), S, i + I);
                    ++I;
                }
                // The next pair looked at is the character after the run and
                // its successor.
                i = end + 1;
                continue;
            }
        }
        ++i;
    }
}

void NextToken(const QString &S, QString &Token)
{
    Token.clear();
    int start = 0;
    for (int i = 1; i <= Length(S); ++i) {
        const QChar c = At(S, i);
        if (c == u'$') {
            start = i;
            break;
        }
        if (IsAsciiLetter(c)) {
            if (IsE(c) && i > 1 && IsNumberPart(At(S, i - 1)))
                continue; // the exponent mark of a number
            start = i;
            break;
        }
    }
    if (start == 0)
        return;
    int end = start;
    if (At(S, end) == u'$')
        ++end;
    while (end <= Length(S) && (IsAsciiLetter(At(S, end)) || IsDigit(At(S, end))))
        ++end;
    Token = Copy(S, start, end - start);
}

bool IsVariableName(const QString &Token)
{
    if (Token.isEmpty())
        return false;
    const QString t = LowerCase(Token);
    const TStringList &names = FunctionNames();
    if (names.IndexOf(t) >= 0)
        return false;
    // A function applied to a number written straight after it ("sin30",
    // "ln2") is evaluated as such, so it must not be asked for as a variable.
    for (int k = 0; k < names.Count(); ++k) {
        const QString &name = names.Strings(k);
        if (t.size() > name.size() && t.startsWith(name) && AllDigits(t.mid(name.size())))
            return false;
    }
    if (At(t, 1) == u'$')
        return false;
    if (KProgramState::GetInstance(0)->NumberSet == 1) {
        if (t == QStringLiteral("e"))
            return false;
        if (At(t, 1) == ImaginaryUnitChar.toLower() && AllDigits(t.mid(1)))
            return false;
    }
    if (IsOperatorWordAt(t, TCharSet(u"+,-.0123456789Ee")))
        return false;
    return true;
}

void SubstituteVariables(QString &S)
{
    TVariableManager *variables = TVariableManager::Instance();
    if (variables->Count() == 0)
        return;
    QString Rest = LowerCase(S);
    for (;;) {
        S = LowerCase(S);
        QString Name;
        NextToken(Rest, Name);
        Name = LowerCase(Name);
        // Every token of the text has been looked at; an "e" that is no
        // exponent mark is a name too, wherever it stands.
        if (Name.isEmpty())
            break;
        if (IsVariableName(Name)) {
            const QString replacement = QLatin1Char('(') + WithoutBlanks(variables->GetValue(Name)) + QLatin1Char(')');
            const int n = Length(Name);
            int p = pas::Pos(Name, S);
            while (p > 0) {
                const QChar before = At(S, p - 1);
                const QChar after = At(S, p + n);
                bool whole = true;
                if (before == u'$' || (IsAsciiLetter(before) && !IsE(before)))
                    whole = false;
                if (IsAsciiLetter(after) || IsDigit(after))
                    whole = false;
                if (IsE(At(Name, 1)) && p > 1 && IsNumberPart(before))
                    whole = false;
                const QString with = whole ? replacement : UpperCase(Name);
                ReplaceAt(S, p, n, with);
                // Go on after what was put in, so that a value holding the
                // name itself cannot be replaced again and again.
                p = pas::Pos(Name, S, p + Length(with));
            }
        }
        Delete(Rest, pas::Pos(Name, Rest), Length(Name));
    }
    S = LowerCase(S);
}

void CollectVariables(const QString &Expr, TStringList &Names, const QString &Except)
{
    Names.Clear();
    QString copy = WithoutBlanks(Expr);
    for (;;) {
        QString token;
        NextToken(copy, token);
        if (token.isEmpty())
            break;
        QString name = token;
        // The base of "logy" is the user variable y, also when the argument
        // is written straight after it ("logy8").
        const QString lower = LowerCase(token);
        if (lower.startsWith(QStringLiteral("logy")) && AllDigits(lower.mid(4)))
            name = QStringLiteral("y");
        if (IsVariableName(name) && name != Except && Names.IndexOf(name) < 0)
            Names.Add(name);
        Delete(copy, pas::Pos(token, copy), Length(token));
    }
}

void SubstituteConstants(QString &S)
{
    S = LowerCase(S);
    if (pas::Pos(QChar(u'$'), S) == 0 || !ConstantItems)
        return;
    const TCharSet ends(u"!$%()*+-/^");
    int i = 1;
    while (i < Length(S)) {
        if (At(S, i) != u'$') {
            ++i;
            continue;
        }
        int end = i + 1;
        while (end <= Length(S) && !ends.Contains(At(S, end)))
            ++end;
        const QString name = Copy(S, i, end - i);
        for (int k = 0; k < ConstantItems->Count(); ++k) {
            if (LowerCase(ConstantItems->Identifier(k)) == name) {
                // Replaced where it stands and scanned on after the value, so
                // a value shorter than its name skips nothing that follows.
                // The value joins a lower-cased text: an exponent written
                // "1E30" must read as the evaluators read a typed one.
                const QString value = QLatin1Char('(') + LowerCase(ConstantItems->Value(k)) + QLatin1Char(')');
                ReplaceAt(S, i, Length(name), value);
                end = i + Length(value);
                break;
            }
        }
        i = end;
    }
}

void BracketNumbers(QString &S)
{
    S = LowerCase(S);
    int i = 1;
    while (i <= Length(S)) {
        const QChar c = At(S, i);
        if (!(IsDigit(c) || c == u'.' || c == u',')) {
            ++i;
            continue;
        }
        int end = i + 1;
        while (end <= Length(S)) {
            const QChar d = At(S, end);
            if (IsDigit(d) || d == u'.' || d == u',' || IsE(d))
                ++end;
            else if ((d == u'+' || d == u'-') && IsE(At(S, end - 1)))
                ++end;
            else
                break;
        }
        Insert(QStringLiteral("]"), S, end);
        Insert(QStringLiteral("["), S, i);
        i = end + 2;
    }
    for (int p = pas::Pos(QStringLiteral("[["), S); p > 0; p = pas::Pos(QStringLiteral("[["), S))
        Delete(S, p, 1);
    for (int p = pas::Pos(QStringLiteral("]]"), S); p > 0; p = pas::Pos(QStringLiteral("]]"), S))
        Delete(S, p, 1);
}

void ExtractAdjacentTokens(const QString &S, int Pos, QString &Left, QString &Right)
{
    Left.clear();
    Right.clear();
    if (Pos > 1 && At(S, Pos - 1) == u']') {
        int start = Pos - 2;
        while (start > 1 && At(S, start) != u'[')
            --start;
        if (start < 1)
            start = 1;
        Left = Copy(S, start, Pos - start);
    }
    if (Pos < Length(S)) {
        int end = pas::Pos(QChar(u']'), S, Pos + 1);
        if (end == 0)
            end = Length(S);
        Right = Copy(S, Pos + 1, end - Pos);
    }
}

// -------------------------------------------------------- string routines

void ReplaceAll(QString &S, const QString &Old, const QString &New)
{
    if (Old.isEmpty())
        return;
    const bool newHoldsOld = New.contains(Old);
    int p = pas::Pos(Old, S);
    while (p > 0) {
        ReplaceAt(S, p, Length(Old), New);
        if (newHoldsOld) {
            // Searching from the start again would find the inserted text
            // forever; go on after it instead.
            p = pas::Pos(Old, S, p + Length(New));
        } else {
            // Nothing before p matched, so a new first occurrence can only
            // start where it overlaps the inserted text.
            p = pas::Pos(Old, S, qMax(1, p - Length(Old) + 1));
        }
    }
}

void ReplaceFirst(QString &S, const QString &Old, const QString &New)
{
    if (Old.isEmpty())
        return;
    const int p = pas::Pos(Old, S);
    if (p > 0)
        ReplaceAt(S, p, Length(Old), New);
}

void DeleteAll(QString &S, const QString &Sub)
{
    if (Sub.isEmpty())
        return;
    for (int p = pas::Pos(Sub, S); p > 0; p = pas::Pos(Sub, S, qMax(1, p - Length(Sub) + 1)))
        Delete(S, p, Length(Sub));
}

int FindFirstOf(const TCharSet &Chars, const QString &S)
{
    for (int i = 1; i <= Length(S); ++i)
        if (Chars.Contains(At(S, i)))
            return i;
    return 0;
}

void MoveMinusBeforeProduct(QString &S)
{
    for (int p = pas::Pos(QStringLiteral("*-"), S); p > 0; p = pas::Pos(QStringLiteral("*-"), S)) {
        Delete(S, p + 1, 1);
        int depth = 0;
        int k = p - 1;
        for (; k >= 1; --k) {
            const QChar c = At(S, k);
            if (c == u')') {
                ++depth;
            } else if (c == u'(') {
                if (depth == 0)
                    break;
                --depth;
            } else if ((c == u'+' || c == u'-') && depth == 0) {
                break;
            }
        }
        Insert(QStringLiteral("-"), S, k >= 1 ? k + 1 : 1);
    }
}

void NormalizeSigns(QString &S)
{
    MoveMinusBeforeProduct(S);
    ReplaceAll(S, QStringLiteral("+-"), QStringLiteral("-"));
    ReplaceAll(S, QStringLiteral("--"), QStringLiteral("+"));
    ReplaceAll(S, QStringLiteral("++"), QStringLiteral("+"));
    if (At(S, 1) == u'+')
        Delete(S, 1, 1);
}

void RemoveRedundantParentheses(QString &S)
{
    const TCharSet operators(u"+-*/^");
    int i = 1;
    while (i <= Length(S)) {
        if (At(S, i) != u'(') {
            ++i;
            continue;
        }
        int depth = 0;
        int partner = 0;
        for (int k = i; k <= Length(S); ++k) {
            if (At(S, k) == u'(')
                ++depth;
            else if (At(S, k) == u')' && --depth == 0) {
                partner = k;
                break;
            }
        }
        if (partner == 0) {
            ++i; // an unclosed bracket is left as it is
            continue;
        }
        const bool holdsOperator = FindFirstOf(operators, Copy(S, i + 1, partner - i - 1)) > 0;
        if (!holdsOperator || (i == 1 && partner == Length(S))) {
            Delete(S, partner, 1);
            Delete(S, i, 1);
        } else {
            ++i;
        }
    }
}

void DeleteElementAtCursor(QString &S, int &Pos)
{
    if (S.isEmpty())
        return;
    if (Pos > Length(S))
        Pos = Length(S);
    if (Pos < 0)
        Pos = 0;
    const TCharSet delimiters(u"!%()*+-/^");
    int start = Pos;
    while (start >= 1 && !delimiters.Contains(At(S, start)))
        --start;
    ++start;
    int end = Pos < 1 ? 1 : Pos;
    while (end <= Length(S) && !delimiters.Contains(At(S, end)))
        ++end;
    Delete(S, start, end - start);
    Pos = start - 1;
}

void NormalizeDecimalSeparators(QString &S)
{
    if (DecimalSeparator != u'.')
        S.replace(QChar(u'.'), DecimalSeparator);
    if (DecimalSeparator != u',')
        S.replace(QChar(u','), DecimalSeparator);
}

// ---------------------------------------------------------------- numbers

Extended Factorial(quint16 N)
{
    Extended result = 1;
    for (unsigned i = 2; i <= N; ++i)
        result = FMul(result, Extended(i)); // beyond 1754! the 80-bit range overflows
    return result;
}

bool HasFractionalPart(Extended X)
{
    return X - std::trunc(X) != 0;
}

void MapKeyboardChar(QChar &Key, bool PlusIsDigit)
{
    switch (Key.unicode()) {
    case u'&': Key = QChar(u'*'); break;
    case u'+':
        if (PlusIsDigit)
            Key = QChar(u'1');
        break;
    case u',':
    case u'.': Key = DecimalSeparator; break;
    case u'š': Key = QChar(u'3'); break;
    case u'ť': Key = QChar(u'5'); break;
    case u'ž': Key = QChar(u'6'); break;
    case u'§': Key = QChar(u'!'); break;
    case u'ľ': Key = QChar(u'2'); break;
    case u'á': Key = QChar(u'8'); break;
    case u'ä': Key = QChar(u'('); break;
    case u'č': Key = QChar(u'4'); break;
    case u'é': Key = QChar(u'0'); break;
    case u'ě': Key = QChar(u'2'); break;
    case u'í': Key = QChar(u'9'); break;
    case u'ň': Key = QChar(u')'); break;
    case u'ř': Key = QChar(u'5'); break;
    case u'ú': Key = QChar(u'/'); break;
    case u'ý': Key = QChar(u'7'); break;
    default: break;
    }
}

// ------------------------------------------------------ shared evaluation

void SetErrorCode(TCalculationError &Err, quint8 Code)
{
    Err.ErrorCode = Code;
    Err.ErrorStart = 0;
    Err.ErrorEnd = 0;
}

void ReplaceAt(QString &S, int Pos, int Count, const QString &Text)
{
    pas::Delete(S, Pos, Count);
    pas::Insert(Text, S, Pos);
}

bool ReduceBrackets(QString &S, TCalculationError &Err, QString &Value, TBracketEvaluator Evaluate)
{
    int open;
    while ((open = int(S.lastIndexOf(u'(')) + 1) > 0) {
        const int close = pas::Pos(u')', S, open + 1);
        if (close == 0 || close == open + 1) {
            SetErrorCode(Err, close == 0 ? 11 : 9);
            Value.clear();
            return false;
        }
        TCalculationError local;
        QString r;
        Evaluate(pas::Copy(S, open + 1, close - open - 1), local, r);
        if (local.ErrorCode != 0) {
            Err = local;
            Value.clear();
            return false;
        }
        ReplaceAt(S, open, close - open + 1, r);
    }
    return true;
}

// The fraction evaluator's checked arithmetic overflows where the real one
// reports an invalid operation, so both are a value too high; the modulo
// analyzer's own "Division by zero" counts as an integer division by zero.
void ClassifyCurrentException(TCalculationError &Err)
{
    quint8 code;
    try {
        throw;
    } catch (const EInvalidOp &) {
        code = 20;
    } catch (const EOverflow &) {
        code = 20;
    } catch (const EDivByZero &) {
        code = 25;
    } catch (const Exception &e) {
        code = e.Message() == QStringLiteral("Division by zero") ? 25 : 29;
    } catch (...) {
        code = 29;
    }
    Err = TCalculationError();
    Err.ErrorCode = code;
}
