#include "core/uReduction.h"

#include "core/uCommon.h"

#include <cstring>
#include <utility>

using namespace ExpressionChars;

namespace {

// Buffers of finished evaluations, for the next ones: an evaluation of a
// short expression then allocates nothing.
struct TBuffers
{
    char16_t *Chars = nullptr;
    qint32 *Slots = nullptr;
    qsizetype Capacity = 0;
};

struct TBufferPool
{
    std::vector<TBuffers> Free;
    ~TBufferPool()
    {
        for (const TBuffers &b : Free) {
            delete[] b.Chars;
            delete[] b.Slots;
        }
    }
};

thread_local TBufferPool Pool;

// A few are kept, up to the size the longest expression needs: freeing
// and allocating the large ones for every calculation would map their pages
// anew each time.
constexpr size_t KeptBuffers = 8;
constexpr qsizetype LargestKeptBuffer = 1 << 18;

} // namespace

TReductionText::TReductionText()
{
    if (!Pool.Free.empty()) {
        const TBuffers b = Pool.Free.back();
        Pool.Free.pop_back();
        m_chars = b.Chars;
        m_slots = b.Slots;
        m_capacity = b.Capacity;
        m_gapEnd = m_capacity;
    }
}

TReductionText::~TReductionText()
{
    if (m_capacity > 0 && m_capacity <= LargestKeptBuffer && Pool.Free.size() < KeptBuffers) {
        Pool.Free.push_back({m_chars, m_slots, m_capacity});
        return;
    }
    delete[] m_chars;
    delete[] m_slots;
}

void TReductionText::Assign(QStringView text)
{
    m_gapStart = 0;
    m_gapEnd = m_capacity;
    MakeRoom(text.size());
    m_gapEnd = m_capacity - text.size();
    if (!text.isEmpty())
        std::memcpy(m_chars + m_gapEnd, text.utf16(), size_t(text.size()) * sizeof(char16_t));
    for (qsizetype i = m_gapEnd; i < m_capacity; ++i)
        m_slots[i] = -1;
}

QString TReductionText::ToString() const
{
    QString s;
    s.reserve(Size());
    s.append(Left());
    s.append(Right());
    return s;
}

void TReductionText::MoveBlock(qsizetype from, qsizetype to, qsizetype n)
{
    if (n <= 0 || from == to)
        return;
    std::memmove(m_chars + to, m_chars + from, size_t(n) * sizeof(char16_t));
    std::memmove(m_slots + to, m_slots + from, size_t(n) * sizeof(qint32));
}

void TReductionText::MoveToLeft(qsizetype n)
{
    MoveBlock(m_gapEnd, m_gapStart, n);
    m_gapStart += n;
    m_gapEnd += n;
}

void TReductionText::MoveToRight(qsizetype n)
{
    MoveBlock(m_gapStart - n, m_gapEnd - n, n);
    m_gapStart -= n;
    m_gapEnd -= n;
}

void TReductionText::MakeRoom(qsizetype extra)
{
    if (m_gapEnd - m_gapStart >= extra)
        return;
    const qsizetype right = RightSize();
    const qsizetype capacity = qMax<qsizetype>(2 * m_capacity, m_gapStart + right + extra + 64);
    char16_t *chars = new char16_t[size_t(capacity)];
    qint32 *slotBuffer = new qint32[size_t(capacity)];
    // The first growth has no buffer to copy from, and memcpy may not be
    // handed a null pointer even for no bytes.
    if (m_chars) {
        std::memcpy(chars, m_chars, size_t(m_gapStart) * sizeof(char16_t));
        std::memcpy(slotBuffer, m_slots, size_t(m_gapStart) * sizeof(qint32));
        std::memcpy(chars + capacity - right, m_chars + m_gapEnd, size_t(right) * sizeof(char16_t));
        std::memcpy(slotBuffer + capacity - right, m_slots + m_gapEnd, size_t(right) * sizeof(qint32));
    }
    delete[] m_chars;
    delete[] m_slots;
    m_chars = chars;
    m_slots = slotBuffer;
    m_capacity = capacity;
    m_gapEnd = capacity - right;
}

void TReductionText::PushLeft(QStringView text, qint32 slot)
{
    MakeRoom(text.size());
    if (!text.isEmpty())
        std::memcpy(m_chars + m_gapStart, text.utf16(), size_t(text.size()) * sizeof(char16_t));
    for (qsizetype i = 0; i < text.size(); ++i)
        m_slots[m_gapStart + i] = i == 0 ? slot : -1;
    m_gapStart += text.size();
}

