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
QAccessibleInterface *CanvasInterface(const QString &Class, QObject *Object)
{
    if (Class == QLatin1String("TExpressionCanvas") && Object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(Object), QAccessible::Graphic);
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

void TExpressionCanvas::Show(const TGrafickyVyraz *Formula, const QString &Note)
{
    Shown = Formula;
    NoteText = Formula ? QString() : Note;
    setAccessibleDescription(Description + (NoteText.isEmpty() ? QString() : u'\n' + NoteText));
    QSize size(0, 0);
    if (Shown)
        size = QSize(Shown->Width(), Shown->Height());
    else if (!NoteText.isEmpty())
        size = QSize(TextMetrics.TextWidth(NoteText, NoteFontSize), TextMetrics.TextHeight(NoteText, NoteFontSize));
    setFixedSize(size + QSize(2 * Margin, 2 * Margin));
    update();
}

void TExpressionCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (Shown) {
        Shown->Draw(painter, TextMetrics, event->rect());
    } else if (!NoteText.isEmpty()) {
        painter.setPen(QColor(80, 80, 80));
        painter.setFont(TextMetrics.Font(NoteFontSize));
        painter.drawText(QPoint(Margin, Margin + painter.fontMetrics().ascent()), NoteText);
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

    Texts.Caption(this, "ExpressionPreviewForm", "Caption")
        .Field(&NoteEmptyOperand, "ExpressionPreviewForm", "NoteEmptyOperand", QStringLiteral("An operand is missing."))
        .Field(&NoteUnclosedBracket, "ExpressionPreviewForm", "NoteUnclosedBracket",
               QStringLiteral("A bracket is not closed."))
        .Field(&NoteUnopenedBracket, "ExpressionPreviewForm", "NoteUnopenedBracket",
               QStringLiteral("A closing bracket has no opening bracket."))
        .Field(&NoteMissingOperator, "ExpressionPreviewForm", "NoteMissingOperator",
               QStringLiteral("An operator is missing between two operands."))
        .Field(&NoteTooLong, "ExpressionPreviewForm", "NoteTooLong",
               QStringLiteral("The expression is too long to draw."))
        .Field(&NoteTooDeep, "ExpressionPreviewForm", "NoteTooDeep",
               QStringLiteral("The expression is nested too deeply to draw."))
        .Field(&NoteCannotDraw, "ExpressionPreviewForm", "NoteCannotDraw",
               QStringLiteral("The expression cannot be drawn."));
    Texts.SetDefaultTexts();
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

void TnahladVyrazuFrm::SetExpression(const QString &Expr)
{
    Text = Expr;
}

void TnahladVyrazuFrm::Redraw()
{
    ui->Image1->Show(nullptr, QString());
    ui->Image1->Description = Text;
    Formula.reset();
    Fault.reset();
    if (!Text.isEmpty()) {
        try {
            auto formula = TGrafickyVyraz::Create(Text, TExpressionCanvas::Margin, TExpressionCanvas::Margin, 16);
            formula->Measure(ui->Image1->Metrics());
            Formula = std::move(formula);
        } catch (const EVyrazError &e) {
            Fault = e.Fault();
        }
    }
    ui->Image1->Show(Formula.get(), Fault ? NoteFor(*Fault) : QString());
}

QString TnahladVyrazuFrm::NoteFor(TVyrazFault Kind) const
{
    switch (Kind) {
    case TVyrazFault::EmptyOperand:
        return NoteEmptyOperand;
    case TVyrazFault::UnmatchedOpening:
        return NoteUnclosedBracket;
    case TVyrazFault::UnmatchedClosing:
        return NoteUnopenedBracket;
    case TVyrazFault::MissingOperator:
        return NoteMissingOperator;
    case TVyrazFault::TooLong:
        return NoteTooLong;
    case TVyrazFault::TooDeep:
        return NoteTooDeep;
    default:
        return NoteCannotDraw;
    }
}

void TnahladVyrazuFrm::TranslateTexts()
{
    Texts.Translate();
    if (Fault)
        ui->Image1->Show(nullptr, NoteFor(*Fault));
}
