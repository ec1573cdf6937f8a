#include "shell/fMain.h"

#include "ui_fMain.h"

#include "core/Analyzator.h"
#include "core/KomplexneCisla.h"
#include "core/KomplexnyAnalyzator.h"
#include "core/PrevodySustav.h"
#include "core/Zlomky.h"
#include "core/uCommon.h"
#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "platform/SysUtils.h"
#include "shell/uAccessibility.h"
#include "shell/uGUIManager.h"
#include "shell/uMagneticForm.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"
#include "shell/uShellCommon.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRawFont>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTime>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

TMainFrm *MainFrm = nullptr;
bool BracketHighlightEnabled = false;
bool InputChanging = false;
bool ShiftHeld = false;
bool ModulusChanging = false;

namespace {

// Availability bits: numeral systems 1, 2, 4, 8; number sets 256, 512, 1024.
int AvailabilityMask()
{
    const KProgramState *state = KProgramState::GetInstance(0);
    const int system = state->NumeralSystem <= 3 ? (1 << state->NumeralSystem) : 4;
    const int set = state->NumberSet <= 2 ? (256 << state->NumberSet) : 256;
    return system | set;
}

// The change warning and the update sign are painted here rather than taken
// from the icon theme: looking two icons up there cost the start of the
// program more than building the whole keypad. Drawn for the screen's pixel
// ratio, so that they stay sharp when the desktop is scaled, and from filled
// shapes only: no outline has to be stroked, which would take the maths
// library into memory at start for a few pixels.
enum class TSign {
    Warning,
    Information
};

QPainterPath Circle(qreal x, qreal y, qreal diameter)
{
    QPainterPath circle;
    circle.addEllipse(QRectF(x, y, diameter, diameter));
    return circle;
}

QPixmap SignPixmap(TSign sign, qreal ratio)
{
    QPixmap pm(QSize(16, 16) * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    if (sign == TSign::Warning) {
        const QPointF outline[] = {{8, 0.3}, {16, 15}, {0, 15}};
        const QPointF inside[] = {{8, 2.4}, {14.3, 14}, {1.7, 14}};
        p.setBrush(QColor(0x8a, 0x62, 0x00));
        p.drawPolygon(outline, 3);
        p.setBrush(QColor(0xff, 0xc8, 0x1e));
        p.drawPolygon(inside, 3);
        p.setBrush(Qt::black);
        p.drawRect(QRectF(7.1, 5.2, 1.8, 5.4));
        p.drawPath(Circle(7, 11.4, 2));
    } else {
        p.setBrush(QColor(0x10, 0x3c, 0x8c));
        p.drawPath(Circle(0, 0, 16));
        p.setBrush(QColor(0x2a, 0x6c, 0xd4));
        p.drawPath(Circle(1, 1, 14));
        p.setBrush(Qt::white);
        p.drawPath(Circle(7, 3, 2));
        p.drawRect(QRectF(7.1, 6.4, 1.8, 6.6));
    }
    return pm;
}

// The preview image: an italic f in a frame, from filled shapes so that no
// font has to be looked up for it.
QPixmap PreviewPixmap(const QColor &ink, qreal ratio)
{
    QPixmap pm(QSize(16, 16) * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    QPainterPath frame;
    frame.addRect(QRectF(0, 0, 16, 16));
    frame.addRect(QRectF(1, 1, 14, 14));
    p.drawPath(frame);
    p.setRenderHint(QPainter::Antialiasing);
    // The stem with its hook at the top and its tail at the bottom, as one
    // outline, and the cross bar.
    QPainterPath f;
    f.moveTo(11.6, 3.3);
    f.cubicTo(10.9, 1.9, 8.4, 2.0, 7.9, 4.2);
    f.lineTo(6.3, 11.4);
    f.cubicTo(6.0, 12.7, 5.1, 12.8, 4.6, 12.1);
    f.lineTo(4.0, 12.9);
    f.cubicTo(5.0, 14.1, 7.1, 13.9, 7.6, 11.7);
    f.lineTo(9.2, 4.5);
    f.cubicTo(9.5, 3.2, 10.4, 3.1, 10.9, 3.9);
    f.closeSubpath();
    p.drawPath(f);
    p.drawRect(QRectF(5.7, 6.2, 4.8, 1.2));
    return pm;
}

const char *const DigitKeys[] = {"BitBtn1",  "BitBtn2",  "BitBtn3",  "BitBtn4",  "BitBtn5",  "BitBtn6",
                                 "BitBtn7",  "BitBtn8",  "BitBtn9",  "BitBtn10", "BitBtn39", "BitBtn38",
                                 "BitBtn40", "BitBtn41", "BitBtn42", "BitBtn43"};

// The menu bar's overflow button would read its icon from an image file
// when the bar is built, and reading it loads every image format plugin
// there is; the style gives it a painted one instead.
class TMainWindowStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
    {
        if (which != SP_ToolBarHorizontalExtensionButton && which != SP_ToolBarVerticalExtensionButton)
            return QProxyStyle::standardIcon(which, option, widget);
        const QColor ink = (widget ? widget->palette() : QApplication::palette()).color(QPalette::ButtonText);
        QIcon icon;
        for (const qreal ratio : {1.0, 2.0}) {
            QPixmap pm(QSize(16, 16) * ratio);
            pm.setDevicePixelRatio(ratio);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            if (which == SP_ToolBarVerticalExtensionButton) {
                p.rotate(90);
                p.translate(0, -16);
            }
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            for (const qreal x : {4.0, 8.5}) {
                const QPointF chevron[] = {{x, 4}, {x + 1.5, 4}, {x + 5.5, 8}, {x + 1.5, 12}, {x, 12}, {x + 4, 8}};
                p.drawPolygon(chevron, 6);
            }
            icon.addPixmap(pm);
        }
        return icon;
    }
};

} // namespace

void InstallMainWindowStyle()
{
    if (!dynamic_cast<TMainWindowStyle *>(QApplication::style()))
        QApplication::setStyle(new TMainWindowStyle(QApplication::style()->name()));
}

// --------------------------------------------------------- hint translation

TVlaknoPrekladaniaHintov::TVlaknoPrekladaniaHintov(TMainFrm *form, QList<THintItem> items)
    : m_form(form), m_items(std::move(items))
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void TVlaknoPrekladaniaHintov::run()
{
    TProgramTranslator *translator = TProgramTranslator::Instance();
    for (const THintItem &item : std::as_const(m_items)) {
        if (m_stop)
            return;
        TranslateHint(item, translator->Translate(QStringLiteral("Hints"), item.Key, item.Hint));
    }
}

void TVlaknoPrekladaniaHintov::TranslateHint(const THintItem &item, const QString &translated)
{
    // The control is written on the main thread; a window or control that is
    // gone by then is left alone.
    QPointer<QWidget> control = item.Control;
    if (!m_form)
        return;
    QMetaObject::invokeMethod(
        m_form.data(),
        [control, translated] {
            if (control)
                control->setToolTip(translated);
        },
        Qt::QueuedConnection);
}

// ------------------------------------------------------------------ TMainFrm

TMainFrm::TMainFrm(QWidget *parent) : QMainWindow(parent), ui(new Ui::TMainFrm)
{
    ui->setupUi(this);
    QTextEdit *input = ui->vstupRdt;
    input->setAcceptRichText(false);
    input->setLineWrapMode(QTextEdit::NoWrap);
    input->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    input->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    input->setTabChangesFocus(true);
    input->document()->setDocumentMargin(2);
    ApplyDisplayFonts();
    ApplyColours();
    input->setCurrentCharFormat(RegularFormat());
    input->installEventFilter(this);
    input->viewport()->installEventFilter(this);
    input->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(input, &QTextEdit::textChanged, this, &TMainFrm::vstupRdtChange);
    connect(input, &QWidget::customContextMenuRequested, this, &TMainFrm::PopupMenu1Popup);

    QLineEdit *result = ui->vysledokEdt;
    result->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    result->setTextMargins(0, 0, 0, 0);
    result->setContextMenuPolicy(Qt::CustomContextMenu);
    result->installEventFilter(this);
    connect(result, &QWidget::customContextMenuRequested, this, &TMainFrm::PopupMenu2Popup);

    ui->warningImg->setPixmap(SignPixmap(TSign::Warning, devicePixelRatioF()));
    ui->nahladImg->installEventFilter(this);
    ui->haldaLbl->installEventFilter(this);

    // Status bar: help text, hint text, and the place of the update sign.
    auto *panel0 = new QLabel(QStringLiteral(" F1 : Help"), this);
    panel0->setObjectName(QStringLiteral("StatusPanel0"));
    auto *panel1 = new QLabel(this);
    panel1->setObjectName(QStringLiteral("StatusPanel1"));
    m_hintPanel = panel1;
    // A long hint is cut at the window's edge rather than widen the window.
    panel1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *panel2 = new QWidget(this);
    panel2->setObjectName(QStringLiteral("StatusPanel2"));
    panel2->setFixedWidth(50);
    ui->StatusBar1->addWidget(panel0);
    ui->StatusBar1->addWidget(panel1, 1);
    ui->StatusBar1->addPermanentWidget(panel2);
    ui->StatusBar1->setSizeGripEnabled(false);
    auto *updateSign = new QLabel(panel2);
    updateSign->setObjectName(QStringLiteral("updateInfoImg"));
    updateSign->setPixmap(SignPixmap(TSign::Information, devicePixelRatioF()));
    updateSign->setToolTip(QStringLiteral("New version of Tandorel is available. Click this icon for more info."));
    updateSign->setFixedSize(16, 16);
    updateSign->hide();
    updateSign->installEventFilter(this);

    ConnectKeys();
    ConnectModes();
    ConnectMenus();
    ListTexts();

    // Hints in the status bar for every control of the window.
    for (QObject *child : ui->centralwidget->children())
        if (auto *w = qobject_cast<QWidget *>(child))
            w->installEventFilter(this);
    ui->centralwidget->setMouseTracking(true);
    ui->centralwidget->installEventFilter(this);
    for (QWidget *control : HintNamedControls())
        NameByHint(control);
    ui->LabelDesM->setBuddy(ui->EditDesM);
    m_hintPanel->hide();

    FormCreate();
    m_built = true;
}

TMainFrm::~TMainFrm()
{
    // Every hint thread still running must end before the window goes:
    // each posts its results to it.
    for (const QPointer<TVlaknoPrekladaniaHintov> &thread : std::as_const(m_hintThreads)) {
        if (thread) {
            thread->Stop();
            thread->wait();
        }
    }
    delete Primes; // FormDestroy
    Primes = nullptr;
    if (MainFrm == this)
        MainFrm = nullptr;
    delete ui;
}

void TMainFrm::FormCreate()
{
    KProgramState::GetInstance(0)->Ans = QStringLiteral("0");
    BracketHighlightEnabled = true;
    Primes = new TPrvocisla();
    HintThread = nullptr;
    DocumentationPage = MakerWikiAddress() + u'/';
    ui->UpDownModulo->Min = 2;
    ui->UpDownModulo->Max = 97;
    ui->UpDownModulo->SetPosition(5);
    ui->UpDownDesM->Min = 0;
    ui->UpDownDesM->Max = 30;
    ui->UpDownDesM->SetPosition(6);
    SetErrorText(QString());
    ui->sbRealne->setChecked(true);
    ui->sbDeg->setChecked(true);
    ui->sbDec->setChecked(true);
    DecimalSeparatorChanged();
    UpdateImaginaryUnitCaptions();
    UpdateBoldCaptions();
    UpdateButtonAvailability();
    FitLayout();
}

void TMainFrm::ConnectKeys()
{
    struct Key
    {
        QAbstractButton *Button;
        QString Text;
        bool C;
        bool P;
    };
    const Key keys[] = {
        {ui->BitBtn44, QStringLiteral("("), false, false},
        {ui->BitBtn45, QStringLiteral(")"), false, false},
        {ui->BtnPercenta, QStringLiteral("%"), false, false},
        {ui->BtnPlus, QStringLiteral("+"), true, false},
        {ui->BtnMinus, QStringLiteral("-"), true, false},
        {ui->BtnKrat, QStringLiteral("*"), true, false},
        {ui->BtnDeleno, QStringLiteral("/"), true, false},
        {ui->BtnDiv, QStringLiteral(" div "), true, false},
        {ui->BtnMod, QStringLiteral(" mod "), true, false},
        {ui->BtnFaktorial, QStringLiteral("!"), true, false},
        {ui->BtnKombinacne, QStringLiteral(" nad "), true, false},
        {ui->BtnXna2, QStringLiteral("^2"), true, false},
        {ui->BtnXna3, QStringLiteral("^3"), true, false},
        {ui->BtnXnaY, QStringLiteral("^"), true, false},
        {ui->BtnDruhaOdmocnina, QStringLiteral("^(1/2)"), true, false},
        {ui->BtnTretiaOdmocnina, QStringLiteral("^(1/3)"), true, false},
        {ui->BtnOdmocnina, QStringLiteral("^(1/"), true, false},
        {ui->BtnLog, QStringLiteral("log("), true, true},
        {ui->BtnLn, QStringLiteral("ln("), true, true},
        {ui->BtnLogy, QStringLiteral("logy("), true, true},
        {ui->BtnEnaX, QStringLiteral("$e^"), true, true},
        {ui->BtnDvaNaX, QStringLiteral("2^"), true, true},
        {ui->BtnDesatNaX, QStringLiteral("10^"), true, true},
        {ui->BtnAbs, QStringLiteral("abs("), true, true},
        {ui->BtnPrevratena, QStringLiteral("1/"), true, true},
        {ui->BtnDeg, QStringLiteral("deg("), true, true},
        {ui->BtnDms, QStringLiteral("dms("), true, true},
        {ui->BtnKonstanta, QStringLiteral("$"), false, false},
        {ui->BtnPi, QStringLiteral("$pi"), false, false},
    };
    for (const Key &k : keys) {
        const QString text = k.Text;
        const bool c = k.C, p = k.P;
        connect(k.Button, &QAbstractButton::clicked, this, [this, text, c, p] { InsertIntoInput(text, c, p); });
    }
    // Keys that insert their own caption: digits and the complex keys.
    for (const char *name : DigitKeys) {
        auto *b = findChild<QPushButton *>(QLatin1String(name));
        connect(b, &QAbstractButton::clicked, this, [this, b] { InsertIntoInput(b->text(), false, false); });
    }
    for (QPushButton *b : {ui->BitBtn49, ui->BitBtn50, ui->BitBtn51, ui->BitBtn52})
        connect(b, &QAbstractButton::clicked, this, [this, b] { InsertIntoInput(b->text(), false, false); });
    for (QPushButton *b :
         {ui->BtnSin, ui->BtnCos, ui->BtnTG, ui->BtnCotg, ui->BtnArcsin, ui->BtnArccos, ui->Btnarctg, ui->BtnArccotg})
        connect(b, &QAbstractButton::clicked, this, [this, b] { BtnSinClick(b); });

    connect(ui->BtnCiarka, &QAbstractButton::clicked, this, &TMainFrm::BtnCiarkaClick);
    connect(ui->BtnRan, &QAbstractButton::clicked, this, &TMainFrm::BtnRanClick);
    connect(ui->BtnANS, &QAbstractButton::clicked, this, &TMainFrm::BtnANSClick);
    connect(ui->BtnMS, &QAbstractButton::clicked, this, &TMainFrm::BtnMSClick);
    connect(ui->BtnMR, &QAbstractButton::clicked, this, &TMainFrm::BtnMRClick);
    connect(ui->BtnC, &QAbstractButton::clicked, this, &TMainFrm::BtnCClick);
    connect(ui->BtnCE, &QAbstractButton::clicked, this, &TMainFrm::BtnCEClick);
    connect(ui->BtnJednoZmaz, &QAbstractButton::clicked, this, &TMainFrm::BtnJednoZmazClick);
    connect(ui->BtnRovnaSa, &QAbstractButton::clicked, this, &TMainFrm::BtnRovnaSaClick);
    connect(ui->BtnSpat, &QAbstractButton::clicked, this, &TMainFrm::BtnSpatClick);
    connect(ui->BtnAE, &QAbstractButton::clicked, this, &TMainFrm::BtnAEClick);
    connect(ui->grafBtn, &QAbstractButton::clicked, this, [this] {
        KMainProgram::Instance()->CloseBrackets();
        KMainProgram::Instance()->ShowFunctionGraph(GetInput());
    });
    connect(ui->derivaciaBtn, &QAbstractButton::clicked, this, [this] {
        KMainProgram::Instance()->CloseBrackets();
        KMainProgram::Instance()->ShowDerivative(GetInput());
    });
    connect(ui->sumaBtn, &QAbstractButton::clicked, this, [this] {
        KMainProgram::Instance()->CloseBrackets();
        KMainProgram::Instance()->ShowSeriesSummation(GetInput());
    });
    connect(ui->BtnVelkost, &QAbstractButton::toggled, this, &TMainFrm::BtnVelkostClick);
    connect(ui->testBtn, &QAbstractButton::clicked, this, [] { TGUIManager::Instance()->ShowForm(FormId::SelfTest); });
    connect(ui->Button1, &QAbstractButton::clicked, this, [this] {
        // Developer timing: 50000 evaluations of one expression.
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 50000; ++i) {
            TCalculationError err;
            QString value;
            ExpressionValid = true;
            RealPreprocessed = false;
            EvaluateReal(QStringLiteral("(6/2)-6*2"), err, FunctionNames(), value);
        }
        ui->Button1->setText(QTime(0, 0).addMSecs(int(timer.elapsed())).toString(QStringLiteral("mm:ss.zzz")));
    });
}

