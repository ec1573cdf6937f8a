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
    TPolynomLimitScope(int maxTerms, qint64 maxProducts);
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
    explicit TPolynomStopScope(const std::atomic<bool> &flag);
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
QString FormatPolynomNumber(Extended value);

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
    void Clear(int width = 10, int height = 35);
    // Writes Text at (X, Y) and widens the picture to hold it; returns its width.
    int TextOut(int x, int y, QStringView text, int pixelHeight, bool bold = false);
    int TextWidth(QStringView text, int pixelHeight, bool bold = false) const;
    void Line(int x1, int y1, int x2, int y2);
    // Text up to its first "^" written large and the rest small (raised),
    // both at the top of the line from X, which advances past them.
    void DrawSuperscriptText(int &x, const QString &text);
    // Where the line that polynomials are drawn on starts: the first line's
    // texts stand at y = 5, each further line 30 pixels lower.
    int LineTop() const { return m_lineTop; }
    // Continues below the lines drawn so far, from the left margin (X = 5);
    // the picture grows to hold the new line.
    void BreakLine(int &x);
    void SetSize(int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    const QList<TTextPiece> &Texts() const { return m_texts; }
    const QList<TLinePiece> &Lines() const { return m_lines; }
    bool IsEmpty() const { return m_texts.isEmpty() && m_lines.isEmpty(); }
    // The texts joined in drawing order (for reading what was drawn), at
    // most the first Limit characters of them when Limit is not negative.
    QString PlainText(qsizetype limit = -1) const;

    // The family every piece is written in.
    void SetFontFamily(const QString &family);
    QFont PieceFont(int pixelHeight, bool bold) const;

    // Paints the pieces that meet Clip (background not included).
    void Paint(QPainter &painter, const QRect &clip, const QColor &textColour) const;

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
        std::size_t operator()(QStringView text) const noexcept { return qHash(text); }
    };
    using TWidths = std::unordered_map<QString, int, TViewHash, std::equal_to<>>;
    mutable std::unordered_map<int, TWidths> m_widthCache;
    // The cached text and its width.
    const TWidths::value_type &Measured(QStringView text, int pixelHeight, bool bold) const;
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
    TClen(const TExponents &exponents, double coefficient) : Coefficient(coefficient), Exponents(exponents) {}
    static TClen *CreateTerm(const TExponents &exponents, double coefficient);

    TClen *GetNext() const { return Next; }
    void SetNext(TClen *value) { Next = value; }
    void SetCoefficient(double value) { Coefficient = value; }
    // Adds Value to the coefficient (EOverflow beyond the double range).
    void AddCoefficient(double value);

    // Reads one term's text (no blanks, no sign inside) into this term: its
    // numbers multiply the coefficient, its letters add to their exponents.
    // New letters take free slots of Vars.
    void Parse(const QString &text, TPolynomVars &vars);
    // Whether this term, read through MyVars, is the same monomial as
    // TheirExponents read through TheirVars (a letter one table lacks counts
    // as exponent 0).
    bool HasSameVariables(const TPolynomVars &myVars, const TPolynomVars &theirVars,
                          const TExponents &theirExponents) const;
    // Coefficient times Other's; Other's exponents added letter by letter
    // (every letter of Other with a nonzero exponent must be in MyVars).
    void MultiplyBy(const TClen &other, const TPolynomVars &myVars, const TPolynomVars &otherVars);
    // Appends the term's text: nothing for coefficient 0, else its sign
    // (also "+"), the coefficient unless it is 1 or -1, the letters with
    // "^exponent" unless it is 1, and "1" when no letter was written and the
    // coefficient is 1 or -1.
    void AppendText(QString &s, const TPolynomVars &vars) const;
    // Draws the term at X (advanced past it); the first term's positive sign
    // is left out.
    void Draw(TPolynomImage &image, const TPolynomVars &vars, bool isFirst, int &x) const;

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
    TPolynom(const TPolynom &source);
    TPolynom &operator=(const TPolynom &source);

    void Clear();
    void Swap(TPolynom &other) noexcept;
    // A deep copy of Source's terms and letter table.
    void Assign(const TPolynom &source);
    // Takes Term over and links it at the end, without merging.
    void Append(TClen *term);

    // Adds the terms of Text (blanks ignored; each negated when Negate),
    // merging like terms. With ClearFirst the old terms go and the letter
    // table becomes Vars; otherwise Vars' letters join the table.
    void Parse(const QString &text, const TPolynomVars &vars, bool negate, bool clearFirst);
    // Whether Text is in the notation; the empty text is.
    static bool CheckSyntax(const QString &text);
    static void ResetVariables(TPolynomVars &vars);
    // The number of distinct letters "a".."z" in Text.
    static int LetterCount(const QString &text);
    static TPolynomVars FreshVariables();

    // The first term that is the monomial Exponents of table Vars, or nullptr.
    TClen *FindTerm(const TPolynomVars &vars, const TExponents &exponents) const;
    // Adds Coefficient to the like term, or appends a new one. An empty
    // polynomial takes Vars as its letter table.
    void AddMonomial(const TExponents &exponents, const TPolynomVars &vars, double coefficient);
    void AddTerm(const TClen &term, const TPolynomVars &vars);

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
    int IndexOfVariable(QChar letter) const;
    int Count() const { return m_count; }

    // The terms in list order, one leading "+" dropped; "0" when nothing is
    // written.
    QString ToText() const;
    // Stable sort by descending exponent of Slot (0..4).
    void SortByVariable(int slot);

    // R := A * B.
    static void Multiply(const TPolynom &a, const TPolynom &b, TPolynom &r);
    // Long division of A by B in the letter of B's slot 0 (A's slot 0 when B
    // has no letter): A = Q * B + R. A term that B's leading term cannot
    // divide goes to the remainder. B must not be zero.
    static void Divide(const TPolynom &a, const TPolynom &b, TPolynom &r, TPolynom &quotientOut);
    // Raises the polynomial to the power N (0..255); the power 0 is 1.
    void Power(int n);

    // Draws the polynomial continuing at X (with ClearFirst on a cleared
    // picture at X = 5), after the prefix written large.
    void Draw(TPolynomImage &image, int &x, bool clearFirst, const QString &prefix);
    // The scheme of the polynomial in the letter of slot 0 at X0; empty when
    // no term is nonzero. A nonzero term with a negative exponent raises
    // ERangeError.
    THornerScheme HornerScheme(Extended x0) const;
    void DrawHornerScheme(TPolynomImage &image, Extended x0) const;

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
        TClen *Find(const TExponents &exponents) const;
        // Keeps the term already there for the same exponents.
        void Insert(TClen *term);
        // Empties the index; its memory stays for the next terms.
        void Clear();
        // Room for Count terms without growing.
        void Reserve(std::size_t count);
        void Swap(TIndex &other) noexcept;

    private:
        struct TSlot
        {
            TClen *Term;
            quint64 Hash;
        };
        static quint64 Hash(const TExponents &exponents);
        void Resize(std::size_t size);

        std::vector<TSlot> m_slots;
        std::size_t m_used = 0;
    };

    // Multiply, charging the term products to Budget.
    static void MultiplyWithin(const TPolynom &a, const TPolynom &b, TPolynom &r, qint64 &budget);
    // The like term of Exponents in the own table.
    TClen *FindOwn(const TExponents &exponents) const;
    // Adds to the like term in the own table, or appends.
    void AddOwn(const TExponents &exponents, double coefficient);
    void LinkTerm(TClen *term);
    void EnsureIndex() const;

    int m_count = 0;
    mutable TIndex m_index;
    mutable bool m_indexValid = true;
};
