#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

namespace vistrel {

// A step log as a list model. The models publish the whole list on every change; this turns that
// into row insertions and in-place changes, so that a log view keeps its position while the last
// line is rewritten (download progress) and only moves when a line is added.
class LogLineModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QStringList lines READ lines WRITE setLines NOTIFY linesChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role { LineRole = Qt::UserRole + 1 };

    explicit LogLineModel(QObject *parent = nullptr);

    const QStringList &lines() const { return m_lines; }
    void setLines(const QStringList &lines);
    int count() const { return int(m_lines.size()); }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void linesChanged();
    void countChanged();

private:
    QStringList m_lines;
};

} // namespace vistrel