void TMainFrm::ConnectModes()
{
    m_numberSetGroup = new QButtonGroup(this);
    m_numberSetGroup->addButton(ui->sbRealne, 0);
    m_numberSetGroup->addButton(ui->sbKomplexne, 1);
    m_numberSetGroup->addButton(ui->sbModulo, 2);
    m_angleGroup = new QButtonGroup(this);
    m_angleGroup->addButton(ui->sbDeg, 0);
    m_angleGroup->addButton(ui->sbRad, 1);
    m_angleGroup->addButton(ui->sbGrad, 2);
    m_numeralGroup = new QButtonGroup(this);
    m_numeralGroup->addButton(ui->sbBin, 0);
    m_numeralGroup->addButton(ui->sbOct, 1);
    m_numeralGroup->addButton(ui->sbDec, 2);
    m_numeralGroup->addButton(ui->sbHex, 3);
    // A mode follows its buttons however one is pressed: a click, Space, an
    // accessibility action that toggles the button, click() from code. The
    // toggle of a button runs its group's handler when the button's mode is
    // not the calculator's yet (restoring the state only sets the buttons);
    // a click on the button already down runs it again, as a click always
    // has; the click that made the toggle is not run twice.
    const struct
    {
        QButtonGroup *Group;
        std::function<int()> Current;
        std::function<void(int)> Handler;
    } groups[] = {
        {m_numberSetGroup, [] { return int(KProgramState::GetInstance(0)->NumberSet); },
         [this](int id) { NumberSetClick(id); }},
        {m_angleGroup, [] { return int(KProgramState::GetInstance(0)->AngleMode); },
         [this](int) { UpdateAngleUnit(); }},
        {m_numeralGroup, [] { return int(KProgramState::GetInstance(0)->NumeralSystem); },
         [this](int id) { NumeralSystemClick(id); }},
    };
    for (const auto &g : groups) {
        QButtonGroup *group = g.Group;
        const auto handler = g.Handler;
        const auto current = g.Current;
        connect(group, &QButtonGroup::idToggled, this, [this, group, handler, current](int id, bool checked) {
            if (!checked || id == current())
                return;
            handler(id);
            m_justToggled = group->button(id);
            QTimer::singleShot(0, this, [this] { m_justToggled = nullptr; });
        });
        connect(group, &QButtonGroup::idClicked, this, [this, group, handler](int id) {
            if (std::exchange(m_justToggled, nullptr) != group->button(id))
                handler(id);
        });
    }
    connect(ui->CheckBoxHyp, &QCheckBox::toggled, this, [](bool on) { KProgramState::GetInstance(0)->Hyp = on; });
    connect(ui->CheckBoxZlomky, &QCheckBox::toggled, this,
            [](bool on) { KProgramState::GetInstance(0)->Fractions = on; });
    ui->UpDownDesM->OnClick = [this](int) {
        KProgramState::GetInstance(0)->Decimals = quint8(ui->UpDownDesM->Position());
        ui->EditDesM->setText(QString::number(ui->UpDownDesM->Position()));
    };
    ui->UpDownModulo->OnChanging = [this](int newPosition, int direction, bool &allowChange) {
        UpDownModuloChanging(newPosition, direction, allowChange);
    };
}

