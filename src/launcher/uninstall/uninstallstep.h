#pragma once

#include <QHashFunctions>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>

namespace vistrel {

// One step of the uninstall run. The cases are a fixed, ordered set; their names are vocabulary:
// they make the string-table keys and appear in the log lines. Views read the gadget's
// properties (caseName, titleKey, descriptionKey, symbol) and look the keys up when drawing.
class UninstallStep {
    Q_GADGET
    Q_PROPERTY(int index READ index CONSTANT)
    Q_PROPERTY(QString caseName READ caseName CONSTANT)
    Q_PROPERTY(QString titleKey READ titleKey CONSTANT)
    Q_PROPERTY(QString descriptionKey READ descriptionKey CONSTANT)
    Q_PROPERTY(QString symbol READ symbol CONSTANT)
    Q_PROPERTY(bool isComplete READ isComplete CONSTANT)

public:
    enum Case {
        stopService,
        removeLaunchAgent,
        removeApplicationFiles,
        removeLauncherApp,
        cleanupLogs,
        complete,
    };
    Q_ENUM(Case)

    static constexpr int caseCount = 6;

    // Implicit, so that a case can be used wherever a step is expected.
    constexpr UninstallStep(Case value = stopService) noexcept
        : m_case(value) {}

    // Every case, in run order.
    static QList<UninstallStep> allCases();

    constexpr Case value() const noexcept { return m_case; }
    constexpr int index() const noexcept { return int(m_case); }
    constexpr bool isComplete() const noexcept { return m_case == complete; }
    QString caseName() const;
    // "uninstall.step.<case>.title" and ".description".
    QString titleKey() const;
    QString descriptionKey() const;
    // The symbol name the progress view shows for the step.
    QString symbol() const;

    friend constexpr bool operator==(UninstallStep, UninstallStep) noexcept = default;

private:
    Case m_case;
};

inline size_t qHash(UninstallStep step, size_t seed = 0) noexcept {
    return ::qHash(step.index(), seed);
}

} // namespace vistrel
