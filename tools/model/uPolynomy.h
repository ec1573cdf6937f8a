#pragma once
// Polynomials in up to five letters, as the polynomials window types, prints,
// computes and draws them.
//
// A polynomial is a linked list of terms (TClen): a coefficient times letters
// raised to whole powers, possibly negative. Every polynomial has its own
// letter table: slot i holds the letter whose exponent every term keeps in
// Exponents[i]; '#' marks a free slot, and letters take the first free slot
// in the order in which they are first met. Slots are numbered 0..4, as the
// arrays index them; the first slot, 0, holds the letter a division or a
// Horner scheme works in.
//
// The notation: terms such as '5x^3-3x^2+6x', '3x^2y', "xx" (= x^2), 'x^-1',
// '-y', numbers with the current decimal separator, blanks ignored. Powers of
// numbers ('2^3') are not part of it.
//
// Failures are exceptions: EConvertError for text that cannot be read (check
// it with CheckSyntax first), ETooManyVariables for a sixth letter,
// EIntOverflow for an exponent beyond 32 bits, EOverflow for a coefficient
// beyond the double range, EDivByZero for a division by the zero
// polynomial, EPolynomTooLarge for a result too big to work with,
// ERangeError for a slot outside 0..4 or a power outside 0..255, and
// EPolynomStopped when the thread's stop flag (TPolynomStopScope) is set.
#include "core/uCommon.h"
#include "platform/SysUtils.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>

#include <array>
#include <atomic>
#include <cstddef>
#include <unordered_map>
#include <vector>

class QPainter;
class QRect;

inline constexpr int PolynomVariableCount = 5;
// Beyond these sizes a computation is refused with EPolynomTooLarge instead
// of running for minutes or exhausting memory: the terms of one polynomial,
// and the term products of one multiplication, power or division (about a
// second of work).
inline constexpr int MaxPolynomTerms = 100000;
inline constexpr qint64 MaxTermProducts = 10000000;

using TPolynomVars = std::array<QChar, PolynomVariableCount>;
using TExponents = std::array<qint32, PolynomVariableCount>;

class ETooManyVariables : public Exception
{
public:
    ETooManyVariables() : Exception(QStringLiteral("A polynomial can contain at most 5 variables")) {}
};

class EPolynomTooLarge : public Exception
{
public:
    EPolynomTooLarge() : Exception(QStringLiteral("The polynomial would be too large")) {}
};

class EPolynomStopped : public Exception
{
public:
    EPolynomStopped() : Exception(QStringLiteral("The polynomial computation was stopped")) {}
};

// While one lives, this thread's polynomial work is refused with
// EPolynomTooLarge at MaxTerms terms and MaxProducts term products in place
// of MaxPolynomTerms and MaxTermProducts: a fuzzing run that must stay short
// under the sanitizers meets the limits sooner.
class TPolynomLimitScope
{
public:
    TPolynomLimitScope(int MaxTerms, qint64 MaxProducts);
    ~TPolynomLimitScope();
    TPolynomLimitScope(const TPolynomLimitScope &) = delete;
    TPolynomLimitScope &operator=(const TPolynomLimitScope &) = delete;

private:
    int m_terms;
    qint64 m_products;
};

// While one lives, the long loops of this thread's polynomial work (parsing,
// the operations, printing, drawing) throw EPolynomStopped soon after Flag
// becomes true: a computation on a worker thread can be given up.
class TPolynomStopScope
{
public:
    explicit TPolynomStopScope(const std::atomic<bool> &Flag);
    ~TPolynomStopScope();
    TPolynomStopScope(const TPolynomStopScope &) = delete;
    TPolynomStopScope &operator=(const TPolynomStopScope &) = delete;

private:
    const std::atomic<bool> *m_previous;
};

// The characters of the notation: blank, "+", "-", digits, "^", "a".."z" and
// the decimal separator in force now.
TCharSet PolynomCharSet();

// A number as the polynomials print it: up to 15 significant digits, never an
// exponent (so that the text reads back in the notation), the current decimal
// separator, "-" for negative values.
QString FormatPolynomNumber(Extended Value);

// -------------------------------------------------------------- the picture

// What a polynomial or a Horner scheme draws: text pieces and lines, kept as
// a list and painted on demand into the visible part, so that a picture of
// any width costs no bitmap. Positions are pixels from the top-left corner;
// a text's position is its top-left corner.
class TPolynomImage
{
public:
    struct TTextPiece
    {
        int X, Y;
        QString Text;
        int PixelHeight;
        bool Bold;
        int Width;
    };
    struct TLinePiece
    {
        int X1, Y1, X2, Y2;
    };

    TPolynomImage();

