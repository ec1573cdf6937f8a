#include "shell/uValueListEditor.h"

#include "core/uCommon.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

// The cell editor: Enter ends editing and reaches the grid's OnEnter, and
// typed characters may become the calculator's keys.
class TValueListCellDelegate : public QStyledItemDelegate
{
public:
    explicit TValueListCellDelegate(TValueListEditor *owner) : QStyledItemDelegate(owner), m_owner(owner) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        m_editor = editor;
        return editor;
    }

    void destroyEditor(QWidget *editor, const QModelIndex &index) const override
    {
        if (m_editor == editor)
            m_editor = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    void CommitOpenEditor()
    {
        if (m_editor)
            emit commitData(m_editor);
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
                m_editor = nullptr;
                m_owner->EditorEnter();
                return true;
            }
            // An editor with nothing typed into it has nothing to undo:
            // Escape closes it and goes on to the window, which closes.
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && !editor->isModified()) {
                emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
                m_editor = nullptr;
                return false;
            }
            if (m_owner->MapCalculatorKeys && key->text().size() == 1) {
                QChar c = key->text().at(0);
                const QChar typed = c;
                MapKeyboardChar(c, m_owner->PlusIsDigit);
                if (c != typed) {
                    editor->insert(QString(c));
                    return true;
                }
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TValueListEditor *m_owner;
    mutable QPointer<QWidget> m_editor;
};

TValueListEditor::TValueListEditor(QWidget *parent) : QTableWidget(0, 2, parent)
{
    setItemDelegate(new TValueListCellDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->setVisible(false);
    SetTitles(QStringLiteral("Name"), QStringLiteral("Value"));
    EnsureOneRow();
}

void TValueListEditor::SetTitles(const QString &keyTitle, const QString &valueTitle)
{
    setHorizontalHeaderLabels({keyTitle, valueTitle});
    horizontalHeader()->setVisible(!keyTitle.isEmpty() || !valueTitle.isEmpty());
}

void TValueListEditor::PrepareRow(int row)
{
    for (int column = 0; column < 2; ++column) {
        QTableWidgetItem *cell = item(row, column);
        if (!cell) {
            cell = new QTableWidgetItem();
            setItem(row, column, cell);
        }
        const bool editable = column == 0 ? KeysEditable : ValuesEditable;
        cell->setFlags(editable ? cell->flags() | Qt::ItemIsEditable : cell->flags() & ~Qt::ItemIsEditable);
    }
}

void TValueListEditor::EnsureOneRow()
{
    if (KeepOneRow && rowCount() == 0) {
        setRowCount(1);
        PrepareRow(0);
    }
}

void TValueListEditor::SetStrings(const QStringList &lines)
{
    clearContents();
    setRowCount(int(lines.size()));
    for (int row = 0; row < rowCount(); ++row) {
        const QString &line = lines.at(row);
        const qsizetype eq = line.indexOf(u'=');
        PrepareRow(row);
        item(row, 0)->setText(eq < 0 ? line : line.left(eq));
        item(row, 1)->setText(eq < 0 ? QString() : line.mid(eq + 1));
    }
    EnsureOneRow();
}

QStringList TValueListEditor::Strings() const
{
    QStringList lines;
    for (int row = 0; row < rowCount(); ++row)
        lines << Key(row) + u'=' + Value(row);
    return lines;
}

QString TValueListEditor::Key(int row) const
{
    const QTableWidgetItem *cell = item(row, 0);
    return cell ? cell->text() : QString();
}

QString TValueListEditor::Value(int row) const
{
    const QTableWidgetItem *cell = item(row, 1);
    return cell ? cell->text() : QString();
}

void TValueListEditor::SetKey(int row, const QString &key)
{
    PrepareRow(row);
    item(row, 0)->setText(key);
}

void TValueListEditor::SetValue(int row, const QString &value)
{
    PrepareRow(row);
    item(row, 1)->setText(value);
}

int TValueListEditor::AppendRow(const QString &key, const QString &value)
{
    // The one empty row kept for typing is taken first.
    int row = rowCount();
    if (row == 1 && KeepOneRow && this->Key(0).isEmpty() && this->Value(0).isEmpty())
        row = 0;
    else
        setRowCount(row + 1);
    PrepareRow(row);
    item(row, 0)->setText(key);
    item(row, 1)->setText(value);
    return row;
}

int TValueListEditor::FindRow(const QString &key) const
{
    for (int row = 0; row < rowCount(); ++row)
        if (this->Key(row) == key)
            return row;
    return -1;
}

void TValueListEditor::Clear()
{
    clearContents();
    setRowCount(0);
    EnsureOneRow();
}

void TValueListEditor::CommitEditor()
{
    static_cast<TValueListCellDelegate *>(itemDelegate())->CommitOpenEditor();
}

void TValueListEditor::InsertEmptyRow(int row)
{
    insertRow(row);
    PrepareRow(row);
    setCurrentCell(row, 0);
}

void TValueListEditor::EditorEnter()
{
    if (OnEnter)
        OnEnter();
}

void TValueListEditor::keyPressEvent(QKeyEvent *event)
{
    const int row = currentRow();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (OnEnter) {
            OnEnter();
            return;
        }
        break;
    case Qt::Key_Insert:
        if (CanAddRows) {
            InsertEmptyRow(qMax(0, row));
            return;
        }
        break;
    case Qt::Key_Delete:
        if (CanDeleteRows && (event->modifiers() & Qt::ControlModifier) && row >= 0) {
            removeRow(row);
            EnsureOneRow();
            return;
        }
        break;
    case Qt::Key_Down:
        if (CanAddRows && row == rowCount() - 1 && !Key(row).isEmpty()) {
            InsertEmptyRow(row + 1);
            return;
        }
        break;
    default:
        break;
    }
    QTableWidget::keyPressEvent(event);
}
