#include "tools/fNahladVyrazu.h"
#include "ui_fNahladVyrazu.h"

#include "shell/uAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPaintEvent>
#include <QPainter>

namespace {

// Notes are smaller than the formula and grey, so they read as a remark.
constexpr int NoteFontSize = 12;

// A screen reader meets the drawing as a picture: named as the window, the
// text it shows as its description.
QAccessibleInterface *CanvasInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("TExpressionCanvas") && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

// ------------------------------------------------------------------ canvas

TExpressionCanvas::TExpressionCanvas(QWidget *parent) : QWidget(parent)
{
    static const bool described = (QAccessible::installFactory(&CanvasInterface), true);
    Q_UNUSED(described);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(2 * Margin, 2 * Margin);
}

void TExpressionCanvas::Show(const TGrafickyVyraz *formula, const QString &note)
{
    m_shown = formula;
    m_noteText = formula ? QString() : note;
    setAccessibleDescription(Description + (m_noteText.isEmpty() ? QString() : u'\n' + m_noteText));
    QSize size(0, 0);
    if (m_shown)
        size = QSize(m_shown->Width(), m_shown->Height());
    else if (!m_noteText.isEmpty())
        size = QSize(m_textMetrics.TextWidth(m_noteText, NoteFontSize),
                     m_textMetrics.TextHeight(m_noteText, NoteFontSize));
    setFixedSize(size + QSize(2 * Margin, 2 * Margin));
    update();
}

void TExpressionCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (m_shown) {
        m_shown->Draw(painter, m_textMetrics, event->rect());
    } else if (!m_noteText.isEmpty()) {
        painter.setPen(QColor(80, 80, 80));
        painter.setFont(m_textMetrics.Font(NoteFontSize));
        painter.drawText(QPoint(Margin, Margin + painter.fontMetrics().ascent()), m_noteText);
    }
}

// ------------------------------------------------------------------ window

TnahladVyrazuFrm::TnahladVyrazuFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TnahladVyrazuFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, minimumSize(), true);
    QPalette white = ui->ScrollBox1->palette();
    white.setColor(QPalette::Window, Qt::white);
    ui->ScrollBox1->setPalette(white);
    ui->ScrollBox1->setBackgroundRole(QPalette::Window);
    ui->ScrollBox1->viewport()->setAutoFillBackground(true);

    m_texts.Caption(this, "ExpressionPreviewForm", "Caption")
        .Field(&m_noteEmptyOperand, "ExpressionPreviewForm", "NoteEmptyOperand",
               QStringLiteral("An operand is missing."))
        .Field(&m_noteUnclosedBracket, "ExpressionPreviewForm", "NoteUnclosedBracket",
               QStringLiteral("A bracket is not closed."))
        .Field(&m_noteUnopenedBracket, "ExpressionPreviewForm", "NoteUnopenedBracket",
               QStringLiteral("A closing bracket has no opening bracket."))
        .Field(&m_noteMissingOperator, "ExpressionPreviewForm", "NoteMissingOperator",
               QStringLiteral("An operator is missing between two operands."))
        .Field(&m_noteTooLong, "ExpressionPreviewForm", "NoteTooLong",
               QStringLiteral("The expression is too long to draw."))
        .Field(&m_noteTooDeep, "ExpressionPreviewForm", "NoteTooDeep",
               QStringLiteral("The expression is nested too deeply to draw."))
        .Field(&m_noteCannotDraw, "ExpressionPreviewForm", "NoteCannotDraw",
               QStringLiteral("The expression cannot be drawn."));
    m_texts.SetDefaultTexts();
}

TnahladVyrazuFrm::~TnahladVyrazuFrm()
{
    // The canvas may paint while the window goes: it must not see a freed tree.
    ui->Image1->Show(nullptr, QString());
    delete ui;
}

TExpressionCanvas *TnahladVyrazuFrm::Canvas() const
{
    return ui->Image1;
}

void TnahladVyrazuFrm::SetExpression(const QString &expr)
{
    Text = expr;
}

void TnahladVyrazuFrm::Redraw()
{
    ui->Image1->Show(nullptr, QString());
    ui->Image1->Description = Text;
    m_formula.reset();
    m_fault.reset();
    if (!Text.isEmpty()) {
        try {
            auto formula = TGrafickyVyraz::Create(Text, TExpressionCanvas::Margin, TExpressionCanvas::Margin, 16);
            formula->Measure(ui->Image1->Metrics());
            m_formula = std::move(formula);
        } catch (const EVyrazError &e) {
            m_fault = e.Fault();
        }
    }
    ui->Image1->Show(m_formula.get(), m_fault ? NoteFor(*m_fault) : QString());
}

QString TnahladVyrazuFrm::NoteFor(TVyrazFault kind) const
{
    switch (kind) {
    case TVyrazFault::EmptyOperand:
        return m_noteEmptyOperand;
    case TVyrazFault::UnmatchedOpening:
        return m_noteUnclosedBracket;
    case TVyrazFault::UnmatchedClosing:
        return m_noteUnopenedBracket;
    case TVyrazFault::MissingOperator:
        return m_noteMissingOperator;
    case TVyrazFault::TooLong:
        return m_noteTooLong;
    case TVyrazFault::TooDeep:
        return m_noteTooDeep;
    default:
        return m_noteCannotDraw;
    }
}

void TnahladVyrazuFrm::TranslateTexts()
{
    m_texts.Translate();
    if (m_fault)
        ui->Image1->Show(nullptr, NoteFor(*m_fault));
}
