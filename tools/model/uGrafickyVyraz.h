#pragma once
// An expression text laid out and drawn the way it is written on paper:
// fractions stacked over a bar, exponents raised in a smaller font,
// fractional powers as root signs with an index, round brackets drawn as
// arcs that grow with their content, function names on the line of their
// argument and operator signs centred between their operands.
//
// The text is parsed by the expression tree (TVyraz) with its bracket groups
// kept; each node of the tree is a TGrafickyVyraz box:
//     auto formula = TGrafickyVyraz::Create(Text, 5, 5, 16); // EVyrazError
//     formula->Measure(Metrics);
//     formula->Draw(Painter, Metrics);
//
// Geometry is in device-independent pixels, with int coordinates. Every
// node has a box (X, Y, Width, Height) and a sign line TextY: the offset
// below the node's own Y at which a text of the node's font stands so that
// it lines up with the node (the top of a leaf, the line of a base, a
// fraction's bar less half a text height). Operators put their sign there
// and line up their operands on it; functions, factorials and percents draw
// their name or sign there.
//
// Measuring and drawing walk the tree with explicit stacks, so a deep tree
// costs no stack depth; each node is placed once, so the layout is linear in
// the number of nodes.
#include "tools/model/uVyraz.h"

#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QString>

#include <map>
#include <memory>

class QPainter;

// Text sizes for the layout, in device-independent pixels, at a font size
// in points. Tests give fixed sizes; the preview measures its font.
class TTextMetrics
{
public:
    virtual ~TTextMetrics() = default;
    virtual int TextWidth(const QString &text, int fontSize) const = 0;
    // The height of a line of text, whatever its characters.
    virtual int TextHeight(const QString &text, int fontSize) const = 0;
    // The font that drawing uses at FontSize.
    virtual QFont Font(int fontSize) const = 0;
};

// The sans font that fontconfig chooses, at 96 pixels per inch whatever the
// screen, so that a formula keeps its geometry on every display and is drawn
// sharp on a high-density one.
class TFontTextMetrics : public TTextMetrics
{
public:
    TFontTextMetrics();
    explicit TFontTextMetrics(const QFont &base);

    int TextWidth(const QString &text, int fontSize) const override;
    int TextHeight(const QString &text, int fontSize) const override;
    QFont Font(int fontSize) const override;

    // The sans font of the system, as fontconfig resolves "sans-serif".
    static QFont SansFont();
    // Points to pixels at 96 pixels per inch, rounded.
    static int PixelSize(int fontSize);

private:
    const QFontMetrics &MetricsAt(int fontSize) const;

    QFont m_base;
    mutable std::map<int, QFontMetrics> m_cache;
};

class TGrafickyVyraz : public TVyraz
{
public:
    static constexpr int MinFontSize = 8;
    // The largest width or height a formula may have.
    static constexpr int MaxExtent = 1 << 24;

    // An empty node at (0, 0), font size MinFontSize.
    TGrafickyVyraz();
    ~TGrafickyVyraz() override;

    // The tree of Text with its root at (X, Y) in a font of FontSize points
    // (at least MinFontSize). Every node starts at (X, Y); Measure places
    // them. EVyrazError when Text is malformed.
    static std::unique_ptr<TGrafickyVyraz> Create(const QString &text, int x, int y, int fontSize);

    // Sizes every node of the tree and places it inside its parent's box;
    // the root keeps its X and Y. EVyrazError (TooLong) when the formula
    // would be wider or higher than MaxExtent.
    void Measure(const TTextMetrics &metrics);
    // Draws the measured tree; with a Clip rectangle only the nodes whose
    // boxes come near it. The painter's font, pen and brush are restored.
    void Draw(QPainter &painter, const TTextMetrics &metrics, const QRect &clip = QRect()) const;
    // Moves the node and its whole subtree.
    void MoveBy(int dx, int dy);

    int X() const { return m_x; }
    int Y() const { return m_y; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int TextY() const { return m_textY; }
    int FontSize() const { return m_fontSize; }
    QRect Box() const { return QRect(m_x, m_y, m_width, m_height); }
    const TGrafickyVyraz *Parent() const { return m_parent; }
    const TGrafickyVyraz *Left() const { return static_cast<const TGrafickyVyraz *>(TVyraz::Left()); }
    const TGrafickyVyraz *Right() const { return static_cast<const TGrafickyVyraz *>(TVyraz::Right()); }

    // A bracket group that is the numerator or denominator of a fraction:
    // the bar separates the parts, so its brackets are not drawn.
    bool IsBareGroup() const { return m_bare; }
    // A power whose exponent is a bracketed fraction a/b, drawn as the b-th
    // root of the base raised to a.
    bool IsRootForm() const;
    // The numerator and denominator of a root form's exponent (nullptr for
    // any other node).
    const TGrafickyVyraz *RootNumerator() const;
    const TGrafickyVyraz *RootIndex() const;

    // A root sign whose top-left corner is (X, Y): a tick at half of the
    // height H under an index IndexWidth wide, a down stroke, an up stroke
    // and a bar over W pixels of content.
    static void DrawRootSign(QPainter &painter, int x, int y, int h, int w, int indexWidth);
    // "(" whose leftmost point is X, as the left quarter of the circle in
    // the square (X, Y)-(X + S, Y + S).
    static void DrawLeftBracket(QPainter &painter, int x, int y, int s);
    // ")" for content H high whose top is Y, its ends near X.
    static void DrawRightBracket(QPainter &painter, int x, int y, int h);
    // Both brackets around content at (X, Y), W wide and H high.
    static void DrawBrackets(QPainter &painter, int x, int y, int w, int h);

protected:
    std::unique_ptr<TVyraz> NewNode() const override;

private:
    TGrafickyVyraz *MutableLeftNode() { return static_cast<TGrafickyVyraz *>(MutableLeft()); }
    TGrafickyVyraz *MutableRightNode() { return static_cast<TGrafickyVyraz *>(MutableRight()); }
    // Parents, font sizes and bare groups of a freshly parsed tree.
    void Prepare(int fontSize);
    // This node's size and its children's places, from its measured children.
    void MeasureNode(const TTextMetrics &metrics);
    void MeasureOperator(const TTextMetrics &metrics);
    void MeasurePower();
    void DrawNode(QPainter &painter, const TTextMetrics &metrics) const;
    // Children offsets are kept relative to the parent until the root's
    // measure turns them into positions.
    void PlaceChildren();
    // The node a bare group stands for: its content.
    const TGrafickyVyraz *Content() const;
    bool IsTextLeaf(const char *s) const;

    int m_x = 0;
    int m_y = 0;
    int m_textY = 0;
    int m_width = 0;
    int m_height = 0;
    int m_fontSize = MinFontSize;
    bool m_bare = false;
    TGrafickyVyraz *m_parent = nullptr;
};
