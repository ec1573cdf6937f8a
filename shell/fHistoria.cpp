#include "shell/fHistoria.h"
#include "ui_fHistoria.h"

#include "core/uProgramState.h"
#include "platform/Classes.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>

quint8 MaxHistoryCount = 200;

namespace {

const QString Separator = QStringLiteral(" = ");

// "Text file|*.txt" -> "Text file (*.txt)", the form file dialogs take.
QString DialogFilter(const QString &Filter)
{
    const int bar = int(Filter.indexOf(u'|'));
    if (bar < 0)
        return Filter;
    return Filter.left(bar) + QStringLiteral(" (") + Filter.mid(bar + 1) + u')';
}

} // namespace

ThistoriaFrm::ThistoriaFrm(QWidget *parent)
    : KTandorelForm(parent), SaveDialogFilter(QStringLiteral("Text file|*.txt")), ui(new Ui::ThistoriaFrm)
{
    ui->setupUi(this);
    Texts.Caption(this, "HistoryForm", "Caption")
        .Text(ui->BtnPouzit, "Common", "Use")
        .Text(ui->BtnKopirovat, "Common", "Copy")
        .Text(ui->BtnZmazat, "Common", "Delete")
        .Text(ui->BtnUlozit, "Common", "Save")
        .Text(ui->BtnZatvorit, "Common", "Close")
        .Field(&SaveDialogTitle, "HistoryForm", "SaveDialogCaption", QStringLiteral("Save history"))
        .Field(&SaveDialogFileName, "HistoryForm", "DefaultFileName", QStringLiteral("history.txt"))
        // The filter's translation starts from its own default, not from
        // the text it has.
        .Entry(
            "Common", "TextFile", [] { return QStringLiteral("Textový súbor"); },
            [this](const QString &S) { SaveDialogFilter = S + QStringLiteral("|*.txt"); });
    ui->historyLb->installEventFilter(this);
    ui->historyLb->viewport()->installEventFilter(this);
    ui->Edit1->installEventFilter(this);

    // A click shows the line even when it was selected already; the
    // selection changes cover the arrow keys.
    connect(ui->historyLb, &QListWidget::clicked, this, [this] { historyLbClick(); });
    connect(ui->historyLb, &QListWidget::itemSelectionChanged, this, [this] { historyLbClick(); });
    // Emitted once the pressed line is selected.
    connect(ui->historyLb, &QListWidget::pressed, this, [this] { PovolTlacitka(ItemIndex() >= 0); });
    connect(ui->historyLb, &QListWidget::itemDoubleClicked, this, [this] { BtnPouzitClick(); });
    connect(ui->BtnPouzit, &QPushButton::clicked, this, [this] { BtnPouzitClick(); });
    connect(ui->BtnKopirovat, &QPushButton::clicked, this, [this] { BtnKopirovatClick(); });
    connect(ui->BtnZmazat, &QPushButton::clicked, this, [this] { BtnZmazatClick(); });
    connect(ui->BtnUlozit, &QPushButton::clicked, this, [this] { BtnUlozitClick(); });
    connect(ui->BtnZatvorit, &QPushButton::clicked, this, [this] { close(); });
}

ThistoriaFrm::~ThistoriaFrm() { delete ui; }

QListWidget *ThistoriaFrm::historyLb() const { return ui->historyLb; }

int ThistoriaFrm::Count() const { return ui->historyLb->count(); }

QString ThistoriaFrm::Lines(int Index) const
{
    const QListWidgetItem *item = ui->historyLb->item(Index);
    return item ? item->text() : QString();
}

int ThistoriaFrm::ItemIndex() const
{
    const int row = ui->historyLb->currentRow();
    const QListWidgetItem *item = ui->historyLb->item(row);
    return item && item->isSelected() ? row : -1;
}

void ThistoriaFrm::SetItemIndex(int Index)
{
    // A selection made by the program does not show the line in Edit1;
    // only the user's choice does.
    const QSignalBlocker block(ui->historyLb);
    if (Index < 0 || Index >= Count()) {
        ui->historyLb->setCurrentRow(-1);
        ui->historyLb->clearSelection();
    } else {
        ui->historyLb->setCurrentRow(Index, QItemSelectionModel::ClearAndSelect);
    }
}

