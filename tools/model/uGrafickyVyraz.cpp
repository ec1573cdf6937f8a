#include "tools/model/uGrafickyVyraz.h"

#include <QList>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QPolygonF>

#include <algorithm>

namespace K = VyrazKind;

namespace {

// Sizes are summed in 64 bits and refused beyond MaxExtent, so that no
// formula wraps a coordinate around.
int Store(qint64 value)
{
    if (value > TGrafickyVyraz::MaxExtent || value < -TGrafickyVyraz::MaxExtent)
        throw EVyrazError(TVyrazFault::TooLong);
    return int(value);
}

QString SignOf(quint8 kind)
{
    switch (kind) {
    case K::Sum:
        return QStringLiteral("+");
    case K::Difference:
        return QStringLiteral("-");
    case K::Product:
        // The product is written as a raised dot.
        return QStringLiteral(".");
    case K::Factorial:
        return QStringLiteral("!");
    case K::Percent:
        return QStringLiteral("%");
    default:
        return QString();
    }
}

// Lines and arcs one pixel wide, on pixel centres so that they stay sharp.
QPointF Centre(qint64 x, qint64 y)
{
    return QPointF(double(x) + 0.5, double(y) + 0.5);
}

} // namespace

// ------------------------------------------------------------ text metrics

TFontTextMetrics::TFontTextMetrics() : TFontTextMetrics(SansFont()) {}

TFontTextMetrics::TFontTextMetrics(const QFont &base) : m_base(base) {}

QFont TFontTextMetrics::SansFont()
{
    QFont font(QStringLiteral("sans-serif"));
    font.setStyleHint(QFont::SansSerif);
    return font;
}

int TFontTextMetrics::PixelSize(int fontSize)
{
    return (std::max(fontSize, 1) * 96 + 36) / 72;
}

QFont TFontTextMetrics::Font(int fontSize) const
{
    QFont font = m_base;
    font.setPixelSize(PixelSize(fontSize));
    return font;
}

const QFontMetrics &TFontTextMetrics::MetricsAt(int fontSize) const
{
    auto it = m_cache.find(fontSize);
    if (it == m_cache.end())
        it = m_cache.emplace(fontSize, QFontMetrics(Font(fontSize))).first;
    return it->second;
}

int TFontTextMetrics::TextWidth(const QString &text, int fontSize) const
{
    return MetricsAt(fontSize).horizontalAdvance(text);
}

int TFontTextMetrics::TextHeight(const QString &, int fontSize) const
{
    return MetricsAt(fontSize).height();
}

// -------------------------------------------------------------------- tree

TGrafickyVyraz::TGrafickyVyraz() = default;

TGrafickyVyraz::~TGrafickyVyraz() = default;

std::unique_ptr<TVyraz> TGrafickyVyraz::NewNode() const
{
    return std::make_unique<TGrafickyVyraz>();
}

std::unique_ptr<TGrafickyVyraz> TGrafickyVyraz::Create(const QString &text, int x, int y, int fontSize)
{
    auto root = std::make_unique<TGrafickyVyraz>();
    root->m_x = x;
    root->m_y = y;
    root->Parse(text, K::Root, true);
    root->Prepare(std::clamp(fontSize, MinFontSize, 127));
    return root;
}

void TGrafickyVyraz::Prepare(int fontSize)
{
    m_fontSize = fontSize;
    m_parent = nullptr;
    m_bare = false;
    QList<TGrafickyVyraz *> pending{this};
    while (!pending.isEmpty()) {
        TGrafickyVyraz *node = pending.takeLast();
        for (TGrafickyVyraz *child : {node->MutableLeftNode(), node->MutableRightNode()}) {
            if (!child)
                continue;
            child->m_parent = node;
            child->m_fontSize = node->m_fontSize;
            child->m_x = node->m_x;
            child->m_y = node->m_y;
            // The bar of a fraction separates its parts: brackets around a
            // whole part are not drawn.
            child->m_bare = node->Kind() == K::Quotient && child->Kind() == K::Group;
            pending.append(child);
        }
        if (node->Kind() == K::Power && node->Right())
            node->MutableRightNode()->m_fontSize = std::max(MinFontSize, node->m_fontSize * 2 / 3);
    }
}

const TGrafickyVyraz *TGrafickyVyraz::Content() const
{
    return m_bare && Left() ? Left() : this;
}

bool TGrafickyVyraz::IsTextLeaf(const char *s) const
{
    const TGrafickyVyraz *content = Content();
    return content->Kind() == K::Leaf && content->Text() == QLatin1String(s);
}