void TReductionText::PushRight(QStringView text, qint32 slot)
{
    MakeRoom(text.size());
    m_gapEnd -= text.size();
    if (!text.isEmpty())
        std::memcpy(m_chars + m_gapEnd, text.utf16(), size_t(text.size()) * sizeof(char16_t));
    for (qsizetype i = 0; i < text.size(); ++i)
        m_slots[m_gapEnd + i] = i == 0 ? slot : -1;
}

bool IsSingleToken(QStringView s)
{
    if (s.size() < 2 || s.front() != u'[' || s.back() != u']')
        return false;
    for (qsizetype i = 1; i + 1 < s.size(); ++i)
        if (s.at(i) == u'[' || s.at(i) == u']')
            return false;
    return true;
}

QString WithoutFirstBrackets(QStringView s)
{
    const qsizetype open = s.indexOf(u'[');
    const qsizetype close = s.indexOf(u']');
    QString r;
    r.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i)
        if (i != open && i != close)
            r += s.at(i);
    return r;
}

namespace {

bool IsComplexRunChar(const TReductionText &text, qsizetype k, QChar unit)
{
    const QChar c = text.At(k);
    if (IsAsciiDigit(c) || c == u',' || c == u'.' || c == u'e' || c == unit)
        return true;
    return c == u'^' && k > 0 && text.At(k - 1) == u'e';
}

// The last "[" before End, or 0.
qsizetype OpenBracketBefore(const TReductionText &text, qsizetype end)
{
    const qsizetype open = LastIndexOfChar(text.Left().left(end), u'[');
    return open < 0 ? 0 : open;
}

} // namespace

qsizetype LeftOperandLength(const TReductionText &text, qsizetype op, TLeftOperand rule, QChar unit)
{
    if (op <= 0)
        return 0;
    switch (rule) {
    case TLeftOperand::None:
        return 0;
    case TLeftOperand::FromOpenBracket:
        return op - OpenBracketBefore(text, op);
    case TLeftOperand::Token:
        if (text.At(op - 1) != u']')
            return 0;
        return op - OpenBracketBefore(text, op - 1);
    case TLeftOperand::ComplexRun:
        if (text.At(op - 1) == u']')
            return op - OpenBracketBefore(text, op - 1);
        qsizetype k = op - 1;
        while (k >= 0 && IsComplexRunChar(text, k, unit))
            --k;
        return op - 1 - k;
    }
    return 0;
}

qsizetype RightOperandLength(const TReductionText &text, qsizetype end, TRightOperand rule, QChar unit)
{
    const qsizetype size = text.Size();
    if (end >= size)
        return 0;
    if (rule == TRightOperand::None)
        return 0;
    const QStringView right = text.Right().mid(end - text.LeftSize());
    if (rule == TRightOperand::SignedComplexRun) {
        if (right.front() == u'+' || right.front() == u'-')
            return 1 + RightOperandLength(text, end + 1, TRightOperand::ComplexRun, unit);
        rule = TRightOperand::ComplexRun;
    }
    if (rule == TRightOperand::ComplexRun && right.front() != u'[') {
        qsizetype k = end;
        while (k < size && IsComplexRunChar(text, k, unit))
            ++k;
        return k - end;
    }
    const qsizetype close = IndexOfChar(right, u']');
    return close < 0 ? right.size() : close + 1;
}

void OperandTexts(const QString &s, qsizetype pos, TLeftOperand left, TRightOperand right, QChar unit,
                  QString &leftText, QString &rightText)
{
    leftText.clear();
    rightText.clear();
    if (pos < 0 || pos > s.size())
        return;
    TReductionText t;
    t.Assign(s);
    t.MoveToLeft(pos);
    leftText = t.Left().right(LeftOperandLength(t, pos, left, unit)).toString();
    rightText = t.Right().mid(1, RightOperandLength(t, pos + 1, right, unit)).toString();
}

