#pragma once
// A grid of name/value rows, each row one 'name=value' line: the variables
// window, the self-test lists, the statistics data, the prefix values, the
// unit lists and the variable descriptions of the expression library use it.
//
// Keyboard, where the options allow it: Insert inserts an empty row above
// the current one, Down on a filled last row appends an empty row,
// Ctrl+Delete deletes the current row. Enter (in the grid or in a cell being
// edited) takes over the typed text and calls OnEnter when it is set.
#include <QPointer>
#include <QStringList>
#include <QTableWidget>

#include <functional>

class TValueListEditor : public QTableWidget
{
    Q_OBJECT

public:
    explicit TValueListEditor(QWidget *parent = nullptr);

    // Column titles; an empty pair hides the title row.
    void SetTitles(const QString &keyTitle, const QString &valueTitle);

    bool KeysEditable = true;
    bool ValuesEditable = true;
    bool CanAddRows = true;
    bool CanDeleteRows = true;
    // The grid always shows at least one row (empty when there is nothing).
    bool KeepOneRow = true;
    // Characters typed into a cell go through the calculator's keyboard
    // mapping (MapKeyboardChar), PlusIsDigit as given.
    bool MapCalculatorKeys = false;
    bool PlusIsDigit = false;

    // Called after Enter; the typed text is already in its cell.
    std::function<void()> OnEnter;

    // Rows as 'name=value' lines (a name without "=" gives an empty value).
    void SetStrings(const QStringList &lines);
    // Every row as 'name=value', empty rows included.
    QStringList Strings() const;

    QString Key(int row) const;
    QString Value(int row) const;
    void SetKey(int row, const QString &key);
    void SetValue(int row, const QString &value);
    // Appends a row; returns its index.
    int AppendRow(const QString &key, const QString &value);
    // The row of Key (exact), -1 when none.
    int FindRow(const QString &key) const;
    // All rows removed; with KeepOneRow one empty row stays.
    void Clear();

    // Writes the text of a cell still being edited into the grid.
    void CommitEditor();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class TValueListCellDelegate;
    void InsertEmptyRow(int row);
    void PrepareRow(int row);
    void EnsureOneRow();
    void EditorEnter();
};
