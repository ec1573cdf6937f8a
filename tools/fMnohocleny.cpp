#include "tools/fMnohocleny.h"
#include "ui_fMnohocleny.h"

#include "core/uCommon.h"
#include "shell/uShellCommon.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>

#include <limits>

namespace {

// Light red, the colour of an edit whose text was refused.
const QColor ErrorColour(0xFF, 0x66, 0x66);

QString Filled(const QString &Text, const QString &Arg1, const QString &Arg2)
{
    QString s = Text;
    if (s.contains(QStringLiteral("#1")))
        s.replace(QStringLiteral("#1"), Arg1);
    if (s.contains(QStringLiteral("#2")))
        s.replace(QStringLiteral("#2"), Arg2);
    return s;
}

} // namespace

// ------------------------------------------------------------ the picture

TPolynomView::TPolynomView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPolynomView::Changed()
{
    setFixedSize(qMin(Image.Width(), QWIDGETSIZE_MAX), qMin(Image.Height(), QWIDGETSIZE_MAX));
    update();
}

void TPolynomView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Button));
    Image.Paint(painter, event->rect(), palette().color(QPalette::ButtonText));
}

// ------------------------------------------------------------- the window

TmnohoclenyFrm::TmnohoclenyFrm(QWidget *parent) : KTandorelForm(parent), ui(new Ui::TmnohoclenyFrm)
{
    ui->setupUi(this);
    ui->UpDown1->Min = 2;
    ui->UpDown1->Max = 30;
    ui->UpDown1->SetAssociate(ui->exponentEdt);
    ui->UpDown1->SetPosition(2);
    // A result may be far longer than an edit takes by default, and it
    // must be copied into P or Q whole.
    for (QLineEdit *edit : {ui->pEdt, ui->qEdt, ui->vysEdt})
        edit->setMaxLength(std::numeric_limits<int>::max());
    ui->vysScb->viewport()->setBackgroundRole(QPalette::Button);
    ui->vysScbContents->setBackgroundRole(QPalette::Button);
    ui->vysScbContents->setAutoFillBackground(true);

    Texts.Caption(this, "Polynomials", "Caption")
        .Text(ui->kopirovatVysledokDoPBtn, "Polynomials", "CopyResult")
        .Text(ui->kopirovatVysledokDoQBtn, "Polynomials", "CopyResult")
        .Text(ui->vysGpb, "Polynomials", "Result")
        .Hint(ui->mocnina1Btn, "Polynomials", "InsertPowerChar")
        .Hint(ui->mocnina2Btn, "Polynomials", "InsertPowerChar")
        .Hint(ui->scitanieBtn, "Polynomials", "addition")
        .Hint(ui->odcitanieBtn, "Polynomials", "subtraction")
        .Hint(ui->nasobenieBtn, "Polynomials", "multiplication")
        .Hint(ui->delenieBtn, "Polynomials", "division")
        .Hint(ui->umocniPBtn, "Polynomials", "power")
        .Hint(ui->hornerBtn, "Polynomials", "HornerScheme")
        .Hint(ui->vymenaBtn, "Polynomials", "SwichPAndQ")
        .Field(&errDivisionByZero, "Polynomials", "errDivisionByZero", QStringLiteral("Error: Division by zero."))
        .Field(&errMaxVariables, "Polynomials", "errMaxVariables",
               QStringLiteral("Polynomial #1 can contain max #2 variables."))
        .Field(&errMaxVariablesTogether, "Polynomials", "errMaxVariablesTogether",
               QStringLiteral("Both polynomials can contain max #1 variables together."))
        .Field(&errMax1Variable, "Polynomials", "errMax1Variable",
               QStringLiteral("Polynomial #1 can contain max 1 variable (for instance: x)."))
        .Field(&errValueTooHigh, "Polynomials", "errValueTooHigh", QStringLiteral("Error: Value too high."))
        .Field(&errIncorrectNotation, "Polynomials", "errIncorrectNotation",
               QStringLiteral("Polynomial #1 has incorrect notation."))
        .Field(&IncorrectValue, "Common", "IncorrectValue", QStringLiteral("Value entered incorrectly."))
        .Field(&errMaxDegreeForHornerScheme, "Polynomials", "errMaxDegreeForHornerScheme",
               QStringLiteral("To perform the Horner scheme, polynomial #1 must be of max degree #2."))
        .Field(&errNegativeIndexes, "Polynomials", "errNegativeIndexes",
               QStringLiteral("To perform the Horner scheme, polynomial #1 can not contain negative indexes."))
        .Field(&reminder, "Polynomials", "reminder", QStringLiteral("reminder:"));
    Texts.SetDefaultTexts();

    connect(ui->scitanieBtn, &QPushButton::clicked, this, [this] { scitanieBtnClick(); });
    connect(ui->odcitanieBtn, &QPushButton::clicked, this, [this] { odcitanieBtnClick(); });
    connect(ui->nasobenieBtn, &QPushButton::clicked, this, [this] { nasobenieBtnClick(); });
    connect(ui->delenieBtn, &QPushButton::clicked, this, [this] { delenieBtnClick(); });
    connect(ui->umocniPBtn, &QPushButton::clicked, this, [this] { umocniPBtnClick(); });
    connect(ui->hornerBtn, &QPushButton::clicked, this, [this] { hornerBtnClick(); });
    connect(ui->vymenaBtn, &QPushButton::clicked, this, [this] { vymenaBtnClick(); });
    connect(ui->mocnina1Btn, &QPushButton::clicked, this, [this] { mocnina1BtnClick(ui->pEdt); });
    connect(ui->mocnina2Btn, &QPushButton::clicked, this, [this] { mocnina1BtnClick(ui->qEdt); });
    connect(ui->kopirovatVysledokDoPBtn, &QPushButton::clicked, this,
            [this] { ui->pEdt->setText(ui->vysEdt->text()); });
    connect(ui->kopirovatVysledokDoQBtn, &QPushButton::clicked, this,
            [this] { ui->qEdt->setText(ui->vysEdt->text()); });
    connect(ui->pEdt, &QLineEdit::textChanged, this, [this] { pEdtChange(ui->pEdt); });
    connect(ui->qEdt, &QLineEdit::textChanged, this, [this] { pEdtChange(ui->qEdt); });
    connect(ui->bodEdt, &QLineEdit::textChanged, this, [this] { ResetEditColour(ui->bodEdt); });
    for (QLineEdit *edit : {ui->pEdt, ui->qEdt, ui->bodEdt, ui->exponentEdt, ui->vysEdt})
        edit->installEventFilter(this);
    ClearImage();
}