namespace {

// CollapseSigns's rule: the "+" at I goes, given the three characters before
// it (P3 P2 P1, NUL before the start).
bool PlusGoes(QChar c, QChar p3, QChar p2, QChar p1, qsizetype i)
{
    if (i == 0 || c != u'+')
        return false;
    if (p1 == u'/' || p1 == u'*' || p1 == u'+' || p1 == u'-')
        return true;
    if (i < 3)
        return false;
    return (p3 == u'n' && p2 == u'a' && p1 == u'd') || (p3 == u'd' && p2 == u'i' && p1 == u'v')
           || (p3 == u'm' && p2 == u'o' && p1 == u'd');
}

} // namespace

namespace {

// The character at I of the whole text, NUL before its start.
QChar Before(const TReductionText &text, qsizetype i)
{
    return i >= 0 ? text.At(i) : QChar();
}

bool PlusGoesAt(const TReductionText &text, qsizetype i)
{
    return PlusGoes(u'+', Before(text, i - 3), Before(text, i - 2), Before(text, i - 1), i);
}

} // namespace

TTextCensus CensusOf(const TReductionText &text)
{
    TTextCensus census;
    census.SignCleanUp = text.Size() > 0 && text.At(0) == u'+';
    // Only a sign needs the characters before it, which are then looked up.
    char16_t previous = 0;
    qsizetype i = 0;
    for (const QStringView part : {text.Left(), text.Right()}) {
        const QChar *d = part.data();
        const qsizetype n = part.size();
        for (qsizetype k = 0; k < n; ++k, ++i) {
            const char16_t u = d[k].unicode();
            if (char16_t(u - u'a') < 26) {
                census.Letters |= 1u << (u - u'a');
            } else if (char16_t(u - 32) < 64) {
                census.Characters |= quint64(1) << (u - 32);
                if (u == u'-' || u == u'+') {
                    if (previous == u'-') {
                        census.MinusMinus = census.MinusMinus || u == u'-';
                        census.MinusPlus = census.MinusPlus || u == u'+';
                    }
                    if (u == u'+' && !census.SignCleanUp && PlusGoesAt(text, i))
                        census.SignCleanUp = true;
                }
            }
            previous = u;
        }
    }
    return census;
}

bool NeedsSignCleanUp(const TReductionText &text)
{
    if (text.Size() > 0 && text.At(0) == u'+')
        return true;
    qsizetype i = 0;
    for (const QStringView part : {text.Left(), text.Right()}) {
        const QChar *d = part.data();
        const qsizetype n = part.size();
        for (qsizetype k = 0; k < n; ++k, ++i)
            if (d[k] == u'+' && PlusGoesAt(text, i))
                return true;
    }
    return false;
}

void CleanUpSigns(TReductionText &text)
{
    text.AllToRight();
    const QStringView right = text.Right();
    QChar p3, p2, p1;
    text.DropFromRight([&](qsizetype j) {
        const QChar c = right.at(j);
        const bool goes = PlusGoes(c, p3, p2, p1, j);
        p3 = p2;
        p2 = p1;
        p1 = c;
        return goes;
    });
    if (text.RightSize() > 0 && text.Right().front() == u'+')
        text.DropRight(1);
}

void DeleteGoingPluses(QString &s, qsizetype *cursor)
{
    QChar p3, p2, p1;
    qsizetype w = 0;
    const qsizetype n = s.size();
    const qsizetype mark = cursor ? *cursor : 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s.at(i);
        const bool goes = PlusGoes(c, p3, p2, p1, i);
        p3 = p2;
        p2 = p1;
        p1 = c;
        if (goes) {
            if (cursor && i < mark)
                --*cursor;
            continue;
        }
        s[w++] = c;
    }
    s.truncate(w);
}

void CleanUpSigns(QString &s, qsizetype *cursor)
{
    DeleteGoingPluses(s, cursor);
    if (s.startsWith(u'+')) {
        s.remove(0, 1);
        if (cursor && *cursor > 0)
            --*cursor;
    }
}

bool IsInsideToken(QStringView s, qsizetype i)
{
    if (i >= s.size())
        return false;
    for (qsizetype k = i; k >= 0; --k) {
        if (s.at(k) == u']')
            return false;
        if (s.at(k) == u'[')
            return true;
    }
    return false;
}

bool IsInsideToken(const TReductionText &text, qsizetype i)
{
    if (i >= text.Size())
        return false;
    for (qsizetype k = i; k >= 0; --k) {
        const QChar c = text.At(k);
        if (c == u']')
            return false;
        if (c == u'[')
            return true;
    }
    return false;
}
