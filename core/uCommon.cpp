#include "core/uCommon.h"

#include "core/uProgramState.h"
#include "core/uReduction.h"
#include "core/uVariableManager.h"
#include "platform/FloatMath.h"

#include <QHash>
#include <QSet>

#include <cmath>
#include <mutex>

using namespace ExpressionChars;

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
    return c == u',' || c == u'.' || IsAsciiDigit(c) || IsE(c);
}

bool AllDigits(const QString &s)
{
    for (QChar c : s)
        if (!IsAsciiDigit(c))
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

// A character that joins the word before or after it into one name.
bool IsWordCharacter(QChar c)
{
    return IsAsciiLetter(c) || IsAsciiDigit(c) || c == u'$';
}

bool IsOperatorWord(QStringView letters)
{
    for (QStringView word : OperatorWords)
        if (letters.compare(word, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The table of function names; see FunctionNames for why the order matters.
// clang-format off
const char16_t *const FunctionNameTable[38] = {
    u"arccoth", u"arccotgh", u"arccotg", u"arccot", u"arctanh", u"arctgh", u"arctan", u"arctg",
    u"coth",    u"cotgh",    u"cotan",   u"cotg",   u"tanh",    u"tgh",    u"tan",    u"tg",
    u"arcsinh", u"arcsin",   u"arccosh", u"arccos", u"sinh",    u"cosh",   u"sin",    u"cos",
    u"abs",     u"sign",     u"logy",    u"log",    u"ln",      u"sqrt",   u"sqr",    u"deg",
    u"dms",     u"rnd",      u"gamma",   u"sec",    u"csc",     u"exp",
};
// clang-format on

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

void LowerAsciiInPlace(QString &S)
{
    const char16_t *d = reinterpret_cast<const char16_t *>(S.constData());
    const qsizetype n = S.size();
    // Most texts hold no capital: blocks of 16 are looked through without a
    // branch per character, which the compiler turns into vector code.
    qsizetype i = 0;
    for (; i + 16 <= n; i += 16) {
        unsigned capitals = 0;
        for (int k = 0; k < 16; ++k)
            capitals |= unsigned(char16_t(d[i + k] - u'A') < 26);
        if (capitals)
            break;
    }
    while (i < n && !(d[i] >= u'A' && d[i] <= u'Z'))
        ++i;
    if (i == n)
        return;
    for (QChar *w = S.data() + i, *end = S.data() + S.size(); w != end; ++w)
        if (*w >= u'A' && *w <= u'Z')
            *w = QChar(w->unicode() + 32);
}

// ----------------------------------------------------------- preprocessing

void AdjustErrorPositions(const QString &Typed, TCalculationError &Err)
{
    if (Err.ErrorStart == 0 && Err.ErrorEnd == 0)
        return; // no faulty part is known
    // The blanks before the non-blank character that has Count non-blank
    // characters before it (or, for the end, before the Count-th one).
    const auto blanksBefore = [&Typed](qsizetype nonBlanks) {
        qsizetype passed = 0, blanks = 0;
        for (qsizetype i = 0; i < Typed.size() && passed < nonBlanks; ++i) {
            if (Typed.at(i) == u' ')
                ++blanks;
            else
                ++passed;
        }
        return qint32(blanks);
    };
    const qint32 startShift = blanksBefore(qsizetype(Err.ErrorStart) + 1);
    const qint32 endShift = blanksBefore(Err.ErrorEnd);
    Err.ErrorStart += startShift;
    Err.ErrorEnd += endShift;
}

void CheckBrackets(QStringView Stripped, const QString &Typed, TCalculationError &Err)
{
    qsizetype depth = 0;
    qsizetype unmatchedClose = -1;
    qsizetype lastTopOpen = -1;
    for (qsizetype i = 0; i < Stripped.size(); ++i) {
        const QChar c = Stripped.at(i);
        if (c == u'(') {
            ++depth;
            if (depth == 1)
                lastTopOpen = i;
        } else if (c == u')') {
            --depth;
            if (depth < 0 && unmatchedClose < 0)
                unmatchedClose = i;
        }
    }
    qsizetype at;
    if (unmatchedClose >= 0) {
        Err.ErrorCode = 10;
        at = unmatchedClose;
    } else if (depth > 0) {
        Err.ErrorCode = 11;
        at = lastTopOpen;
    } else {
        return;
    }
    Err.ErrorStart = qint32(at);
    Err.ErrorEnd = qint32(at + 1);
    AdjustErrorPositions(Typed, Err);
}

TSyntaxText::TSyntaxText(const QString &Typed, TCalculationError &Err, bool LowerCase)
    : m_typed(Typed), m_err(Err), m_text(Typed)
{
    Err.ErrorCode = 0;
    Err.ErrorEnd = 0;
    m_text.remove(u' ');
    if (LowerCase)
        LowerAsciiInPlace(m_text);
}

QChar TSyntaxText::At(qsizetype I) const
{
    return I >= 0 && I < m_text.size() ? m_text.at(I) : QChar();
}

void TSyntaxText::Fail(quint8 Code, qsizetype Start, qsizetype End) const
{
    m_err.ErrorCode = Code;
    m_err.ErrorStart = qint32(Start);
    m_err.ErrorEnd = qint32(End);
    AdjustErrorPositions(m_typed, m_err);
}

bool TSyntaxText::FailsAtEnds(QStringView CannotStart, QStringView CannotEnd, QChar Separator) const
{
    const qsizetype last = Size() - 1;
    if (IsCharIn(At(0), CannotStart))
        Fail(2, 0, 1);
    else if (IsCharIn(At(last), CannotEnd))
        Fail(3, last, last + 1);
    else if (!Separator.isNull() && At(last) == Separator)
        Fail(4, last, last + 1);
    else
        return false;
    return true;
}

qsizetype TSyntaxText::IndexOf(QStringView Sub, qsizetype From) const
{
    return m_text.indexOf(Sub, From);
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
        if (Run.size() == word.size())
            return true;
        return WordSet.Contains(Run.at(word.size()));
    }
    return false;
}

void InsertImplicitMultiplication(QString &S, const TCharSet &WordSet, const TCharSet &RunSet)
{
    // The signs go into a new text as the scan passes, so that many of them
    // cost no more than one; a text that needs none is not copied.
    const QString W = S;
    const qsizetype n = W.size();
    QString out;
    qsizetype copied = 0; // characters of W already in Out
    auto insertBefore = [&](qsizetype i) {
        if (out.isEmpty())
            out.reserve(n + n / 4);
        out.append(QStringView(W).mid(copied, i - copied));
        out.append(u'*');
        copied = i;
    };
    qsizetype i = 1;
    while (i < n) {
        const QChar before = W.at(i - 1);
        const QChar c = W.at(i);
        if (before == u'!' || before == u'%' || before == u')' || before == u']') {
            if (c == u'(' || c == u'[') {
                insertBefore(i);
            } else if (RunSet.Contains(c) || c == u'$') {
                qsizetype end = i;
                while (end < n && RunSet.Contains(W.at(end)))
                    ++end;
                if (!IsOperatorWordAt(W.mid(i, end - i), WordSet))
                    insertBefore(i);
                // The next pair looked at is the character after the run and
                // its successor.
                i = end + 1;
                continue;
            }
        }
        ++i;
    }
    if (copied == 0)
        return;
    out.append(QStringView(W).mid(copied));
    S = out;
}

void NextToken(const QString &S, QString &Token)
{
    Token.clear();
    qsizetype start = -1;
    for (qsizetype i = 0; i < S.size(); ++i) {
        const QChar c = S.at(i);
        if (c == u'$') {
            start = i;
            break;
        }
        if (IsAsciiLetter(c)) {
            if (IsE(c) && i > 0 && IsNumberPart(S.at(i - 1)))
                continue; // the exponent mark of a number
            start = i;
            break;
        }
    }
    if (start < 0)
        return;
    qsizetype end = start;
    if (S.at(end) == u'$')
        ++end;
    while (end < S.size() && (IsAsciiLetter(S.at(end)) || IsAsciiDigit(S.at(end))))
        ++end;
    Token = S.mid(start, end - start);
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
    if (t.startsWith(u'$'))
        return false;
    if (KProgramState::GetInstance(0)->NumberSet == 1) {
        if (t == QStringLiteral("e"))
            return false;
        if (t.at(0) == ImaginaryUnitChar.toLower() && AllDigits(t.mid(1)))
            return false;
    }
    if (IsOperatorWordAt(t, TCharSet(u"+,-.0123456789Ee")))
        return false;
    return true;
}

// ------------------------------------------------------------- name walk

TNameWalk::TNameWalk(const QString &Text) : m_text(Text)
{
    const int n = int(Text.size());
    m_next.resize(n);
    m_prev.resize(n);
    for (int i = 0; i < n; ++i) {
        m_next[i] = i + 1 < n ? i + 1 : -1;
        m_prev[i] = i - 1;
    }
    m_head = n > 0 ? 0 : -1;
    for (int i = 0; i < n; ++i) {
        const QChar c = Text.at(i);
        if (IsE(c))
            m_es.insert(i);
        if (IsStart(i))
            m_starts.insert(i);
    }
}

// NextToken's rule for where a name begins: a "$", or a letter other than
// an "e" that marks the exponent of the number before it.
bool TNameWalk::IsStart(int I) const
{
    const QChar c = m_text.at(I);
    if (c == u'$')
        return true;
    if (!IsAsciiLetter(c))
        return false;
    return !(IsE(c) && m_prev[I] >= 0 && IsNumberPart(m_text.at(m_prev[I])));
}

void TNameWalk::Refresh(int I)
{
    if (I < 0)
        return;
    if (IsStart(I))
        m_starts.insert(I);
    else
        m_starts.erase(I);
}

QString TNameWalk::Next() const
{
    if (m_starts.empty())
        return QString();
    int i = *m_starts.begin();
    QString token;
    if (m_text.at(i) == u'$') {
        token += u'$';
        i = m_next[i];
    }
    for (; i >= 0 && (IsAsciiLetter(m_text.at(i)) || IsAsciiDigit(m_text.at(i))); i = m_next[i])
        token += m_text.at(i);
    return token;
}

bool TNameWalk::MatchesAt(int I, const QString &Sub) const
{
    for (const QChar c : Sub) {
        if (I < 0 || m_text.at(I) != c)
            return false;
        I = m_next[I];
    }
    return true;
}

void TNameWalk::Unlink(int I)
{
    const QChar c = m_text.at(I);
    if (IsE(c))
        m_es.erase(I);
    m_starts.erase(I);
    if (m_prev[I] >= 0)
        m_next[m_prev[I]] = m_next[I];
    else
        m_head = m_next[I];
    if (m_next[I] >= 0)
        m_prev[m_next[I]] = m_prev[I];
}

bool TNameWalk::DeleteFirst(const QString &Sub)
{
    if (Sub.isEmpty())
        return false;
    // Before the first name the text holds no "$" and no letter but
    // exponent marks, so an occurrence of a name that starts there can only
    // start at an "e". Anything else is looked for from the start.
    const QChar first = Sub.at(0);
    const int firstStart = m_starts.empty() ? -1 : *m_starts.begin();
    int found = -1;
    if (firstStart >= 0 && (first == u'$' || IsAsciiLetter(first))) {
        if (IsE(first))
            for (auto it = m_es.begin(); it != m_es.end() && *it < firstStart; ++it)
                if (MatchesAt(*it, Sub)) {
                    found = *it;
                    break;
                }
        for (int i = firstStart; found < 0 && i >= 0; i = m_next[i])
            if (MatchesAt(i, Sub))
                found = i;
    } else {
        for (int i = m_head; found < 0 && i >= 0; i = m_next[i])
            if (MatchesAt(i, Sub))
                found = i;
    }
    if (found < 0)
        return false;
    int i = found;
    for (qsizetype k = 0; k < Sub.size(); ++k) {
        const int next = m_next[i];
        Unlink(i);
        i = next;
    }
    // Only the character after the gap has a new neighbour before it.
    Refresh(i);
    return true;
}

QString TNameWalk::Text() const
{
    QString t;
    for (int i = m_head; i >= 0; i = m_next[i])
        t += m_text.at(i);
    return t;
}

// ------------------------------------------------------ variable values

namespace {

// The text being rewritten by the variable substitution, as a chain of
// pieces: runs of letters and digits, and the characters between them.
// A name can only be whole at the end of a run (a letter or digit after it
// makes it part of a longer name), so each pass looks only at the runs that
// end with its name; an index from name to those runs spares the passes a
// walk through the whole text.
class TSubstitution
{
public:
    TSubstitution(const QString &Text, const QSet<QString> &Names) : m_names(Names)
    {
        for (const QString &name : Names)
            m_lengths.insert(int(name.size()));
        Chain chain;
        AppendPieces(chain, Text, QChar());
        m_head = chain.first;
    }

    // One pass for a variable name: every whole occurrence becomes
    // Replacement, which later passes see like the rest of the text.
    void Pass(const QString &Name, const QString &Replacement)
    {
        const QList<int> runs = m_index.take(Name);
        for (const int id : runs) {
            if (m_pieces[id].dead || !IsWholeAtEnd(m_pieces[id], Name))
                continue;
            // Copies: new pieces may move the list.
            const QString text = m_pieces[id].text;
            const QChar before = m_pieces[id].before;
            const int prev = m_pieces[id].prev;
            const int next = m_pieces[id].next;
            m_pieces[id].dead = true;
            // What stood before the name stays as a run of its own, then come
            // the replacement's pieces.
            const qsizetype k = text.size() - Name.size();
            Chain chain;
            if (k > 0)
                Push(chain, NewPiece(text.left(k), true, before));
            AppendPieces(chain, Replacement, k > 0 ? text.at(k - 1) : before);
            if (prev >= 0)
                m_pieces[prev].next = chain.first;
            else
                m_head = chain.first;
            m_pieces[chain.first].prev = prev;
            m_pieces[chain.last].next = next;
            if (next >= 0)
                m_pieces[next].prev = chain.last;
        }
    }

    QString Text() const
    {
        QString t;
        for (int i = m_head; i >= 0; i = m_pieces[i].next)
            t += m_pieces[i].text;
        return t;
    }

private:
    struct Piece
    {
        QString text;
        bool run = false;
        bool dead = false;
        QChar before; // the character before a run (NUL at the start)
        int next = -1;
        int prev = -1;
    };

    struct Chain
    {
        int first = -1;
        int last = -1;
    };

    static bool IsRunChar(QChar c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }

    int NewPiece(const QString &text, bool run, QChar before)
    {
        Piece p;
        p.text = text;
        p.run = run;
        p.before = before;
        m_pieces.append(p);
        const int id = int(m_pieces.size()) - 1;
        if (run)
            Index(id);
        return id;
    }

    void Push(Chain &chain, int id)
    {
        if (chain.last >= 0) {
            m_pieces[chain.last].next = id;
            m_pieces[id].prev = chain.last;
        } else {
            chain.first = id;
        }
        chain.last = id;
    }

    // The pieces of Text at the end of Chain; Before is the character that
    // stands before Text.
    void AppendPieces(Chain &chain, const QString &text, QChar before)
    {
        qsizetype i = 0;
        const qsizetype n = text.size();
        while (i < n) {
            const bool run = IsRunChar(text.at(i));
            qsizetype j = i + 1;
            while (j < n && IsRunChar(text.at(j)) == run)
                ++j;
            Push(chain, NewPiece(text.mid(i, j - i), run, before));
            before = text.at(j - 1);
            i = j;
        }
    }

    // Files a run under every name it ends with.
    void Index(int id)
    {
        const QString &text = m_pieces[id].text;
        for (const int length : m_lengths) {
            if (length > text.size())
                break;
            if (!IsAsciiLetter(text.at(text.size() - length)))
                continue;
            const QString end = text.right(length);
            if (m_names.contains(end))
                m_index[end].append(id);
        }
    }

    // The substitution's test for a whole name, at the end of a run: not
    // after "$" or a letter other than "e"; a name beginning with "e" not
    // after a character that belongs to a number (it would be an exponent).
    // And the search from the start of the run, which goes on after each
    // occurrence it finds, must reach this one.
    static bool IsWholeAtEnd(const Piece &run, const QString &name)
    {
        const qsizetype k = run.text.size() - name.size();
        const QChar before = k > 0 ? run.text.at(k - 1) : run.before;
        if (before == u'$' || (IsAsciiLetter(before) && !IsE(before)))
            return false;
        if (IsE(name.at(0)) && !before.isNull() && IsNumberPart(before))
            return false;
        qsizetype at = run.text.indexOf(name);
        while (at >= 0 && at < k)
            at = run.text.indexOf(name, at + name.size());
        return at == k;
    }

    QList<Piece> m_pieces;
    int m_head = -1;
    QSet<QString> m_names;
    std::set<int> m_lengths;
    QHash<QString, QList<int>> m_index;
};

} // namespace

QString CompactBlanks(const QString &S)
{
    if (!S.contains(u' '))
        return S;
    const bool words = IsRealMode();
    const qsizetype n = S.size();
    QString out;
    out.reserve(n);
    qsizetype i = 0;
    while (i < n) {
        if (S.at(i) != u' ') {
            out += S.at(i++);
            continue;
        }
        qsizetype next = i;
        while (next < n && S.at(next) == u' ')
            ++next;
        if (words && !out.isEmpty() && next < n && IsWordCharacter(out.back()) && IsWordCharacter(S.at(next))) {
            qsizetype before = out.size();
            while (before > 0 && IsAsciiLetter(out.at(before - 1)))
                --before;
            qsizetype after = next;
            while (after < n && IsAsciiLetter(S.at(after)))
                ++after;
            if (IsOperatorWord(QStringView(out).mid(before)) || IsOperatorWord(QStringView(S).mid(next, after - next)))
                out += u' ';
        }
        i = next;
    }
    return out;
}

void SubstituteVariables(QString &S)
{
    TVariableManager *variables = TVariableManager::Instance();
    if (variables->Count() == 0)
        return;
    LowerAsciiInPlace(S);
    // The names in the order the passes take them: each pass takes the
    // first name of what is left of the text and then deletes it there.
    TNameWalk rest(S);
    QStringList passes;
    QSet<QString> names;
    QHash<QString, bool> isVariable;
    for (QString name = rest.Next(); !name.isEmpty(); name = rest.Next()) {
        auto known = isVariable.constFind(name);
        if (known == isVariable.cend())
            known = isVariable.insert(name, IsVariableName(name));
        if (*known) {
            passes.append(name);
            names.insert(name);
        }
        rest.DeleteFirst(name);
    }
    if (passes.isEmpty())
        return;
    const TVariableLookup values(*variables);
    TSubstitution text(S, names);
    QHash<QString, QString> replacements;
    for (const QString &name : passes) {
        auto r = replacements.constFind(name);
        if (r == replacements.cend())
            r = replacements.insert(
                name, LowerCase(QLatin1Char('(') + WithoutBlanks(values.GetValue(name)) + QLatin1Char(')')));
        text.Pass(name, *r);
    }
    S = text.Text();
}

void CollectVariables(const QString &Expr, TStringList &Names, const QString &Except)
{
    Names.Clear();
    TNameWalk copy(CompactBlanks(Expr));
    QSet<QString> added; // case-folded
    for (QString token = copy.Next(); !token.isEmpty(); token = copy.Next()) {
        QString name = token;
        // The base of "logy" is the user variable y, also when the argument
        // is written straight after it ("logy8").
        const QString lower = LowerCase(token);
        if (lower.startsWith(QStringLiteral("logy")) && AllDigits(lower.mid(4)))
            name = QStringLiteral("y");
        if (IsVariableName(name) && name != Except) {
            const QString key = name.toCaseFolded();
            if (!added.contains(key)) {
                added.insert(key);
                Names.Add(name);
            }
        }
        copy.DeleteFirst(token);
    }
}

void SubstituteConstants(QString &S)
{
    LowerAsciiInPlace(S);
    if (!S.contains(u'$') || !ConstantItems)
        return;
    // The first constant of each name, in list order.
    QHash<QString, int> byName;
    for (int k = 0; k < ConstantItems->Count(); ++k) {
        const QString id = LowerCase(ConstantItems->Identifier(k));
        if (!byName.contains(id))
            byName.insert(id, k);
    }
    const QString in = S;
    const qsizetype n = in.size();
    QString out;
    out.reserve(in.size());
    qsizetype i = 0;
    // A "$" in the last place is never a name; everything after a "$" up to
    // the next end character is.
    while (i < n) {
        if (i == n - 1 || in.at(i) != u'$') {
            out += in.at(i);
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < n && in.at(end) != u' ' && !IsConstantNameEnd(in.at(end)))
            ++end;
        const QString name = in.mid(i, end - i);
        const auto k = byName.constFind(name);
        if (k != byName.cend()) {
            // The value joins a lower-cased text: an exponent written "1E30"
            // must read as the evaluators read a typed one.
            out += QLatin1Char('(') + LowerCase(ConstantItems->Value(*k)) + QLatin1Char(')');
        } else {
            out += name;
        }
        i = end;
    }
    S = out;
}

void BracketNumbers(QString &S)
{
    QString in = S;
    LowerAsciiInPlace(in);
    const qsizetype n = in.size();
    const QChar *d = in.constData();
    // Each literal brings two brackets, and literals stand apart.
    QString out(n + n + 2, Qt::Uninitialized);
    QChar *w = out.data();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = d[i];
        if (!(IsAsciiDigit(c) || c == u'.' || c == u',')) {
            *w++ = c;
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < n) {
            const QChar e = d[end];
            if (IsAsciiDigit(e) || e == u'.' || e == u',' || IsE(e))
                ++end;
            else if ((e == u'+' || e == u'-') && IsE(d[end - 1]))
                ++end;
            else
                break;
        }
        *w++ = u'[';
        for (qsizetype k = i; k < end; ++k)
            *w++ = d[k];
        *w++ = u']';
        i = end;
    }
    out.truncate(w - out.constData());
    // A number that was already a token keeps one pair of brackets.
    S = in.contains(u'[') || in.contains(u']') ? WithSingleBrackets(out) : out;
}

QString WithSingleBrackets(const QString &S)
{
    // Deleting the first "[[" (then "]]") one character at a time until none
    // is left shrinks every run to one; deleting a "[" never joins two "]".
    auto collapse = [](const QString &t, QChar c) {
        QString r;
        r.reserve(t.size());
        for (qsizetype k = 0; k < t.size(); ++k)
            if (!(t.at(k) == c && k > 0 && t.at(k - 1) == c))
                r += t.at(k);
        return r;
    };
    return collapse(collapse(S, u'['), u']');
}

void ExtractAdjacentTokens(const QString &S, qsizetype Pos, QString &Left, QString &Right)
{
    OperandTexts(S, Pos, TLeftOperand::Token, TRightOperand::ToCloseBracket, QChar(), Left, Right);
}

// -------------------------------------------------------- string routines

void ReplaceAll(QString &S, const QString &Old, const QString &New)
{
    if (Old.isEmpty())
        return;
    const bool newHoldsOld = New.contains(Old);
    qsizetype p = S.indexOf(Old);
    while (p >= 0) {
        S.replace(p, Old.size(), New);
        if (newHoldsOld) {
            // Searching from the start again would find the inserted text
            // forever; go on after it instead.
            p = S.indexOf(Old, p + New.size());
        } else {
            // Nothing before p matched, so a new first occurrence can only
            // start where it overlaps the inserted text.
            p = S.indexOf(Old, qMax<qsizetype>(0, p - Old.size() + 1));
        }
    }
}

void ReplaceFirst(QString &S, const QString &Old, const QString &New)
{
    if (Old.isEmpty())
        return;
    const qsizetype p = S.indexOf(Old);
    if (p >= 0)
        S.replace(p, Old.size(), New);
}

void DeleteAll(QString &S, const QString &Sub)
{
    if (Sub.isEmpty())
        return;
    for (qsizetype p = S.indexOf(Sub); p >= 0; p = S.indexOf(Sub, qMax<qsizetype>(0, p - Sub.size() + 1)))
        S.remove(p, Sub.size());
}

qsizetype FindFirstOf(const TCharSet &Chars, QStringView S)
{
    for (qsizetype i = 0; i < S.size(); ++i)
        if (Chars.Contains(S.at(i)))
            return i;
    return -1;
}

void MoveMinusBeforeProduct(QString &S)
{
    for (qsizetype p = S.indexOf(u"*-"); p >= 0; p = S.indexOf(u"*-")) {
        S.remove(p + 1, 1);
        qsizetype depth = 0;
        qsizetype k = p - 1;
        for (; k >= 0; --k) {
            const QChar c = S.at(k);
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
        S.insert(k + 1, u'-');
    }
}

void NormalizeSigns(QString &S)
{
    MoveMinusBeforeProduct(S);
    ReplaceAll(S, QStringLiteral("+-"), QStringLiteral("-"));
    ReplaceAll(S, QStringLiteral("--"), QStringLiteral("+"));
    ReplaceAll(S, QStringLiteral("++"), QStringLiteral("+"));
    if (S.startsWith(u'+'))
        S.remove(0, 1);
}

void RemoveRedundantParentheses(QString &S)
{
    const TCharSet operators(u"+-*/^");
    qsizetype i = 0;
    while (i < S.size()) {
        if (S.at(i) != u'(') {
            ++i;
            continue;
        }
        qsizetype depth = 0;
        qsizetype partner = -1;
        for (qsizetype k = i; k < S.size(); ++k) {
            if (S.at(k) == u'(')
                ++depth;
            else if (S.at(k) == u')' && --depth == 0) {
                partner = k;
                break;
            }
        }
        if (partner < 0) {
            ++i; // an unclosed bracket is left as it is
            continue;
        }
        const bool holdsOperator = FindFirstOf(operators, QStringView(S).mid(i + 1, partner - i - 1)) >= 0;
        if (!holdsOperator || (i == 0 && partner == S.size() - 1)) {
            S.remove(partner, 1);
            S.remove(i, 1);
        } else {
            ++i;
        }
    }
}

void DeleteElementAtCursor(QString &S, int &Pos)
{
    if (S.isEmpty())
        return;
    Pos = qBound(0, Pos, int(S.size()));
    // The element that touches the caret from the left, from the delimiter
    // before it to the one at or after it.
    qsizetype start = Pos;
    while (start > 0 && !IsElementDelimiter(S.at(start - 1)))
        --start;
    qsizetype end = qMax(Pos - 1, 0);
    while (end < S.size() && !IsElementDelimiter(S.at(end)))
        ++end;
    if (end > start)
        S.remove(start, end - start);
    Pos = int(start);
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
    case u'&':
        Key = QChar(u'*');
        break;
    case u'+':
        if (PlusIsDigit)
            Key = QChar(u'1');
        break;
    case u',':
    case u'.':
        Key = DecimalSeparator;
        break;
    case u'š':
        Key = QChar(u'3');
        break;
    case u'ť':
        Key = QChar(u'5');
        break;
    case u'ž':
        Key = QChar(u'6');
        break;
    case u'§':
        Key = QChar(u'!');
        break;
    case u'ľ':
        Key = QChar(u'2');
        break;
    case u'á':
        Key = QChar(u'8');
        break;
    case u'ä':
        Key = QChar(u'(');
        break;
    case u'č':
        Key = QChar(u'4');
        break;
    case u'é':
        Key = QChar(u'0');
        break;
    case u'ě':
        Key = QChar(u'2');
        break;
    case u'í':
        Key = QChar(u'9');
        break;
    case u'ň':
        Key = QChar(u')');
        break;
    case u'ř':
        Key = QChar(u'5');
        break;
    case u'ú':
        Key = QChar(u'/');
        break;
    case u'ý':
        Key = QChar(u'7');
        break;
    default:
        break;
    }
}

// ------------------------------------------------------ shared evaluation

void SetErrorCode(TCalculationError &Err, quint8 Code)
{
    Err.ErrorCode = Code;
    Err.ErrorStart = 0;
    Err.ErrorEnd = 0;
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
