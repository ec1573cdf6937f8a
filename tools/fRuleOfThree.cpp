#include "tools/fRuleOfThree.h"
#include "ui_fRuleOfThree.h"

#include "core/uResultFormater.h"
#include "platform/SysUtils.h"
#include "shell/uAccessibility.h"
#include "tools/uToolControls.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A vertical arrow the height of the two rows, pointing up or down, drawn
// in the colour of the window's text.
QPixmap Arrow(const QSize &size, bool up, const QColor &colour)
{
    const qreal ratio = 2;
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal x = size.width() / 2.0, head = 7, top = 2, bottom = size.height() - 2;
    p.setPen(QPen(colour, 1.5));
    p.drawLine(QPointF(x, up ? top + head : top), QPointF(x, up ? bottom : bottom - head));
    QPainterPath tip;
    if (up) {
        tip.moveTo(x, top);
        tip.lineTo(x - 4.5, top + head + 1);
        tip.lineTo(x + 4.5, top + head + 1);
    } else {
        tip.moveTo(x, bottom);
        tip.lineTo(x - 4.5, bottom - head - 1);
        tip.lineTo(x + 4.5, bottom - head - 1);
    }
    tip.closeSubpath();
    p.fillPath(tip, colour);
    return pixmap;
}

} // namespace

TRuleOfThreeFrm::TRuleOfThreeFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TRuleOfThreeFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, size(), false);
    for (QLabel *arrow : {ui->Image1, ui->Image2, ui->Image3})
        arrow->installEventFilter(this);
    ui->Image3->hide();

    for (QLineEdit *edit : {ui->Edit1, ui->Edit2, ui->Edit3}) {
        HandleEditKeys(edit, TEditTyping::Number, [this] { Button1Click(); });
        connect(edit, &QLineEdit::textChanged, this, [this] {
            m_shownMessage = nullptr;
            ui->resultEdt->clear();
        });
    }
    HandleEditKeys(ui->resultEdt, TEditTyping::Any);
    HandleEnterKey(ui->RadioButton1, [this] { Button1Click(); });
    HandleEnterKey(ui->RadioButton2, [this] { Button1Click(); });
    connect(ui->RadioButton1, &QRadioButton::toggled, this, [this] { RadioButton1Click(); });
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    m_texts.Caption(this, "RuleOfThree", "Caption")
        .Text(ui->RadioButton1, "RuleOfThree", "DirectProportion")
        .Text(ui->RadioButton2, "RuleOfThree", "InverseProportion")
        .Field(&ValueNotEntered, "RuleOfThree", "ValueNotEntered", QStringLiteral("All values are not entered"))
        .Field(&InvalidInput, "RuleOfThree", "InvalidInput", QStringLiteral("Invalid input values"))
        .Text(ui->Button1, "Common", "Calculate");
}

TRuleOfThreeFrm::~TRuleOfThreeFrm()
{
    delete ui;
}

void TRuleOfThreeFrm::TranslateTexts()
{
    m_texts.Translate();
    if (m_shownMessage)
        ShowError(m_shownMessage);
}

bool TRuleOfThreeFrm::eventFilter(QObject *watched, QEvent *event)
{
    // The arrows span the two rows, however high the font makes them.
    auto *arrow = qobject_cast<QLabel *>(watched);
    if (arrow && (event->type() == QEvent::Resize || event->type() == QEvent::PaletteChange))
        arrow->setPixmap(Arrow(arrow->size(), arrow != ui->Image3, arrow->palette().color(QPalette::WindowText)));
    return KTandorelForm::eventFilter(watched, event);
}

void TRuleOfThreeFrm::RadioButton1Click()
{
    const bool direct = ui->RadioButton1->isChecked();
    ui->Image2->setVisible(direct);
    ui->Image3->setVisible(!direct);
}

void TRuleOfThreeFrm::ShowError(const QString *text)
{
    m_shownMessage = text;
    ui->resultEdt->setText(*text);
    ui->resultEdt->setCursorPosition(0);
}

void TRuleOfThreeFrm::Button1Click()
{
    SetTextColour(ui->resultEdt, Qt::red);
    QLineEdit *edits[] = {ui->Edit1, ui->Edit2, ui->Edit3};
    for (QLineEdit *edit : edits)
        if (edit->text().isEmpty()) {
            ShowError(&ValueNotEntered);
            edit->setFocus();
            return;
        }
    double a = 0, b = 0, c = 0;
    if (!TryStrToDouble(ui->Edit1->text(), a) || !TryStrToDouble(ui->Edit2->text(), b)
        || !TryStrToDouble(ui->Edit3->text(), c)) {
        ShowError(&InvalidInput);
        return;
    }
    const bool direct = ui->RadioButton1->isChecked();
    // In 80 bits the product of two doubles and its quotient stay finite.
    const Extended numerator = direct ? Extended(b) * c : Extended(a) * b;
    const double divisor = direct ? a : c;
    if (divisor == 0) {
        // A division by zero sends the user to the divisor; 0 / 0 has no
        // single culprit.
        if (numerator != 0)
            (direct ? ui->Edit1 : ui->Edit3)->setFocus();
        ShowError(&InvalidInput);
        return;
    }
    m_shownMessage = nullptr;
    UseNormalTextColour(ui->resultEdt);
    ui->resultEdt->setText(TResultFormater::FormatResult(numerator / divisor));
    ui->resultEdt->setCursorPosition(0);
}
