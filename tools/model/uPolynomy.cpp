#include "tools/model/uPolynomy.h"

#include "platform/FloatMath.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QVarLengthArray>

#include <algorithm>
#include <bitset>
#include <cmath>
#include <limits>
#include <map>
#include <vector>

namespace {

constexpr QChar FreeSlot = u'#';
// Pixel heights of the drawing: letters and coefficients, exponents (about
// half the height, so that they stay legible on a modern screen), and the
// numbers of the Horner scheme.
constexpr int LargeHeight = 25;
constexpr int SmallHeight = 13;
constexpr int HornerHeight = 16;
constexpr int HornerColumn = 60;
// From one line of a polynomial picture to the next.
constexpr int LineHeight = 30;
// The Horner scheme is a tool for small degrees; beyond this the table would
// only exhaust memory.
constexpr qint32 MaxHornerDegree = 1000;

bool IsLetter(QChar c)
{
    return c >= u'a' && c <= u'z';
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsSign(QChar c)
{
    return c == u'+' || c == u'-';
}

bool IsNumberChar(QChar c)
{
    return IsSign(c) || IsDigit(c) || c == DecimalSeparator;
}

// Coefficients are computed from finite values, so an infinity is an
// overflow and NaN an invalid operation.
double Checked(double v)
{
    if (std::isnan(v))
        throw EInvalidOp();
    if (std::isinf(v))
        throw EOverflow();
    return v;
}

int FirstFreeSlot(const TPolynomVars &vars)
{
    for (int i = 0; i < PolynomVariableCount; ++i)
        if (vars[i] == FreeSlot)
            return i;
    return -1;
}

int SlotOf(const TPolynomVars &vars, QChar letter)
{
    for (int i = 0; i < PolynomVariableCount; ++i)
        if (vars[i] == letter)
            return i;
    return -1;
}

// The slot of Letter in Vars, given a free one when it is new.
int RegisterLetter(TPolynomVars &vars, QChar letter)
{
    int slot = SlotOf(vars, letter);
    if (slot < 0) {
        slot = FirstFreeSlot(vars);
        if (slot < 0)
            throw ETooManyVariables();
        vars[slot] = letter;
    }
    return slot;
}

// Exponents read through From, re-expressed in To (letters with a nonzero
// exponent registered there).
TExponents Translate(const TExponents &exponents, const TPolynomVars &from, TPolynomVars &to)
{
    TExponents r{};
    for (int j = 0; j < PolynomVariableCount; ++j) {
        if (exponents[j] == 0 || from[j] == FreeSlot)
            continue;
        const int i = RegisterLetter(to, from[j]);
        r[i] = IAdd32(r[i], exponents[j]);
    }
    return r;
}

bool IsUnit(double c)
{
    return c == 1.0 || c == -1.0;
}

void LinkAtEnd(TClen *&first, TClen *&last, TClen *term)
{
    term->Next = nullptr;
    if (last)
        last->Next = term;
    else
        first = term;
    last = term;
}

// Whole numbers below 10^15 print as their digits.
bool IsWhole(Extended value)
{
    return value == std::trunc(value) && std::fabs(value) < 1e15L;
}

// A short text built on the stack: the pieces of a term are made for every
// term of a polynomial, and a QString would allocate each one.
class TShortText
{
public:
    TShortText &operator<<(QChar c)
    {
        m_text.append(c.unicode());
        return *this;
    }
    TShortText &operator<<(QStringView text)
    {
        for (QChar c : text)
            *this << c;
        return *this;
    }
    TShortText &operator<<(qint64 value)
    {
        char16_t digits[20];
        int count = 0;
        // Negated as unsigned, so that the lowest value has its digits too.
        quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
        do {
            digits[count++] = char16_t(u'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0)
            *this << QChar(u'-');
        while (count > 0)
            *this << QChar(digits[--count]);
        return *this;
    }
    // A coefficient as FormatPolynomNumber writes it.
    void Number(Extended value)
    {
        if (IsWhole(value))
            *this << qint64(value);
        else
            *this << QStringView(FormatPolynomNumber(value));
    }
    QStringView View() const { return QStringView(m_text.constData(), m_text.size()); }
    bool IsEmpty() const { return m_text.isEmpty(); }

private:
    // Most pieces fit here; a coefficient of hundreds of digits moves to
    // the heap.
    QVarLengthArray<char16_t, 64> m_text;
};

thread_local const std::atomic<bool> *StopFlag = nullptr;
thread_local int TermLimit = MaxPolynomTerms;
thread_local qint64 ProductLimit = MaxTermProducts;

// Called once per term or step of every loop that can run long.
void CheckStop()
{
    if (StopFlag && StopFlag->load(std::memory_order_relaxed))
        throw EPolynomStopped();
}

} // namespace

TPolynomLimitScope::TPolynomLimitScope(int maxTerms, qint64 maxProducts) : m_terms(TermLimit), m_products(ProductLimit)
{
    TermLimit = maxTerms;
    ProductLimit = maxProducts;
}

TPolynomLimitScope::~TPolynomLimitScope()
{
    TermLimit = m_terms;
    ProductLimit = m_products;
}

TPolynomStopScope::TPolynomStopScope(const std::atomic<bool> &flag) : m_previous(StopFlag)
{
    StopFlag = &flag;
}

TPolynomStopScope::~TPolynomStopScope()
{
    StopFlag = m_previous;
}

// ------------------------------------------------------------ number text

TCharSet PolynomCharSet()
{
    TCharSet set(u" +-^abcdefghijklmnopqrstuvwxyz");
    set += TCharSet::Digits();
    set += TCharSet(QStringView(&DecimalSeparator, 1));
    return set;
}

QString FormatPolynomNumber(Extended value)
{
    if (!std::isfinite(value))
        return FloatToStr(value);
    if (IsWhole(value))
        return QString::number(qlonglong(value));
    const TFloatRec r = FloatToDecimal(value, 15);
    if (r.Digits.empty())
        return QStringLiteral("0");
    const QString digits = QString::fromLatin1(r.Digits.data(), qsizetype(r.Digits.size()));
    const int count = int(digits.size());
    QString s;
    if (r.Negative)
        s += u'-';
    if (r.Exponent <= 0) {
        s += u'0';
        s += DecimalSeparator;
        s += QString(-r.Exponent, u'0');
        s += digits;
    } else if (r.Exponent >= count) {
        s += digits;
        s += QString(r.Exponent - count, u'0');
    } else {
        s += digits.left(r.Exponent);
        s += DecimalSeparator;
        s += digits.mid(r.Exponent);
    }
    return s;
}

// ------------------------------------------------------------- the picture

TPolynomImage::TPolynomImage() = default;

void TPolynomImage::Clear(int width, int height)
{
    m_texts.clear();
    m_lines.clear();
    m_ascending = true;
    m_widest = 0;
    m_lineTop = 0;
    m_width = width;
    m_height = height;
}

QFont TPolynomImage::PieceFont(int pixelHeight, bool bold) const
{
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    if (!m_family.isEmpty())
        font.setFamily(m_family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

void TPolynomImage::SetFontFamily(const QString &family)
{
    m_family = family;
    m_widthCache.clear();
}

const TPolynomImage::TWidths::value_type &TPolynomImage::Measured(QStringView text, int pixelHeight, bool bold) const
{
    TWidths &cache = m_widthCache[pixelHeight * 2 + (bold ? 1 : 0)];
    const auto it = cache.find(text);
    if (it != cache.end())
        return *it;
    const QString owned = text.toString();
    const int width = QFontMetrics(PieceFont(pixelHeight, bold)).horizontalAdvance(owned);
    return *cache.emplace(owned, width).first;
}

int TPolynomImage::TextWidth(QStringView text, int pixelHeight, bool bold) const
{
    return Measured(text, pixelHeight, bold).second;
}

int TPolynomImage::TextOut(int x, int y, QStringView text, int pixelHeight, bool bold)
{
    const auto &[measured, width] = Measured(text, pixelHeight, bold);
    if (!m_texts.isEmpty() && x < m_texts.last().X)
        m_ascending = false;
    m_widest = std::max(m_widest, width);
    m_texts.append({x, y, measured, pixelHeight, bold, width});
    // Widths beyond the int range cannot be shown anyway.
    const qint64 right = qint64(x) + width;
    if (right > m_width)
        m_width = int(std::min<qint64>(right, std::numeric_limits<int>::max()));
    return width;
}

void TPolynomImage::Line(int x1, int y1, int x2, int y2)
{
    m_lines.append({x1, y1, x2, y2});
}

void TPolynomImage::DrawSuperscriptText(int &x, const QString &text)
{
    const qsizetype caret = text.indexOf(u'^');
    const QString base = caret < 0 ? text : text.left(caret);
    if (!base.isEmpty())
        x += TextOut(x, m_lineTop + 5, base, LargeHeight);
    if (caret >= 0 && caret + 1 < text.size())
        x += TextOut(x, m_lineTop + 5, text.mid(caret + 1), SmallHeight);
}

void TPolynomImage::BreakLine(int &x)
{
    m_lineTop += LineHeight;
    m_height = std::max(m_height, m_lineTop + 35);
    x = 5;
}

void TPolynomImage::SetSize(int width, int height)
{
    m_width = width;
    m_height = height;
}

QString TPolynomImage::PlainText(qsizetype limit) const
{
    QString s;
    for (const TTextPiece &piece : m_texts) {
        if (limit >= 0 && s.size() >= limit)
            return s.left(limit);
        if (piece.PixelHeight == SmallHeight)
            s += u'^';
        s += piece.Text;
    }
    return limit >= 0 ? s.left(limit) : s;
}

void TPolynomImage::Paint(QPainter &painter, const QRect &clip, const QColor &textColour) const
{
    painter.save();
    painter.setPen(textColour);
    int fontKey = -1;
    int ascent = 0;
    auto piece = m_texts.cbegin();
    if (m_ascending)
        piece = std::partition_point(piece, m_texts.cend(),
                                     [&](const TTextPiece &piece) { return qint64(piece.X) + m_widest < clip.left(); });
    for (; piece != m_texts.cend(); ++piece) {
        if (m_ascending && piece->X > clip.right())
            break;
        // A piece's box never exceeds twice its pixel height.
        const QRect box(piece->X, piece->Y, piece->Width + 1, piece->PixelHeight * 2);
        if (!box.intersects(clip))
            continue;
        const int key = piece->PixelHeight * 2 + (piece->Bold ? 1 : 0);
        if (key != fontKey) {
            const QFont font = PieceFont(piece->PixelHeight, piece->Bold);
            painter.setFont(font);
            ascent = QFontMetrics(font).ascent();
            fontKey = key;
        }
        painter.drawText(piece->X, piece->Y + ascent, piece->Text);
    }
    for (const TLinePiece &line : m_lines)
        painter.drawLine(line.X1, line.Y1, line.X2, line.Y2);
    painter.restore();
}

// --------------------------------------------------------------- one term

TClen *TClen::CreateTerm(const TExponents &exponents, double coefficient)
{
    return new TClen(exponents, coefficient);
}

void TClen::AddCoefficient(double value)
{
    Coefficient = Checked(Coefficient + value);
}

void TClen::Parse(const QString &text, TPolynomVars &vars)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (IsNumberChar(text[i])) {
            qsizetype j = i;
            while (j < n && IsNumberChar(text[j]))
                ++j;
            const QString run = text.mid(i, j - i);
            i = j;
            Extended value;
            if (run == u"-")
                value = -1;
            else if (run == u"+")
                value = 1;
            else
                value = StrToFloat(run);
            if (std::fabs(value) > Extended(std::numeric_limits<double>::max()))
                throw EOverflow();
            Coefficient = Checked(Coefficient * double(value));
        }
        if (i >= n)
            break;
        const QChar letter = text[i];
        if (!IsLetter(letter))
            throw EConvertError(QStringLiteral("'%1' is not a valid polynomial term").arg(text));
        ++i;
        qint32 exponent = 1;
        if (i < n && text[i] == u'^') {
            ++i;
            qsizetype j = i;
            if (j < n && IsSign(text[j]))
                ++j;
            while (j < n && IsDigit(text[j]))
                ++j;
            const QString run = text.mid(i, j - i);
            i = j;
            if (!run.isEmpty()) {
                qint64 wide;
                if (!TryStrToInt64(run, wide)) {
                    // Sign and digits that do not fit are too high a value;
                    // anything else is no number.
                    if (run.size() > 1 || !IsSign(run[0]))
                        throw EIntOverflow();
                    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(run));
                }
                if (wide < std::numeric_limits<qint32>::min() || wide > std::numeric_limits<qint32>::max())
                    throw EIntOverflow();
                exponent = qint32(wide);
            }
        }
        const int slot = RegisterLetter(vars, letter);
        Exponents[slot] = IAdd32(Exponents[slot], exponent);
    }
}

bool TClen::HasSameVariables(const TPolynomVars &myVars, const TPolynomVars &theirVars,
                             const TExponents &theirExponents) const
{
    for (int i = 0; i < PolynomVariableCount; ++i) {
        if (theirVars[i] == FreeSlot)
            continue;
        const int j = SlotOf(myVars, theirVars[i]);
        const qint32 mine = j < 0 ? 0 : Exponents[j];
        if (mine != theirExponents[i])
            return false;
    }
    for (int j = 0; j < PolynomVariableCount; ++j) {
        if (myVars[j] == FreeSlot || Exponents[j] == 0)
            continue;
        if (SlotOf(theirVars, myVars[j]) < 0)
            return false;
    }
    return true;
}

void TClen::MultiplyBy(const TClen &other, const TPolynomVars &myVars, const TPolynomVars &otherVars)
{
    TExponents exponents = Exponents;
    for (int j = 0; j < PolynomVariableCount; ++j) {
        if (other.Exponents[j] == 0 || otherVars[j] == FreeSlot)
            continue;
        const int i = SlotOf(myVars, otherVars[j]);
        if (i < 0)
            throw ETooManyVariables();
        exponents[i] = IAdd32(exponents[i], other.Exponents[j]);
    }
    Coefficient = Checked(Coefficient * other.Coefficient);
    Exponents = exponents;
}

void TClen::AppendText(QString &s, const TPolynomVars &vars) const
{
    if (Coefficient == 0)
        return;
    TShortText text;
    if (Coefficient >= 0)
        text << QChar(u'+');
    if (Coefficient == -1.0)
        text << QChar(u'-');
    else if (Coefficient != 1.0)
        text.Number(Coefficient);
    bool letter = false;
    for (int i = 0; i < PolynomVariableCount; ++i) {
        if (Exponents[i] == 0)
            continue;
        letter = true;
        text << vars[i];
        if (Exponents[i] != 1)
            text << QChar(u'^') << qint64(Exponents[i]);
    }
    if (!letter && IsUnit(Coefficient))
        text << QChar(u'1');
    s += text.View();
}

void TClen::Draw(TPolynomImage &image, const TPolynomVars &vars, bool isFirst, int &x) const
{
    if (Coefficient == 0)
        return;
    const int y = image.LineTop() + 5;
    const auto piece = [&](QStringView text, int height) { x += image.TextOut(x, y, text, height) + 2; };
    TShortText head;
    if (Coefficient >= 0 && !isFirst)
        head << QChar(u'+');
    if (Coefficient == -1.0)
        head << QChar(u'-');
    else if (Coefficient != 1.0)
        head.Number(Coefficient);
    if (!head.IsEmpty())
        piece(head.View(), LargeHeight);
    bool letter = false;
    for (int i = 0; i < PolynomVariableCount; ++i) {
        if (Exponents[i] == 0)
            continue;
        letter = true;
        piece(QStringView(&vars[i], 1), LargeHeight);
        if (Exponents[i] != 1) {
            TShortText exponent;
            exponent << qint64(Exponents[i]);
            piece(exponent.View(), SmallHeight);
        }
    }
    if (!letter && IsUnit(Coefficient))
        piece(u"1", LargeHeight);
}

// ------------------------------------------------------------- polynomial

quint64 TPolynom::TIndex::Hash(const TExponents &exponents)
{
    // The five exponents in three words, each multiplied in so that every
    // bit of every exponent reaches the high half, which the fold brings
    // down to the bits the table's mask keeps.
    const auto word = [&](int i) { return quint64(quint32(exponents[i])) | quint64(quint32(exponents[i + 1])) << 32; };
    quint64 h = word(0) * 0x9E3779B97F4A7C15ull;
    h = (h ^ word(2)) * 0xC2B2AE3D27D4EB4Full;
    h = (h ^ quint32(exponents[4])) * 0x165667B19E3779F9ull;
    return h ^ h >> 32;
}

namespace {

bool SameExponents(const TExponents &a, const TExponents &b)
{
    for (int i = 0; i < PolynomVariableCount; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

} // namespace

TClen *TPolynom::TIndex::Find(const TExponents &exponents) const
{
    if (m_used == 0)
        return nullptr;
    const quint64 hash = Hash(exponents);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = std::size_t(hash) & mask;; i = (i + 1) & mask) {
        const TSlot &slot = m_slots[i];
        if (!slot.Term || (slot.Hash == hash && SameExponents(slot.Term->Exponents, exponents)))
            return slot.Term;
    }
}

void TPolynom::TIndex::Insert(TClen *term)
{
    // At most half full, so that a search meets a free slot soon.
    if (2 * (m_used + 1) > m_slots.size())
        Resize(std::max<std::size_t>(16, m_slots.size() * 2));
    const quint64 hash = Hash(term->Exponents);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = std::size_t(hash) & mask;; i = (i + 1) & mask) {
        TSlot &slot = m_slots[i];
        if (!slot.Term) {
            slot = {term, hash};
            ++m_used;
            return;
        }
        if (slot.Hash == hash && SameExponents(slot.Term->Exponents, term->Exponents))
            return;
    }
}

void TPolynom::TIndex::Reserve(std::size_t count)
{
    std::size_t size = std::max<std::size_t>(16, m_slots.size());
    while (size < 2 * count)
        size *= 2;
    if (size > m_slots.size())
        Resize(size);
}

void TPolynom::TIndex::Resize(std::size_t size)
{
    std::vector<TSlot> old(size, TSlot{nullptr, 0});
    old.swap(m_slots);
    const std::size_t mask = size - 1;
    for (const TSlot &slot : old) {
        if (!slot.Term)
            continue;
        std::size_t i = std::size_t(slot.Hash) & mask;
        while (m_slots[i].Term)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}

void TPolynom::TIndex::Clear()
{
    if (m_used > 0)
        std::fill(m_slots.begin(), m_slots.end(), TSlot{nullptr, 0});
    m_used = 0;
}

void TPolynom::TIndex::Swap(TIndex &other) noexcept
{
    m_slots.swap(other.m_slots);
    std::swap(m_used, other.m_used);
}

TPolynom::TPolynom()
{
    ResetVariables(Vars);
}

TPolynom::~TPolynom()
{
    Clear();
}

TPolynom::TPolynom(const TPolynom &source) : TPolynom()
{
    Assign(source);
}

TPolynom &TPolynom::operator=(const TPolynom &source)
{
    Assign(source);
    return *this;
}

void TPolynom::Swap(TPolynom &other) noexcept
{
    std::swap(First, other.First);
    std::swap(Last, other.Last);
    std::swap(Vars, other.Vars);
    std::swap(m_count, other.m_count);
    m_index.Swap(other.m_index);
    std::swap(m_indexValid, other.m_indexValid);
}

void TPolynom::Clear()
{
    TClen *term = First;
    while (term) {
        TClen *next = term->Next;
        delete term;
        term = next;
    }
    First = Last = nullptr;
    m_count = 0;
    m_index.Clear();
    m_indexValid = true;
}

void TPolynom::Assign(const TPolynom &source)
{
    if (&source == this)
        return;
    TPolynom copy;
    copy.Vars = source.Vars;
    for (const TClen *term = source.First; term; term = term->Next)
        copy.Append(new TClen(term->Exponents, term->Coefficient));
    Swap(copy);
}

void TPolynom::LinkTerm(TClen *term)
{
    if (m_count >= TermLimit) {
        delete term;
        throw EPolynomTooLarge();
    }
    LinkAtEnd(First, Last, term);
    ++m_count;
    if (m_indexValid)
        m_index.Insert(term);
}

void TPolynom::Append(TClen *term)
{
    LinkTerm(term);
}

void TPolynom::EnsureIndex() const
{
    if (m_indexValid)
        return;
    m_index.Clear();
    for (TClen *term = First; term; term = term->Next)
        m_index.Insert(term);
    m_indexValid = true;
}

TClen *TPolynom::FindOwn(const TExponents &exponents) const
{
    EnsureIndex();
    return m_index.Find(exponents);
}

void TPolynom::AddOwn(const TExponents &exponents, double coefficient)
{
    if (TClen *term = FindOwn(exponents))
        term->AddCoefficient(coefficient);
    else
        Append(new TClen(exponents, coefficient));
}

void TPolynom::ResetVariables(TPolynomVars &vars)
{
    vars.fill(FreeSlot);
}

int TPolynom::LetterCount(const QString &text)
{
    std::bitset<26> letters;
    for (QChar c : text)
        if (IsLetter(c))
            letters.set(c.unicode() - u'a');
    return int(letters.count());
}

TPolynomVars TPolynom::FreshVariables()
{
    TPolynomVars vars;
    ResetVariables(vars);
    return vars;
}

TClen *TPolynom::FindTerm(const TPolynomVars &vars, const TExponents &exponents) const
{
    if (vars == this->Vars)
        return FindOwn(exponents);
    TExponents own{};
    for (int j = 0; j < PolynomVariableCount; ++j) {
        if (exponents[j] == 0 || vars[j] == FreeSlot)
            continue;
        const int i = SlotOf(this->Vars, vars[j]);
        if (i < 0)
            return nullptr; // a letter no term of ours has
        own[i] = IAdd32(own[i], exponents[j]);
    }
    return FindOwn(own);
}

void TPolynom::AddMonomial(const TExponents &exponents, const TPolynomVars &vars, double coefficient)
{
    if (!First) {
        this->Vars = vars;
        Append(new TClen(exponents, coefficient));
        return;
    }
    AddTerm(TClen(exponents, coefficient), vars);
}

void TPolynom::AddTerm(const TClen &term, const TPolynomVars &vars)
{
    if (vars == this->Vars) {
        AddOwn(term.Exponents, term.Coefficient);
        return;
    }
    TPolynomVars table = this->Vars;
    const TExponents own = Translate(term.Exponents, vars, table);
    this->Vars = table;
    AddOwn(own, term.Coefficient);
}

void TPolynom::Parse(const QString &text, const TPolynomVars &vars, bool negate, bool clearFirst)
{
    // Built aside, so that a text that fails halfway leaves the polynomial
    // as it was.
    TPolynom work;
    if (clearFirst || !First) {
        work.Vars = vars;
    } else {
        work.Assign(*this);
        for (QChar letter : vars)
            if (letter != FreeSlot)
                RegisterLetter(work.Vars, letter);
    }
    QString s = text;
    s.remove(u' ');
    const qsizetype n = s.size();
    qsizetype start = 0;
    for (qsizetype i = 1; i <= n; ++i) {
        if (i < n && !(IsSign(s[i]) && s[i - 1] != u'^'))
            continue;
        CheckStop();
        TClen term;
        term.Parse(s.mid(start, i - start), work.Vars);
        if (negate)
            term.Coefficient = -term.Coefficient;
        work.AddOwn(term.Exponents, term.Coefficient);
        start = i;
    }
    Swap(work);
}

bool TPolynom::CheckSyntax(const QString &text)
{
    const TCharSet allowed = PolynomCharSet();
    for (QChar c : text)
        if (!allowed.Contains(c))
            return false;
    // Blanks are ignored by the parser, so the rules apply to the text
    // without them: "2 ^3" is as wrong as "2^3".
    QString s = text;
    s.remove(u' ');
    const qsizetype n = s.size();
    if (n == 0)
        return true;
    const QChar sep = DecimalSeparator;
    const QChar last = s[n - 1];
    if (IsSign(last) || last == sep || s[0] == sep || s[0] == u'^')
        return false;
    for (qsizetype i = 1; i < n; ++i) {
        const QChar a = s[i - 1];
        const QChar b = s[i];
        const bool aSignOrSep = IsSign(a) || a == sep;
        if (aSignOrSep && (IsSign(b) || b == sep || b == u'^'))
            return false;
        if (a == u'^' && (b == sep || b == u'^'))
            return false;
        if (IsLetter(a) && b == sep)
            return false;
        if ((a == sep || a == u'^') && IsLetter(b))
            return false;
    }
    const auto inRun = [&](QChar c) { return IsDigit(c) || c == sep || c == u'^'; };
    qsizetype i = 0;
    while (i < n) {
        if (s[i] == u'^') {
            // The exponent: an optional sign, then a whole number that fits
            // 32 bits; nothing at all stands for 1.
            qsizetype j = i + 1;
            if (j < n && IsSign(s[j]))
                ++j;
            qsizetype k = j;
            while (k < n && inRun(s[k]))
                ++k;
            const QString digits = s.mid(j, k - j);
            if (digits.isEmpty()) {
                if (j > i + 1)
                    return false;
            } else {
                int value;
                if (!TryStrToInt(s.mid(i + 1, k - i - 1), value))
                    return false;
            }
            i = k;
        } else if (IsDigit(s[i]) || s[i] == sep) {
            qsizetype k = i;
            while (k < n && inRun(s[k]))
                ++k;
            Extended value;
            if (!TryStrToFloat(s.mid(i, k - i), value))
                return false;
            i = k;
        } else {
            ++i;
        }
    }
    return true;
}

TClen *TPolynom::FirstNonZeroTerm() const
{
    for (TClen *term = First; term; term = term->Next)
        if (term->Coefficient != 0)
            return term;
    return nullptr;
}

void TPolynom::RemoveLeadingZeroTerms()
{
    bool removed = false;
    while (First && First->Coefficient == 0) {
        TClen *next = First->Next;
        delete First;
        First = next;
        --m_count;
        removed = true;
    }
    if (!First)
        Last = nullptr;
    if (removed) {
        m_indexValid = false;
        m_index.Clear();
    }
}

bool TPolynom::IsZero() const
{
    return FirstNonZeroTerm() == nullptr;
}

bool TPolynom::HasNoNegativeExponent() const
{
    for (const TClen *term = First; term; term = term->Next)
        if (term->Coefficient != 0 && term->Exponents[0] < 0)
            return false;
    return true;
}

qint32 TPolynom::MaxExponent() const
{
    qint32 max = 0;
    for (const TClen *term = First; term; term = term->Next)
        if (term->Coefficient != 0 && term->Exponents[0] > max)
            max = term->Exponents[0];
    return max;
}

int TPolynom::IndexOfVariable(QChar letter) const
{
    return SlotOf(Vars, letter);
}

QString TPolynom::ToText() const
{
    QString s;
    s.reserve(m_count * 8);
    for (const TClen *term = First; term; term = term->Next) {
        CheckStop();
        term->AppendText(s, Vars);
    }
    if (s.startsWith(u'+'))
        s.remove(0, 1);
    if (s.isEmpty())
        s = QStringLiteral("0");
    return s;
}

void TPolynom::SortByVariable(int slot)
{
    if (slot < 0 || slot >= PolynomVariableCount)
        throw ERangeError();
    std::vector<TClen *> terms;
    terms.reserve(std::size_t(m_count));
    for (TClen *term = First; term; term = term->Next)
        terms.push_back(term);
    // Stable: like terms keep their order, so the index (the first term of
    // each monomial) stays right.
    std::stable_sort(terms.begin(), terms.end(),
                     [slot](const TClen *a, const TClen *b) { return a->Exponents[slot] > b->Exponents[slot]; });
    First = Last = nullptr;
    for (TClen *term : terms)
        LinkAtEnd(First, Last, term);
}

namespace {

// For each slot of From: the slot of its letter in To (given a free one when
// a nonzero term uses it), or -1 when no term uses it.
std::array<int, PolynomVariableCount> MapUsedLetters(const TPolynom &from, TPolynomVars &to)
{
    std::array<bool, PolynomVariableCount> used{};
    for (const TClen *term = from.First; term; term = term->Next)
        if (term->Coefficient != 0)
            for (int j = 0; j < PolynomVariableCount; ++j)
                used[j] = used[j] || term->Exponents[j] != 0;
    std::array<int, PolynomVariableCount> map;
    for (int j = 0; j < PolynomVariableCount; ++j)
        map[j] = used[j] && from.Vars[j] != FreeSlot ? RegisterLetter(to, from.Vars[j]) : -1;
    return map;
}

TExponents Mapped(const TExponents &exponents, const std::array<int, PolynomVariableCount> &map, const TExponents &base)
{
    TExponents r = base;
    for (int j = 0; j < PolynomVariableCount; ++j)
        if (exponents[j] != 0 && map[j] >= 0)
            r[map[j]] = IAdd32(r[map[j]], exponents[j]);
    return r;
}

} // namespace

void TPolynom::Multiply(const TPolynom &a, const TPolynom &b, TPolynom &r)
{
    qint64 budget = ProductLimit;
    MultiplyWithin(a, b, r, budget);
}

void TPolynom::MultiplyWithin(const TPolynom &a, const TPolynom &b, TPolynom &r, qint64 &budget)
{
    budget -= qint64(a.Count()) * b.Count();
    if (budget < 0)
        throw EPolynomTooLarge();
    TPolynom out;
    // The product takes over R's index memory: a power's steps then fill
    // memory they have used before instead of new pages.
    if (&r != &a && &r != &b) {
        out.m_index.Swap(r.m_index);
        out.m_index.Clear();
        r.m_indexValid = false;
    }
    // A product has no fewer monomials than its larger factor: room for
    // them from the start.
    out.m_index.Reserve(std::size_t(std::max(a.Count(), b.Count())));
    out.Vars = a.Vars;
    const auto map = MapUsedLetters(b, out.Vars);
    for (const TClen *termA = a.First; termA; termA = termA->Next) {
        if (termA->Coefficient == 0)
            continue;
        for (const TClen *termB = b.First; termB; termB = termB->Next) {
            if (termB->Coefficient == 0)
                continue;
            CheckStop();
            out.AddOwn(Mapped(termB->Exponents, map, termA->Exponents),
                       Checked(termA->Coefficient * termB->Coefficient));
        }
    }
    r.Swap(out);
}

void TPolynom::Power(int n)
{
    if (n < 0 || n > 255)
        throw ERangeError();
    if (n == 0) {
        Clear();
        Append(new TClen());
        return;
    }
    if (n == 1)
        return;
    // One budget for all the steps: the power as a whole must end soon.
    qint64 budget = ProductLimit;
    TPolynom a(*this);
    TPolynom b;
    for (int i = 2; i <= n; ++i) {
        MultiplyWithin(*this, a, b, budget);
        a.Swap(b);
    }
    Swap(a);
}

void TPolynom::Divide(const TPolynom &a, const TPolynom &b, TPolynom &r, TPolynom &quotientOut)
{
    if (b.IsZero())
        throw EDivByZero();
    TPolynomVars table = a.Vars;
    const auto map = MapUsedLetters(b, table);
    // The letter divided in: B's first; all slots are equal for a constant.
    int letter = b.Vars[0] == FreeSlot ? -1 : SlotOf(table, b.Vars[0]);
    if (letter < 0)
        letter = 0;
    // Terms are taken in lexicographic order, that letter first: B's leading
    // term in that order times a quotient term exceeds every other product,
    // so each step removes the current leading term for good and the loop
    // ends.
    std::array<int, PolynomVariableCount> order;
    order[0] = letter;
    for (int j = 0, k = 1; j < PolynomVariableCount; ++j)
        if (j != letter)
            order[k++] = j;
    const auto greater = [order](const TExponents &lhs, const TExponents &rhs) {
        for (int k : order)
            if (lhs[k] != rhs[k])
                return lhs[k] > rhs[k];
        return false;
    };

    std::vector<std::pair<TExponents, double>> divisor;
    for (const TClen *rhs = b.First; rhs; rhs = rhs->Next)
        if (rhs->Coefficient != 0)
            divisor.emplace_back(Mapped(rhs->Exponents, map, TExponents{}), rhs->Coefficient);
    std::size_t leadIndex = 0;
    for (std::size_t k = 1; k < divisor.size(); ++k)
        if (greater(divisor[k].first, divisor[leadIndex].first))
            leadIndex = k;
    const TExponents lead = divisor[leadIndex].first;
    const double leadCoefficient = divisor[leadIndex].second;

    std::map<TExponents, double, decltype(greater)> rest(greater);
    for (const TClen *lhs = a.First; lhs; lhs = lhs->Next)
        if (lhs->Coefficient != 0) {
            double &c = rest[lhs->Exponents];
            c = Checked(c + lhs->Coefficient);
        }

    TPolynom quotient;
    TPolynom remainder;
    quotient.Vars = remainder.Vars = table;
    qint64 work = 0;
    while (!rest.empty()) {
        CheckStop();
        const auto it = rest.begin();
        const TExponents t = it->first;
        const double c = it->second;
        rest.erase(it);
        if (c == 0)
            continue;
        if (t[letter] < lead[letter]) {
            // Every term left is of a lower degree in the letter.
            remainder.Append(new TClen(t, c));
            for (const auto &[e, v] : rest)
                if (v != 0)
                    remainder.Append(new TClen(e, v));
            break;
        }
        bool divides = true;
        for (int j = 0; j < PolynomVariableCount; ++j)
            divides = divides && t[j] >= lead[j];
        if (!divides) {
            remainder.Append(new TClen(t, c));
            continue;
        }
        work += qint64(divisor.size());
        if (work > ProductLimit)
            throw EPolynomTooLarge();
        TExponents q;
        for (int j = 0; j < PolynomVariableCount; ++j)
            q[j] = ISub32(t[j], lead[j]);
        const double qc = Checked(c / leadCoefficient);
        quotient.Append(new TClen(q, qc));
        // The leading term cancels exactly: it is simply gone.
        for (std::size_t k = 0; k < divisor.size(); ++k) {
            if (k == leadIndex)
                continue;
            TExponents e;
            for (int j = 0; j < PolynomVariableCount; ++j)
                e[j] = IAdd32(q[j], divisor[k].first[j]);
            double &v = rest[e];
            v = Checked(v - Checked(qc * divisor[k].second));
        }
    }
    r.Swap(remainder);
    quotientOut.Swap(quotient);
}

void TPolynom::Draw(TPolynomImage &image, int &x, bool clearFirst, const QString &prefix)
{
    RemoveLeadingZeroTerms();
    if (clearFirst) {
        image.Clear();
        x = 5;
    }
    if (!prefix.isEmpty())
        x += image.TextOut(x, image.LineTop() + 5, prefix, LargeHeight);
    bool drawn = false;
    for (const TClen *term = First; term; term = term->Next) {
        if (term->Coefficient == 0)
            continue;
        CheckStop();
        term->Draw(image, Vars, !drawn, x);
        drawn = true;
    }
    if (!drawn)
        x += image.TextOut(x, image.LineTop() + 5, QStringLiteral("0"), LargeHeight) + 2;
}

THornerScheme TPolynom::HornerScheme(Extended x0) const
{
    THornerScheme scheme;
    scheme.Point = x0;
    qint32 degree = -1;
    for (const TClen *term = First; term; term = term->Next) {
        if (term->Coefficient == 0)
            continue;
        if (term->Exponents[0] < 0)
            throw ERangeError();
        degree = std::max(degree, term->Exponents[0]);
    }
    if (degree < 0)
        return scheme;
    if (degree > MaxHornerDegree)
        throw EPolynomTooLarge();
    const int n = degree + 1;
    std::vector<Extended> c(std::size_t(n), 0);
    for (const TClen *term = First; term; term = term->Next)
        if (term->Coefficient != 0)
            c[term->Exponents[0]] = FAdd(c[term->Exponents[0]], term->Coefficient);
    for (int i = n - 1; i >= 0; --i)
        scheme.Coefficients.push_back(c[i]);
    for (int k = 0; k < n; ++k) {
        THornerScheme::TPass pass;
        std::vector<Extended> b = c;
        pass.Values.push_back(b[n - 1]);
        for (int i = n - 2; i >= k; --i) {
            const Extended product = FMul(b[i + 1], x0);
            b[i] = FAdd(product, c[i]);
            pass.Products.push_back(product);
            pass.Values.push_back(b[i]);
        }
        scheme.Passes.push_back(pass);
        c = b;
    }
    return scheme;
}

void TPolynom::DrawHornerScheme(TPolynomImage &image, Extended x0) const
{
    const THornerScheme scheme = HornerScheme(x0);
    if (scheme.Coefficients.empty())
        return;
    const int n = int(scheme.Coefficients.size());
    image.Clear();
    const QString point = FormatPolynomNumber(x0);
    const int w = std::min(255, image.TextWidth(point, HornerHeight) + 8);
    // Columns are 60 pixels wide unless a number needs more.
    int widest = 0;
    const auto measure = [&](const std::vector<Extended> &numbers) {
        for (Extended v : numbers)
            widest = std::max(widest, image.TextWidth(FormatPolynomNumber(v), HornerHeight, true));
    };
    measure(scheme.Coefficients);
    for (const THornerScheme::TPass &pass : scheme.Passes) {
        measure(pass.Products);
        measure(pass.Values);
    }
    const int column = std::max(HornerColumn, widest + 10);
    const auto columnEnd = [&](int i) { return w + 5 + column * (n - i); };
    const auto number = [&](int i, int y, Extended v, bool bold) {
        const QString text = FormatPolynomNumber(v);
        image.TextOut(columnEnd(i) - image.TextWidth(text, HornerHeight, bold), y, text, HornerHeight, bold);
    };
    const int width = n * column + w + 14;
    int height = 35;
    int y = 5;
    for (int j = 0; j < n; ++j)
        number(n - 1 - j, y, scheme.Coefficients[j], true);
    for (int k = 0; k < n; ++k) {
        const THornerScheme::TPass &pass = scheme.Passes[k];
        y += 56;
        height = y + 5;
        image.Line(w + 5, 5, w + 5, y);
        y -= 38;
        image.TextOut(9, y, point, HornerHeight);
        for (int j = 0; j < int(pass.Products.size()); ++j)
            number(n - 2 - j, y, pass.Products[j], false);
        y += 20;
        for (int j = 0; j < int(pass.Values.size()); ++j)
            number(n - 1 - j, y, pass.Values[j], n - 1 - j == k);
        y -= 2;
        image.Line(5, y, columnEnd(k) + 4, y);
    }
    image.SetSize(std::max(width, image.Width()), height);
}
