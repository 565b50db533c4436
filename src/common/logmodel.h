#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace vistrel {

// A run's log as rows. A run only appends lines or rewrites the last one (the download
// progress), so a log view keeps its position and moves only when a line is added.
class LogModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { LineRole = Qt::UserRole + 1 };

    using QAbstractListModel::QAbstractListModel;

    const QStringList &lines() const { return m_lines; }
    void append(const QString &line);
    // Replaces the last line; appends when the log is empty.
    void replaceLast(const QString &line);
    void clear();

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QStringList m_lines;
};

} // namespace vistrel