void TMainFrm::ConnectMenus()
{
    auto show = [](int id) { return [id] { TGUIManager::Instance()->ShowForm(id); }; };
    connect(ui->GrafFunkcieAct, &QAction::triggered, ui->grafBtn, &QAbstractButton::click);
    connect(ui->showUnitConverterAct, &QAction::triggered, this, show(FormId::UnitConverter));
    connect(ui->MnohoclenyAct, &QAction::triggered, this, show(FormId::Polynomials));
    connect(ui->KombinatorikaAct, &QAction::triggered, this, show(FormId::Combinatorics));
    connect(ui->statistikaAct, &QAction::triggered, this, show(FormId::Statistics));
    connect(ui->showFunctionDerivativeAct, &QAction::triggered, this, [this] {
        KMainProgram::Instance()->CloseBrackets();
        KMainProgram::Instance()->ShowDerivative(GetInput());
    });
    connect(ui->showSeriesSummationAct, &QAction::triggered, this, [this] {
        KMainProgram::Instance()->CloseBrackets();
        KMainProgram::Instance()->ShowSeriesSummation(GetInput());
    });
    connect(ui->quadraticEquationAct, &QAction::triggered, this, show(FormId::QuadraticEquation));
    connect(ui->TrojclenkaAct, &QAction::triggered, this, show(FormId::RuleOfThree));
    connect(ui->alwaysOnTopAct, &QAction::triggered, this,
            [](bool checked) { KMainProgram::Instance()->SetAlwaysOnTop(checked); });
    connect(ui->NahladVyrazuAct, &QAction::triggered, this, &TMainFrm::NahladVyrazuActExecute);
    connect(ui->HistoriuVypoctovAct, &QAction::triggered, this, show(FormId::History));
    connect(ui->KonstantyAct, &QAction::triggered, this, show(FormId::Constants));
    connect(ui->showPrefixValuesAct, &QAction::triggered, this, show(FormId::PrefixValues));
    connect(ui->VlastnePremenneAct, &QAction::triggered, this, show(FormId::Variables));
    connect(ui->PrehliadacVyrazovAct, &QAction::triggered, this, show(FormId::ExpressionBrowser));
    connect(ui->showPreferencesAct, &QAction::triggered, this, show(FormId::Settings));
    connect(ui->jazykAct, &QAction::triggered, this, show(FormId::Language));
    connect(ui->ZobrazitNavodAct, &QAction::triggered, this, [] { KMainProgram::Instance()->ShowManual(); });
    connect(ui->onlineDokumentaciaAct, &QAction::triggered, this, [this] { OpenURL(DocumentationPage); });
    connect(ui->DomovskaStrankaProgramuAct, &QAction::triggered, this,
            [] { OpenURL(MakerWebAddress(QStringLiteral("index.php?page=home&") + BuildQueryString(false))); });
    connect(ui->reportBugAct, &QAction::triggered, this,
            [] { OpenURL(MakerWebAddress(QStringLiteral("index.php?page=contact"))); });
    connect(ui->ZistitNovsiuVerziuAct, &QAction::triggered, this,
            [] { TGUIManager::Instance()->ShowFormModal(FormId::UpdateInfo); });
    connect(ui->OProgrameAct, &QAction::triggered, this, [] { TGUIManager::Instance()->ShowFormModal(FormId::About); });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QTextEdit *input = ui->vstupRdt;
    auto addItem = [](QMenu *menu, const char *name, const QString &caption, auto handler) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        QObject::connect(a, &QAction::triggered, menu, handler);
        return a;
    };
    addItem(PopupMenu1, "spat", QStringLiteral("Back"), [input] { input->undo(); })->setVisible(false);
    addItem(PopupMenu1, "Cut1", QStringLiteral("Cut"), [input] { input->cut(); });
    addItem(PopupMenu1, "Copy1", QStringLiteral("Copy"), [input] { input->copy(); });
    addItem(PopupMenu1, "Paste1", QStringLiteral("Paste"), [input] { input->paste(); });
    addItem(PopupMenu1, "Remove1", QStringLiteral("Remove"), [input] { input->textCursor().removeSelectedText(); });
    addItem(PopupMenu1, "SelectAll1", QStringLiteral("Select all"), [input] { input->selectAll(); });

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    QLineEdit *result = ui->vysledokEdt;
    addItem(PopupMenu2, "Copy2", QStringLiteral("Copy"), [result] { result->copy(); });
    addItem(PopupMenu2, "SaveToMemory1", QStringLiteral("Save to memory"), [this] { ui->BtnMS->click(); });
    addItem(PopupMenu2, "SelectAll2", QStringLiteral("Select all"), [result] { result->selectAll(); });
}

// ------------------------------------------------------- ITandorelMainForm

int TMainFrm::GetTop()
{
    return frameGeometry().top();
}
int TMainFrm::GetLeft()
{
    return frameGeometry().left();
}
int TMainFrm::GetHeight()
{
    return frameGeometry().height();
}
int TMainFrm::GetWidth()
{
    return frameGeometry().width();
}

void TMainFrm::DecimalSeparatorChanged()
{
    ui->BtnCiarka->setText(QString(DecimalSeparator));
}

void TMainFrm::UpdateImaginaryUnitCaptions()
{
    const QString unit(ImaginaryUnit);
    ui->BitBtn49->setText(u'+' + unit);
    ui->BitBtn50->setText(u'-' + unit);
    ui->BitBtn51->setText(QStringLiteral("e^") + unit);
    ui->BitBtn52->setText(QStringLiteral("e^-") + unit);
}

void TMainFrm::ApplySettings()
{
    KProgramSettings *settings = KProgramSettings::Instance();
    if (settings->SaveMemoryData)
        ui->LabelPamat->setText(settings->MemoryData);
    const QScreen *screen = QGuiApplication::primaryScreen();
    bool centre = settings->Center;
    if (!centre) {
        // A position saved on a screen that is gone (or a hand-edited one)
        // would put the calculator where nobody can see it: it opens centred
        // instead. The setting itself is kept; exit stores wherever the
        // window then is.
        QList<QRect> screens;
        for (const QScreen *s : QGuiApplication::screens())
            screens << s->availableGeometry();
        if (OnSomeScreen(QPoint(settings->Left, settings->Top), frameGeometry().size(), screens))
            move(settings->Left, settings->Top);
        else
            centre = true;
    }
    if (centre && screen) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    SetAlwaysOnTop(settings->OnTop);
    ui->alwaysOnTopAct->setChecked(settings->OnTop);
}

void TMainFrm::RestoreState()
{
    const KProgramState *state = KProgramState::GetInstance(0);
    if (QAbstractButton *b = m_numberSetGroup->button(state->NumberSet))
        b->setChecked(true);
    if (QAbstractButton *b = m_angleGroup->button(state->AngleMode))
        b->setChecked(true);
    if (QAbstractButton *b = m_numeralGroup->button(state->NumeralSystem))
        b->setChecked(true);
    const bool hyp = state->Hyp, fractions = state->Fractions;
    ui->CheckBoxHyp->setChecked(hyp);
    ui->CheckBoxZlomky->setChecked(fractions);
    ui->UpDownDesM->SetPosition(state->Decimals);
    ui->EditDesM->setText(QString::number(ui->UpDownDesM->Position()));
    ui->UpDownModulo->SetPosition(state->ModuloBase);
    SetModulusCaption(QStringLiteral("Z(") + QString::number(state->ModuloBase) + u')');
    UpdateBoldCaptions();
    UpdateButtonAvailability();
}

void TMainFrm::Show()
{
    show();
    // Platforms without window stacking (offscreen) only complain.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        raise();
    // The window comes forward with the focus in its input, so that the
    // next keys typed (after a tool window put text there) land in the
    // expression.
    activateWindow();
    ui->vstupRdt->setFocus();
}

void TMainFrm::SetCaption(const QString &text)
{
    setWindowTitle(text);
}

