#pragma once
// The text-rewriting skeleton of the real, fraction, complex and modulo
// evaluators. Each of them rewrites its expression as text: one operation
// at a time is found, its operand texts are read, and the result is written
// back as a number token in place of the operation's text. The scans that
// find the operations, the rules for where operands begin and end, and the
// rewriting are written once here; an evaluator supplies its operators and
// its arithmetic (reading a token, applying an operator, writing the result
// token, the error codes).
//
// The text is held as two parts around a gap, so that a pass rewrites the
// operation where its scan has got to (scanning from the front or from the
// back) without moving the rest of a long text. Beside the "[" of every
// result token the value its text reads as is kept, so that no result is
// read back from its text. A pass therefore costs the length of the text,
// whatever it rewrites. Positions are 0-based throughout.
#include "core/uCommon.h"

#include <QChar>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>
#include <QtGlobal>

#include <vector>

// The characters of one evaluation and, for each, the index of the value of
// the token that starts there (-1: none known). Left is what lies before the
// gap, Right what lies after it; a forward scan moves characters from Right
// to Left, a backward scan from Left to Right.
class TReductionText
{
public:
    TReductionText();
    ~TReductionText();
    TReductionText(const TReductionText &) = delete;
    TReductionText &operator=(const TReductionText &) = delete;

    // The whole text, all of it in Right, no value known.
    void Assign(QStringView text);
    QString ToString() const;
    qsizetype Size() const { return m_gapStart + (m_capacity - m_gapEnd); }
    bool IsEmpty() const { return Size() == 0; }

    qsizetype LeftSize() const { return m_gapStart; }
    qsizetype RightSize() const { return m_capacity - m_gapEnd; }
    QStringView Left() const { return QStringView(m_chars, m_gapStart); }
    QStringView Right() const { return QStringView(m_chars + m_gapEnd, RightSize()); }
    qint32 LeftSlot(qsizetype i) const { return m_slots[i]; }
    qint32 RightSlot(qsizetype j) const { return m_slots[m_gapEnd + j]; }
    // The character at I of the whole text.
    QChar At(qsizetype i) const { return QChar(i < m_gapStart ? m_chars[i] : m_chars[m_gapEnd + i - m_gapStart]); }

    // The first N characters of Right become the last ones of Left, or the
    // last N of Left the first ones of Right.
    void MoveToLeft(qsizetype n);
    void MoveToRight(qsizetype n);
    void AllToRight() { MoveToRight(LeftSize()); }
    void AllToLeft() { MoveToLeft(RightSize()); }
    // Deletes the last N characters of Left, or the first N of Right.
    void DropLeft(qsizetype n) { m_gapStart -= n; }
    void DropRight(qsizetype n) { m_gapEnd += n; }
    // Writes Text at the end of Left, or at the start of Right; Slot is the
    // value index of its first character, the others have none.
    void PushLeft(QStringView text, qint32 slot);
    void PushRight(QStringView text, qint32 slot);

    // Sets the value index of the character at J of Right.
    void SetRightSlot(qsizetype j, qint32 slot) { m_slots[m_gapEnd + j] = slot; }

    // Deletes the characters of Right for which Drop (given the index in
    // Right) is true; what Drop reads of Right it reads before any deletion.
    template <class F>
    void DropFromRight(F drop)
    {
        qsizetype w = m_gapEnd;
        for (qsizetype r = m_gapEnd; r < m_capacity; ++r)
            if (!drop(r - m_gapEnd)) {
                m_chars[w] = m_chars[r];
                m_slots[w] = m_slots[r];
                ++w;
            }
        // Close the hole at the end by moving the kept part up.
        const qsizetype kept = w - m_gapEnd;
        MoveBlock(m_gapEnd, m_capacity - kept, kept);
        m_gapEnd = m_capacity - kept;
    }

private:
    void MakeRoom(qsizetype extra);
    void MoveBlock(qsizetype from, qsizetype to, qsizetype n);

