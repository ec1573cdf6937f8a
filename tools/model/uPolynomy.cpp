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

bool IsLetter(QChar C)
{
    return C >= u'a' && C <= u'z';
}

bool IsDigit(QChar C)
{
    return C >= u'0' && C <= u'9';
}

bool IsSign(QChar C)
{
    return C == u'+' || C == u'-';
}

bool IsNumberChar(QChar C)
{
    return IsSign(C) || IsDigit(C) || C == DecimalSeparator;
}

// Coefficients are computed from finite values, so an infinity is an
// overflow and NaN an invalid operation.
double Checked(double V)
{
    if (std::isnan(V))
        throw EInvalidOp();
    if (std::isinf(V))
        throw EOverflow();
    return V;
}

int FirstFreeSlot(const TPolynomVars &Vars)
{
    for (int i = 0; i < PolynomVariableCount; ++i)
        if (Vars[i] == FreeSlot)
            return i;
    return -1;
}

int SlotOf(const TPolynomVars &Vars, QChar Letter)
{
    for (int i = 0; i < PolynomVariableCount; ++i)
        if (Vars[i] == Letter)
            return i;
    return -1;
}

// The slot of Letter in Vars, given a free one when it is new.
int RegisterLetter(TPolynomVars &Vars, QChar Letter)
{
    int slot = SlotOf(Vars, Letter);
    if (slot < 0) {
        slot = FirstFreeSlot(Vars);
        if (slot < 0)
            throw ETooManyVariables();
        Vars[slot] = Letter;
    }
    return slot;
}

// Exponents read through From, re-expressed in To (letters with a nonzero
// exponent registered there).
TExponents Translate(const TExponents &Exponents, const TPolynomVars &From, TPolynomVars &To)
{
    TExponents r{};
    for (int j = 0; j < PolynomVariableCount; ++j) {
        if (Exponents[j] == 0 || From[j] == FreeSlot)
            continue;
        const int i = RegisterLetter(To, From[j]);
        r[i] = IAdd32(r[i], Exponents[j]);
    }
    return r;
}

bool IsUnit(double C)
{
    return C == 1.0 || C == -1.0;
}

void LinkAtEnd(TClen *&First, TClen *&Last, TClen *Term)
{
    Term->Next = nullptr;
    if (Last)
        Last->Next = Term;
    else
        First = Term;
    Last = Term;
}

// Whole numbers below 10^15 print as their digits.
bool IsWhole(Extended Value)
{
    return Value == std::trunc(Value) && std::fabs(Value) < 1e15L;
}