bool TGrafickyVyraz::IsRootForm() const
{
    return Kind() == K::Power && Right() && Right()->Kind() == K::Group && Right()->Left()
           && Right()->Left()->Kind() == K::Quotient;
}

const TGrafickyVyraz *TGrafickyVyraz::RootNumerator() const
{
    return IsRootForm() ? Right()->Left()->Left() : nullptr;
}

const TGrafickyVyraz *TGrafickyVyraz::RootIndex() const
{
    return IsRootForm() ? Right()->Left()->Right() : nullptr;
}

void TGrafickyVyraz::MoveBy(int dx, int dy)
{
    QList<TGrafickyVyraz *> pending{this};
    while (!pending.isEmpty()) {
        TGrafickyVyraz *node = pending.takeLast();
        node->m_x += dx;
        node->m_y += dy;
        for (TGrafickyVyraz *child : {node->MutableLeftNode(), node->MutableRightNode()})
            if (child)
                pending.append(child);
    }
}

// --------------------------------------------------------------- measuring

void TGrafickyVyraz::Measure(const TTextMetrics &metrics)
{
    // Parents come before their children in this order; measuring it
    // backwards measures every child before its parent.
    QList<TGrafickyVyraz *> order;
    QList<TGrafickyVyraz *> pending{this};
    while (!pending.isEmpty()) {
        TGrafickyVyraz *node = pending.takeLast();
        order.append(node);
        for (TGrafickyVyraz *child : {node->MutableLeftNode(), node->MutableRightNode()})
            if (child)
                pending.append(child);
    }
    for (qsizetype i = order.size() - 1; i >= 0; --i)
        order[i]->MeasureNode(metrics);
    // Offsets inside the parents become positions, parents first.
    for (qsizetype i = 1; i < order.size(); ++i) {
        TGrafickyVyraz *node = order[i];
        node->m_x += node->m_parent->m_x;
        node->m_y += node->m_parent->m_y;
    }
}

// While measuring, a child's X and Y are its offset inside this node.
void TGrafickyVyraz::MeasureNode(const TTextMetrics &metrics)
{
    TGrafickyVyraz *left = MutableLeftNode();
    TGrafickyVyraz *right = MutableRightNode();
    for (TGrafickyVyraz *child : {left, right})
        if (child)
            child->m_x = child->m_y = 0;
    m_textY = 0;

    switch (Kind()) {
    case K::Leaf:
        m_width = Store(metrics.TextWidth(Text(), m_fontSize));
        m_height = Store(metrics.TextHeight(Text(), m_fontSize));
        break;
    case K::Group:
        if (m_bare) {
            m_width = left->m_width;
            m_height = left->m_height;
        } else {
            // Each bracket takes a fifth of the content's height and 2 pixels.
            const qint64 h = left->m_height;
            left->m_x = Store(h / 5 + 2);
            m_width = Store(left->m_width + h * 2 / 5 + 4);
            m_height = left->m_height;
        }
        m_textY = left->m_textY;
        break;
    case K::Function: {
        const qint64 name = qint64(metrics.TextWidth(Text(), m_fontSize)) + 2;
        right->m_x = Store(name);
        m_width = Store(right->m_width + name);
        m_height = right->m_height;
        m_textY = right->m_textY;
        break;
    }
    case K::Quotient: {
        right->m_y = Store(qint64(left->m_height) + 4);
        m_width = Store(qint64(std::max(left->m_width, right->m_width)) + 8);
        m_height = Store(qint64(left->m_height) + right->m_height + 4);
        left->m_x = (m_width - left->m_width) / 2;
        right->m_x = (m_width - right->m_width) / 2;
        // A sign beside a fraction stands on its bar.
        m_textY = Store(qint64(left->m_height) + 2 - metrics.TextHeight(QStringLiteral("-"), m_fontSize) / 2);
        break;
    }
    case K::Sum:
    case K::Difference:
    case K::Product:
        MeasureOperator(metrics);
        break;
    case K::Power:
        MeasurePower();
        break;
    case K::Factorial:
    case K::Percent: {
        const qint64 gap = qint64(metrics.TextWidth(SignOf(Kind()), m_fontSize)) + 2;
        m_width = Store(left->m_width + gap);
        m_height = left->m_height;
        m_textY = left->m_textY;
        break;
    }
    default:
        m_width = m_height = 0;
        break;
    }
}