    char16_t *m_chars = nullptr;
    qint32 *m_slots = nullptr;
    qsizetype m_capacity = 0;
    qsizetype m_gapStart = 0;
    qsizetype m_gapEnd = 0;
};

// "[" + anything but brackets + "]".
bool IsSingleToken(QStringView s);

// Deletes the first "[" and the first "]" of an operand text, as every
// evaluator does before it reads the number inside.
QString WithoutFirstBrackets(QStringView s);

// Where an operand begins or ends, counted from the operator.
enum class TLeftOperand {
    // From the nearest "[" before the operator (or the start of the text).
    FromOpenBracket,
    // The token that ends right before the operator, from its "[" (or the
    // start of the text); none when the character there is no "]".
    Token,
    // That token, or else the run of complex literal characters (and of
    // "^" after "e") that ends right before the operator.
    ComplexRun,
    // None (a prefix operator).
    None,
};
enum class TRightOperand {
    // Up to and with the next "]" after the operator (or to the end).
    ToCloseBracket,
    // The token that starts right after the operator, up to the next "]"
    // (or to the end), or else the run of complex literal characters
    // starting there.
    ComplexRun,
    // A "+" or "-" right after the operator with the complex operand after
    // it, or else as ComplexRun (the exponent of a complex power).
    SignedComplexRun,
    // None (a postfix operator).
    None,
};

// The length of the left operand of an operator that starts at Op, the
// characters before Op all lying in Left; and of the right operand of an
// operator ending right before End, the characters from End on all lying in
// Right. Unit is the imaginary unit of the complex runs.
qsizetype LeftOperandLength(const TReductionText &text, qsizetype op, TLeftOperand rule, QChar unit = QChar());
qsizetype RightOperandLength(const TReductionText &text, qsizetype end, TRightOperand rule, QChar unit = QChar());
// The operand texts around the one-character operator at Pos of S (which
// may lie just past the end, with only a left operand).
void OperandTexts(const QString &s, qsizetype pos, TLeftOperand left, TRightOperand right, QChar unit,
                  QString &leftText, QString &rightText);

// The values that the slots of a text refer to, and the rewriting steps.
// V is the evaluator's number (Extended, TFraction, ...).
template <class V>
class TReduction
{
public:
    TReductionText Text;

    void Assign(QStringView text)
    {
        Text.Assign(text);
        m_values.clear();
    }
    // N characters of another text from its Start, with the values known
    // there.
    void AssignFrom(const TReduction &other, qsizetype start, qsizetype n)
    {
        const qsizetype left = other.Text.LeftSize();
        Assign(start < left ? other.Text.Left().mid(start, n) : other.Text.Right().mid(start - left, n));
        for (qsizetype i = 0; i < n; ++i)
            if (const V *v = other.ValueAt(start + i))
                Text.SetRightSlot(i, Slot(v));
    }

    // An operand: its text, and its value when the text is one token whose
    // value is known.
    struct TOperand
    {
        QStringView Text;
        const V *Value = nullptr;
    };

    // The N characters from Start of the whole text as an operand; they lie
    // all in Left or all in Right.
    TOperand Operand(qsizetype start, qsizetype n) const
    {
        TOperand o;
        const qsizetype left = Text.LeftSize();
        o.Text = start < left ? Text.Left().mid(start, n) : Text.Right().mid(start - left, n);
        // Only a token whose value is known can have one.
        if (n > 0)
            if (const V *v = ValueAt(start); v && IsSingleToken(o.Text))
                o.Value = v;
        return o;
    }

    // A token with the value its text reads as (Known), or with none.
    void PushLeft(QStringView token, const V *value) { Text.PushLeft(token, Slot(value)); }
    void PushRight(QStringView token, const V *value) { Text.PushRight(token, Slot(value)); }