    // An empty picture of Width x Height pixels.
    void Clear(int Width = 10, int Height = 35);
    // Writes Text at (X, Y) and widens the picture to hold it; returns its width.
    int TextOut(int X, int Y, QStringView Text, int PixelHeight, bool Bold = false);
    int TextWidth(QStringView Text, int PixelHeight, bool Bold = false) const;
    void Line(int X1, int Y1, int X2, int Y2);
    // Text up to its first "^" written large and the rest small (raised),
    // both at the top of the line from X, which advances past them.
    void DrawSuperscriptText(int &X, const QString &Text);
    // Where the line that polynomials are drawn on starts: the first line's
    // texts stand at y = 5, each further line 30 pixels lower.
    int LineTop() const { return m_lineTop; }
    // Continues below the lines drawn so far, from the left margin (X = 5);
    // the picture grows to hold the new line.
    void BreakLine(int &X);
    void SetSize(int Width, int Height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    const QList<TTextPiece> &Texts() const { return m_texts; }
    const QList<TLinePiece> &Lines() const { return m_lines; }
    bool IsEmpty() const { return m_texts.isEmpty() && m_lines.isEmpty(); }
    // The texts joined in drawing order (for reading what was drawn), at
    // most the first Limit characters of them when Limit is not negative.
    QString PlainText(qsizetype Limit = -1) const;

    // The family every piece is written in.
    void SetFontFamily(const QString &Family);
    QFont PieceFont(int PixelHeight, bool Bold) const;

    // Paints the pieces that meet Clip (background not included).
    void Paint(QPainter &Painter, const QRect &Clip, const QColor &TextColour) const;

private:
    QString m_family;
    int m_width = 10;
    int m_height = 35;
    int m_lineTop = 0;
    QList<TTextPiece> m_texts;
    QList<TLinePiece> m_lines;
    // While every text starts at or right of the one before (as a drawn
    // polynomial's do), painting finds the first text in view by halving.
    bool m_ascending = true;
    int m_widest = 0;
    // Widths measured so far, per font; the same coefficients and exponents
    // recur thousands of times in a large polynomial, and their pieces share
    // the text kept here.
    struct TViewHash
    {
        using is_transparent = void;
        std::size_t operator()(QStringView Text) const noexcept { return qHash(Text); }
    };
    using TWidths = std::unordered_map<QString, int, TViewHash, std::equal_to<>>;
    mutable std::unordered_map<int, TWidths> m_widthCache;
    // The cached text and its width.
    const TWidths::value_type &Measured(QStringView Text, int PixelHeight, bool Bold) const;
};

// A picture of a large polynomial holds hundreds of thousands of pieces: the
// list may move them as plain memory when it grows.
Q_DECLARE_TYPEINFO(TPolynomImage::TTextPiece, Q_RELOCATABLE_TYPE);

// --------------------------------------------------------------- one term

class TClen
{
public:
    // Coefficient 1, every exponent 0.
    TClen() = default;
    TClen(const TExponents &Exponents, double Coefficient) : Coefficient(Coefficient), Exponents(Exponents) {}
    static TClen *CreateTerm(const TExponents &Exponents, double Coefficient);

    TClen *GetNext() const { return Next; }
    void SetNext(TClen *Value) { Next = Value; }
    void SetCoefficient(double Value) { Coefficient = Value; }
    // Adds Value to the coefficient (EOverflow beyond the double range).
    void AddCoefficient(double Value);

    // Reads one term's text (no blanks, no sign inside) into this term: its
    // numbers multiply the coefficient, its letters add to their exponents.
    // New letters take free slots of Vars.
    void Parse(const QString &Text, TPolynomVars &Vars);
    // Whether this term, read through MyVars, is the same monomial as
    // TheirExponents read through TheirVars (a letter one table lacks counts
    // as exponent 0).
    bool HasSameVariables(const TPolynomVars &MyVars, const TPolynomVars &TheirVars,
                          const TExponents &TheirExponents) const;
    // Coefficient times Other's; Other's exponents added letter by letter
    // (every letter of Other with a nonzero exponent must be in MyVars).
    void MultiplyBy(const TClen &Other, const TPolynomVars &MyVars, const TPolynomVars &OtherVars);
    // Appends the term's text: nothing for coefficient 0, else its sign
    // (also "+"), the coefficient unless it is 1 or -1, the letters with
    // "^exponent" unless it is 1, and "1" when no letter was written and the
    // coefficient is 1 or -1.
    void AppendText(QString &S, const TPolynomVars &Vars) const;
    // Draws the term at X (advanced past it); the first term's positive sign
    // is left out.
    void Draw(TPolynomImage &Image, const TPolynomVars &Vars, bool IsFirst, int &X) const;

    TClen *Next = nullptr;
    double Coefficient = 1.0;
    TExponents Exponents{};
};

// ------------------------------------------------------- the Horner scheme

// The repeated division of a one-letter polynomial by (x - Point). Row 0
// holds the coefficients from the highest degree down; pass k holds the
// products written above the line (for the columns n-2 down to k) and the
// new values (columns n-1 down to k), whose last one, Values.last(), is the
// k-th Taylor coefficient at Point (pass 0: the value at Point).
struct THornerScheme
{
    struct TPass
    {
        std::vector<Extended> Products; // column n-2 first
        std::vector<Extended> Values;   // column n-1 first
    };
    Extended Point = 0;
    std::vector<Extended> Coefficients; // column n-1 (highest degree) first
    std::vector<TPass> Passes;
};

// ------------------------------------------------------------- polynomial

class TPolynom
{
public:
    TPolynom();
    ~TPolynom();
    TPolynom(const TPolynom &Source);
    TPolynom &operator=(const TPolynom &Source);