void TMainFrm::TranslateTexts()
{
    DecimalSeparatorChanged();
    DocumentationPage = MakerWikiAddress() + u'/';
    TProgramTranslator *t = TProgramTranslator::Instance();
    if (!t->IsLoaded())
        return;
    m_texts.Translate();
    FitLayout();
    auto tr = [t](const char *section, const char *key, const QString &current) {
        return t->Translate(QLatin1String(section), QLatin1String(key), current);
    };
    // A documentation address must stay on the maker's own site.
    const QString page = tr("Addresses", "DocumentationPage", DocumentationPage);
    DocumentationPage = IsMakerAddress(page) ? page : MakerWikiAddress() + u'/';
    LanguageCode = tr("Info", "LanguageIsoCode", QStringLiteral("e2")).left(2);

    // An older translation still running would write its language's hints
    // after this one's. Its hand-overs are queued, never waited for, so it
    // ends at once; what it has queued already comes before the new ones.
    for (const QPointer<TVlaknoPrekladaniaHintov> &older : std::as_const(m_hintThreads)) {
        if (older) {
            older->Stop();
            older->wait();
        }
    }
    m_hintThreads.removeAll(nullptr);
    auto *thread = new TVlaknoPrekladaniaHintov(this, HintItems());
    HintThread = thread;
    m_hintThreads.append(thread);
    thread->start();
}

void TMainFrm::ListTexts()
{
    for (const auto &[menu, key] :
         {std::pair{ui->Tools1, "Tools"}, {ui->View1, "View"}, {ui->Preferences1, "Preferences"}, {ui->Help1, "Help"}})
        m_texts.Text(menu, "MainMenu", key);
    const std::pair<QAction *, const char *> actions[] = {{ui->GrafFunkcieAct, "FunctionGraph"},
                                                          {ui->showUnitConverterAct, "UnitConverter"},
                                                          {ui->MnohoclenyAct, "Polynomials"},
                                                          {ui->KombinatorikaAct, "Combinatorics"},
                                                          {ui->statistikaAct, "Statistics"},
                                                          {ui->showFunctionDerivativeAct, "FunctionDerivative"},
                                                          {ui->showSeriesSummationAct, "SeriesSummation"},
                                                          {ui->quadraticEquationAct, "QuadraticEquation"},
                                                          {ui->TrojclenkaAct, "RuleOfthree"},
                                                          {ui->alwaysOnTopAct, "AlwaysOnTop"},
                                                          {ui->NahladVyrazuAct, "ExpressionPreview"},
                                                          {ui->HistoriuVypoctovAct, "History"},
                                                          {ui->KonstantyAct, "Constants"},
                                                          {ui->showPrefixValuesAct, "PrefixValues"},
                                                          {ui->VlastnePremenneAct, "Variables"},
                                                          {ui->PrehliadacVyrazovAct, "ExpressionBrowser"},
                                                          {ui->showPreferencesAct, "ShowPreferences"},
                                                          {ui->jazykAct, "language"},
                                                          {ui->ZobrazitNavodAct, "ShowManual"},
                                                          {ui->onlineDokumentaciaAct, "OnlineDocumentation"},
                                                          {ui->DomovskaStrankaProgramuAct, "HomePage"},
                                                          {ui->reportBugAct, "ReportBug"},
                                                          {ui->ZistitNovsiuVerziuAct, "CheckForUpdates"},
                                                          {ui->OProgrameAct, "About"}};
    for (const auto &[action, key] : actions)
        m_texts.Text(action, "MainMenu", key);
    // Keys and check boxes of the window.
    m_texts.Text(ui->CheckBoxHyp, "MainWindow", "Hyperbolic")
        .Text(ui->CheckBoxZlomky, "MainWindow", "Fractions")
        .Text(ui->LabelDesM, "MainWindow", "Decimals")
        .Text(ui->BtnSpat, "MainWindow", "Back")
        .Text(findChild<QLabel *>(QStringLiteral("StatusPanel0")), "MainWindow", "Help")
        .Text(ui->BtnTG, "MainWindow", "btnTan")
        .Text(ui->BtnCotg, "MainWindow", "btnCotan")
        .Text(ui->Btnarctg, "MainWindow", "btnArctan")
        .Text(ui->BtnArccotg, "MainWindow", "btnArccot");
    auto item = [](QMenu *menu, const char *name) { return menu->findChild<QAction *>(QLatin1String(name)); };
    m_texts.Text(item(PopupMenu2, "SaveToMemory1"), "MainWindow", "SaveToMemory");
    const struct
    {
        QMenu *Menu;
        const char *Name;
        const char *Key;
    } common[] = {{PopupMenu1, "Cut1", "Cut"},
                  {PopupMenu1, "Copy1", "Copy"},
                  {PopupMenu1, "Paste1", "Paste"},
                  {PopupMenu1, "Remove1", "Delete"},
                  {PopupMenu1, "SelectAll1", "SelectAll"},
                  {PopupMenu2, "Copy2", "Copy"},
                  {PopupMenu2, "SelectAll2", "SelectAll"}};
    for (const auto &entry : common)
        m_texts.Text(item(entry.Menu, entry.Name), "Common", entry.Key);
}

QList<TVlaknoPrekladaniaHintov::THintItem> TMainFrm::HintItems() const
{
    QList<TVlaknoPrekladaniaHintov::THintItem> items;
    auto add = [&items](QWidget *w, const char *key) {
        if (w)
            items.append({w, QLatin1String(key), w->toolTip()});
    };
    add(ui->sbRealne, "hntRealNum");
    add(ui->sbKomplexne, "hntComplexNum");
    add(ui->sbModulo, "hntModuloNum");
    add(ui->UpDownModulo, "hntModuloBase");
    add(ui->sbDeg, "hntSwitchToDeg");
    add(ui->sbRad, "hntSwitchToRad");
    add(ui->sbGrad, "hntSwitchToGrad");
    add(ui->sbHex, "hntSwitchToHex");
    add(ui->sbDec, "hntSwitchToDec");
    add(ui->sbOct, "hntSwitchToOct");
    add(ui->sbBin, "hntSwitchToBin");
    add(ui->BtnVelkost, "hntShrinkWin");
    add(ui->nahladImg, "hntShowExpressionPreview");
    add(ui->vstupRdt, "hntEnterExpressionHere");
    add(ui->LabelPamat, "hntMemory");
    add(ui->warningImg, "hntWarning");
    add(ui->vysledokEdt, "hntResult");
    add(ui->Shape1, "hntResult");
    add(ui->CheckBoxHyp, "hntHyp");
    add(ui->CheckBoxZlomky, "hntFrac");
    add(ui->derivaciaBtn, "hntDerivative");
    add(ui->sumaBtn, "hntSum");
    add(ui->grafBtn, "hntGraph");
    add(ui->EditDesM, "hntDec");
    add(ui->UpDownDesM, "hntDec");
    add(ui->BtnSpat, "hntBack");
    add(ui->BtnCE, "hntCE");
    add(ui->BtnC, "hntC");
    add(ui->BtnSin, "hntSin");
    add(ui->BtnCos, "hntCos");
    add(ui->BtnTG, "hntTg");
    add(ui->BtnCotg, "hntCotg");
    add(ui->BtnDms, "hntDms");
    add(ui->BtnDeg, "hntDeg");
    add(ui->BtnArcsin, "hntArcsin");
    add(ui->BtnArccos, "hntArccos");
    add(ui->Btnarctg, "hntArctg");
    add(ui->BtnArccotg, "hntArcCotg");
    add(ui->BtnLogy, "hntLogy");
    add(ui->BtnLog, "hntLog");
    add(ui->BtnLn, "hntLn");
    add(ui->BtnEnaX, "hntEToX");
    add(ui->BtnDruhaOdmocnina, "hntSquareRoot");
    add(ui->BtnTretiaOdmocnina, "hntCubeRoot");
    add(ui->BtnOdmocnina, "hntRoot");
    add(ui->BtnXna2, "hntX2");
    add(ui->BtnXna3, "hntX3");
    add(ui->BtnXnaY, "hntXY");
    add(ui->BtnPrevratena, "hntInv");
    add(ui->BtnFaktorial, "hntFact");
    add(ui->BtnDesatNaX, "hnt10x");
    add(ui->BtnDvaNaX, "hnt2X");
    add(ui->BtnRan, "hntRan");
    add(ui->BtnAE, "hntAE");
    add(ui->BtnAbs, "hntAbs");
    add(ui->BtnKombinacne, "hntNK");
    add(ui->BtnANS, "hntAns");
    add(ui->BtnKonstanta, "hntConst");
    add(ui->BtnPi, "hntPi");
    add(ui->BitBtn44, "hntBr");
    add(ui->BitBtn45, "hntBr");
    add(ui->BitBtn49, "hntPlusJ");
    add(ui->BitBtn50, "hntPlusJ");
    add(ui->BitBtn51, "hntEJ");
    add(ui->BitBtn52, "hntEJ");
    add(ui->BtnMS, "hntMS");
    add(ui->BtnMR, "hntMR");
    for (const char *name : DigitKeys)
        add(findChild<QWidget *>(QLatin1String(name)), "hntChar");
    add(ui->BtnCiarka, "hntDecimalPoint");
    add(ui->BtnPercenta, "hntPercent");
    add(ui->BtnDeleno, "hntDivision");
    add(ui->BtnKrat, "hntMultiplication");
    add(ui->BtnMinus, "hntSubtraction");
    add(ui->BtnPlus, "hntAddition");
    add(ui->BtnJednoZmaz, "hntDel");
    add(ui->BtnDiv, "hntDiv");
    add(ui->BtnMod, "hntMod");
    add(ui->BtnRovnaSa, "hntEvaluate");
    add(findChild<QWidget *>(QStringLiteral("updateInfoImg")), "hntUpdateInfoIcon");
    return items;
}

void TMainFrm::SetInput(const QString &text)
{
    ui->vstupRdt->setPlainText(text);
    QTextCursor c = ui->vstupRdt->textCursor();
    c.movePosition(QTextCursor::End);
    ui->vstupRdt->setTextCursor(c);
    Show();
}