    // The value of the token whose "[" is at I of the whole text.
    const V *ValueAt(qsizetype i) const
    {
        return Value(i < Text.LeftSize() ? Text.LeftSlot(i) : Text.RightSlot(i - Text.LeftSize()));
    }

private:
    const V *Value(qint32 slot) const { return slot >= 0 ? &m_values[size_t(slot)] : nullptr; }
    qint32 Slot(const V *value)
    {
        if (!value)
            return -1;
        // A copy first: Value may point into the storage that grows.
        const V copy = *value;
        m_values.append(copy);
        return qint32(m_values.size() - 1);
    }

    // Held inside the object up to the values of an everyday expression:
    // each evaluation (one per bracket) then allocates nothing for them.
    QVarLengthArray<V, 16> m_values;
};

// Scans Right from its start for the first character for which Stop(c, i)
// is true (i its position in the whole text), moving what it passes to
// Left; false when it reached the end. InsideToken follows every "[" and
// "]" passed: true while the last of them was a "[".
template <class Stop>
bool ScanForward(TReductionText &text, bool &insideToken, Stop stop)
{
    const QStringView right = text.Right();
    const qsizetype base = text.LeftSize();
    const qsizetype n = right.size();
    qsizetype j = 0;
    for (; j < n; ++j) {
        const QChar c = right.at(j);
        if (stop(c, base + j))
            break;
        if (c == u'[')
            insideToken = true;
        else if (c == u']')
            insideToken = false;
    }
    text.MoveToLeft(j);
    return j < n;
}

// Scans Left from its end for the last character for which Stop(c, i) is
// true, moving what lies after it to Right, so that the character found
// ends Left; false when it reached the start.
template <class Stop>
bool ScanBackward(TReductionText &text, Stop stop)
{
    const QStringView left = text.Left();
    qsizetype i = left.size();
    while (i > 0 && !stop(left.at(i - 1), i - 1))
        --i;
    text.MoveToRight(left.size() - i);
    return i > 0;
}

// The sign clean-up of the real and fraction evaluators: whenever an
// operation is rewritten, every "+" that follows "/", "*", "+", "-", "nad",
// "div" or "mod" and a "+" that starts the text are deleted. A rewrite never
// makes such a "+", so only the text the evaluation started with (or one of
// its own sign rewrites) can hold one: the clean-up is needed at most once,
// at the first rewrite after such a text, and only when the text holds one.
bool NeedsSignCleanUp(const TReductionText &text);
// The clean-up over the whole text, which ends all in Right.
void CleanUpSigns(TReductionText &text);
// The same for a plain text; Cursor, when given, is a position of the text
// that is moved along with the characters before it that go.
void CleanUpSigns(QString &s, qsizetype *cursor);
// Only the "+" signs that follow a sign or word (CollapseSigns).
void DeleteGoingPluses(QString &s, qsizetype *cursor);

// What a text holds, found in one scan: its lower-case letters (a bit each),
// its characters from " " to "_" (the operators and brackets among them),
// whether "--" or "-+" occur and whether the sign clean-up is due. Results
// bring none of these into a text, so what a census does not find cannot
// turn up later in the evaluation either.
struct TTextCensus
{
    quint32 Letters = 0;
    quint64 Characters = 0; // bit c - 32
    bool MinusMinus = false;
    bool MinusPlus = false;
    bool SignCleanUp = false;

    bool Has(char16_t c) const { return c >= 32 && c < 96 && (Characters & (quint64(1) << (c - 32))); }
};
TTextCensus CensusOf(const TReductionText &text);

// False when position I of S lies outside every token: the nearest bracket
// at or before it is a "]", or there is none.
bool IsInsideToken(QStringView s, qsizetype i);
bool IsInsideToken(const TReductionText &text, qsizetype i);

// A result token: its text and, where the evaluator knows it, the value its
// text reads as (with the rounding of the text).
template <class V>
struct TTokenResult
{
    QVarLengthArray<char16_t, 64> Text;
    bool HasValue = false;
    V Value{};

