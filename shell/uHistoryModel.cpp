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
    return m_items.at(index.row());
}

void THistoryModel::SetItemIndex(int index)
{
    if ((index >= 0 && index < Count() ? index : -1) != m_selected)
        Announce(index);
}

void THistoryModel::Announce(int index)
{
    m_selected = index >= 0 && index < Count() ? index : -1;
    emit ItemIndexChanged(m_selected);
}

void THistoryModel::AddIntoHistory(const QString &line)
{
    for (int i = 0; i < Count(); ++i) {
        if (m_items.at(i).compare(line, Qt::CaseInsensitive) == 0) {
            beginRemoveRows({}, i, i);
            m_items.removeAt(i);
            endRemoveRows();
            break;
        }
    }
    if (Count() == MaxHistoryCount) {
        beginRemoveRows({}, 0, 0);
        m_items.removeFirst();
        endRemoveRows();
    }
    beginInsertRows({}, Count(), Count());
    m_items.append(line);
    endInsertRows();
    // Lines moved under the selection: it is announced afresh.
    Announce(Count() - 1);
}

void THistoryModel::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    beginRemoveRows({}, index, index);
    m_items.removeAt(index);
    endRemoveRows();
    Announce(qMin(index, Count() - 1));
}

void THistoryModel::SaveToFile(const QString &fileName) const
{
    TStringList lines;
    for (const QString &line : m_items)
        lines.Add(line);
    lines.SaveToFile(fileName);
}

void THistoryModel::LoadFromFile(const QString &fileName)
{
    if (!QFileInfo::exists(fileName))
        return;
    TStringList lines;
    lines.LoadFromFile(fileName);
    beginResetModel();
    m_items = lines.Lines();
    endResetModel();
    Announce(-1);
}

QString THistoryModel::ExpressionOf(const QString &line)
{
    const qsizetype sep = line.indexOf(Separator);
    return sep < 0 ? line : line.left(sep);
}

QString THistoryModel::ResultOf(const QString &line)
{
    QString result = line;
    const qsizetype sep = line.indexOf(Separator);
    if (sep >= 0)
        result.remove(0, sep + Separator.size());
    const qsizetype bracket = result.indexOf(u'[');
    if (bracket >= 0)
        result.truncate(qMax<qsizetype>(0, bracket - 1));
    return result;
}
