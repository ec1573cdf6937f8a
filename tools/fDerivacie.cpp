#include "tools/fDerivacie.h"
#include "ui_fDerivacie.h"

#include "core/uCommon.h"
#include "platform/Classes.h"
#include "platform/SysUtils.h"
#include "shell/uAccessibility.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uShellCommon.h"
#include "tools/model/uVyraz.h"
#include "tools/uToolControls.h"

#include <QCoreApplication>
#include <QPainter>
#include <QStringDecoder>
#include <QUrl>

namespace {

// The preview glyph: a small fraction drawn as the preview draws formulas,
// in navy that stays readable on the button, sharp at the screen's scale.
QIcon PreviewGlyph(const QColor &button, qreal scale)
{
    QPixmap pm(QSize(16, 16) * scale);
    pm.setDevicePixelRatio(scale);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(ReadableColour(QColor(0, 0, 128), button));
    QFont f = p.font();
    f.setPixelSize(7);
    p.setFont(f);
    p.drawText(QRect(0, 0, 16, 7), Qt::AlignCenter, QStringLiteral("dy"));
    p.drawLine(2, 8, 13, 8);
    p.drawText(QRect(0, 9, 16, 7), Qt::AlignCenter, QStringLiteral("dx"));
    return QIcon(pm);
}

const TVyrazFault Faults[] = {
    TVyrazFault::EmptyOperand,        TVyrazFault::UnmatchedOpening, TVyrazFault::UnmatchedClosing,
    TVyrazFault::MissingOperator,     TVyrazFault::TooDeep,          TVyrazFault::TooLong,
    TVyrazFault::CannotDifferentiate, TVyrazFault::ResultTooLong,
};
const char *const FaultKeys[] = {
    "EmptyOperand", "UnmatchedOpening", "UnmatchedClosing",    "MissingOperator",
    "TooDeep",      "TooLong",          "CannotDifferentiate", "ResultTooLong",
};
static_assert(std::size(Faults) == std::size(FaultKeys));

} // namespace

TderivacieFrm::TderivacieFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TderivacieFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, minimumSize(), true);
    // Minimise, system menu and help; no maximise, the height is fixed.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
    ui->stupenDerivacieUpd->Min = 1;
    ui->stupenDerivacieUpd->Max = 10;
    ui->stupenDerivacieUpd->SetAssociate(ui->stupenDerivacieEdt);
    ui->stupenDerivacieUpd->SetPosition(1);
    DrawPreviewGlyph();
    HandleEditKeys(ui->funkciaEdt, TEditTyping::Any);
    HandleEditKeys(ui->vysledokEdt, TEditTyping::Any);

    m_texts.Caption(this, "Derivatives", "Caption")
        .Text(ui->premennaLbl, "Derivatives", "Variable")
        .Text(ui->stupenLbl, "Derivatives", "Order")
        .Text(ui->funkciaLbl, "Derivatives", "Function")
        .Text(ui->derivaciaLbl, "Derivatives", "Derivative")
        .Text(ui->vypocetBtn, "Common", "Calculate")
        .Field(&ConnectionErrorText, "Derivatives", "ConnectionError",
               QStringLiteral("Server unavailable. Check your internet connection."));
    for (size_t i = 0; i < std::size(Faults); ++i)
        m_texts.Field(&m_faultTexts[i], "Derivatives", FaultKeys[i], EVyrazError::DefaultMessage(Faults[i]));
    m_texts.SetDefaultTexts();

    if (ITandorelMainForm *main = TGUIManager::Instance()->GetMainForm()) {
        SetMainForm(main);
        PlaceBesideMainForm(DockCentred);
    }

    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { RequestTimedOut(); });
    connect(ui->vypocetBtn, &QPushButton::clicked, this, [this] { vypocetBtnClick(); });
    connect(ui->nahladBtn, &QToolButton::clicked, this, [this] { nahladBtnClick(); });
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    // A request for another variable or order is not the one asked for.
    connect(ui->premenneCmb, &QComboBox::currentIndexChanged, this, [this] { AbortRequest(); });
    ui->stupenDerivacieUpd->OnClick = [this](int) { AbortRequest(); };
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { AbortRequest(); });
}

TderivacieFrm::~TderivacieFrm()
{
    AbortRequest();
    delete ui;
}

void TderivacieFrm::TranslateTexts()
{
    m_texts.Translate();
}

void TderivacieFrm::SetFunction(const QString &expression)
{
    AbortRequest();
    ui->funkciaEdt->setText(expression);
    TStringList names;
    CollectVariables(expression, names, QString());
    {
        const QSignalBlocker quiet(ui->premenneCmb);
        ui->premenneCmb->clear();
        ui->premenneCmb->addItems(names.Lines());
        const int x = names.IndexOf(QStringLiteral("x"));
        ui->premenneCmb->setCurrentIndex(x >= 0 ? x : 0);
    }
    ShowResult(QString());
}

void TderivacieFrm::ShowResult(const QString &text)
{
    UseNormalTextColour(ui->vysledokEdt);
    ui->vysledokEdt->setText(text);
    // A derivative or message longer than the field: its start shows, and
    // the whole text is at hand under the mouse.
    ui->vysledokEdt->setCursorPosition(0);
    ui->vysledokEdt->setToolTip(text);
    SetBusyCursor(false);
}

void TderivacieFrm::ShowError(const QString &text)
{
    ShowResult(text);
    SetTextColour(ui->vysledokEdt, QColor(255, 0, 0));
}

