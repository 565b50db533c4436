#include "loglinemodel.h"

namespace vistrel {

LogLineModel::LogLineModel(QObject *parent)
    : QAbstractListModel(parent) {}

void LogLineModel::setLines(const QStringList &lines) {
    if (lines == m_lines)
        return;
    const qsizetype oldCount = m_lines.size();
    qsizetype same = 0;
    while (same < oldCount && same < lines.size() && lines.at(same) == m_lines.at(same))
        ++same;

    // Appending and rewriting the last line are what a run does; anything else (a new run's
    // cleared log) starts over.
    if (lines.size() >= oldCount && same >= oldCount - 1) {
        if (same < oldCount) {
            m_lines[oldCount - 1] = lines.at(oldCount - 1);
            const QModelIndex changed = index(int(oldCount - 1));
            emit dataChanged(changed, changed, {LineRole, Qt::DisplayRole});
        }
        if (lines.size() > oldCount) {
            beginInsertRows({}, int(oldCount), int(lines.size() - 1));
            m_lines = lines;
            endInsertRows();
        } else {
            m_lines = lines;
        }
    } else {
        beginResetModel();
        m_lines = lines;
        endResetModel();
    }
    emit linesChanged();
    if (m_lines.size() != oldCount)
        emit countChanged();
}

int LogLineModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant LogLineModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == LineRole || role == Qt::DisplayRole)
        return m_lines.at(index.row());
    return {};
}

QHash<int, QByteArray> LogLineModel::roleNames() const {
    return {{LineRole, "line"}};
}

} // namespace vistrel