void ThistoriaFrm::AddIntoHistory(const QString &Line)
{
    for (int i = 0; i < Count(); ++i) {
        if (Lines(i).compare(Line, Qt::CaseInsensitive) == 0) {
            delete ui->historyLb->takeItem(i);
            break;
        }
    }
    if (Count() == MaxHistoryCount)
        delete ui->historyLb->takeItem(0);
    ui->historyLb->addItem(Line);
    SetItemIndex(Count() - 1);
    ui->historyLb->scrollToBottom();
    PovolTlacitka(true);
}

void ThistoriaFrm::UseSelected()
{
    const int index = ItemIndex();
    if (index < 0)
        return;
    const QString line = Lines(index);

    QString expression = line;
    const int sep = int(line.indexOf(Separator));
    if (sep >= 0)
        expression.truncate(sep);
    KProgramState::GetInstance(0)->LastExpression = expression;
    KMainProgram::Instance()->SetExpression(expression, false);

    QString result = line;
    if (sep >= 0)
        result.remove(0, sep + Separator.size());
    const int bracket = int(result.indexOf(u'['));
    if (bracket >= 0)
        result.truncate(qMax(0, bracket - 1));
    KMainProgram::Instance()->ShowResult(result);
}

void ThistoriaFrm::SaveToFile(const QString &FileName)
{
    TStringList lines;
    for (int i = 0; i < Count(); ++i)
        lines.Add(Lines(i));
    lines.SaveToFile(FileName);
}

void ThistoriaFrm::LoadFromFile(const QString &FileName)
{
    if (!QFileInfo::exists(FileName))
        return;
    TStringList lines;
    lines.LoadFromFile(FileName);
    ui->historyLb->clear();
    ui->historyLb->addItems(lines.Lines());
    SetItemIndex(-1);
}

void ThistoriaFrm::PovolTlacitka(bool Enable)
{
    ui->BtnPouzit->setEnabled(Enable);
    ui->BtnKopirovat->setEnabled(Enable);
    ui->BtnZmazat->setEnabled(Enable);
    ui->BtnUlozit->setEnabled(Enable);
    KMainProgram::Instance()->SetBackEnabled(Enable);
}

void ThistoriaFrm::TranslateTexts()
{
    Texts.Translate();
}

void ThistoriaFrm::historyLbClick()
{
    const int index = ItemIndex();
    if (index >= 0)
        ui->Edit1->setText(Lines(index));
}

void ThistoriaFrm::BtnPouzitClick() { UseSelected(); }

void ThistoriaFrm::BtnKopirovatClick()
{
    if (!ui->Edit1->hasSelectedText())
        ui->Edit1->selectAll();
    if (!ui->Edit1->text().isEmpty())
        QApplication::clipboard()->setText(ui->Edit1->selectedText());
    ui->Edit1->setFocus();
}

void ThistoriaFrm::BtnZmazatClick()
{
    int index = ItemIndex();
    if (index >= 0) {
        delete ui->historyLb->takeItem(index);
        if (index >= Count())
            index = Count() - 1;
        SetItemIndex(index);
    }
    index = ItemIndex();
    if (index >= 0) {
        ui->Edit1->setText(Lines(index));
    } else {
        PovolTlacitka(false);
        ui->Edit1->clear();
    }
}

void ThistoriaFrm::BtnUlozitClick()
{
    if (Count() == 0)
        return;
    QFileDialog dialog(this, SaveDialogTitle);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setNameFilter(DialogFilter(SaveDialogFilter));
    dialog.selectFile(SaveDialogFileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveToFile(dialog.selectedFiles().constFirst());
}

void ThistoriaFrm::Edit1Click()
{
    const QString text = ui->Edit1->text();
    if (text.isEmpty())
        return;
    for (int i = 0; i < Count(); ++i) {
        if (Lines(i).compare(text, Qt::CaseInsensitive) == 0) {
            SetItemIndex(i);
            return;
        }
    }
}

bool ThistoriaFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->historyLb && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            BtnPouzitClick();
            return true;
        }
        if (key == Qt::Key_Delete) {
            BtnZmazatClick();
            return true;
        }
    } else if (watched == ui->historyLb->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!ui->historyLb->indexAt(mouse->position().toPoint()).isValid()) {
            // A click below the last line keeps the selection, as a list box does.
            PovolTlacitka(ItemIndex() >= 0);
            return true;
        }
    } else if (watched == ui->Edit1 && event->type() == QEvent::MouseButtonRelease) {
        Edit1Click();
    }
    return KTandorelForm::eventFilter(watched, event);
}

void ThistoriaFrm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        raise();
    KTandorelForm::changeEvent(event);
}