void TderivacieFrm::SetBusyCursor(bool busy)
{
    QWidget *const widgets[] = {this,
                                ui->premennaLbl,
                                ui->funkciaLbl,
                                ui->derivaciaLbl,
                                ui->stupenLbl,
                                ui->premenneCmb,
                                ui->funkciaEdt,
                                ui->vysledokEdt,
                                ui->stupenDerivacieEdt,
                                ui->stupenDerivacieUpd,
                                ui->vypocetBtn,
                                ui->nahladBtn};
    for (QWidget *w : widgets) {
        if (busy)
            w->setCursor(Qt::WaitCursor);
        else
            w->unsetCursor();
    }
}

void TderivacieFrm::DrawPreviewGlyph()
{
    // The window hears of a new theme before its children: the button's face
    // is taken from the palette it inherits.
    ui->nahladBtn->setIcon(PreviewGlyph(palette().color(QPalette::Button), devicePixelRatioF()));
}

// A theme changed while the window is open.
void TderivacieFrm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        DrawPreviewGlyph();
    KTandorelForm::changeEvent(event);
}

// Shown on a screen whose scale it takes.
void TderivacieFrm::showEvent(QShowEvent *event)
{
    DrawPreviewGlyph();
    KTandorelForm::showEvent(event);
}

void TderivacieFrm::hideEvent(QHideEvent *event)
{
    // A closed window asks nothing more of the service.
    AbortRequest();
    KTandorelForm::hideEvent(event);
}

// ------------------------------------------------------------ online route

void TderivacieFrm::vypocetBtnClick()
{
    AbortRequest();
    // Without a variable the expression is a constant: its derivative of
    // any order is 0, and there is no variable to ask the service about.
    if (ui->premenneCmb->count() == 0) {
        ShowResult(QStringLiteral("0"));
        return;
    }
    const QString address =
        MakerWebAddress(QStringLiteral("api/v0/differentiation?expression=")) + URLEncode(ui->funkciaEdt->text())
        + QStringLiteral("&variable=") + URLEncode(ui->premenneCmb->currentText()) + QStringLiteral("&order=")
        + URLEncode(ui->stupenDerivacieEdt->text()) + QStringLiteral("&groupingSeparator=%20&decimalSeparator=")
        + URLEncode(QString(DecimalSeparator));
    SetBusyCursor(true);
    if (!m_web)
        m_web = TWebGet::Create();
    m_requesting = true;
    m_web->Start(QUrl::fromEncoded(address.toLatin1(), QUrl::StrictMode), WebUserAgent(), MaxReplyBytes,
                 [this](const TWebGet::TAnswer &answer) { RequestFinished(answer); });
    m_timeout.start(RequestTimeoutMs);
}

void TderivacieFrm::AbortRequest()
{
    m_timeout.stop();
    if (!m_requesting)
        return;
    m_requesting = false;
    m_web->Abort();
    SetBusyCursor(false);
}

void TderivacieFrm::RequestTimedOut()
{
    if (!m_requesting)
        return;
    AbortRequest();
    ShowError(ConnectionErrorText);
}

void TderivacieFrm::RequestFinished(const TWebGet::TAnswer &answer)
{
    m_requesting = false;
    m_timeout.stop();
    // Only a successful answer of the service counts; an error page that
    // happens to hold "OK:" somewhere is a failure like any other, and so is
    // an answer too large to be a derivative.
    if (!answer.Complete || answer.Status < 200 || answer.Status > 299) {
        ShowError(ConnectionErrorText);
        return;
    }
    const QString derivative = DerivativeFromReply(answer.Body);
    // The service's refusal: the expression has no derivative it can give.
    if (derivative.isEmpty())
        ShowError(QStringLiteral("---"));
    else
        ShowResult(derivative);
}

QString DerivativeFromReply(const QByteArray &reply)
{
    if (!reply.startsWith("OK:"))
        return QString();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = QString(decoder(QByteArrayView(reply).sliced(3))).trimmed();
    if (decoder.hasError())
        return QString();
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return QString();
    return text;
}

void TderivacieFrm::nahladBtnClick()
{
    KMainProgram::Instance()->ShowExpressionPreview(ui->vysledokEdt->text());
}

// ------------------------------------------------------------- local route

QString TderivacieFrm::FaultText(const EVyrazError &error) const
{
    for (size_t i = 0; i < std::size(Faults); ++i)
        if (Faults[i] == error.Fault())
            return QString(m_faultTexts[i]).replace(QStringLiteral("#1"), error.Detail());
    return error.Message();
}

void TderivacieFrm::Button1Click()
{
    AbortRequest();
    try {
        const auto tree = TVyraz::CreateFromText(ui->funkciaEdt->text());
        ShowResult(tree->Derivative(ui->premenneCmb->currentText()));
    } catch (const EVyrazError &e) {
        ShowError(FaultText(e));
    }
}

void TderivacieFrm::Button2Click()
{
    AbortRequest();
    QString s = ui->Edit2->text();
    try {
        if (!s.isEmpty())
            NormalizeSigns(s);
        QString r = TVyraz::CreateFromText(s)->EvaluateToText();
        ui->Edit3->setText(r);
        // The folding leaves function arguments in square brackets, so the
        // tidying below never takes them for redundant.
        RemoveRedundantParentheses(r);
        if (!r.isEmpty())
            NormalizeSigns(r);
        r.replace(u'[', u'(');
        r.replace(u']', u')');
        ShowResult(r);
    } catch (const EVyrazError &e) {
        ShowError(FaultText(e));
    }
}
