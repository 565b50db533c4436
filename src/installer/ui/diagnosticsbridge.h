#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace vistrel {

// Lets the views write their diagnostic lines to standard output like the rest of the program.
class DiagnosticsBridge : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(Diagnostics)
    QML_SINGLETON

public:
    explicit DiagnosticsBridge(QObject *parent = nullptr);
    Q_INVOKABLE void printLine(const QString &line) const;
};

} // namespace vistrel
