#pragma once
// The history: one line per successful calculation, newest last, and the
// line the user or the Back key has selected. The controller owns it and
// fills it even while the history window has never been shown; the window
// is a view on it. Start-up loads "history.dat" into it and exit saves it.
//
// A line as the controller writes it: expression, " = ", result and, when the
// expression uses variables, " [" followed by 'name=value;' groups and "]".
#include <QAbstractListModel>
#include <QString>
#include <QStringList>

// The most lines that adding keeps (a longer file is still loaded whole).
extern quint8 MaxHistoryCount;

class THistoryModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit THistoryModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    int Count() const { return int(m_items.size()); }
    QString Lines(int index) const { return m_items.value(index); }

    // Appends Line: an equal line (letter case ignored) is removed first;
    // when exactly MaxHistoryCount lines are then held the oldest goes.
    // The new line becomes the selected one.
    void AddIntoHistory(const QString &line);
    // Removes one line; the line that moves into its place (else the new
    // last line) is selected, none when the history is empty.
    void Delete(int index);

    // -1 when no line is selected.
    int ItemIndex() const { return m_selected; }
    // An index outside the lines clears the selection.
    void SetItemIndex(int index);

    // Writes every line to FileName (UTF-8, CR LF, replaced atomically).
    // Raises EFCreateError when the file cannot be written.
    void SaveToFile(const QString &fileName) const;
    // When FileName exists its lines replace the history (all of them, no
    // cut to MaxHistoryCount); no line is selected afterwards. A missing
    // file changes nothing. Raises EFOpenError when it exists but cannot
    // be read.
    void LoadFromFile(const QString &fileName);

    // A line split for reuse: the expression before the first " = " and the
    // result after it, without the " [variables]" tail. A line without
    // " = " is both.
    static QString ExpressionOf(const QString &line);
    static QString ResultOf(const QString &line);

signals:
    // The selection changed (by a new line, a deletion, a load, the Back
    // key or the window).
    void ItemIndexChanged(int index);

private:
    void Announce(int index);

    QStringList m_items;
    int m_selected = -1;
};
