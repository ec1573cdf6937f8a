#pragma once
// 1-based string helpers with the original platform's semantics, so that the
// text-rewriting algorithms of the calculator read exactly as their rules do:
// positions count from 1, 0 means "not found", and out-of-range arguments are
// clamped instead of failing.
#include <QString>

namespace pas {

// Position (1-based) of the first occurrence of Sub in S, 0 when absent or
// when Sub is empty.
inline int Pos(const QString &sub, const QString &s, int from = 1)
{
    if (sub.isEmpty() || from < 1)
        return 0;
    const qsizetype i = s.indexOf(sub, from - 1, Qt::CaseSensitive);
    return i < 0 ? 0 : int(i) + 1;
}

inline int Pos(QChar c, const QString &s, int from = 1)
{
    if (from < 1)
        return 0;
    const qsizetype i = s.indexOf(c, from - 1, Qt::CaseSensitive);
    return i < 0 ? 0 : int(i) + 1;
}

// Count characters of S starting at 1-based Index. An Index below 1 is
// taken as 1, a Count running past the end stops at the end.
inline QString Copy(const QString &s, int index, int count)
{
    if (index < 1)
        index = 1;
    if (count <= 0 || index > s.size())
        return QString();
    return s.mid(index - 1, count);
}

// Deletes Count characters from 1-based Index; nothing when Index lies
// outside the text or Count is not positive.
inline void Delete(QString &s, int index, int count)
{
    if (index < 1 || index > s.size() || count <= 0)
        return;
    s.remove(index - 1, count);
}

// Inserts Src into S before 1-based Index; an Index past the end appends,
// an Index below 1 inserts at the start.
inline void Insert(const QString &src, QString &s, int index)
{
    if (index < 1)
        index = 1;
    if (index > s.size() + 1)
        index = int(s.size()) + 1;
    s.insert(index - 1, src);
}

// Character at 1-based Index; a NUL character outside the text, so that a
// look past either end compares unequal to every real character.
inline QChar At(const QString &s, int index)
{
    return (index >= 1 && index <= s.size()) ? s.at(index - 1) : QChar(u'\0');
}

inline int Length(const QString &s)
{
    return int(s.size());
}

// True when C is one of the characters of Set (never for NUL, the
// character At gives outside a text).
inline bool CharInSet(QChar c, QStringView set)
{
    return !c.isNull() && set.contains(c);
}

inline bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}
inline bool IsAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

} // namespace pas