    void SetText(QStringView t)
    {
        Text.clear();
        Text.append(reinterpret_cast<const char16_t *>(t.utf16()), t.size());
    }
    QStringView View() const { return QStringView(Text.constData(), Text.size()); }
    const V *KnownValue() const { return HasValue ? &Value : nullptr; }
};

// Which operators a pass takes and where their operands lie.
struct TPassRules
{
    // The first position of the text an operator may stand at: one before
    // it is passed over, or ends the pass with StopAtLead.
    qsizetype First = 0;
    bool StopAtLead = false;
    // An operator that ends the text is passed over.
    bool SkipLast = false;
    // A sign inside a token ("[-3]", "[+3|4]") is no operator.
    bool OutsideTokens = false;
    TLeftOperand Left = TLeftOperand::FromOpenBracket;
    TRightOperand Right = TRightOperand::ToCloseBracket;
    // The imaginary unit of the complex runs.
    QChar Unit;
    // Set while the text still needs the sign clean-up, which the first
    // rewrite then does (nullptr: the evaluator has none).
    bool *SignCleanUp = nullptr;
};

namespace ReductionDetail {

// After a rewrite: the sign clean-up when it is due; true when it was done,
// which leaves the whole text in Right.
inline bool CleanUpAfterRewrite(TReductionText &text, const TPassRules &rules)
{
    if (!rules.SignCleanUp || !*rules.SignCleanUp)
        return false;
    CleanUpSigns(text);
    *rules.SignCleanUp = false;
    return true;
}

} // namespace ReductionDetail

namespace ReductionDetail {

// A forward scan that stops at each character Stops(c, i, inside) picks (i
// its position, inside whether it lies within a token) and calls Step()
// with that character starting Right. Step returns 1 to go on, 0 to end
// the pass, -1 to end it as failed (false); after a rewrite (Step's
// business) the scan goes on after it, the text all again ahead when the
// rewrite's sign clean-up took place.
template <class Stops, class Step>
bool ForwardPass(TReductionText &t, const TPassRules &rules, Stops stops, Step step)
{
    t.AllToRight();
    bool inside = false;
    for (;;) {
        if (!ScanForward(t, inside, [&](QChar c, qsizetype i) { return stops(c, i, inside); }))
            return true;
        const int next = step();
        if (next <= 0)
            return next == 0;
        // The new token ends with its "]".
        inside = false;
        CleanUpAfterRewrite(t, rules);
    }
}

} // namespace ReductionDetail

// Every operator character (IsOperator(c)) from left to right, each
// replaced with its operands by Compute(op, left, right, result) -> bool;
// false from Compute ends the pass (and it returns false) with the text as
// it is.
template <class V, class IsOperator, class Compute>
bool ReduceLeftToRight(TReduction<V> &r, IsOperator isOperator, const TPassRules &rules, Compute compute)
{
    TReductionText &t = r.Text;
    const auto stops = [&](QChar c, qsizetype i, bool inside) {
        if (!isOperator(c))
            return false;
        if (i < rules.First)
            return rules.StopAtLead;
        return !(rules.SkipLast && i + 1 >= t.Size()) && !(rules.OutsideTokens && inside);
    };
    return ReductionDetail::ForwardPass(t, rules, stops, [&] {
        const qsizetype op = t.LeftSize();
        if (op < rules.First)
            return 0;
        const qsizetype leftLength = LeftOperandLength(t, op, rules.Left, rules.Unit);
        const qsizetype rightLength = RightOperandLength(t, op + 1, rules.Right, rules.Unit);
        TTokenResult<V> result;
        if (!compute(t.Right().front(), r.Operand(op - leftLength, leftLength), r.Operand(op + 1, rightLength), result))
            return -1;
        t.DropLeft(leftLength);
        t.DropRight(1 + rightLength);
        r.PushLeft(result.View(), result.KnownValue());
        return 1;
    });
}