QString TMainFrm::GetInputBeforeCaret()
{
    const QTextCursor c = ui->vstupRdt->textCursor();
    return ui->vstupRdt->toPlainText().left(c.selectionStart());
}

QString TMainFrm::GetInput()
{
    return ui->vstupRdt->toPlainText();
}

void TMainFrm::InsertText(const QString &text)
{
    InsertIntoInput(text, false, false);
    // Only tool windows insert this way; the typing goes on here.
    Show();
}

void TMainFrm::ShowResult(const QString &text)
{
    SetErrorText(QString());
    QLineEdit *result = ui->vysledokEdt;
    if (!text.isEmpty()) {
        const QString shown = QStringLiteral("  ") + text;
        ApplyResultFont();
        ui->Label3->setFont(result->font());
        ui->Label3->setText(shown);
        // A few pixels for the edit's own inner margin. The layout keeps
        // the field's right edge in place and the change warning just left
        // of it.
        result->setFixedWidth(qMin(ui->Label3->sizeHint().width() + 6, m_resultRoom));
        result->setText(shown);
        result->setCursorPosition(0);
        result->show();
        ui->centralwidget->layout()->activate();
    } else {
        result->hide();
        result->clear();
    }
    ui->warningImg->hide();
    QTextEdit *input = ui->vstupRdt;
    input->setFocus();
    input->selectAll();
    QTextCursor all = input->textCursor();
    all.setCharFormat(RegularFormat());
    input->setCurrentCharFormat(RegularFormat());
}

void TMainFrm::ShowError(const QString &text, int start, int end)
{
    QTextEdit *input = ui->vstupRdt;
    QTextCursor all(input->document());
    all.select(QTextCursor::Document);
    all.setCharFormat(RegularFormat());
    ShowResult(QString());
    SetErrorText(text);
    input->setFocus();
    const int length = int(input->toPlainText().size());
    QTextCursor c = input->textCursor();
    if (end != 0) {
        c.setPosition(qBound(0, start, length));
        c.setPosition(qBound(0, end, length), QTextCursor::KeepAnchor);
    } else {
        c.select(QTextCursor::Document);
    }
    input->setTextCursor(c);
}

void TMainFrm::ClearError()
{
    SetErrorText(QString());
}

void TMainFrm::SetBackEnabled(bool enabled)
{
    ui->BtnSpat->setEnabled(enabled);
}

void TMainFrm::SetDecimals(int n)
{
    ui->UpDownDesM->SetPosition(n);
    ui->EditDesM->setText(QString::number(ui->UpDownDesM->Position()));
}

void TMainFrm::SetAlwaysOnTop(bool onTop)
{
    SetWindowStaysOnTop(this, onTop);
}

void TMainFrm::ShowUpdateAvailable()
{
    auto *sign = findChild<QLabel *>(QStringLiteral("updateInfoImg"));
    QWidget *panel = sign->parentWidget();
    sign->move((panel->width() - sign->width()) / 2, (panel->height() - sign->height()) / 2);
    sign->show();
}

// ---------------------------------------------------------------- input

void TMainFrm::vstupRdtChange()
{
    QTextEdit *input = ui->vstupRdt;
    const QString text = input->toPlainText();
    // A change of formatting alone (the bracket highlight, a shown result)
    // leaves the expression as it was.
    if (text == m_lastPlainText)
        return;
    m_lastPlainText = text;
    KProgramState *state = KProgramState::GetInstance(0);
    state->JustCalculated = false;
    ui->warningImg->setVisible(ui->vysledokEdt->isVisible() && text != state->LastExpression);
    if (InputChanging)
        return;
    InputChanging = true;
    // One line only: whatever follows the first line break goes.
    const auto lineBreak = std::find_if(text.cbegin(), text.cend(), [](QChar c) {
        return c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
    });
    const qsizetype cut = lineBreak == text.cend() ? -1 : qsizetype(lineBreak - text.cbegin());
    if (cut >= 0) {
        QTextCursor c(input->document());
        c.setPosition(int(cut));
        c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        QTextCursor caret = input->textCursor();
        caret.movePosition(QTextCursor::End);
        input->setTextCursor(caret);
        m_lastPlainText = input->toPlainText();
        ui->warningImg->setVisible(ui->vysledokEdt->isVisible() && m_lastPlainText != state->LastExpression);
    }
    if (m_lastPlainText.contains(u'('))
        ZvyrazniZatvorky(input);
    BracketHighlightEnabled = false;
    InputChanging = false;
}

