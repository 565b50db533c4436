#include "uninstallstep.h"

namespace vistrel {

namespace {

struct StepText {
    const char16_t *caseName;
    const char16_t *symbol;
};

constexpr StepText stepTexts[UninstallStep::caseCount] = {
    {u"stopService", u"stop.circle"},
    {u"removeLaunchAgent", u"trash"},
    {u"removeApplicationFiles", u"folder.badge.minus"},
    {u"removeLauncherApp", u"app.dashed"},
    {u"cleanupLogs", u"text.badge.xmark"},
    {u"complete", u"checkmark.circle.fill"},
};

} // namespace

QList<UninstallStep> UninstallStep::allCases() {
    QList<UninstallStep> cases;
    for (int i = 0; i < caseCount; ++i)
        cases.append(UninstallStep(Case(i)));
    return cases;
}

QString UninstallStep::caseName() const {
    return QString::fromUtf16(stepTexts[index()].caseName);
}

QString UninstallStep::titleKey() const {
    return QStringLiteral("uninstall.step.") + caseName() + QStringLiteral(".title");
}

QString UninstallStep::descriptionKey() const {
    return QStringLiteral("uninstall.step.") + caseName() + QStringLiteral(".description");
}

QString UninstallStep::symbol() const {
    return QString::fromUtf16(stepTexts[index()].symbol);
}

} // namespace vistrel