// Every operator from right to left that Matches(c, i) (i its position),
// each replaced with its operands by Compute(op, left, right, result) as
// above; a match before rules.First ends the pass.
template <class V, class Matches, class Compute>
bool ReduceRightToLeft(TReduction<V> &r, Matches matches, const TPassRules &rules, Compute compute)
{
    TReductionText &t = r.Text;
    t.AllToLeft();
    for (;;) {
        if (!ScanBackward(t, matches))
            return true;
        const qsizetype op = t.LeftSize() - 1;
        if (op < rules.First)
            return true;
        const QChar c = t.Left().back();
        const qsizetype leftLength = LeftOperandLength(t, op, rules.Left, rules.Unit);
        const qsizetype rightLength = RightOperandLength(t, op + 1, rules.Right, rules.Unit);
        TTokenResult<V> result;
        if (!compute(c, r.Operand(op - leftLength, leftLength), r.Operand(op + 1, rightLength), result))
            return false;
        t.DropLeft(leftLength + 1);
        t.DropRight(rightLength);
        r.PushRight(result.View(), result.KnownValue());
        if (ReductionDetail::CleanUpAfterRewrite(t, rules))
            t.AllToLeft();
    }
}

// Every bracket pair, the last "(" first with the first ")" after it:
// Inner(text, start, length, result) -> bool gives the value of what the
// pair holds (Start and Length place it in the text, whose values Inner may
// take along); false ends the pass. Reduced, or what stopped it.
enum class TBracketOutcome {
    Reduced,
    Unclosed, // a "(" without ")" after it
    Empty,    // "()"
    Failed,   // Inner returned false
};
template <class V, class Inner>
TBracketOutcome ReduceBrackets(TReduction<V> &r, bool *signCleanUp, Inner inner)
{
    TReductionText &t = r.Text;
    t.AllToLeft();
    for (;;) {
        if (!ScanBackward(t, [](QChar c, qsizetype) { return c == u'('; }))
            return TBracketOutcome::Reduced;
        // Left ends with the "(", and no "(" follows it.
        const qsizetype close = IndexOfChar(t.Right(), u')');
        if (close < 0)
            return TBracketOutcome::Unclosed;
        if (close == 0)
            return TBracketOutcome::Empty;
        TTokenResult<V> result;
        if (!inner(r, t.LeftSize(), close, result))
            return TBracketOutcome::Failed;
        t.DropLeft(1);
        t.DropRight(close + 1);
        r.PushRight(result.View(), result.KnownValue());
        if (signCleanUp && *signCleanUp) {
            CleanUpSigns(t);
            *signCleanUp = false;
            t.AllToLeft();
        }
    }
}

// Every occurrence of the operator Words from left to right (where several
// are given, the one that occurs first; they share one precedence), each
// replaced with its operands by Compute(word index, left, right, result) as
// ReduceLeftToRight's.
template <class V, size_t N, class Compute>
bool ReduceWords(TReduction<V> &r, const QStringView (&words)[N], const TPassRules &rules, Compute compute)
{
    TReductionText &t = r.Text;
    t.AllToRight();
    // Where each word occurs next, as the distance of its start from the
    // end of the text, which a rewrite before it does not change (-1: none).
    qsizetype fromEnd[N];
    const auto find = [&](size_t w) {
        const qsizetype at = t.Right().indexOf(words[w]);
        fromEnd[w] = at < 0 ? -1 : t.RightSize() - at;
    };
    for (size_t w = 0; w < N; ++w)
        find(w);
    for (;;) {
        size_t next = N;
        for (size_t w = 0; w < N; ++w)
            if (fromEnd[w] >= 0 && (next == N || fromEnd[w] > fromEnd[next]))
                next = w;
        if (next == N)
            return true;
        t.MoveToLeft(t.RightSize() - fromEnd[next]);
        const qsizetype op = t.LeftSize();
        const qsizetype length = words[next].size();
        const qsizetype leftLength = LeftOperandLength(t, op, rules.Left, rules.Unit);
        const qsizetype rightLength = RightOperandLength(t, op + length, rules.Right, rules.Unit);
        TTokenResult<V> result;
        if (!compute(next, r.Operand(op - leftLength, leftLength), r.Operand(op + length, rightLength), result))
            return false;
        // What the rewrite takes away ends this far from the end.
        const qsizetype consumedFromEnd = t.RightSize() - length - rightLength;
        t.DropLeft(leftLength);
        t.DropRight(length + rightLength);
        r.PushLeft(result.View(), result.KnownValue());
        if (ReductionDetail::CleanUpAfterRewrite(t, rules)) {
            for (size_t w = 0; w < N; ++w)
                find(w);
            continue;
        }
        for (size_t w = 0; w < N; ++w)
            if (w == next || fromEnd[w] > consumedFromEnd)
                find(w);
    }
}

