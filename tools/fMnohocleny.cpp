#include "tools/fMnohocleny.h"
#include "ui_fMnohocleny.h"

#include "core/uCommon.h"
#include "shell/uShellCommon.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QThread>
#include <QToolButton>

#include <limits>
#include <new>

namespace {

// Light red, the colour of an edit whose text was refused.
const QColor ErrorColour(0xFF, 0x66, 0x66);

QString Filled(const QString &text, const QString &arg1, const QString &arg2)
{
    QString s = text;
    if (s.contains(QStringLiteral("#1")))
        s.replace(QStringLiteral("#1"), arg1);
    if (s.contains(QStringLiteral("#2")))
        s.replace(QStringLiteral("#2"), arg2);
    return s;
}

using TOutcome = TmnohoclenyFrm::TOutcome;
using TMessage = QString TmnohoclenyFrm::*;

// What the operations below read from the window when they start: the
// worker thread never touches the window itself.
struct TInputs
{
    QString P, Q;
    QLineEdit *PEdit, *QEdit;
};

void Refuse(TOutcome &outcome, TMessage message, const QString &arg1 = QString(), const QString &arg2 = QString(),
            QLineEdit *mark = nullptr)
{
    outcome.Message = message;
    outcome.Arg1 = arg1;
    outcome.Arg2 = arg2;
    outcome.Mark = mark;
}

// Runs Action; an arithmetic failure becomes its message (Name is the
// polynomial a sixth letter belongs to, empty for both).
void Guarded(TOutcome &outcome, const QString &name, const std::function<void()> &action)
{
    const QString most = QString::number(PolynomVariableCount);
    try {
        action();
    } catch (const EPolynomStopped &) {
        throw;
    } catch (const EDivByZero &) {
        Refuse(outcome, &TmnohoclenyFrm::errDivisionByZero);
    } catch (const EZeroDivide &) {
        Refuse(outcome, &TmnohoclenyFrm::errDivisionByZero);
    } catch (const ETooManyVariables &) {
        if (name.isEmpty())
            Refuse(outcome, &TmnohoclenyFrm::errMaxVariablesTogether, most);
        else
            Refuse(outcome, &TmnohoclenyFrm::errMaxVariables, name, most);
    } catch (const EMathError &) {
        Refuse(outcome, &TmnohoclenyFrm::errValueTooHigh);
    } catch (const EIntError &) {
        Refuse(outcome, &TmnohoclenyFrm::errValueTooHigh);
    } catch (const EPolynomTooLarge &) {
        Refuse(outcome, &TmnohoclenyFrm::errValueTooHigh);
    } catch (const std::bad_alloc &) {
        Refuse(outcome, &TmnohoclenyFrm::errValueTooHigh);
    } catch (const Exception &e) {
        outcome.Failure = e.Message();
    }
}

// Text in the notation; otherwise its message, and Edit marked.
bool CheckNotation(TOutcome &outcome, const QString &text, QLineEdit *edit, const QString &name)
{
    if (TPolynom::CheckSyntax(text))
        return true;
    Refuse(outcome, &TmnohoclenyFrm::errIncorrectNotation, name, QString(), edit);
    return false;
}

std::unique_ptr<TPolynom> Parsed(const QString &text, const TPolynomVars &vars)
{
    auto p = std::make_unique<TPolynom>();
    p->Parse(text, vars, false, true);
    return p;
}

// Both texts checked (letters together, notation) and parsed into NewP and
// NewQ with one letter table; false after the refusal.
bool ParseInputs(TOutcome &outcome, const TInputs &in)
{
    if (TPolynom::LetterCount(in.P + in.Q) > PolynomVariableCount) {
        Refuse(outcome, &TmnohoclenyFrm::errMaxVariablesTogether, QString::number(PolynomVariableCount));
        return false;
    }
    if (!CheckNotation(outcome, in.P, in.PEdit, QStringLiteral("P")))
        return false;
    outcome.NewP = Parsed(in.P, TPolynom::FreshVariables());
    if (!CheckNotation(outcome, in.Q, in.QEdit, QStringLiteral("Q")))
        return false;
    outcome.NewQ = Parsed(in.Q, outcome.NewP->Vars);
    return true;
}

// "(P) op (Q) = result", then the remainder on a line of its own, so that
// it is seen however long the line above is.
void DrawResult(TOutcome &outcome, const QString &op, TPolynom *remainder, const QString &reminder)
{
    TPolynomImage &image = outcome.Picture;
    int x = 0;
    outcome.NewP->Draw(image, x, false, QStringLiteral("("));
    outcome.NewQ->Draw(image, x, false, QStringLiteral(") ") + op + QStringLiteral(" ("));
    outcome.NewResult->Draw(image, x, false, QStringLiteral(") = "));
    outcome.ResultText = outcome.NewResult->ToText();
    outcome.ResultEdit = TOutcome::Show;
    if (remainder && !remainder->IsZero()) {
        image.BreakLine(x);
        remainder->Draw(image, x, false, u' ' + reminder + u' ');
    }
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

// ------------------------------------------------------------ result edit

TResultEdit::TResultEdit(QWidget *parent) : QLineEdit(parent)
{
    setReadOnly(true);
}

void TResultEdit::SetResult(const QString &text)
{
    m_result = text;
    setText(text.size() > ShownLength ? text.left(ShownLength) + QChar(0x2026) : text);
    setCursorPosition(0);
}

QString TResultEdit::SelectedResult() const
{
    if (!hasSelectedText())
        return QString();
    const qsizetype start = selectionStart();
    const qsizetype end = start + selectionLength();
    if (m_result.size() > ShownLength && end > ShownLength)
        return m_result.mid(start);
    return m_result.mid(start, end - start);
}

void TResultEdit::CopySelection() const
{
    const QString text = SelectedResult();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void TResultEdit::keyPressEvent(QKeyEvent *event)
{
    // Cutting from a read-only edit copies, as the program's other result
    // fields do.
    if (event == QKeySequence::Copy || event == QKeySequence::Cut) {
        CopySelection();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TResultEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    for (QAction *action : menu->actions()) {
        if (action->objectName() != u"edit-copy")
            continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, [this] { CopySelection(); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TResultEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (hasSelectedText() && clipboard->supportsSelection())
        clipboard->setText(SelectedResult(), QClipboard::Selection);
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
    for (QLineEdit *edit : {ui->pEdt, ui->qEdt})
        edit->setMaxLength(std::numeric_limits<int>::max());
    ui->vysScb->viewport()->setBackgroundRole(QPalette::Button);
    ui->vysScbContents->setBackgroundRole(QPalette::Button);
    ui->vysScbContents->setAutoFillBackground(true);

    m_texts.Caption(this, "Polynomials", "Caption")
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
    m_texts.SetDefaultTexts();

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
            [this] { ui->pEdt->setText(ui->vysEdt->Result()); });
    connect(ui->kopirovatVysledokDoQBtn, &QPushButton::clicked, this,
            [this] { ui->qEdt->setText(ui->vysEdt->Result()); });
    connect(ui->pEdt, &QLineEdit::textChanged, this, [this] { pEdtChange(ui->pEdt); });
    connect(ui->qEdt, &QLineEdit::textChanged, this, [this] { pEdtChange(ui->qEdt); });
    connect(ui->bodEdt, &QLineEdit::textChanged, this, [this] { ResetEditColour(ui->bodEdt); });
    for (QLineEdit *edit : {ui->pEdt, ui->qEdt, ui->bodEdt, ui->exponentEdt})
        edit->installEventFilter(this);
    // A quick operation ends before the cursor would change; a long one
    // shows that it is still at work.
    m_busyCursor.setSingleShot(true);
    m_busyCursor.setInterval(50);
    connect(&m_busyCursor, &QTimer::timeout, this, [this] {
        if (Busy())
            setCursor(Qt::BusyCursor);
    });
    NameControls();
    ui->vysImg->Image.Clear();
    PictureChanged();
}

TmnohoclenyFrm::~TmnohoclenyFrm()
{
    StopJob();
    for (QThread *thread : std::as_const(m_threads)) {
        thread->wait();
        delete thread;
    }
    delete ui;
}

const TPolynomImage &TmnohoclenyFrm::Picture() const
{
    return ui->vysImg->Image;
}

void TmnohoclenyFrm::TranslateTexts()
{
    m_texts.Translate();
    NameControls();
}

void TmnohoclenyFrm::NameControls()
{
    // The "^" buttons say what they do in their hint only.
    for (QPushButton *button : {ui->mocnina1Btn, ui->mocnina2Btn})
        button->setAccessibleName(button->toolTip());
    for (QWidget *control : {static_cast<QWidget *>(ui->vysEdt), static_cast<QWidget *>(ui->vysImg)})
        control->setAccessibleName(ui->vysGpb->title().trimmed());
    ui->UpDown1->UpButton()->setAccessibleName(QStringLiteral("n + 1"));
    ui->UpDown1->DownButton()->setAccessibleName(QStringLiteral("n - 1"));
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

void TmnohoclenyFrm::keyPressEvent(QKeyEvent *event)
{
    // Escape stops an operation the user started; with none running (a
    // preview is no such operation) it closes the window as everywhere.
    if (event->key() == Qt::Key_Escape && Busy() && !m_job->Preview) {
        StopJob();
        event->accept();
        return;
    }
    KTandorelForm::keyPressEvent(event);
}

void TmnohoclenyFrm::hideEvent(QHideEvent *event)
{
    StopJob();
    KTandorelForm::hideEvent(event);
}

// ------------------------------------------------------------------- jobs

void TmnohoclenyFrm::Start(std::function<void(TOutcome &)> work, bool preview)
{
    StopJob();
    auto job = std::make_shared<TJob>();
    job->Preview = preview;
    m_job = job;
    QThread *thread = QThread::create([job, work = std::move(work)] {
        TPolynomStopScope scope(job->Stop);
        try {
            work(job->Outcome);
        } catch (const EPolynomStopped &) {
            job->Outcome.Stopped = true;
        }
    });
    m_threads.append(thread);
    connect(thread, &QThread::finished, this, [this, thread, job] {
        m_threads.removeOne(thread);
        thread->wait();
        delete thread;
        Finished(job);
    });
    thread->start();
    m_busyCursor.start();
}

void TmnohoclenyFrm::StopJob()
{
    if (m_job)
        m_job->Stop = true;
    m_job.reset();
    m_busyCursor.stop();
    unsetCursor();
}

void TmnohoclenyFrm::Finished(const std::shared_ptr<TJob> &job)
{
    // A job that was stopped or overtaken by a newer one shows nothing.
    if (job != m_job)
        return;
    StopJob();
    if (!job->Outcome.Stopped)
        Show(job->Outcome);
}

void TmnohoclenyFrm::Show(TOutcome &outcome)
{
    if (outcome.NewP)
        P.Swap(*outcome.NewP);
    if (outcome.NewQ)
        Q.Swap(*outcome.NewQ);
    if (outcome.NewResult)
        Result.Swap(*outcome.NewResult);
    if (outcome.ResultEdit != TOutcome::Keep)
        ui->vysEdt->setVisible(outcome.ResultEdit == TOutcome::Show);
    if (!outcome.ResultText.isNull())
        ui->vysEdt->SetResult(outcome.ResultText);
    if (outcome.Message || !outcome.Failure.isEmpty()) {
        ShowError(outcome.Message ? this->*outcome.Message : outcome.Failure, outcome.Arg1, outcome.Arg2);
        if (outcome.Mark)
            MarkEdit(outcome.Mark);
        return;
    }
    ui->chybaLbl->hide();
    ui->vysImg->Image = std::move(outcome.Picture);
    PictureChanged();
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
    // What the picture shows, for a screen reader; a long one is cut as the
    // result edit cuts it.
    const QString text = ui->vysImg->Image.PlainText(TResultEdit::ShownLength + 1);
    ui->vysImg->setAccessibleDescription(
        text.size() > TResultEdit::ShownLength ? text.left(TResultEdit::ShownLength) + QChar(0x2026) : text);
}

void TmnohoclenyFrm::MarkEdit(QLineEdit *edit)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, ErrorColour);
    palette.setColor(QPalette::Text, Qt::black);
    edit->setPalette(palette);
}

void TmnohoclenyFrm::ResetEditColour(QLineEdit *edit)
{
    edit->setPalette(QPalette());
}

void TmnohoclenyFrm::ShowError(const QString &text, const QString &arg1, const QString &arg2)
{
    ui->vysImg->Image.Clear();
    ui->chybaLbl->setText(Filled(text, arg1, arg2));
    ui->chybaLbl->show();
    PictureChanged();
}

// ------------------------------------------------------------- operations

void TmnohoclenyFrm::AddOrSubtract(bool negate, const QString &op)
{
    Start([in = TInputs{ui->pEdt->text(), ui->qEdt->text(), ui->pEdt, ui->qEdt}, negate, op](TOutcome &outcome) {
        Guarded(outcome, QString(), [&] {
            if (!ParseInputs(outcome, in))
                return;
            outcome.NewResult = Parsed(in.P, TPolynom::FreshVariables());
            outcome.NewResult->Parse(in.Q, outcome.NewResult->Vars, negate, false);
            DrawResult(outcome, op, nullptr, QString());
        });
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
    Start([in = TInputs{ui->pEdt->text(), ui->qEdt->text(), ui->pEdt, ui->qEdt}](TOutcome &outcome) {
        Guarded(outcome, QString(), [&] {
            if (!ParseInputs(outcome, in))
                return;
            outcome.NewResult = std::make_unique<TPolynom>();
            TPolynom::Multiply(*outcome.NewP, *outcome.NewQ, *outcome.NewResult);
            DrawResult(outcome, QStringLiteral("."), nullptr, QString());
        });
    });
}

void TmnohoclenyFrm::delenieBtnClick()
{
    Start([in = TInputs{ui->pEdt->text(), ui->qEdt->text(), ui->pEdt, ui->qEdt},
           reminderCaption = reminder](TOutcome &outcome) {
        Guarded(outcome, QString(), [&] {
            if (!ParseInputs(outcome, in))
                return;
            if (outcome.NewQ->IsZero()) {
                Refuse(outcome, &TmnohoclenyFrm::errDivisionByZero);
                return;
            }
            // Q's letters first, so that its first letter is the one divided in.
            const auto d = Parsed(in.Q, TPolynom::FreshVariables());
            const auto n = Parsed(in.P, d->Vars);
            TPolynom r;
            outcome.NewResult = std::make_unique<TPolynom>();
            TPolynom::Divide(*n, *d, r, *outcome.NewResult);
            DrawResult(outcome, QStringLiteral("/"), &r, reminderCaption);
        });
    });
}

void TmnohoclenyFrm::umocniPBtnClick()
{
    Start([p = ui->pEdt->text(), pEdit = ui->pEdt, nText = ui->exponentEdt->text(),
           n = ui->UpDown1->Position()](TOutcome &outcome) {
        Guarded(outcome, QStringLiteral("P"), [&] {
            if (TPolynom::LetterCount(p) > PolynomVariableCount) {
                Refuse(outcome, &TmnohoclenyFrm::errMaxVariables, QStringLiteral("P"),
                       QString::number(PolynomVariableCount));
                return;
            }
            if (!CheckNotation(outcome, p, pEdit, QStringLiteral("P")))
                return;
            outcome.NewP = Parsed(p, TPolynom::FreshVariables());
            outcome.ResultEdit = TOutcome::Show;
            TPolynomImage &image = outcome.Picture;
            int x = 0;
            outcome.NewP->Draw(image, x, false, QStringLiteral("("));
            image.DrawSuperscriptText(x, QStringLiteral(")^") + nText);
            outcome.NewP->Power(n);
            outcome.NewP->Draw(image, x, false, QStringLiteral(" = "));
            outcome.ResultText = outcome.NewP->ToText();
        });
    });
}

void TmnohoclenyFrm::hornerBtnClick()
{
    Start([q = ui->qEdt->text(), qEdit = ui->qEdt, m = ui->bodEdt->text(), mEdit = ui->bodEdt](TOutcome &outcome) {
        Guarded(outcome, QStringLiteral("Q"), [&] {
            if (TPolynom::LetterCount(q) > 1) {
                Refuse(outcome, &TmnohoclenyFrm::errMax1Variable, QStringLiteral("Q"));
                return;
            }
            if (!CheckNotation(outcome, q, qEdit, QStringLiteral("Q")))
                return;
            outcome.NewQ = Parsed(q, TPolynom::FreshVariables());
            Extended point;
            if (!TryStrToFloat(m, point)) {
                Refuse(outcome, &TmnohoclenyFrm::IncorrectValue, QString(), QString(), mEdit);
                return;
            }
            if (!outcome.NewQ->HasNoNegativeExponent()) {
                Refuse(outcome, &TmnohoclenyFrm::errNegativeIndexes, QStringLiteral("Q"));
                return;
            }
            if (outcome.NewQ->MaxExponent() > 10) {
                Refuse(outcome, &TmnohoclenyFrm::errMaxDegreeForHornerScheme, QStringLiteral("Q"),
                       QStringLiteral("10"));
                return;
            }
            // The scheme takes the room of the result edit too.
            outcome.ResultEdit = TOutcome::Hide;
            outcome.NewQ->DrawHornerScheme(outcome.Picture, point);
        });
    });
}

void TmnohoclenyFrm::pEdtChange(QLineEdit *edit)
{
    ResetEditColour(edit);
    const QString text = edit->text();
    if (!TPolynom::CheckSyntax(text)) {
        // Nothing to preview: what an operation still computes is void too.
        StopJob();
        ui->vysEdt->show();
        ui->vysImg->Image.Clear();
        PictureChanged();
        return;
    }
    const bool isP = edit == ui->pEdt;
    Start(
        [text, isP](TOutcome &outcome) {
            Guarded(outcome, isP ? QStringLiteral("P") : QStringLiteral("Q"), [&] {
                // A preview only: P and Q keep what the last operation parsed.
                TPolynom preview;
                preview.Parse(text, TPolynom::FreshVariables(), false, true);
                int x = 0;
                preview.Draw(outcome.Picture, x, false, isP ? QStringLiteral("P = ") : QStringLiteral("Q = "));
                outcome.ResultEdit = TOutcome::Show;
            });
        },
        true);
}

void TmnohoclenyFrm::mocnina1BtnClick(QLineEdit *edit)
{
    edit->insert(QStringLiteral("^"));
    edit->setFocus();
}

void TmnohoclenyFrm::vymenaBtnClick()
{
    const QString p = ui->pEdt->text();
    ui->pEdt->setText(ui->qEdt->text());
    ui->qEdt->setText(p);
}
