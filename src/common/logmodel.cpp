#include "logmodel.h"

namespace vistrel {

void LogModel::append(const QString &line) {
    const int row = int(m_lines.size());
    beginInsertRows({}, row, row);
    m_lines.append(line);
    endInsertRows();
}

void LogModel::replaceLast(const QString &line) {
    if (m_lines.isEmpty())
        return append(line);
    m_lines.last() = line;
    const QModelIndex changed = index(int(m_lines.size() - 1));
    emit dataChanged(changed, changed, {LineRole, Qt::DisplayRole});
}

void LogModel::clear() {
    if (m_lines.isEmpty())
        return;
    beginResetModel();
    m_lines.clear();
    endResetModel();
}

int LogModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant LogModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == LineRole || role == Qt::DisplayRole)
        return m_lines.at(index.row());
    return {};
}

QHash<int, QByteArray> LogModel::roleNames() const {
    return {{LineRole, "line"}};
}

} // namespace vistrel
