#pragma once
// The shared text machinery of every analyzer: before evaluation an
// expression is lower-cased, freed of blanks, its variables and user
// constants are replaced by their values, every number literal becomes a
// number token "[...]" and omitted multiplication signs are inserted. Also
// the error record, the function names and operator words all analyzers
// know, and small text routines used across the program.
//
// Texts are rewritten in place and the routines report nothing except
// CheckBrackets.
#include "platform/Classes.h"
#include "platform/SysUtils.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <bitset>
#include <set>

// ------------------------------------------------------------ error record

// Filled by every syntax checker and evaluator. The faulty part is
// characters ErrorStart+1 .. ErrorEnd of the text as typed (blanks included);
// both are 0 when no part is known.
struct TCalculationError
{
    QString ErrorText;     // fills "#1" of the message
    QString ErrorName;     // fills "#2" (function of an invalid argument)
    quint8 ErrorCode = 0;  // 0 none, 1..34
    qint32 ErrorStart = 0; // characters before the faulty part
    qint32 ErrorEnd = 0;   // position of its last character
};

// Sets a code that has no known faulty part.
void SetErrorCode(TCalculationError &Err, quint8 Code);

// What escapes the engine becomes one of three codes, never a faulty part:
// 20 for an invalid floating-point operation or an overflow, 25 for an
// integer division by zero, 29 for anything else. Call only inside a catch
// block: Err is reset and gets the code of the exception being handled.
void ClassifyCurrentException(TCalculationError &Err);

// -------------------------------------------------------- character tables

// The characters of expressions, shared by the engine and the main window's
// input. In a namespace of their own: other units have predicates of these
// names for their own texts.
namespace ExpressionChars {

inline bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}
inline bool IsAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
// Operators, brackets, "!" and "%": the characters that part the numbers
// and names of an expression ("12+345" has the elements "12" and "345").
inline bool IsElementDelimiter(QChar c)
{
    return c == u'!' || c == u'%' || c == u'(' || c == u')' || c == u'*' || c == u'+' || c == u'-' || c == u'/'
           || c == u'^';
}
// The characters that end a "$" name: the delimiters and the next "$".
inline bool IsConstantNameEnd(QChar c)
{
    return c == u'$' || IsElementDelimiter(c);
}
// The operators that may follow an operand: the infix ones and the
// postfix "!" and "%".
inline bool IsOperatorAfterOperand(QChar c)
{
    return c == u'!' || c == u'%' || c == u'*' || c == u'+' || c == u'-' || c == u'/' || c == u'^';
}
// The characters an expression is written with: digits, letters, the
// delimiters, "$", the separators "," and "." and the blank.
inline bool IsExpressionCharacter(QChar c)
{
    return IsAsciiDigit(c) || IsAsciiLetter(c) || IsConstantNameEnd(c) || c == u',' || c == u'.' || c == u' ';
}

} // namespace ExpressionChars

// ---------------------------------------------------------- character sets

// A set of characters in the range 0..255, like the character sets the
// rules are written with; any other character is in no set.
class TCharSet
{
public:
    TCharSet() = default;
    // Every character of Chars (e.g. u"+,-.").
    TCharSet(const char16_t *Chars);
    explicit TCharSet(QStringView Chars);

    static TCharSet Digits();  // "0".."9"
    static TCharSet Letters(); // "A".."Z", "a".."z"

    bool Contains(QChar C) const { return C.unicode() < 256 && m_bits.test(C.unicode()); }

    TCharSet operator+(const TCharSet &Other) const;
    TCharSet operator-(const TCharSet &Other) const;
    TCharSet &operator+=(const TCharSet &Other);
    TCharSet &operator-=(const TCharSet &Other);

private:
    std::bitset<256> m_bits;
};

// ------------------------------------------------------- shared name lists

// The 38 function names every analyzer knows, each name before every other
// name that occurs inside it ("cotan" before "tan", "arcsinh" before "sinh"
// and "sin"), because the evaluators apply them in list order by plain
// substring search. Look-ups (IndexOf) ignore letter case. Built on first use,
// safely also from several threads at once.
const TStringList &FunctionNames();
// Builds the list returned by FunctionNames in table order; nothing once it
// is built (its contents never change).
void BuildFunctionNameList();

// The six operator words, in this order.
inline constexpr QStringView OperatorWords[6] = {u"div", u"mod", u"nad", u"xor", u"and", u"or"};

