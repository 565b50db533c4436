#include "loglinemodel.h"

namespace vistrel {

void LogLineModel::setLines(const QStringList &lines) {
    if (lines == m_lines)
        return;
    const qsizetype old = m_lines.size();
    const bool appended = lines.size() > old && std::equal(m_lines.cbegin(), m_lines.cend(), lines.cbegin());
    if (appended) {
        beginInsertRows({}, int(old), int(lines.size() - 1));
        m_lines = lines;
        endInsertRows();
    } else {
        beginResetModel();
        m_lines = lines;
        endResetModel();
    }
    emit linesChanged();
}

int LogLineModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant LogLineModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    if (role == TextRole || role == Qt::DisplayRole)
        return m_lines.at(index.row());
    return {};
}

QHash<int, QByteArray> LogLineModel::roleNames() const {
    return {{TextRole, "line"}};
}

} // namespace vistrel
