#pragma once

#include <QString>

#include <QCoro/QCoroTask>

namespace vistrel {

class StepContext;

// The install step: strips the download quarantine, makes the programs and scripts executable,
// and writes the port and language files (their previous bytes journaled first). Problems become
// warning lines; it fails only when interrupted or when the journal cannot be saved.
class InstalledFiles {
public:
    // portText: the port as the user typed it (empty: the default); language: the language file's code.
    InstalledFiles(StepContext &context, QString portText, QString language)
        : m_context(context)
        , m_portText(std::move(portText))
        , m_language(std::move(language)) {}

    QCoro::Task<void> prepare();

private:
    StepContext &m_context;
    QString m_portText;
    QString m_language;
};

} // namespace vistrel