void TGrafickyVyraz::MeasureOperator(const TTextMetrics &metrics)
{
    TGrafickyVyraz *left = MutableLeftNode();
    TGrafickyVyraz *right = MutableRightNode();
    const qint64 gap = qint64(metrics.TextWidth(SignOf(Kind()), m_fontSize)) + 10;
    right->m_x = Store(left->m_width + gap);
    m_width = Store(left->m_width + gap + right->m_width);
    // The operand whose sign line lies higher moves down to the other's.
    const qint64 shift = qint64(left->m_textY) - right->m_textY;
    if (shift < 0) {
        left->m_y = Store(-shift);
        m_textY = right->m_textY;
    } else {
        right->m_y = Store(shift);
        m_textY = left->m_textY;
    }
    m_height = Store(std::max(qint64(left->m_y) + left->m_height, qint64(right->m_y) + right->m_height));
}

void TGrafickyVyraz::MeasurePower()
{
    TGrafickyVyraz *base = MutableLeftNode();
    TGrafickyVyraz *exponent = MutableRightNode();

    // The exponent at the base's upper right, the base lowered so that the
    // exponent stands on its upper half.
    auto raise = [base](const TGrafickyVyraz *raised) -> qint64 {
        return raised->m_height >= base->m_height / 2 ? raised->m_height - base->m_height / 2 : raised->m_height / 2;
    };

    if (!IsRootForm()) {
        exponent->m_x = Store(qint64(base->m_width) + 2);
        base->m_y = Store(raise(exponent));
        m_width = Store(qint64(exponent->m_width) + base->m_width + 2);
        m_height = Store(qint64(base->m_height) + base->m_y);
        m_textY = Store(qint64(base->m_y) + base->m_textY);
        return;
    }

    // a/b in the exponent: the b-th root of base^a. The bracket and the
    // fraction of the exponent are not drawn; a and b are placed here.
    TGrafickyVyraz *group = exponent;
    TGrafickyVyraz *fraction = group->MutableLeftNode();
    TGrafickyVyraz *numerator = fraction->MutableLeftNode();
    TGrafickyVyraz *index = fraction->MutableRightNode();
    const bool showNumerator = !numerator->IsTextLeaf("1");
    const bool showRoot = !index->IsTextLeaf("1");
    const bool showIndex = showRoot && !index->IsTextLeaf("2");

    // The content under the sign: the base, with the numerator as its
    // exponent unless it is 1.
    qint64 baseY = 0, numeratorX = base->m_width, contentWidth = base->m_width, contentHeight = base->m_height;
    if (showNumerator) {
        baseY = raise(numerator);
        numeratorX = qint64(base->m_width) + 2;
        contentWidth = numeratorX + numerator->m_width;
        contentHeight = base->m_height + baseY;
    }

    qint64 contentX = 0, contentY = 0, signTop = 0, indexY = 0;
    if (!showRoot) {
        m_width = Store(contentWidth);
        m_height = Store(contentHeight);
    } else {
        const qint64 lead = std::max(showIndex ? qint64(index->m_width) : 0, contentHeight / 5);
        const qint64 strokeEnd = lead + contentHeight * 2 / 5;
        // The index stands 2 pixels above the tick at half the sign's
        // height; a tall index pushes the sign down.
        signTop = showIndex ? std::max<qint64>(0, index->m_height + 2 - contentHeight / 2) : 0;
        indexY = showIndex ? signTop + contentHeight / 2 - 2 - index->m_height : signTop;
        contentX = strokeEnd + 2;
        contentY = signTop + 2;
        m_width = Store(contentX + contentWidth + 2);
        m_height = Store(contentY + contentHeight);
    }
    m_textY = Store(contentY + baseY + base->m_textY);

    base->m_x = Store(contentX);
    base->m_y = Store(contentY + baseY);
    // The bracket node marks the top of the sign; the fraction and the
    // parts are placed relative to it.
    group->m_y = Store(signTop);
    fraction->m_x = fraction->m_y = 0;
    numerator->m_x = Store(contentX + numeratorX);
    numerator->m_y = Store(contentY - signTop);
    index->m_x = 0;
    index->m_y = Store(indexY - signTop);
}

// ----------------------------------------------------------------- drawing