    void Clear();
    void Swap(TPolynom &Other) noexcept;
    // A deep copy of Source's terms and letter table.
    void Assign(const TPolynom &Source);
    // Takes Term over and links it at the end, without merging.
    void Append(TClen *Term);

    // Adds the terms of Text (blanks ignored; each negated when Negate),
    // merging like terms. With ClearFirst the old terms go and the letter
    // table becomes Vars; otherwise Vars' letters join the table.
    void Parse(const QString &Text, const TPolynomVars &Vars, bool Negate, bool ClearFirst);
    // Whether Text is in the notation; the empty text is.
    static bool CheckSyntax(const QString &Text);
    static void ResetVariables(TPolynomVars &Vars);
    // The number of distinct letters "a".."z" in Text.
    static int LetterCount(const QString &Text);
    static TPolynomVars FreshVariables();

    // The first term that is the monomial Exponents of table Vars, or nullptr.
    TClen *FindTerm(const TPolynomVars &Vars, const TExponents &Exponents) const;
    // Adds Coefficient to the like term, or appends a new one. An empty
    // polynomial takes Vars as its letter table.
    void AddMonomial(const TExponents &Exponents, const TPolynomVars &Vars, double Coefficient);
    void AddTerm(const TClen &Term, const TPolynomVars &Vars);

    TClen *FirstNonZeroTerm() const;
    void RemoveLeadingZeroTerms();
    // Every coefficient 0 (also for no terms at all).
    bool IsZero() const;
    // No term with a nonzero coefficient has a negative exponent in slot 0.
    bool HasNoNegativeExponent() const;
    // The largest exponent in slot 0 of a term with a nonzero coefficient, at
    // least 0.
    qint32 MaxExponent() const;
    // The slot of Letter, -1 when the table lacks it.
    int IndexOfVariable(QChar Letter) const;
    int Count() const { return m_count; }

    // The terms in list order, one leading "+" dropped; "0" when nothing is
    // written.
    QString ToText() const;
    // Stable sort by descending exponent of Slot (0..4).
    void SortByVariable(int Slot);

    // R := A * B.
    static void Multiply(const TPolynom &A, const TPolynom &B, TPolynom &R);
    // Long division of A by B in the letter of B's slot 0 (A's slot 0 when B
    // has no letter): A = Q * B + R. A term that B's leading term cannot
    // divide goes to the remainder. B must not be zero.
    static void Divide(const TPolynom &A, const TPolynom &B, TPolynom &R, TPolynom &Q);
    // Raises the polynomial to the power N (0..255); the power 0 is 1.
    void Power(int N);

    // Draws the polynomial continuing at X (with ClearFirst on a cleared
    // picture at X = 5), after the prefix written large.
    void Draw(TPolynomImage &Image, int &X, bool ClearFirst, const QString &Prefix);
    // The scheme of the polynomial in the letter of slot 0 at X0; empty when
    // no term is nonzero. A nonzero term with a negative exponent raises
    // ERangeError.
    THornerScheme HornerScheme(Extended X0) const;
    void DrawHornerScheme(TPolynomImage &Image, Extended X0) const;

    // Change the list only through the operations above: they keep the
    // like-term index in step.
    TClen *First = nullptr;
    TClen *Last = nullptr;
    TPolynomVars Vars;

private:
    // The first term of each monomial by its exponents (products and powers
    // look a term up for every pair of terms): open addressing, each slot
    // with its term's hash, so that neither a search nor a growth visits
    // other terms than the one sought.
    class TIndex
    {
    public:
        TClen *Find(const TExponents &Exponents) const;
        // Keeps the term already there for the same exponents.
        void Insert(TClen *Term);
        // Empties the index; its memory stays for the next terms.
        void Clear();
        // Room for Count terms without growing.
        void Reserve(std::size_t Count);
        void Swap(TIndex &Other) noexcept;

    private:
        struct TSlot
        {
            TClen *Term;
            quint64 Hash;
        };
        static quint64 Hash(const TExponents &Exponents);
        void Resize(std::size_t Size);

        std::vector<TSlot> m_slots;
        std::size_t m_used = 0;
    };

    // Multiply, charging the term products to Budget.
    static void MultiplyWithin(const TPolynom &A, const TPolynom &B, TPolynom &R, qint64 &Budget);
    // The like term of Exponents in the own table.
    TClen *FindOwn(const TExponents &Exponents) const;
    // Adds to the like term in the own table, or appends.
    void AddOwn(const TExponents &Exponents, double Coefficient);
    void LinkTerm(TClen *Term);
    void EnsureIndex() const;

    int m_count = 0;
    mutable TIndex m_index;
    mutable bool m_indexValid = true;
};
