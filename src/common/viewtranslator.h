#pragma once

#include <functional>

class QTranslator;

namespace vistrel {

// The views find their texts with qsTrId in the one translator installed in the application. A
// localization manager hands over its language's translator on every change; once the views
// follow, it replaces the one before and the views retranslate every visible text at once.
class ViewTranslator {
public:
    ViewTranslator() = default;
    ViewTranslator(const ViewTranslator &) = delete;
    ViewTranslator &operator=(const ViewTranslator &) = delete;
    ~ViewTranslator();

    void follow(std::function<void()> retranslate, QTranslator *translator);
    // Does nothing until the views follow: the engine's own instances leave them alone.
    void use(QTranslator *translator);

private:
    std::function<void()> m_retranslate;
    QTranslator *m_installed = nullptr;
};

} // namespace vistrel