void TGrafickyVyraz::Draw(QPainter &painter, const TTextMetrics &metrics, const QRect &clip) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QPen pen(Qt::black, 1);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    int fontSize = -1;

    QList<const TGrafickyVyraz *> pending{this};
    while (!pending.isEmpty()) {
        const TGrafickyVyraz *node = pending.takeLast();
        if (clip.isValid()) {
            // Brackets and signs reach a little beyond a box.
            const int margin = 4 + node->m_height / 8;
            if (!node->Box().adjusted(-margin, -margin, margin, margin).intersects(clip))
                continue;
        }
        if (node->m_fontSize != fontSize) {
            fontSize = node->m_fontSize;
            painter.setFont(metrics.Font(fontSize));
        }
        node->DrawNode(painter, metrics);

        if (node->IsRootForm()) {
            pending.append(node->Left());
            if (!node->RootNumerator()->IsTextLeaf("1"))
                pending.append(node->RootNumerator());
            const TGrafickyVyraz *index = node->RootIndex();
            if (!index->IsTextLeaf("1") && !index->IsTextLeaf("2"))
                pending.append(index);
            continue;
        }
        for (const TGrafickyVyraz *child : {node->Left(), node->Right()})
            if (child)
                pending.append(child);
    }
    painter.restore();
}

void TGrafickyVyraz::DrawNode(QPainter &painter, const TTextMetrics &metrics) const
{
    // Text is placed by its top-left corner.
    auto textOut = [&painter](int x, int y, const QString &s) {
        painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), s);
    };

    switch (Kind()) {
    case K::Leaf:
        textOut(m_x, m_y, Text());
        break;
    case K::Group:
        if (!m_bare)
            DrawBrackets(painter, Left()->m_x - 2, Left()->m_y, Left()->m_width + 2, Left()->m_height);
        break;
    case K::Function:
        textOut(m_x, m_y + m_textY, Text());
        break;
    case K::Sum:
    case K::Difference:
    case K::Product: {
        const QString sign = SignOf(Kind());
        const int width = metrics.TextWidth(sign, m_fontSize);
        const int height = metrics.TextHeight(sign, m_fontSize);
        // Centred in the gap between the operands.
        const int x = int((qint64(m_x) + Left()->m_width + Right()->m_x) / 2) - width / 2;
        int y = m_y + m_textY;
        if (Kind() == K::Product)
            y -= height / 3;
        else if (Left()->Kind() == K::Quotient || Right()->Kind() == K::Quotient)
            y -= height / 7;
        textOut(x, y, sign);
        break;
    }
    case K::Quotient:
        painter.fillRect(QRect(m_x, m_y + Left()->m_height + 2, m_width, 1), painter.pen().color());
        break;
    case K::Power:
        if (IsRootForm() && !RootIndex()->IsTextLeaf("1")) {
            const TGrafickyVyraz *index = RootIndex();
            const bool showIndex = !index->IsTextLeaf("2");
            const int signTop = Right()->m_y;
            const int contentHeight = m_y + m_height - signTop - 2;
            const int lead = std::max(showIndex ? index->m_width : 0, contentHeight / 5);
            const int strokeEnd = lead + contentHeight * 2 / 5;
            DrawRootSign(painter, m_x, signTop, contentHeight, m_width - strokeEnd - 2, showIndex ? index->m_width : 0);
        }
        break;
    case K::Factorial:
    case K::Percent:
        textOut(m_x + Left()->m_width + 2, m_y + m_textY, SignOf(Kind()));
        break;
    default:
        break;
    }
}

void TGrafickyVyraz::DrawRootSign(QPainter &painter, int x, int y, int h, int w, int indexWidth)
{
    const qint64 lead = std::max(indexWidth, h / 5);
    const qint64 strokeEnd = x + lead + qint64(h) * 2 / 5;
    const QPointF stroke[] = {Centre(x, y + h / 2), Centre(x + lead, y + h / 2), Centre(x + lead + h / 5, y + h),
                              Centre(strokeEnd, y)};
    painter.drawPolyline(stroke, 4);
    painter.fillRect(QRect(int(strokeEnd), y, w + 2, 1), painter.pen().color());
}

void TGrafickyVyraz::DrawLeftBracket(QPainter &painter, int x, int y, int s)
{
    painter.drawArc(QRectF(x, y, s, s), 135 * 16, 90 * 16);
}

void TGrafickyVyraz::DrawRightBracket(QPainter &painter, int x, int y, int h)
{
    const int s = h + h * 2 / 5;
    const int x1 = x - s / 2 - s * 7 / 20;
    const int y1 = y - h / 5;
    painter.drawArc(QRectF(x1, y1, s, s), -45 * 16, 90 * 16);
}

void TGrafickyVyraz::DrawBrackets(QPainter &painter, int x, int y, int w, int h)
{
    DrawLeftBracket(painter, x - h / 5, y - h / 5, h + h * 2 / 5);
    DrawRightBracket(painter, x + w, y, h);
}
