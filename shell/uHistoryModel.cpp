#include "shell/uHistoryModel.h"

#include "platform/Classes.h"

#include <QFileInfo>

quint8 MaxHistoryCount = 200;

namespace {
const QString Separator = QStringLiteral(" = ");
}

THistoryModel::THistoryModel(QObject *parent) : QAbstractListModel(parent) {}

int THistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Count();
}

QVariant THistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= Count() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return Items.at(index.row());
}

void THistoryModel::SetItemIndex(int Index)
{
    if ((Index >= 0 && Index < Count() ? Index : -1) != Selected)
        Announce(Index);
}

void THistoryModel::Announce(int Index)
{
    Selected = Index >= 0 && Index < Count() ? Index : -1;
    emit ItemIndexChanged(Selected);
}

void THistoryModel::AddIntoHistory(const QString &Line)
{
    for (int i = 0; i < Count(); ++i) {
        if (Items.at(i).compare(Line, Qt::CaseInsensitive) == 0) {
            beginRemoveRows({}, i, i);
            Items.removeAt(i);
            endRemoveRows();
            break;
        }
    }
    if (Count() == MaxHistoryCount) {
        beginRemoveRows({}, 0, 0);
        Items.removeFirst();
        endRemoveRows();
    }
    beginInsertRows({}, Count(), Count());
    Items.append(Line);
    endInsertRows();
    // Lines moved under the selection: it is announced afresh.
    Announce(Count() - 1);
}

void THistoryModel::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        return;
    beginRemoveRows({}, Index, Index);
    Items.removeAt(Index);
    endRemoveRows();
    Announce(qMin(Index, Count() - 1));
}

void THistoryModel::SaveToFile(const QString &FileName) const
{
    TStringList lines;
    for (const QString &line : Items)
        lines.Add(line);
    lines.SaveToFile(FileName);
}

void THistoryModel::LoadFromFile(const QString &FileName)
{
    if (!QFileInfo::exists(FileName))
        return;
    TStringList lines;
    lines.LoadFromFile(FileName);
    beginResetModel();
    Items = lines.Lines();
    endResetModel();
    Announce(-1);
}

QString THistoryModel::ExpressionOf(const QString &Line)
{
    const qsizetype sep = Line.indexOf(Separator);
    return sep < 0 ? Line : Line.left(sep);
}

QString THistoryModel::ResultOf(const QString &Line)
{
    QString result = Line;
    const qsizetype sep = Line.indexOf(Separator);
    if (sep >= 0)
        result.remove(0, sep + Separator.size());
    const qsizetype bracket = result.indexOf(u'[');
    if (bracket >= 0)
        result.truncate(qMax<qsizetype>(0, bracket - 1));
    return result;
}
