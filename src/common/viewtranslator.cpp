#include "viewtranslator.h"

#include <QCoreApplication>

namespace vistrel {

ViewTranslator::~ViewTranslator() {
    if (m_installed)
        QCoreApplication::removeTranslator(m_installed);
}

void ViewTranslator::follow(std::function<void()> retranslate, QTranslator *translator) {
    m_retranslate = std::move(retranslate);
    use(translator);
}

void ViewTranslator::use(QTranslator *translator) {
    if (!m_retranslate)
        return;
    if (m_installed)
        QCoreApplication::removeTranslator(m_installed);
    m_installed = translator;
    QCoreApplication::installTranslator(m_installed);
    m_retranslate();
}

} // namespace vistrel