TmnohoclenyFrm::~TmnohoclenyFrm()
{
    delete ui;
}

const TPolynomImage &TmnohoclenyFrm::Picture() const
{
    return ui->vysImg->Image;
}

void TmnohoclenyFrm::TranslateTexts()
{
    Texts.Translate();
}

bool TmnohoclenyFrm::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    const bool polynomial = edit == ui->pEdt || edit == ui->qEdt;
    if (polynomial && event->type() == QEvent::FocusIn)
        pEdtChange(edit);
    if (!edit || event->type() != QEvent::KeyPress)
        return KTandorelForm::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    int code = key->key();
    EditShortcutKeyDown(edit, code, key->modifiers());
    if (code == 0)
        return true;
    const QString typed = key->text();
    if (typed.size() != 1 || typed[0] < u' ' || key->modifiers().testFlag(Qt::ControlModifier))
        return KTandorelForm::eventFilter(watched, event);
    QChar c = typed[0];
    if (polynomial) {
        MapKeyboardChar(c, false);
        if (!PolynomCharSet().Contains(c))
            return true;
    } else if (edit == ui->bodEdt) {
        NumericEditKeyPress(edit, c);
        if (c.isNull())
            return true;
    } else {
        return KTandorelForm::eventFilter(watched, event);
    }
    if (c != typed[0]) {
        edit->insert(QString(c));
        return true;
    }
    return KTandorelForm::eventFilter(watched, event);
}

// ---------------------------------------------------------------- display

void TmnohoclenyFrm::PictureChanged()
{
    ui->vysImg->Changed();
    QSize size = ui->vysImg->size();
    if (ui->chybaLbl->isVisibleTo(this)) {
        ui->chybaLbl->adjustSize();
        const QRect label = ui->chybaLbl->geometry();
        size = size.expandedTo(QSize(label.right() + 6, label.bottom() + 6));
    }
    ui->vysScbContents->resize(size);
}

void TmnohoclenyFrm::ClearImage()
{
    ui->vysImg->Image.Clear();
    PictureChanged();
}