// The character that writes the imaginary unit in expressions; "j" at start,
// set by the calculation controller from the settings.
extern QChar ImaginaryUnitChar;

// The user constants, as the constants window holds them: per item its
// identifier with the leading "$" (e.g. "$pi") and its value text, in list
// order. The window either implements this over its own widget or fills a
// TConstantItemList; the controller points ConstantItems at it.
class TConstantItems
{
public:
    virtual ~TConstantItems() = default;
    virtual int Count() const = 0;
    virtual QString Identifier(int Index) const = 0;
    virtual QString Value(int Index) const = 0;
};

// A plain list of user constants.
class TConstantItemList : public TConstantItems
{
public:
    struct Item
    {
        QString Identifier;
        QString Value;
    };
    QList<Item> Items;

    void Add(const QString &Identifier, const QString &Value) { Items.append({Identifier, Value}); }
    void Clear() { Items.clear(); }

    int Count() const override { return int(Items.size()); }
    QString Identifier(int Index) const override { return Items.at(Index).Identifier; }
    QString Value(int Index) const override { return Items.at(Index).Value; }
};

// The user-constant list the constant substitution reads; nullptr until the
// controller sets it.
extern const TConstantItems *ConstantItems;

// ----------------------------------------------------------- preprocessing

// Stripped is the expression without blanks, Typed the same as typed. Sets
// code 10 (a ")" without partner, which wins) or 11 (the outermost unclosed
// "(") with a one-character span mapped to Typed; Err is left untouched when
// the brackets match.
void CheckBrackets(QStringView Stripped, const QString &Typed, TCalculationError &Err);
// Maps Err's span of the blank-free text to the typed text (only the blank,
// character 32, is skipped). Typed must be the blank-free text with blanks
// inserted.
void AdjustErrorPositions(const QString &Typed, TCalculationError &Err);

// What a syntax checker examines: the text as typed without its blanks
// (lower-cased when asked), and the report of a fault found there, with its
// span mapped back to the text as typed.
class TSyntaxText
{
public:
    // Clears Err's code and end, which the checker then fills.
    TSyntaxText(const QString &Typed, TCalculationError &Err, bool LowerCase);
    QStringView Text() const { return m_text; }
    qsizetype Size() const { return m_text.size(); }
    // The character at I; NUL outside the text.
    QChar At(qsizetype I) const;
    qsizetype IndexOf(QStringView Sub, qsizetype From = 0) const;
    // Sets Code with the characters [Start, End) of the blank-free text as
    // the faulty part.
    void Fail(quint8 Code, qsizetype Start, qsizetype End) const;
    // Code 2 for a first character of CannotStart, else code 3 for a last
    // one of CannotEnd, else code 4 for a last one that is Separator (none
    // for NUL); true when one of them was set.
    bool FailsAtEnds(QStringView CannotStart, QStringView CannotEnd, QChar Separator) const;

private:
    const QString &m_typed;
    TCalculationError &m_err;
    QString m_text;
};

// C is one of the characters of Set (never NUL). Sets are a few characters
// long: looked through here rather than by a call.
inline bool IsCharIn(QChar C, QStringView Set)
{
    if (C.isNull())
        return false;
    for (const QChar s : Set)
        if (s == C)
            return true;
    return false;
}

// The first C in S at or after From, or the last one, or -1: the texts of
// an evaluation are short, and a plain loop costs less than the library's
// call.
inline qsizetype IndexOfChar(QStringView S, char16_t C, qsizetype From = 0)
{
    const QChar *d = S.data();
    for (qsizetype i = From; i < S.size(); ++i)
        if (d[i].unicode() == C)
            return i;
    return -1;
}
inline qsizetype LastIndexOfChar(QStringView S, char16_t C)
{
    const QChar *d = S.data();
    for (qsizetype i = S.size() - 1; i >= 0; --i)
        if (d[i].unicode() == C)
            return i;
    return -1;
}

// Lower-cases the ASCII letters of S, as the platform's LowerCase does; a
// text without capitals is left as it is, not copied.
void LowerAsciiInPlace(QString &S);

