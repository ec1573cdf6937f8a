#include "shell/fHistoria.h"
#include "ui_fHistoria.h"

#include "shell/uAccessibility.h"
#include "shell/uHistoryModel.h"
#include "shell/uMainProgram.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>

namespace {

// "Text file|*.txt" -> "Text file (*.txt)", the form file dialogs take.
QString DialogFilter(const QString &filter)
{
    const int bar = int(filter.indexOf(u'|'));
    if (bar < 0)
        return filter;
    return filter.left(bar) + QStringLiteral(" (") + filter.mid(bar + 1) + u')';
}

} // namespace

ThistoriaFrm::ThistoriaFrm(THistoryModel *model, QWidget *parent)
    : KTandorelForm(parent), SaveDialogFilter(QStringLiteral("Text file|*.txt")),
      History(model ? model : KMainProgram::Instance()->History()), ui(new Ui::ThistoriaFrm)
{
    ui->setupUi(this);
    KeepTextsWhole(this, minimumSize(), true);
    m_texts.Caption(this, "HistoryForm", "Caption")
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
            [this](const QString &s) { SaveDialogFilter = s + QStringLiteral("|*.txt"); });
    ui->historyLb->setModel(History);
    ui->historyLb->installEventFilter(this);
    ui->historyLb->viewport()->installEventFilter(this);
    ui->Edit1->installEventFilter(this);

    connect(History, &THistoryModel::ItemIndexChanged, this, &ThistoriaFrm::ShowSelection);
    // A click shows the line even when it was selected already; the
    // selection changes cover the arrow keys.
    connect(ui->historyLb, &QListView::clicked, this, [this] { historyLbClick(); });
    connect(ui->historyLb->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (m_following)
            return;
        History->SetItemIndex(ui->historyLb->currentIndex().row());
        historyLbClick();
    });
    connect(ui->historyLb, &QListView::doubleClicked, this, [this] { BtnPouzitClick(); });
    connect(ui->BtnPouzit, &QPushButton::clicked, this, [this] { BtnPouzitClick(); });
    connect(ui->BtnKopirovat, &QPushButton::clicked, this, [this] { BtnKopirovatClick(); });
    connect(ui->BtnZmazat, &QPushButton::clicked, this, [this] { BtnZmazatClick(); });
    connect(ui->BtnUlozit, &QPushButton::clicked, this, [this] { BtnUlozitClick(); });
    connect(ui->BtnZatvorit, &QPushButton::clicked, this, [this] { close(); });
    ShowSelection(History->ItemIndex());
}

ThistoriaFrm::~ThistoriaFrm()
{
    delete ui;
}

QListView *ThistoriaFrm::historyLb() const
{
    return ui->historyLb;
}

void ThistoriaFrm::ShowSelection(int index)
{
    m_following = true;
    QListView *list = ui->historyLb;
    if (index < 0) {
        list->selectionModel()->clear();
        // Through the view: a list that has been told "no line" does not
        // choose its first line itself when it gets the focus.
        list->setCurrentIndex(QModelIndex());
    } else {
        const QModelIndex at = History->index(index);
        list->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
        list->scrollTo(at);
    }
    m_following = false;
    PovolTlacitka(index >= 0);
}

void ThistoriaFrm::PovolTlacitka(bool enable)
{
    ui->BtnPouzit->setEnabled(enable);
    ui->BtnKopirovat->setEnabled(enable);
    ui->BtnZmazat->setEnabled(enable);
    ui->BtnUlozit->setEnabled(enable);
}

void ThistoriaFrm::TranslateTexts()
{
    m_texts.Translate();
}

void ThistoriaFrm::historyLbClick()
{
    const int index = History->ItemIndex();
    if (index >= 0)
        ui->Edit1->setText(History->Lines(index));
}

void ThistoriaFrm::BtnPouzitClick()
{
    const int index = History->ItemIndex();
    if (index >= 0)
        KMainProgram::Instance()->UseHistoryLine(History->Lines(index));
}

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
    History->Delete(History->ItemIndex());
    const int index = History->ItemIndex();
    if (index >= 0)
        ui->Edit1->setText(History->Lines(index));
    else
        ui->Edit1->clear();
}

void ThistoriaFrm::BtnUlozitClick()
{
    if (History->Count() == 0)
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
    History->SaveToFile(dialog.selectedFiles().constFirst());
}

void ThistoriaFrm::Edit1Click()
{
    const QString text = ui->Edit1->text();
    if (text.isEmpty())
        return;
    for (int i = 0; i < History->Count(); ++i) {
        if (History->Lines(i).compare(text, Qt::CaseInsensitive) == 0) {
            History->SetItemIndex(i);
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
        // A click below the last line keeps the selection, as a list box does.
        if (!ui->historyLb->indexAt(mouse->position().toPoint()).isValid())
            return true;
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