void TmnohoclenyFrm::RestoreResultEdit()
{
    ui->vysEdt->show();
}

void TmnohoclenyFrm::MarkEdit(QLineEdit *Edit)
{
    QPalette palette = Edit->palette();
    palette.setColor(QPalette::Base, ErrorColour);
    Edit->setPalette(palette);
}

void TmnohoclenyFrm::ResetEditColour(QLineEdit *Edit)
{
    Edit->setPalette(QPalette());
}

void TmnohoclenyFrm::ShowError(const QString &Text, const QString &Arg1, const QString &Arg2)
{
    ui->vysImg->Image.Clear();
    ui->chybaLbl->setText(Filled(Text, Arg1, Arg2));
    ui->chybaLbl->show();
    PictureChanged();
}

void TmnohoclenyFrm::ShowResult(const QString &Op, TPolynom *Remainder)
{
    ui->chybaLbl->hide();
    TPolynomImage &image = ui->vysImg->Image;
    image.Clear();
    RestoreResultEdit();
    int x = 0;
    P.Draw(image, x, false, QStringLiteral("("));
    Q.Draw(image, x, false, QStringLiteral(") ") + Op + QStringLiteral(" ("));
    Result.Draw(image, x, false, QStringLiteral(") = "));
    ui->vysEdt->setText(Result.ToText());
    ui->vysEdt->setCursorPosition(0);
    if (Remainder && !Remainder->IsZero())
        Remainder->Draw(image, x, false, u' ' + reminder + u' ');
    PictureChanged();
}

void TmnohoclenyFrm::Guarded(const QString &Name, const std::function<void()> &Action)
{
    try {
        Action();
    } catch (const EDivByZero &) {
        ShowError(errDivisionByZero);
    } catch (const EZeroDivide &) {
        ShowError(errDivisionByZero);
    } catch (const ETooManyVariables &) {
        if (Name.isEmpty())
            ShowError(errMaxVariablesTogether, QString::number(PolynomVariableCount));
        else
            ShowError(errMaxVariables, Name, QString::number(PolynomVariableCount));
    } catch (const EMathError &) {
        ShowError(errValueTooHigh);
    } catch (const EIntError &) {
        ShowError(errValueTooHigh);
    } catch (const EPolynomTooLarge &) {
        ShowError(errValueTooHigh);
    } catch (const std::bad_alloc &) {
        ShowError(errValueTooHigh);
    } catch (const Exception &e) {
        ShowError(e.Message());
    }
}

// ------------------------------------------------------------- operations

bool TmnohoclenyFrm::CheckNotation(QLineEdit *Edit, const QString &Name)
{
    if (TPolynom::CheckSyntax(Edit->text()))
        return true;
    ShowError(errIncorrectNotation, Name);
    MarkEdit(Edit);
    return false;
}

bool TmnohoclenyFrm::ParseInputs(int Max)
{
    const QString p = ui->pEdt->text();
    const QString q = ui->qEdt->text();
    if (TPolynom::LetterCount(p + q) > Max) {
        ShowError(errMaxVariablesTogether, QString::number(Max));
        return false;
    }
    if (!CheckNotation(ui->pEdt, QStringLiteral("P")))
        return false;
    P.Parse(p, TPolynom::FreshVariables(), false, true);
    if (!CheckNotation(ui->qEdt, QStringLiteral("Q")))
        return false;
    Q.Parse(q, P.Vars, false, true);
    return true;
}

void TmnohoclenyFrm::AddOrSubtract(bool Negate, const QString &Op)
{
    Guarded(QString(), [&] {
        if (!ParseInputs(PolynomVariableCount))
            return;
        Result.Parse(ui->pEdt->text(), TPolynom::FreshVariables(), false, true);
        Result.Parse(ui->qEdt->text(), Result.Vars, Negate, false);
        ShowResult(Op, nullptr);
    });
}

void TmnohoclenyFrm::scitanieBtnClick()
{
    AddOrSubtract(false, QStringLiteral("+"));
}

void TmnohoclenyFrm::odcitanieBtnClick()
{
    AddOrSubtract(true, QStringLiteral("-"));
}

void TmnohoclenyFrm::nasobenieBtnClick()
{
    Guarded(QString(), [&] {
        if (!ParseInputs(PolynomVariableCount))
            return;
        TPolynom::Multiply(P, Q, Result);
        ShowResult(QStringLiteral("."), nullptr);
    });
}

