#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace vistrel {

// One row of the list the user confirms before uninstalling: a symbol and the key of its text.
// The keys are the rows' own, not derived from the step names.
class UninstallItem {
    Q_GADGET
    Q_PROPERTY(QString symbol READ symbol CONSTANT)
    Q_PROPERTY(QString textKey READ textKey CONSTANT)

public:
    UninstallItem() = default;
    UninstallItem(QString symbol, QString textKey)
        : m_symbol(std::move(symbol))
        , m_textKey(std::move(textKey)) {}

    const QString &symbol() const { return m_symbol; }
    const QString &textKey() const { return m_textKey; }

    // The five rows, in the order shown.
    static QList<UninstallItem> confirmationList();

    friend bool operator==(const UninstallItem &, const UninstallItem &) = default;

private:
    QString m_symbol;
    QString m_textKey;
};

} // namespace vistrel
