#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

namespace vistrel {

// The uninstall log as a list model. The service publishes the whole list on every new line;
// this turns a longer list with the same beginning into an insertion at the end, so the view
// keeps its rows and scroll position and only builds the new line.
class LogLineModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QStringList lines READ lines WRITE setLines NOTIFY linesChanged)

public:
    enum Role { TextRole = Qt::UserRole + 1 };

    using QAbstractListModel::QAbstractListModel;

    const QStringList &lines() const { return m_lines; }
    void setLines(const QStringList &lines);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void linesChanged();

private:
    QStringList m_lines;
};

} // namespace vistrel