void TMainFrm::ZvyrazniZatvorky(QTextEdit *edit)
{
    if (!BracketHighlightEnabled || ShiftHeld)
        return;
    const QString s = edit->toPlainText();
    const int p = edit->textCursor().position();
    const int len = int(s.size());
    // Left: the nearest "(" before the caret that is not closed before it.
    int i = p, depth = 0;
    while (i > 0 && depth != 1) {
        const QChar c = s.at(i - 1);
        if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        --i;
    }
    const int open = depth == 1 ? i : -1;
    // Right: the nearest ")" after the caret that is not opened after it.
    i = p;
    depth = 0;
    while (i < len && depth != 1) {
        const QChar c = s.at(i);
        if (c == u')')
            ++depth;
        else if (c == u'(')
            --depth;
        ++i;
    }
    const int close = depth == 1 ? i - 1 : -1;

    BracketHighlightEnabled = false;
    edit->setUpdatesEnabled(false);
    QTextCursor all(edit->document());
    all.select(QTextCursor::Document);
    all.setCharFormat(RegularFormat());
    auto mark = [this, edit](int position, bool red) {
        QTextCursor c(edit->document());
        c.setPosition(position);
        c.setPosition(position + 1, QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setFontWeight(QFont::Bold);
        f.setForeground(red ? m_openBracketInk : m_inputInk);
        c.setCharFormat(f);
    };
    if (open >= 0)
        mark(open, close < 0);
    if (close >= 0 && open >= 0)
        mark(close, false);
    QTextCursor caret = edit->textCursor();
    caret.setPosition(p);
    edit->setTextCursor(caret);
    edit->setCurrentCharFormat(RegularFormat());
    edit->setUpdatesEnabled(true);
    BracketHighlightEnabled = true;
    edit->setFocus();
    edit->viewport()->update();
}

void TMainFrm::HighlightAt(int position)
{
    QTextEdit *input = ui->vstupRdt;
    QTextCursor c = input->textCursor();
    const int back = c.position();
    c.setPosition(position);
    input->setTextCursor(c);
    ZvyrazniZatvorky(input);
    c = input->textCursor();
    c.setPosition(back);
    input->setTextCursor(c);
}

bool TMainFrm::vstupRdtKeyDown(QKeyEvent *event)
{
    QTextEdit *input = ui->vstupRdt;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    ShiftHeld = shift;
    const QTextCursor c = input->textCursor();
    const int caret = c.position();
    const int length = int(input->toPlainText().size());
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Left:
        if (caret > 0 && !shift && !c.hasSelection())
            HighlightAt(caret - 1);
        return false;
    case Qt::Key_Right:
        if (caret < length && !shift && !c.hasSelection())
            HighlightAt(caret + 1);
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ui->BtnRovnaSa->click();
        return true;
    case Qt::Key_Delete:
        if (shift) {
            ui->BtnCE->click();
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool TMainFrm::vstupRdtKeyPress(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (event->key() == Qt::Key_Escape) {
        ui->BtnC->click();
        return true;
    }
    if (event->key() == Qt::Key_Backspace) {
        if (mods & Qt::ShiftModifier) {
            ui->BtnCE->click();
            return true;
        }
        BracketHighlightEnabled = true;
        return false;
    }
    // Shortcuts (copy, paste, undo...) and keys without a character are the
    // edit's own.
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier))
        return false;
    const QString text = event->text();
    if (text.isEmpty() || text.at(0).unicode() < 32 || event->key() == Qt::Key_Tab)
        return false;
    QChar key = text.at(0);
    MapKeyboardChar(key, false);
    if (!ExpressionChars::IsExpressionCharacter(key))
        return true;
    // Shift only guards selections made with it; a typed character (often
    // a shifted one such as a bracket) replaces any selection anyway, so the
    // highlight must follow it.
    ShiftHeld = false;
    if (key == u'(' || key == u')')
        ZvyrazniZatvorky(ui->vstupRdt);
    if (key == DecimalSeparator && ui->BtnCiarka->isEnabled()) {
        ui->BtnCiarka->click();
    } else if (key == DecimalSeparator) {
        // No decimal point in modulo arithmetic; typed anyway, it stays
        // where it was typed, so that the check points at it, rather than
        // vanish and join the digits around it into one number.
        InsertIntoInput(QString(key), false, false);
    } else {
        InsertIntoInput(QString(key), ExpressionChars::IsOperatorAfterOperand(key), false);
    }
    BracketHighlightEnabled = true;
    return true;
}

void TMainFrm::vstupRdtMouseUp()
{
    if (!ui->vstupRdt->textCursor().hasSelection()) {
        BracketHighlightEnabled = true;
        ZvyrazniZatvorky(ui->vstupRdt);
    }
}

bool TMainFrm::eventFilter(QObject *watched, QEvent *event)
{
    QTextEdit *input = ui->vstupRdt;
    if (watched == input) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (vstupRdtKeyDown(key))
                return true;
            return vstupRdtKeyPress(key);
        }
        if (event->type() == QEvent::KeyRelease) {
            ShiftHeld = static_cast<QKeyEvent *>(event)->modifiers() & Qt::ShiftModifier;
            return false;
        }
    } else if (watched == input->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease) {
            QTimer::singleShot(0, this, [this] { vstupRdtMouseUp(); });
            return false;
        }
    } else if (watched == ui->vysledokEdt && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        int code = key->key();
        EditShortcutKeyDown(ui->vysledokEdt, code, key->modifiers());
        if (code == 0)
            return true;
    } else if (watched == ui->nahladImg && event->type() == QEvent::MouseButtonRelease) {
        NahladVyrazuActExecute();
        return true;
    } else if (watched->objectName() == QLatin1String("updateInfoImg") && event->type() == QEvent::MouseButtonRelease) {
        ui->ZistitNovsiuVerziuAct->trigger();
        return true;
    } else if (watched == ui->haldaLbl && event->type() == QEvent::MouseButtonRelease) {
        QFile statm(QStringLiteral("/proc/self/statm"));
        if (statm.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> parts = statm.readAll().split(' ');
            if (parts.size() > 1)
                ui->haldaLbl->setText(QString::number(parts.at(1).toLongLong() * 4) + QStringLiteral(" kB"));
        }
        return true;
    } else if (watched == ui->centralwidget) {
        // A control that does not track the mouse itself (the check boxes)
        // passes its moves on to the form: the hint stays that control's.
        if (event->type() == QEvent::MouseMove) {
            QWidget *under = ui->centralwidget->childAt(static_cast<QMouseEvent *>(event)->position().toPoint());
            while (under && under->parentWidget() != ui->centralwidget)
                under = under->parentWidget();
            if (under && under->isEnabled())
                ZmenHint(under);
            else
                ObnovHint();
        }
        return false;
    }
    if (auto *w = qobject_cast<QWidget *>(watched)) {
        if ((event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
            && w->parentWidget() == ui->centralwidget)
            ZmenHint(w);
        // A hint translated while it is shown (the language has just
        // changed) is shown in the new language at once; a name taken from
        // it follows it.
        else if (event->type() == QEvent::ToolTipChange) {
            if (w == m_hintShown)
                ZmenHint(w);
            if (HintNamedControls().contains(w))
                NameByHint(w);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainFrm::changeEvent(QEvent *event)
{
    // A new desktop font or style gives the texts new widths.
    if (m_built && (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)) {
        m_fittedTexts.clear();
        ApplyDisplayFonts();
        FitLayout();
    }
    // A new theme: the result area and the expression's characters (which
    // carry their colours) are drawn in its colours.
    if (m_built && event->type() == QEvent::PaletteChange) {
        ApplyColours();
        QTextCursor all(ui->vstupRdt->document());
        all.select(QTextCursor::Document);
        all.setCharFormat(RegularFormat());
        ui->vstupRdt->setCurrentCharFormat(RegularFormat());
        ZvyrazniZatvorky(ui->vstupRdt);
    }
    QMainWindow::changeEvent(event);
}

void TMainFrm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        ui->BtnC->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TMainFrm::ZmenHint(QWidget *control)
{
    if (control->toolTip().isEmpty()) {
        ObnovHint();
        return;
    }
    m_hintShown = control;
    m_hintPanel->setText(u' ' + control->toolTip());
    m_hintPanel->show();
}

void TMainFrm::ObnovHint()
{
    // An empty panel is hidden, so that assistive technology meets no
    // nameless text.
    m_hintShown = nullptr;
    m_hintPanel->clear();
    m_hintPanel->hide();
}

void TMainFrm::SetErrorText(const QString &text)
{
    // Hidden while there is no message, for the same reason.
    ui->LblChyba->setText(text);
    ui->LblChyba->setVisible(!text.isEmpty());
}

QList<QWidget *> TMainFrm::HintNamedControls() const
{
    return {ui->vstupRdt,
            ui->vysledokEdt,
            ui->nahladImg,
            ui->warningImg,
            findChild<QWidget *>(QStringLiteral("updateInfoImg")),
            ui->UpDownModulo,
            ui->UpDownDesM};
}

void TMainFrm::NameByHint(QWidget *control)
{
    // A control without a caption of its own is named by its hint, in the
    // language the hint is in; the arrows of an up-down control by its hint
    // and the way they step.
    const QString hint = control->toolTip();
    if (auto *upDown = dynamic_cast<TUpDown *>(control)) {
        upDown->setAccessibleName(hint);
        upDown->UpButton()->setAccessibleName(hint + QStringLiteral(" +"));
        upDown->DownButton()->setAccessibleName(hint + QStringLiteral(" \u2212"));
    } else {
        control->setAccessibleName(hint);
    }
}

void TMainFrm::PopupMenu1Popup(const QPoint &pos)
{
    QTextEdit *input = ui->vstupRdt;
    const bool selected = input->textCursor().hasSelection();
    auto item = [this](const char *name) { return PopupMenu1->findChild<QAction *>(QLatin1String(name)); };
    item("spat")->setEnabled(input->document()->isUndoAvailable());
    item("Cut1")->setEnabled(selected);
    item("Copy1")->setEnabled(selected);
    item("Remove1")->setEnabled(selected);
    PopupMenu1->popup(input->mapToGlobal(pos));
}

void TMainFrm::PopupMenu2Popup(const QPoint &pos)
{
    QLineEdit *result = ui->vysledokEdt;
    PopupMenu2->findChild<QAction *>(QStringLiteral("Copy2"))->setEnabled(result->hasSelectedText());
    PopupMenu2->popup(result->mapToGlobal(pos));
}

void TMainFrm::closeEvent(QCloseEvent *event)
{
    // Unsaved work of a tool window may keep the program running.
    if (!KMainProgram::Instance()->OfferUnsavedChanges()) {
        event->ignore();
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

void TMainFrm::FormClose()
{
    KProgramSettings *settings = KProgramSettings::Instance();
    settings->MemoryData = ui->LabelPamat->text();
    settings->Top = y();
    settings->Left = x();
}

// ---------------------------------------------------------------- keypad

void TMainFrm::InsertIntoInput(const QString &text, bool canContinue, bool isPrefix)
{
    QTextEdit *input = ui->vstupRdt;
    KProgramState *state = KProgramState::GetInstance(0);
    const quint8 mode = KProgramSettings::Instance()->InsertAfterCalculation;
    const bool ctrl = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    if (state->JustCalculated && !text.isEmpty() && !ctrl && mode != 0 && canContinue) {
        const qsizetype firstOpen = text.indexOf(u'(');
        const bool opensCall = firstOpen >= 0 && firstOpen == text.size() - 1;
        QString s;
        if (mode == 1) {
            s = state->Ans;
            const bool negative = s.startsWith(u'-');
            s.remove(u' ');
            if ((isPrefix && negative && !opensCall) || text.contains(u'^'))
                s = u'(' + s + u')';
        } else {
            s = input->toPlainText();
            if (!opensCall)
                s = u'(' + s + u')';
        }
        input->setPlainText(isPrefix ? text + s : s + text);
        QTextCursor c = input->textCursor();
        c.movePosition(QTextCursor::End);
        input->setTextCursor(c);
        input->setFocus();
        return;
    }
    input->setUpdatesEnabled(false);
    QTextCursor c = input->textCursor();
    c.insertText(text, RegularFormat());
    input->setTextCursor(c);
    input->setUpdatesEnabled(true);
    input->setFocus();
    BracketHighlightEnabled = true;
    ZvyrazniZatvorky(input);
    input->ensureCursorVisible();
}

void TMainFrm::BtnSinClick(QAbstractButton *key)
{
    QString text = key->text() + (KProgramState::GetInstance(0)->Hyp ? QStringLiteral("h(") : QStringLiteral("("));
    if (text == QStringLiteral("cotanh("))
        text = QStringLiteral("coth(");
    InsertIntoInput(text, true, true);
}

void TMainFrm::BtnCiarkaClick()
{
    QTextEdit *input = ui->vstupRdt;
    const int start = input->textCursor().selectionStart();
    const QString s = input->toPlainText();
    const QString separator(DecimalSeparator);
    if (start == 0 || ExpressionChars::IsElementDelimiter(s.at(start - 1)))
        InsertIntoInput(u'0' + separator, false, false);
    else
        InsertIntoInput(separator, false, false);
}

void TMainFrm::BtnRanClick()
{
    InsertIntoInput(FormatFloat(QStringLiteral("0.######"), Extended(QRandomGenerator::global()->generateDouble())),
                    false, false);
}

void TMainFrm::BtnANSClick()
{
    KProgramState *state = KProgramState::GetInstance(0);
    state->JustCalculated = false;
    // A complex answer is kept in brackets already; a negative one (or one
    // with a signed exponent) gets them here, as "2*-5" is no expression.
    QString answer = state->Ans;
    if (!answer.startsWith(u'(') && (answer.contains(u'-') || answer.contains(u'+')))
        answer = u'(' + answer + u')';
    InsertIntoInput(answer, false, false);
}

void TMainFrm::BtnMSClick()
{
    QString shown = ui->vysledokEdt->isVisible() ? ui->vysledokEdt->text() : QString();
    // The exponential form outside decimal cannot be read back (an "e"
    // there is a digit): the memory takes the same answer in its algebraic
    // form.
    KProgramState *state = KProgramState::GetInstance(0);
    if (state->GetRadix() != 10 && ShowsExponentialForm() && state->Ans.startsWith(u'(') && state->Ans.endsWith(u')'))
        shown = QStringLiteral("  ") + state->Ans.mid(1, state->Ans.size() - 2);
    ui->LabelPamat->setText(shown.isEmpty() ? QStringLiteral("0") : shown);
}

void TMainFrm::BtnMRClick()
{
    // A value with a sign inside (negative, complex, small exponent) goes
    // back in brackets, so that it stays one operand after an operator.
    const QString memory = ui->LabelPamat->text();
    const QString value = memory.trimmed();
    if (value.contains(u'-') || value.contains(u'+'))
        InsertIntoInput(u'(' + value + u')', false, false);
    else
        InsertIntoInput(memory, false, false);
}

void TMainFrm::BtnCClick()
{
    KProgramState::GetInstance(0)->LastExpression.clear();
    ui->vstupRdt->clear();
    ShowResult(QString());
    SetErrorText(QString());
    ui->vstupRdt->setFocus();
}

void TMainFrm::BtnCEClick()
{
    QTextEdit *input = ui->vstupRdt;
    QTextCursor c = input->textCursor();
    if (c.hasSelection()) {
        c.removeSelectedText();
        input->setTextCursor(c);
    } else {
        QString s = input->toPlainText();
        int pos = c.position();
        DeleteElementAtCursor(s, pos);
        if (s != input->toPlainText())
            input->setPlainText(s);
        QTextCursor caret = input->textCursor();
        caret.setPosition(qBound(0, pos, int(s.size())));
        input->setTextCursor(caret);
    }
    input->setFocus();
}

void TMainFrm::BtnJednoZmazClick()
{
    QTextEdit *input = ui->vstupRdt;
    QTextCursor c = input->textCursor();
    const int p = c.selectionStart();
    if (p > 0) {
        c.setPosition(p - 1);
        c.setPosition(p, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        input->setTextCursor(c);
    } else {
        c.setPosition(0);
        input->setTextCursor(c);
    }
    input->setFocus();
}

void TMainFrm::BtnRovnaSaClick()
{
    KMainProgram *program = KMainProgram::Instance();
    program->CloseBrackets();
    program->Calculate(GetInput());
}

void TMainFrm::BtnSpatClick()
{
    KMainProgram::Instance()->RecallLastHistoryEntry();
}

void TMainFrm::BtnAEClick()
{
    KProgramState *state = KProgramState::GetInstance(0);
    const quint8 radix = quint8(state->GetRadix());
    QString s = state->Ans;
    ReplaceFirst(s, QStringLiteral("("), QString());
    ReplaceFirst(s, QStringLiteral(")"), QString());
    try {
        bool toExponential = true;
        if (radix != 10) {
            // Outside decimal the answer is the algebraic text as shown, in
            // its own base (an "e" there is a digit, so no exponential form
            // can be read back); which form the display shows decides the
            // switch.
            s.remove(u' ');
            TCalculationError err;
            ConvertExpressionBase(radix, 10, ImaginaryUnit, s, err);
            if (err.ErrorCode != 0)
                return;
            toExponential = !ShowsExponentialForm();
        }
        TComplex z;
        StrToComplex(s, z);
        if (radix == 10)
            toExponential = !z.ExpForm;
        z.ExpForm = toExponential;
        QString token, display;
        ComplexToStr(z, token);
        ComplexToDisplayString(z, quint8(ui->UpDownDesM->Position()), radix, display, false);
        // The answer is put into expressions (ANS, an operator that goes on
        // from it): in the brackets of a complex answer, the number as the
        // input writes it, not the token's brackets; in decimal with all its
        // digits, in the other bases in the algebraic form as shown, as
        // every answer there is.
        if (radix == 10) {
            token.remove(u'[');
            token.remove(u']');
            state->Ans = u'(' + token + u')';
        } else {
            z.ExpForm = false;
            QString algebraic;
            ComplexToDisplayString(z, quint8(ui->UpDownDesM->Position()), radix, algebraic, false);
            state->Ans = u'(' + algebraic + u')';
        }
        ShowResult(display);
    } catch (const Exception &) {
        // A previous answer that is no complex number stays as it is.
    }
}

bool TMainFrm::ShowsExponentialForm() const
{
    return ui->vysledokEdt->isVisible() && ui->vysledokEdt->text().contains(u'^');
}

void TMainFrm::BtnVelkostClick()
{
    // Shrunk, the window ends 7 pixels below the C key's row, without the
    // scientific rows and the status bar; whole, 9 pixels below the last
    // scientific row.
    const bool shrink = ui->BtnVelkost->isChecked();
    ui->StatusBar1->setVisible(!shrink);
    for (int i = 0; i < ui->ScientificLayout->count(); ++i)
        if (QWidget *key = ui->ScientificLayout->itemAt(i)->widget())
            key->setVisible(!shrink);
    ui->ScientificGap->changeSize(0, shrink ? 0 : 12, QSizePolicy::Fixed, QSizePolicy::Fixed);
    QMargins margins = ui->MainLayout->contentsMargins();
    margins.setBottom(shrink ? 7 : 9);
    ui->MainLayout->setContentsMargins(margins);
    FitWindow();
}

void TMainFrm::NahladVyrazuActExecute()
{
    KMainProgram::Instance()->ShowExpressionPreview(PreviewText(GetInput()));
}

// ----------------------------------------------------------------- modes

void TMainFrm::NumberSetClick(int numberSet)
{
    KProgramState::GetInstance(0)->NumberSet = quint8(numberSet);
    setUpdatesEnabled(false);
    UpdateBoldCaptions();
    UpdateButtonAvailability();
    setUpdatesEnabled(true);
}

void TMainFrm::NumeralSystemClick(int system)
{
    KMainProgram::Instance()->ChangeBase(system);
    setUpdatesEnabled(false);
    UpdateBoldCaptions();
    UpdateButtonAvailability();
    setUpdatesEnabled(true);
}

void TMainFrm::UpdateAngleUnit()
{
    KProgramState::GetInstance(0)->AngleMode = quint8(qMax(0, m_angleGroup->checkedId()));
    UpdateBoldCaptions();
}

void TMainFrm::UpdateBoldCaptions()
{
    for (QButtonGroup *group : {m_numberSetGroup, m_angleGroup, m_numeralGroup}) {
        for (QAbstractButton *b : group->buttons()) {
            QFont f = b->font();
            f.setBold(b->isChecked());
            b->setFont(f);
        }
    }
}

void TMainFrm::SetModulusCaption(const QString &text)
{
    ui->sbModulo->setText(text);
}

void TMainFrm::UpdateButtonAvailability()
{
    const int mask = AvailabilityMask();
    for (QObject *child : ui->centralwidget->children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (!w)
            continue;
        const QVariant tag = w->property("Tag");
        w->setEnabled(tag.isValid() && (tag.toInt() & mask) == mask);
    }
}

void TMainFrm::UpDownModuloChanging(int newPosition, int direction, bool &allowChange)
{
    if (ModulusChanging)
        return;
    allowChange = false;
    ModulusChanging = true;
    if (Primes->Dirty)
        Primes->Generate(97);
    int position = ui->UpDownModulo->Position();
    if (direction > 0) {
        // The chain runs from the largest prime down: the last one not below
        // the requested value is the smallest such prime.
        for (const TPrvocislaNode *n = Primes->Head; n; n = n->Next)
            if (n->Value >= newPosition)
                position = n->Value;
    } else {
        for (const TPrvocislaNode *n = Primes->Head; n; n = n->Next)
            if (n->Value <= newPosition) {
                position = n->Value;
                break;
            }
    }
    ui->UpDownModulo->SetPosition(position);
    SetModulusCaption(QStringLiteral("Z (") + QString::number(position) + u')');
    KProgramState::GetInstance(0)->ModuloBase = quint8(position);
    ModulusChanging = false;
}

// ---------------------------------------------------------------- layout

namespace {

// Base made Points larger, whether it is sized in points or in pixels.
QFont Enlarged(QFont base, qreal points)
{
    if (base.pointSizeF() > 0)
        base.setPointSizeF(base.pointSizeF() + points);
    else if (base.pixelSize() > 0)
        base.setPixelSize(base.pixelSize() + qRound(points * 4 / 3));
    return base;
}

// Layouts cache their sizes, each for itself.
void InvalidateLayouts(QLayout *layout)
{
    for (int i = 0; i < layout->count(); ++i)
        if (QLayout *inner = layout->itemAt(i)->layout())
            InvalidateLayouts(inner);
    layout->invalidate();
}

// The room captions need, from the font's own glyph advances: no text
// shaping and no search for fallback fonts, which only painting them needs
// (kerning only brings glyphs closer, so a caption is painted no wider).
// A caption that would fit even if every glyph were as wide as the font's
// line is high, as no glyph of a text font is, is not measured at all.
class TCaptionWidths
{
public:
    explicit TCaptionWidths(const QFont &font) : m_font(font), m_metrics(font), m_widestGlyph(m_metrics.height()) {}
    // Width, or what Text needs with Padding beside it when that is more.
    int Widen(int width, const QString &text, int padding) const
    {
        if (text.size() * m_widestGlyph + padding <= width)
            return width;
        return qMax(width, Measure(text) + padding);
    }

private:
    int Measure(const QString &text) const
    {
        if (!m_raw)
            m_raw = QRawFont::fromFont(m_font, QFontDatabase::Latin);
        if (!m_raw->isValid())
            return m_metrics.horizontalAdvance(text);
        qreal width = 0;
        for (const QPointF &advance : m_raw->advancesForGlyphIndexes(m_raw->glyphIndexesForString(text)))
            width += advance.x();
        return qRound(width);
    }

    QFont m_font;
    QFontMetrics m_metrics;
    int m_widestGlyph;
    mutable std::optional<QRawFont> m_raw;
};

// Every caption a mode button can show: the modulus button's grows with
// the modulus, and the button down is bold, so the widest is measured up
// front and the row never moves.
int FitModeCaption(int width, const QToolButton *button, const TCaptionWidths &bold, int padding)
{
    width = bold.Widen(width, button->text(), padding);
    if (button->objectName() == QLatin1String("sbModulo"))
        width = bold.Widen(width, QStringLiteral("Z (97)"), padding);
    return width;
}

} // namespace

void TMainFrm::ApplyDisplayFonts()
{
    // The expression and the result stand out from the keypad by a larger
    // font, whatever size the desktop's font has. The result's font is only
    // looked up when a result is first shown.
    ui->vstupRdt->setFont(Enlarged(font(), 2));
    if (ui->vysledokEdt->isVisible())
        ApplyResultFont();
}

QFont TMainFrm::ResultFont() const
{
    QFont result = Enlarged(font(), 3);
    result.setBold(true);
    return result;
}

void TMainFrm::ApplyResultFont()
{
    QLineEdit *result = ui->vysledokEdt;
    const QFont wanted = ResultFont();
    if (result->font() == wanted)
        return;
    result->setFont(wanted);
    // The panel was laid out for an estimate of this font's height.
    if (result->sizeHint().height() > result->height()) {
        result->setFixedHeight(result->sizeHint().height());
        FitWindow();
    }
}

QSize TMainFrm::DesignSize(QWidget *control)
{
    // The form gives each control its designed size as its minimum; it is
    // kept before the fitting below makes sizes fixed.
    auto found = m_designSizes.constFind(control);
    if (found == m_designSizes.constEnd())
        found = m_designSizes.insert(control, control->minimumSize());
    return *found;
}

void TMainFrm::FitLayout()
{
    // Each control keeps its designed size unless its text needs more room
    // (a larger desktop font, a longer translation), so that the window is
    // exactly as designed at the usual font size and grows only as far as
    // its texts ask. Everything is measured once from the captions' widths,
    // and only again when a caption, the font or the style has changed.
    QList<QWidget *> keys;
    for (QGridLayout *grid : {ui->KeypadLayout, ui->ScientificLayout})
        for (int i = 0; i < grid->count(); ++i)
            if (QWidget *key = grid->itemAt(i)->widget())
                keys << key;
    auto *help = findChild<QLabel *>(QStringLiteral("StatusPanel0"));
    QString texts = font().key() + help->text() + ui->LabelDesM->text();
    for (QList<QWidget *> controls : {keys, QList<QWidget *>{ui->CheckBoxHyp, ui->CheckBoxZlomky}})
        for (QWidget *control : controls)
            texts += u'\n' + static_cast<QAbstractButton *>(control)->text();
    if (texts == m_fittedTexts)
        return;
    m_fittedTexts = texts;

    QStyle *style = this->style();
    const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, ui->BtnC);
    const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, ui->BtnC);
    const QFontMetrics metrics(font());
    const TCaptionWidths widthOf(font());
    QFont boldFont = font();
    boldFont.setBold(true);
    const TCaptionWidths bold(boldFont);
    const int buttonTextHeight = metrics.height() + margin + 2 * frame;

    // The mode row.
    int rowHeight = qMax(DesignSize(ui->sbRealne).height(), buttonTextHeight);
    for (QCheckBox *box : {ui->CheckBoxHyp, ui->CheckBoxZlomky})
        rowHeight = qMax(rowHeight, box->sizeHint().height());
    int rowWidth = 0;
    for (int i = 0; i < ui->ModeLayout->count(); ++i) {
        QLayoutItem *item = ui->ModeLayout->itemAt(i);
        QWidget *control = item->widget();
        if (!control) {
            rowWidth += item->sizeHint().width();
            continue;
        }
        int width = DesignSize(control).width();
        if (auto *button = qobject_cast<QToolButton *>(control))
            width = FitModeCaption(width, button, bold, 2 * frame + 2);
        else if (auto *box = qobject_cast<QCheckBox *>(control))
            width = qMax(width, box->sizeHint().width());
        else if (auto *label = qobject_cast<QLabel *>(control))
            width = widthOf.Widen(width, label->text(), 2);
        else if (qobject_cast<QLineEdit *>(control))
            width = widthOf.Widen(width, QStringLiteral("30"), 2 * frame + 6);
        control->setFixedSize(width, rowHeight);
        rowWidth += width;
    }

    // The keypad: one size for every key, wide enough for the widest
    // caption and as wide as the mode row and the menu bar above it.
    QSize key = DesignSize(ui->BtnC);
    key.setHeight(qMax(key.height(), buttonTextHeight));
    // Larger text wants more room beside it, as it does above and below.
    const int padding = qMax(margin, metrics.height() / 2);
    for (QWidget *k : std::as_const(keys))
        key.setWidth(widthOf.Widen(key.width(), static_cast<QAbstractButton *>(k)->text(), padding));
    const QMargins outer = ui->MainLayout->contentsMargins();
    const int columns = 13;
    const int gaps =
        (columns - 1) * ui->KeypadLayout->horizontalSpacing() + ui->KeypadLayout->contentsMargins().right();
    // As designed, the mode row ends 4 pixels short of the keypad's edge.
    const int across = qMax(rowWidth + 4, menuBar()->sizeHint().width() - outer.left() - outer.right());
    key.setWidth(qMax(key.width(), (across - gaps + columns - 1) / columns));
    for (QWidget *k : std::as_const(keys))
        k->setFixedSize(key);

    // The display panel.
    QTextEdit *input = ui->vstupRdt;
    const int inputHeight = QFontMetrics(input->font()).lineSpacing() + 2 * input->frameWidth()
                            + 2 * int(input->document()->documentMargin()) + 2;
    input->setFixedHeight(qMax(DesignSize(input).height(), inputHeight));
    ui->LblChyba->setMinimumWidth(DesignSize(ui->LblChyba).width());
    ui->LblChyba->setFixedHeight(qMax(DesignSize(ui->LblChyba).height(), metrics.height()));
    // A long message is cut at the panel's edge rather than widen the window;
    // the label keeps its place while there is no message.
    QSizePolicy errorPolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    errorPolicy.setRetainSizeWhenHidden(true);
    ui->LblChyba->setSizePolicy(errorPolicy);
    // Room for a number of 26 digits, as designed.
    ui->LabelPamat->setFixedSize(widthOf.Widen(DesignSize(ui->LabelPamat).width(), QString(26, u'0'), 0),
                                 qMax(DesignSize(ui->LabelPamat).height(), metrics.height()));
    for (QWidget *image : {static_cast<QWidget *>(ui->nahladImg), static_cast<QWidget *>(ui->warningImg)})
        image->setFixedSize(DesignSize(image));
    // The result's font is not looked up before a result is shown: its
    // height is estimated from the window's font, as large as the one is
    // to the other, and a few pixels for the field's margins.
    QLineEdit *result = ui->vysledokEdt;
    const QFont resultFont = ResultFont();
    const qreal scale = font().pointSizeF() > 0 ? resultFont.pointSizeF() / font().pointSizeF()
                                                : qreal(resultFont.pixelSize()) / qMax(1, font().pixelSize());
    int resultHeight = qMax(26, qCeil(metrics.height() * scale) + 4);
    if (result->font() == resultFont)
        resultHeight = qMax(resultHeight, result->sizeHint().height());
    result->setFixedHeight(resultHeight);
    // The hidden result and warning keep their place, so that the panel
    // does not change as they come and go.
    for (QWidget *control : {static_cast<QWidget *>(result), static_cast<QWidget *>(ui->warningImg)}) {
        QSizePolicy policy = control->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        control->setSizePolicy(policy);
    }

    help->setFixedWidth(widthOf.Widen(90, help->text(), 8));

    // The result field may be 353 pixels wide in the designed window, and
    // what the window grows besides.
    const int panelWidth = qMax(DesignSize(ui->Shape1).width(), columns * key.width() + gaps);
    m_resultRoom = 353 + panelWidth - DesignSize(ui->Shape1).width();
    if (result->width() > m_resultRoom)
        result->setFixedWidth(m_resultRoom);
    FitWindow();
}

void TMainFrm::FitWindow()
{
    // The window is as large as its layout needs and no larger: the keypad
    // has nothing to gain from more room. The layouts' cached sizes are
    // dropped first: the controls' new sizes reach them only later.
    InvalidateLayouts(ui->centralwidget->layout());
    ui->centralwidget->updateGeometry();
    layout()->invalidate();
    setFixedSize(minimumSizeHint());
}

// ---------------------------------------------------------------- colours

QTextCharFormat TMainFrm::RegularFormat() const
{
    QTextCharFormat f;
    f.setFontWeight(QFont::Normal);
    f.setForeground(m_inputInk);
    return f;
}

void TMainFrm::ApplyColours()
{
    // The result area is drawn as text on a base, in the theme's colours
    // (white and black on the usual light palette), each fixed colour
    // together with its background, so that it reads in a dark theme too.
    // The red of an error and of an open bracket, and the preview's ink,
    // are made readable on that base.
    const QPalette theme = palette();
    const QColor base = theme.color(QPalette::Active, QPalette::Base);
    const QColor text = theme.color(QPalette::Active, QPalette::Text);
    const auto paint = [](QWidget *control, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colours) {
        QPalette p = control->palette();
        for (const auto &[role, colour] : colours)
            p.setColor(role, colour);
        control->setPalette(p);
    };
    // The area itself is disabled (it has no part in any mode) and would be
    // drawn grey.
    paint(ui->Shape1, {{QPalette::Window, base}});
    paint(ui->LabelPamat, {{QPalette::Window, base}, {QPalette::WindowText, text}});
    paint(ui->LblChyba, {{QPalette::Window, base}, {QPalette::WindowText, ReadableColour(Qt::red, base)}});
    for (QWidget *field : {static_cast<QWidget *>(ui->vstupRdt), static_cast<QWidget *>(ui->vysledokEdt)})
        paint(field, {{QPalette::Base, base}, {QPalette::Text, text}});
    m_inputInk = text;
    m_openBracketInk = ReadableColour(Qt::red, base);
    ui->nahladImg->setPixmap(PreviewPixmap(ReadableColour(QColor(0, 0, 128), base), devicePixelRatioF()));
}