void TmnohoclenyFrm::delenieBtnClick()
{
    Guarded(QString(), [&] {
        if (!ParseInputs(PolynomVariableCount))
            return;
        if (Q.IsZero()) {
            ShowError(errDivisionByZero);
            return;
        }
        // Q's letters first, so that its first letter is the one divided in.
        TPolynom d, n, r;
        d.Parse(ui->qEdt->text(), TPolynom::FreshVariables(), false, true);
        n.Parse(ui->pEdt->text(), d.Vars, false, true);
        TPolynom::Divide(n, d, r, Result);
        ShowResult(QStringLiteral("/"), &r);
    });
}

void TmnohoclenyFrm::umocniPBtnClick()
{
    Guarded(QStringLiteral("P"), [&] {
        const QString p = ui->pEdt->text();
        if (TPolynom::LetterCount(p) > PolynomVariableCount) {
            ShowError(errMaxVariables, QStringLiteral("P"), QString::number(PolynomVariableCount));
            return;
        }
        if (!CheckNotation(ui->pEdt, QStringLiteral("P")))
            return;
        P.Parse(p, TPolynom::FreshVariables(), false, true);
        RestoreResultEdit();
        TPolynomImage &image = ui->vysImg->Image;
        image.Clear();
        int x = 0;
        P.Draw(image, x, false, QStringLiteral("("));
        image.DrawSuperscriptText(x, QStringLiteral(")^") + ui->exponentEdt->text());
        P.Power(ui->UpDown1->Position());
        P.Draw(image, x, false, QStringLiteral(" = "));
        ui->chybaLbl->hide();
        ui->vysEdt->setText(P.ToText());
        ui->vysEdt->setCursorPosition(0);
        PictureChanged();
    });
}

void TmnohoclenyFrm::hornerBtnClick()
{
    Guarded(QStringLiteral("Q"), [&] {
        const QString q = ui->qEdt->text();
        if (TPolynom::LetterCount(q) > 1) {
            ShowError(errMax1Variable, QStringLiteral("Q"));
            return;
        }
        if (!CheckNotation(ui->qEdt, QStringLiteral("Q")))
            return;
        Q.Parse(q, TPolynom::FreshVariables(), false, true);
        Extended m;
        if (!TryStrToFloat(ui->bodEdt->text(), m)) {
            ShowError(IncorrectValue);
            MarkEdit(ui->bodEdt);
            return;
        }
        if (!Q.HasNoNegativeExponent()) {
            ShowError(errNegativeIndexes, QStringLiteral("Q"));
            return;
        }
        if (Q.MaxExponent() > 10) {
            ShowError(errMaxDegreeForHornerScheme, QStringLiteral("Q"), QStringLiteral("10"));
            return;
        }
        // The scheme takes the room of the result edit too.
        ui->vysEdt->hide();
        ui->chybaLbl->hide();
        ui->vysImg->Image.Clear();
        Q.DrawHornerScheme(ui->vysImg->Image, m);
        PictureChanged();
    });
}

void TmnohoclenyFrm::pEdtChange(QLineEdit *Edit)
{
    ResetEditColour(Edit);
    RestoreResultEdit();
    ClearImage();
    const QString text = Edit->text();
    if (!TPolynom::CheckSyntax(text))
        return;
    const bool isP = Edit == ui->pEdt;
    Guarded(isP ? QStringLiteral("P") : QStringLiteral("Q"), [&] {
        // A preview only: P and Q keep what the last operation parsed.
        TPolynom preview;
        preview.Parse(text, TPolynom::FreshVariables(), false, true);
        int x = 0;
        preview.Draw(ui->vysImg->Image, x, false, isP ? QStringLiteral("P = ") : QStringLiteral("Q = "));
        ui->chybaLbl->hide();
        PictureChanged();
    });
}

void TmnohoclenyFrm::mocnina1BtnClick(QLineEdit *Edit)
{
    Edit->insert(QStringLiteral("^"));
    Edit->setFocus();
}

void TmnohoclenyFrm::vymenaBtnClick()
{
    const QString p = ui->pEdt->text();
    ui->pEdt->setText(ui->qEdt->text());
    ui->qEdt->setText(p);
}