// A short text built on the stack: the pieces of a term are made for every
// term of a polynomial, and a QString would allocate each one.
class TShortText
{
public:
    TShortText &operator<<(QChar C)
    {
        m_text.append(C.unicode());
        return *this;
    }
    TShortText &operator<<(QStringView Text)
    {
        for (QChar c : Text)
            *this << c;
        return *this;
    }
    TShortText &operator<<(qint64 Value)
    {
        char16_t digits[20];
        int count = 0;
        // Negated as unsigned, so that the lowest value has its digits too.
        quint64 magnitude = Value < 0 ? 0 - quint64(Value) : quint64(Value);
        do {
            digits[count++] = char16_t(u'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (Value < 0)
            *this << QChar(u'-');
        while (count > 0)
            *this << QChar(digits[--count]);
        return *this;
    }
    // A coefficient as FormatPolynomNumber writes it.
    void Number(Extended Value)
    {
        if (IsWhole(Value))
            *this << qint64(Value);
        else
            *this << QStringView(FormatPolynomNumber(Value));
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

TPolynomLimitScope::TPolynomLimitScope(int MaxTerms, qint64 MaxProducts) : m_terms(TermLimit), m_products(ProductLimit)
{
    TermLimit = MaxTerms;
    ProductLimit = MaxProducts;
}

TPolynomLimitScope::~TPolynomLimitScope()
{
    TermLimit = m_terms;
    ProductLimit = m_products;
}

TPolynomStopScope::TPolynomStopScope(const std::atomic<bool> &Flag) : m_previous(StopFlag)
{
    StopFlag = &Flag;
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

QString FormatPolynomNumber(Extended Value)
{
    if (!std::isfinite(Value))
        return FloatToStr(Value);
    if (IsWhole(Value))
        return QString::number(qlonglong(Value));
    const TFloatRec r = FloatToDecimal(Value, 15);
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

void TPolynomImage::Clear(int Width, int Height)
{
    m_texts.clear();
    m_lines.clear();
    m_ascending = true;
    m_widest = 0;
    m_lineTop = 0;
    m_width = Width;
    m_height = Height;
}

QFont TPolynomImage::PieceFont(int PixelHeight, bool Bold) const
{
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    if (!m_family.isEmpty())
        font.setFamily(m_family);
    font.setPixelSize(PixelHeight);
    font.setBold(Bold);
    return font;
}

void TPolynomImage::SetFontFamily(const QString &Family)
{
    m_family = Family;
    m_widthCache.clear();
}

const TPolynomImage::TWidths::value_type &TPolynomImage::Measured(QStringView Text, int PixelHeight, bool Bold) const
{
    TWidths &cache = m_widthCache[PixelHeight * 2 + (Bold ? 1 : 0)];
    const auto it = cache.find(Text);
    if (it != cache.end())
        return *it;
    const QString text = Text.toString();
    const int width = QFontMetrics(PieceFont(PixelHeight, Bold)).horizontalAdvance(text);
    return *cache.emplace(text, width).first;
}

int TPolynomImage::TextWidth(QStringView Text, int PixelHeight, bool Bold) const
{
    return Measured(Text, PixelHeight, Bold).second;
}

int TPolynomImage::TextOut(int X, int Y, QStringView Text, int PixelHeight, bool Bold)
{
    const auto &[text, width] = Measured(Text, PixelHeight, Bold);
    if (!m_texts.isEmpty() && X < m_texts.last().X)
        m_ascending = false;
    m_widest = std::max(m_widest, width);
    m_texts.append({X, Y, text, PixelHeight, Bold, width});
    // Widths beyond the int range cannot be shown anyway.
    const qint64 right = qint64(X) + width;
    if (right > m_width)
        m_width = int(std::min<qint64>(right, std::numeric_limits<int>::max()));
    return width;
}

void TPolynomImage::Line(int X1, int Y1, int X2, int Y2)
{
    m_lines.append({X1, Y1, X2, Y2});
}

void TPolynomImage::DrawSuperscriptText(int &X, const QString &Text)
{
    const qsizetype caret = Text.indexOf(u'^');
    const QString base = caret < 0 ? Text : Text.left(caret);
    if (!base.isEmpty())
        X += TextOut(X, m_lineTop + 5, base, LargeHeight);
    if (caret >= 0 && caret + 1 < Text.size())
        X += TextOut(X, m_lineTop + 5, Text.mid(caret + 1), SmallHeight);
}

void TPolynomImage::BreakLine(int &X)
{
    m_lineTop += LineHeight;
    m_height = std::max(m_height, m_lineTop + 35);
    X = 5;
}

void TPolynomImage::SetSize(int Width, int Height)
{
    m_width = Width;
    m_height = Height;
}

QString TPolynomImage::PlainText(qsizetype Limit) const
{
    QString s;
    for (const TTextPiece &piece : m_texts) {
        if (Limit >= 0 && s.size() >= Limit)
            return s.left(Limit);
        if (piece.PixelHeight == SmallHeight)
            s += u'^';
        s += piece.Text;
    }
    return Limit >= 0 ? s.left(Limit) : s;
}

void TPolynomImage::Paint(QPainter &Painter, const QRect &Clip, const QColor &TextColour) const
{
    Painter.save();
    Painter.setPen(TextColour);
    int fontKey = -1;
    int ascent = 0;
    auto piece = m_texts.cbegin();
    if (m_ascending)
        piece = std::partition_point(piece, m_texts.cend(),
                                     [&](const TTextPiece &Piece) { return qint64(Piece.X) + m_widest < Clip.left(); });
    for (; piece != m_texts.cend(); ++piece) {
        if (m_ascending && piece->X > Clip.right())
            break;
        // A piece's box never exceeds twice its pixel height.
        const QRect box(piece->X, piece->Y, piece->Width + 1, piece->PixelHeight * 2);
        if (!box.intersects(Clip))
            continue;
        const int key = piece->PixelHeight * 2 + (piece->Bold ? 1 : 0);
        if (key != fontKey) {
            const QFont font = PieceFont(piece->PixelHeight, piece->Bold);
            Painter.setFont(font);
            ascent = QFontMetrics(font).ascent();
            fontKey = key;
        }
        Painter.drawText(piece->X, piece->Y + ascent, piece->Text);
    }
    for (const TLinePiece &line : m_lines)
        Painter.drawLine(line.X1, line.Y1, line.X2, line.Y2);
    Painter.restore();
}

// --------------------------------------------------------------- one term

TClen *TClen::CreateTerm(const TExponents &Exponents, double Coefficient)
{
    return new TClen(Exponents, Coefficient);
}

void TClen::AddCoefficient(double Value)
{
    Coefficient = Checked(Coefficient + Value);
}

void TClen::Parse(const QString &Text, TPolynomVars &Vars)
{
    const qsizetype n = Text.size();
    qsizetype i = 0;
    while (i < n) {
        if (IsNumberChar(Text[i])) {
            qsizetype j = i;
            while (j < n && IsNumberChar(Text[j]))
                ++j;
            const QString run = Text.mid(i, j - i);
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
        const QChar letter = Text[i];
        if (!IsLetter(letter))
            throw EConvertError(QStringLiteral("'%1' is not a valid polynomial term").arg(Text));
        ++i;
        qint32 exponent = 1;
        if (i < n && Text[i] == u'^') {
            ++i;
            qsizetype j = i;
            if (j < n && IsSign(Text[j]))
                ++j;
            while (j < n && IsDigit(Text[j]))
                ++j;
            const QString run = Text.mid(i, j - i);
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
        const int slot = RegisterLetter(Vars, letter);
        Exponents[slot] = IAdd32(Exponents[slot], exponent);
    }
}

bool TClen::HasSameVariables(const TPolynomVars &MyVars, const TPolynomVars &TheirVars,
                             const TExponents &TheirExponents) const
{
    for (int i = 0; i < PolynomVariableCount; ++i) {
        if (TheirVars[i] == FreeSlot)
            continue;
        const int j = SlotOf(MyVars, TheirVars[i]);
        const qint32 mine = j < 0 ? 0 : Exponents[j];
        if (mine != TheirExponents[i])
            return false;
    }
    for (int j = 0; j < PolynomVariableCount; ++j) {
        if (MyVars[j] == FreeSlot || Exponents[j] == 0)
            continue;
        if (SlotOf(TheirVars, MyVars[j]) < 0)
            return false;
    }
    return true;
}

void TClen::MultiplyBy(const TClen &Other, const TPolynomVars &MyVars, const TPolynomVars &OtherVars)
{
    TExponents exponents = Exponents;
    for (int j = 0; j < PolynomVariableCount; ++j) {
        if (Other.Exponents[j] == 0 || OtherVars[j] == FreeSlot)
            continue;
        const int i = SlotOf(MyVars, OtherVars[j]);
        if (i < 0)
            throw ETooManyVariables();
        exponents[i] = IAdd32(exponents[i], Other.Exponents[j]);
    }
    Coefficient = Checked(Coefficient * Other.Coefficient);
    Exponents = exponents;
}

void TClen::AppendText(QString &S, const TPolynomVars &Vars) const
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
        text << Vars[i];
        if (Exponents[i] != 1)
            text << QChar(u'^') << qint64(Exponents[i]);
    }
    if (!letter && IsUnit(Coefficient))
        text << QChar(u'1');
    S += text.View();
}

void TClen::Draw(TPolynomImage &Image, const TPolynomVars &Vars, bool IsFirst, int &X) const
{
    if (Coefficient == 0)
        return;
    const int y = Image.LineTop() + 5;
    const auto piece = [&](QStringView Text, int Height) { X += Image.TextOut(X, y, Text, Height) + 2; };
    TShortText head;
    if (Coefficient >= 0 && !IsFirst)
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
        piece(QStringView(&Vars[i], 1), LargeHeight);
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

quint64 TPolynom::TIndex::Hash(const TExponents &Exponents)
{
    // The five exponents in three words, each multiplied in so that every
    // bit of every exponent reaches the high half, which the fold brings
    // down to the bits the table's mask keeps.
    const auto word = [&](int i) { return quint64(quint32(Exponents[i])) | quint64(quint32(Exponents[i + 1])) << 32; };
    quint64 h = word(0) * 0x9E3779B97F4A7C15ull;
    h = (h ^ word(2)) * 0xC2B2AE3D27D4EB4Full;
    h = (h ^ quint32(Exponents[4])) * 0x165667B19E3779F9ull;
    return h ^ h >> 32;
}

namespace {

bool SameExponents(const TExponents &A, const TExponents &B)
{
    for (int i = 0; i < PolynomVariableCount; ++i)
        if (A[i] != B[i])
            return false;
    return true;
}

} // namespace

TClen *TPolynom::TIndex::Find(const TExponents &Exponents) const
{
    if (m_used == 0)
        return nullptr;
    const quint64 hash = Hash(Exponents);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = std::size_t(hash) & mask;; i = (i + 1) & mask) {
        const TSlot &slot = m_slots[i];
        if (!slot.Term || (slot.Hash == hash && SameExponents(slot.Term->Exponents, Exponents)))
            return slot.Term;
    }
}

void TPolynom::TIndex::Insert(TClen *Term)
{
    // At most half full, so that a search meets a free slot soon.
    if (2 * (m_used + 1) > m_slots.size())
        Resize(std::max<std::size_t>(16, m_slots.size() * 2));
    const quint64 hash = Hash(Term->Exponents);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = std::size_t(hash) & mask;; i = (i + 1) & mask) {
        TSlot &slot = m_slots[i];
        if (!slot.Term) {
            slot = {Term, hash};
            ++m_used;
            return;
        }
        if (slot.Hash == hash && SameExponents(slot.Term->Exponents, Term->Exponents))
            return;
    }
}

void TPolynom::TIndex::Reserve(std::size_t Count)
{
    std::size_t size = std::max<std::size_t>(16, m_slots.size());
    while (size < 2 * Count)
        size *= 2;
    if (size > m_slots.size())
        Resize(size);
}

void TPolynom::TIndex::Resize(std::size_t Size)
{
    std::vector<TSlot> old(Size, TSlot{nullptr, 0});
    old.swap(m_slots);
    const std::size_t mask = Size - 1;
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

void TPolynom::TIndex::Swap(TIndex &Other) noexcept
{
    m_slots.swap(Other.m_slots);
    std::swap(m_used, Other.m_used);
}

TPolynom::TPolynom()
{
    ResetVariables(Vars);
}

TPolynom::~TPolynom()
{
    Clear();
}

TPolynom::TPolynom(const TPolynom &Source) : TPolynom()
{
    Assign(Source);
}

TPolynom &TPolynom::operator=(const TPolynom &Source)
{
    Assign(Source);
    return *this;
}

void TPolynom::Swap(TPolynom &Other) noexcept
{
    std::swap(First, Other.First);
    std::swap(Last, Other.Last);
    std::swap(Vars, Other.Vars);
    std::swap(m_count, Other.m_count);
    m_index.Swap(Other.m_index);
    std::swap(m_indexValid, Other.m_indexValid);
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

void TPolynom::Assign(const TPolynom &Source)
{
    if (&Source == this)
        return;
    TPolynom copy;
    copy.Vars = Source.Vars;
    for (const TClen *term = Source.First; term; term = term->Next)
        copy.Append(new TClen(term->Exponents, term->Coefficient));
    Swap(copy);
}

void TPolynom::LinkTerm(TClen *Term)
{
    if (m_count >= TermLimit) {
        delete Term;
        throw EPolynomTooLarge();
    }
    LinkAtEnd(First, Last, Term);
    ++m_count;
    if (m_indexValid)
        m_index.Insert(Term);
}

void TPolynom::Append(TClen *Term)
{
    LinkTerm(Term);
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

TClen *TPolynom::FindOwn(const TExponents &Exponents) const
{
    EnsureIndex();
    return m_index.Find(Exponents);
}

void TPolynom::AddOwn(const TExponents &Exponents, double Coefficient)
{
    if (TClen *term = FindOwn(Exponents))
        term->AddCoefficient(Coefficient);
    else
        Append(new TClen(Exponents, Coefficient));
}

void TPolynom::ResetVariables(TPolynomVars &Vars)
{
    Vars.fill(FreeSlot);
}

int TPolynom::LetterCount(const QString &Text)
{
    std::bitset<26> letters;
    for (QChar c : Text)
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

TClen *TPolynom::FindTerm(const TPolynomVars &Vars, const TExponents &Exponents) const
{
    if (Vars == this->Vars)
        return FindOwn(Exponents);
    TExponents own{};
    for (int j = 0; j < PolynomVariableCount; ++j) {
        if (Exponents[j] == 0 || Vars[j] == FreeSlot)
            continue;
        const int i = SlotOf(this->Vars, Vars[j]);
        if (i < 0)
            return nullptr; // a letter no term of ours has
        own[i] = IAdd32(own[i], Exponents[j]);
    }
    return FindOwn(own);
}

void TPolynom::AddMonomial(const TExponents &Exponents, const TPolynomVars &Vars, double Coefficient)
{
    if (!First) {
        this->Vars = Vars;
        Append(new TClen(Exponents, Coefficient));
        return;
    }
    AddTerm(TClen(Exponents, Coefficient), Vars);
}

void TPolynom::AddTerm(const TClen &Term, const TPolynomVars &Vars)
{
    if (Vars == this->Vars) {
        AddOwn(Term.Exponents, Term.Coefficient);
        return;
    }
    TPolynomVars table = this->Vars;
    const TExponents own = Translate(Term.Exponents, Vars, table);
    this->Vars = table;
    AddOwn(own, Term.Coefficient);
}

void TPolynom::Parse(const QString &Text, const TPolynomVars &Vars, bool Negate, bool ClearFirst)
{
    // Built aside, so that a text that fails halfway leaves the polynomial
    // as it was.
    TPolynom work;
    if (ClearFirst || !First) {
        work.Vars = Vars;
    } else {
        work.Assign(*this);
        for (QChar letter : Vars)
            if (letter != FreeSlot)
                RegisterLetter(work.Vars, letter);
    }
    QString s = Text;
    s.remove(u' ');
    const qsizetype n = s.size();
    qsizetype start = 0;
    for (qsizetype i = 1; i <= n; ++i) {
        if (i < n && !(IsSign(s[i]) && s[i - 1] != u'^'))
            continue;
        CheckStop();
        TClen term;
        term.Parse(s.mid(start, i - start), work.Vars);
        if (Negate)
            term.Coefficient = -term.Coefficient;
        work.AddOwn(term.Exponents, term.Coefficient);
        start = i;
    }
    Swap(work);
}

bool TPolynom::CheckSyntax(const QString &Text)
{
    const TCharSet allowed = PolynomCharSet();
    for (QChar c : Text)
        if (!allowed.Contains(c))
            return false;
    // Blanks are ignored by the parser, so the rules apply to the text
    // without them: "2 ^3" is as wrong as "2^3".
    QString s = Text;
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

int TPolynom::IndexOfVariable(QChar Letter) const
{
    return SlotOf(Vars, Letter);
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

void TPolynom::SortByVariable(int Slot)
{
    if (Slot < 0 || Slot >= PolynomVariableCount)
        throw ERangeError();
    std::vector<TClen *> terms;
    terms.reserve(std::size_t(m_count));
    for (TClen *term = First; term; term = term->Next)
        terms.push_back(term);
    // Stable: like terms keep their order, so the index (the first term of
    // each monomial) stays right.
    std::stable_sort(terms.begin(), terms.end(),
                     [Slot](const TClen *a, const TClen *b) { return a->Exponents[Slot] > b->Exponents[Slot]; });
    First = Last = nullptr;
    for (TClen *term : terms)
        LinkAtEnd(First, Last, term);
}

namespace {

// For each slot of From: the slot of its letter in To (given a free one when
// a nonzero term uses it), or -1 when no term uses it.
std::array<int, PolynomVariableCount> MapUsedLetters(const TPolynom &From, TPolynomVars &To)
{
    std::array<bool, PolynomVariableCount> used{};
    for (const TClen *term = From.First; term; term = term->Next)
        if (term->Coefficient != 0)
            for (int j = 0; j < PolynomVariableCount; ++j)
                used[j] = used[j] || term->Exponents[j] != 0;
    std::array<int, PolynomVariableCount> map;
    for (int j = 0; j < PolynomVariableCount; ++j)
        map[j] = used[j] && From.Vars[j] != FreeSlot ? RegisterLetter(To, From.Vars[j]) : -1;
    return map;
}

TExponents Mapped(const TExponents &Exponents, const std::array<int, PolynomVariableCount> &Map, const TExponents &Base)
{
    TExponents r = Base;
    for (int j = 0; j < PolynomVariableCount; ++j)
        if (Exponents[j] != 0 && Map[j] >= 0)
            r[Map[j]] = IAdd32(r[Map[j]], Exponents[j]);
    return r;
}

} // namespace

void TPolynom::Multiply(const TPolynom &A, const TPolynom &B, TPolynom &R)
{
    qint64 budget = ProductLimit;
    MultiplyWithin(A, B, R, budget);
}

void TPolynom::MultiplyWithin(const TPolynom &A, const TPolynom &B, TPolynom &R, qint64 &Budget)
{
    Budget -= qint64(A.Count()) * B.Count();
    if (Budget < 0)
        throw EPolynomTooLarge();
    TPolynom out;
    // The product takes over R's index memory: a power's steps then fill
    // memory they have used before instead of new pages.
    if (&R != &A && &R != &B) {
        out.m_index.Swap(R.m_index);
        out.m_index.Clear();
        R.m_indexValid = false;
    }
    // A product has no fewer monomials than its larger factor: room for
    // them from the start.
    out.m_index.Reserve(std::size_t(std::max(A.Count(), B.Count())));
    out.Vars = A.Vars;
    const auto map = MapUsedLetters(B, out.Vars);
    for (const TClen *a = A.First; a; a = a->Next) {
        if (a->Coefficient == 0)
            continue;
        for (const TClen *b = B.First; b; b = b->Next) {
            if (b->Coefficient == 0)
                continue;
            CheckStop();
            out.AddOwn(Mapped(b->Exponents, map, a->Exponents), Checked(a->Coefficient * b->Coefficient));
        }
    }
    R.Swap(out);
}

void TPolynom::Power(int N)
{
    if (N < 0 || N > 255)
        throw ERangeError();
    if (N == 0) {
        Clear();
        Append(new TClen());
        return;
    }
    if (N == 1)
        return;
    // One budget for all the steps: the power as a whole must end soon.
    qint64 budget = ProductLimit;
    TPolynom a(*this);
    TPolynom b;
    for (int i = 2; i <= N; ++i) {
        MultiplyWithin(*this, a, b, budget);
        a.Swap(b);
    }
    Swap(a);
}

void TPolynom::Divide(const TPolynom &A, const TPolynom &B, TPolynom &R, TPolynom &Q)
{
    if (B.IsZero())
        throw EDivByZero();
    TPolynomVars table = A.Vars;
    const auto map = MapUsedLetters(B, table);
    // The letter divided in: B's first; all slots are equal for a constant.
    int letter = B.Vars[0] == FreeSlot ? -1 : SlotOf(table, B.Vars[0]);
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
    const auto greater = [order](const TExponents &a, const TExponents &b) {
        for (int k : order)
            if (a[k] != b[k])
                return a[k] > b[k];
        return false;
    };

    std::vector<std::pair<TExponents, double>> divisor;
    for (const TClen *b = B.First; b; b = b->Next)
        if (b->Coefficient != 0)
            divisor.emplace_back(Mapped(b->Exponents, map, TExponents{}), b->Coefficient);
    std::size_t leadIndex = 0;
    for (std::size_t k = 1; k < divisor.size(); ++k)
        if (greater(divisor[k].first, divisor[leadIndex].first))
            leadIndex = k;
    const TExponents lead = divisor[leadIndex].first;
    const double leadCoefficient = divisor[leadIndex].second;

    std::map<TExponents, double, decltype(greater)> rest(greater);
    for (const TClen *a = A.First; a; a = a->Next)
        if (a->Coefficient != 0) {
            double &c = rest[a->Exponents];
            c = Checked(c + a->Coefficient);
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
    R.Swap(remainder);
    Q.Swap(quotient);
}

void TPolynom::Draw(TPolynomImage &Image, int &X, bool ClearFirst, const QString &Prefix)
{
    RemoveLeadingZeroTerms();
    if (ClearFirst) {
        Image.Clear();
        X = 5;
    }
    if (!Prefix.isEmpty())
        X += Image.TextOut(X, Image.LineTop() + 5, Prefix, LargeHeight);
    bool drawn = false;
    for (const TClen *term = First; term; term = term->Next) {
        if (term->Coefficient == 0)
            continue;
        CheckStop();
        term->Draw(Image, Vars, !drawn, X);
        drawn = true;
    }
    if (!drawn)
        X += Image.TextOut(X, Image.LineTop() + 5, QStringLiteral("0"), LargeHeight) + 2;
}

THornerScheme TPolynom::HornerScheme(Extended X0) const
{
    THornerScheme scheme;
    scheme.Point = X0;
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
            const Extended product = FMul(b[i + 1], X0);
            b[i] = FAdd(product, c[i]);
            pass.Products.push_back(product);
            pass.Values.push_back(b[i]);
        }
        scheme.Passes.push_back(pass);
        c = b;
    }
    return scheme;
}

void TPolynom::DrawHornerScheme(TPolynomImage &Image, Extended X0) const
{
    const THornerScheme scheme = HornerScheme(X0);
    if (scheme.Coefficients.empty())
        return;
    const int n = int(scheme.Coefficients.size());
    Image.Clear();
    const QString point = FormatPolynomNumber(X0);
    const int w = std::min(255, Image.TextWidth(point, HornerHeight) + 8);
    // Columns are 60 pixels wide unless a number needs more.
    int widest = 0;
    const auto measure = [&](const std::vector<Extended> &Numbers) {
        for (Extended v : Numbers)
            widest = std::max(widest, Image.TextWidth(FormatPolynomNumber(v), HornerHeight, true));
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
        Image.TextOut(columnEnd(i) - Image.TextWidth(text, HornerHeight, bold), y, text, HornerHeight, bold);
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
        Image.Line(w + 5, 5, w + 5, y);
        y -= 38;
        Image.TextOut(9, y, point, HornerHeight);
        for (int j = 0; j < int(pass.Products.size()); ++j)
            number(n - 2 - j, y, pass.Products[j], false);
        y += 20;
        for (int j = 0; j < int(pass.Values.size()); ++j)
            number(n - 1 - j, y, pass.Values[j], n - 1 - j == k);
        y -= 2;
        Image.Line(5, y, columnEnd(k) + 4, y);
    }
    Image.SetSize(std::max(width, Image.Width()), height);
}