// Every "%" from left to right. Its operand is the run of characters before
// it for which IsPart(c, i) holds (i its position), up to the start of the
// text at most. When a "+" or "-" stands before the run (not as the first
// character of the text), Compute(sign, operand, result) gives the factor
// 1 + b% or 1 - b%, and the sign, the run and the "%" become "*" + result;
// otherwise Compute(QChar(), operand, result) gives b%, and the run and the
// "%" become the result. False from Compute ends the pass.
template <class V, class IsPart, class Compute>
bool ReducePercent(TReduction<V> &r, IsPart isPart, const TPassRules &rules, Compute compute)
{
    TReductionText &t = r.Text;
    return ReductionDetail::ForwardPass(
        t, rules, [](QChar c, qsizetype, bool) { return c == u'%'; },
        [&] {
            const QStringView left = t.Left();
            qsizetype start = left.size();
            while (start > 0 && isPart(left.at(start - 1), start - 1))
                --start;
            const QChar before = start > 0 ? left.at(start - 1) : QChar();
            const bool afterSign = start > 1 && (before == u'+' || before == u'-');
            TTokenResult<V> result;
            if (!compute(afterSign ? before : QChar(), r.Operand(start, left.size() - start), result))
                return -1;
            t.DropLeft(left.size() - start + (afterSign ? 1 : 0));
            t.DropRight(1);
            if (afterSign)
                t.PushLeft(u"*", -1);
            r.PushLeft(result.View(), result.KnownValue());
            return 1;
        });
}

// The bracket pass of the fraction, complex and modulo evaluators: the
// contents of each pair (the last "(" first) by Evaluate(text, error,
// value, result) on a text of their own, which is also how the evaluator
// evaluates a whole text. A pair without ")" after it is code 11, an empty
// one code 9, a fault inside a pair is copied into Err; each clears Value
// and returns false.
template <class V>
using TTextEvaluator = void (*)(TReduction<V> &text, TCalculationError &err, QString &value, TTokenResult<V> *result);

template <class V>
bool ReduceBracketsOrFail(TReduction<V> &t, TCalculationError &Err, QString &Value, TTextEvaluator<V> evaluate)
{
    const TBracketOutcome outcome = ReduceBrackets(
        t, nullptr, [&](const TReduction<V> &outer, qsizetype start, qsizetype length, TTokenResult<V> &result) {
            TReduction<V> inner;
            inner.AssignFrom(outer, start, length);
            TCalculationError local;
            QString value;
            evaluate(inner, local, value, &result);
            if (local.ErrorCode == 0)
                return true;
            Err = local;
            Value.clear();
            return false;
        });
    if (outcome == TBracketOutcome::Unclosed || outcome == TBracketOutcome::Empty) {
        SetErrorCode(Err, outcome == TBracketOutcome::Unclosed ? 11 : 9);
        Value.clear();
    }
    return outcome == TBracketOutcome::Reduced;
}
