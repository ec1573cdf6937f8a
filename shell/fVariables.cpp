#include "shell/fVariables.h"
#include "ui_fVariables.h"

#include "core/uCommon.h"
#include "core/uVariableManager.h"
#include "platform/Classes.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>

// The cell editor: Enter starts the calculation (after the typed value is
// taken over) and typed characters of national keyboards become the
// calculator's keys.
class TVariableCellDelegate : public QStyledItemDelegate
{
public:
    TVariableCellDelegate(TVariablesFrm *Owner) : QStyledItemDelegate(Owner), Owner(Owner) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        Editor = editor;
        return editor;
    }

    void destroyEditor(QWidget *editor, const QModelIndex &index) const override
    {
        if (Editor == editor)
            Editor = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    // Writes the text being typed into the grid.
    void CommitOpenEditor()
    {
        if (Editor)
            emit commitData(Editor);
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *editor = qobject_cast<QLineEdit *>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                Editor = nullptr;
                Owner->GridEnter();
                return true;
            }
            if (key->text().size() == 1) {
                QChar c = key->text().at(0);
                const QChar typed = c;
                MapKeyboardChar(c, false);
                if (c != typed) {
                    editor->insert(QString(c));
                    return true;
                }
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TVariablesFrm *Owner;
    mutable QPointer<QWidget> Editor;
};

TVariablesFrm::TVariablesFrm(QWidget *parent)
    : KTandorelForm(parent), ui(new Ui::TVariablesFrm), Delegate(new TVariableCellDelegate(this))
{
    ui->setupUi(this);
    ui->variablesVle->setItemDelegate(Delegate);
    ui->variablesVle->installEventFilter(this);
    connect(ui->Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(ui->refreshBtn, &QToolButton::clicked, this, [this] { refreshBtnClick(); });
    connect(ui->clearAllBtn, &QToolButton::clicked, this, [this] { clearAllBtnClick(); });
    connect(ui->Button2, &QPushButton::clicked, this, [this] { close(); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (GridHasFocus(old) && !GridHasFocus(now))
            StoreToManager();
    });
    FillFromManager();
}

TVariablesFrm::~TVariablesFrm() { delete ui; }

QTableWidget *TVariablesFrm::variablesVle() const { return ui->variablesVle; }

bool TVariablesFrm::GridHasFocus(QWidget *Widget) const
{
    return Widget && (Widget == ui->variablesVle || ui->variablesVle->isAncestorOf(Widget));
}

void TVariablesFrm::FillFromManager()
{
    Filling = true;
    TStringList lines;
    TVariableManager::Instance()->CopyTo(lines);
    QTableWidget *grid = ui->variablesVle;
    grid->clearContents();
    grid->setRowCount(qMax(1, lines.Count()));
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QString line = row < lines.Count() ? lines.Strings(row) : QString();
        const int eq = int(line.indexOf(u'='));
        grid->setItem(row, 0, new QTableWidgetItem(eq < 0 ? line : line.left(eq)));
        grid->setItem(row, 1, new QTableWidgetItem(eq < 0 ? QString() : line.mid(eq + 1)));
    }
    Filling = false;
}

void TVariablesFrm::StoreToManager()
{
    if (Filling)
        return;
    Delegate->CommitOpenEditor();
    TStringList lines;
    const QTableWidget *grid = ui->variablesVle;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QTableWidgetItem *name = grid->item(row, 0);
        const QTableWidgetItem *value = grid->item(row, 1);
        // A row without a name is an empty line of the grid, not a variable.
        if (!name || name->text().trimmed().isEmpty())
            continue;
        // Expressions lose their blanks before a name is looked up, so a
        // blank typed around the name would leave the variable unreachable.
        lines.Add(name->text().trimmed() + u'=' + (value ? value->text() : QString()));
    }
    TVariableManager *manager = TVariableManager::Instance();
    manager->Clear();
    manager->Merge(lines);
}

void TVariablesFrm::TranslateTexts()
{
    TProgramTranslator *t = TProgramTranslator::Instance();
    if (!t->IsLoaded())
        return;
    const QString section = QStringLiteral("VariableForm");
    const QString common = QStringLiteral("Common");
    setWindowTitle(t->Translate(section, QStringLiteral("Caption"), windowTitle()));
    for (int column = 0; column < 2; ++column) {
        QTableWidgetItem *title = ui->variablesVle->horizontalHeaderItem(column);
        if (title)
            title->setText(t->Translate(common, column == 0 ? QStringLiteral("Name") : QStringLiteral("Value"), title->text()));
    }
    ui->Button3->setText(t->Translate(common, QStringLiteral("Calculate"), ui->Button3->text()));
    ui->refreshBtn->setToolTip(t->Translate(section, QStringLiteral("Refresh"), ui->refreshBtn->toolTip()));
    ui->clearAllBtn->setToolTip(t->Translate(common, QStringLiteral("RemoveAll"), ui->clearAllBtn->toolTip()));
    ui->Button2->setText(t->Translate(common, QStringLiteral("Close"), ui->Button2->text()));
}

void TVariablesFrm::Button3Click()
{
    StoreToManager();
    KMainProgram::Instance()->CalculateInput();
}

void TVariablesFrm::GridEnter()
{
    // What was typed counts for the calculation it starts.
    StoreToManager();
    KMainProgram::Instance()->CalculateInput();
}

void TVariablesFrm::refreshBtnClick()
{
    // The glyph buttons take no focus, so typed values are kept first.
    StoreToManager();
    KMainProgram::Instance()->RegisterInputVariables();
    FillFromManager();
}

void TVariablesFrm::clearAllBtnClick()
{
    TVariableManager::Instance()->Clear();
    FillFromManager();
}

bool TVariablesFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->variablesVle && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        QTableWidget *grid = ui->variablesVle;
        const int row = grid->currentRow();
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            GridEnter();
            return true;
        case Qt::Key_Insert: {
            const int at = qMax(0, row);
            grid->insertRow(at);
            grid->setItem(at, 0, new QTableWidgetItem());
            grid->setItem(at, 1, new QTableWidgetItem());
            grid->setCurrentCell(at, 0);
            return true;
        }
        case Qt::Key_Delete:
            if ((key->modifiers() & Qt::ControlModifier) && row >= 0) {
                grid->removeRow(row);
                if (grid->rowCount() == 0) {
                    grid->setRowCount(1);
                    grid->setItem(0, 0, new QTableWidgetItem());
                    grid->setItem(0, 1, new QTableWidgetItem());
                }
                return true;
            }
            break;
        case Qt::Key_Down:
            if (row == grid->rowCount() - 1) {
                const QTableWidgetItem *name = grid->item(row, 0);
                if (name && !name->text().isEmpty()) {
                    grid->insertRow(row + 1);
                    grid->setItem(row + 1, 0, new QTableWidgetItem());
                    grid->setItem(row + 1, 1, new QTableWidgetItem());
                    grid->setCurrentCell(row + 1, 0);
                    return true;
                }
            }
            break;
        default:
            break;
        }
    }
    return KTandorelForm::eventFilter(watched, event);
}

void TVariablesFrm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            FillFromManager();
        else
            StoreToManager();
    }
    KTandorelForm::changeEvent(event);
}