// Inserts "*" after "!", "%", ")" or "]" when a "(" or "[" follows, or a run
// of RunSet characters (or a "$") that is not an operator word.
void InsertImplicitMultiplication(QString &S, const TCharSet &WordSet, const TCharSet &RunSet);
// In real mode: Run begins with an operator word that is either all of Run
// or followed by a character of WordSet. Always false in the other modes.
bool IsOperatorWordAt(const QString &Run, const TCharSet &WordSet);
// The first name of S ("$" or a letter, then letters and digits); an "e"
// that is an exponent mark does not start a name. "" for none.
void NextToken(const QString &S, QString &Token);
// Not a function name (also not one directly followed by digits only, such
// as "sin30"), no "$" name, no operator word, and in complex mode neither
// "e" nor an imaginary token.
bool IsVariableName(const QString &Token);
// The names of a text in the order in which taking NextToken again and again,
// each time deleting the first occurrence of some text, finds them; in
// close to linear time, where doing it on the text itself is quadratic.
class TNameWalk
{
public:
    explicit TNameWalk(const QString &Text);
    // NextToken of the current text; "" when it holds no name.
    QString Next() const;
    // Deletes the first occurrence of Sub (letter case counts); false when
    // there is none.
    bool DeleteFirst(const QString &Sub);
    // The current text.
    QString Text() const;

private:
    bool IsStart(int I) const;
    void Refresh(int I);
    bool MatchesAt(int I, const QString &Sub) const;
    void Unlink(int I);

    QString m_text;
    QList<int> m_next, m_prev;
    int m_head = -1;
    std::set<int> m_starts; // live positions where a name may begin
    std::set<int> m_es;     // live positions of "e" and "E"
};

// S without its blanks, except one wherever deleting the blanks would join
// an operator word (in real mode) to the name or number beside it: '5 mod x'
// must not read as the name "modx", nor 'x or 4' as the operator "xor". The
// passes that look for names take a blank as the end of one; the blanks
// left are deleted once the names are replaced.
QString CompactBlanks(const QString &S);
// Replaces each whole variable name by "(" + its value without blanks + ")".
void SubstituteVariables(QString &S);
// Fills Names with the variables Expr needs (first spelling kept, letter
// case ignored for duplicates), leaving out Except.
void CollectVariables(const QString &Expr, TStringList &Names, const QString &Except);
// Replaces each known "$" name by "(" + its value text + ")".
void SubstituteConstants(QString &S);
// Lower-cases S and wraps every number literal in "[" and "]".
void BracketNumbers(QString &S);
// S with every run of "[" and then every run of "]" shrunk to one character.
QString WithSingleBrackets(const QString &S);
// The token ending right before Pos ("" unless S[Pos-1] is "]") and the text
// after Pos through the next "]".
void ExtractAdjacentTokens(const QString &S, qsizetype Pos, QString &Left, QString &Right);

// -------------------------------------------------------- string routines

// Replaces every occurrence of Old from left to right; the search goes on
// after the inserted text, so New may contain Old. Nothing for an empty Old.
void ReplaceAll(QString &S, const QString &Old, const QString &New);
void ReplaceFirst(QString &S, const QString &Old, const QString &New);
// Deletes the first occurrence of Sub until none is left.
void DeleteAll(QString &S, const QString &Sub);
// Position of the first character of S in Chars, -1 for none.
qsizetype FindFirstOf(const TCharSet &Chars, QStringView S);

// Tidies the signs of a generated expression ('2*x*-3' -> '-2*x*3',
// '-x+-y' -> '-x-y').
void NormalizeSigns(QString &S);
void MoveMinusBeforeProduct(QString &S);
// Drops brackets that hold no operator or that enclose the whole text.
void RemoveRedundantParentheses(QString &S);
// Deletes the number or name touching the caret from the left; Pos is the
// number of characters before the caret and is moved to the deletion point.
void DeleteElementAtCursor(QString &S, int &Pos);
// Turns "." and "," into the run-time decimal separator.
void NormalizeDecimalSeparators(QString &S);

// ---------------------------------------------------------------- numbers

// 1 for N below 2, else 2 x 3 x ... x N in 80-bit floating point.
Extended Factorial(quint16 N);
bool HasFractionalPart(Extended X);

// Maps characters of national keyboards to the calculator's keys ("ľ" -> "2",
// "ä" -> "(", "&" -> "*", "." and "," -> the decimal separator, "+" -> "1"
// when PlusIsDigit).
void MapKeyboardChar(QChar &Key, bool PlusIsDigit);
