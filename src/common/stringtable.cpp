#include "stringtable.h"

#include <QMutexLocker>

namespace vistrel {

StringTable::StringTable()
    : m_translator(std::make_unique<QTranslator>()) {}

StringTable::~StringTable() = default;

bool StringTable::load(const QString &qmPath) {
    return m_translator->load(qmPath);
}

QString StringTable::value(const QString &key) const {
    // Id-based messages have no context; their source is the id.
    return m_translator->translate(nullptr, key.toUtf8().constData());
}

StringCatalog::StringCatalog(QString program, QStringList codes)
    : m_program(std::move(program))
    , m_codes(std::move(codes))
    , m_tables(std::size_t(m_codes.size())) {}

StringCatalog::~StringCatalog() = default;

const StringTable &StringCatalog::table(QStringView code) const {
    const qsizetype found = m_codes.indexOf(code);
    const std::size_t index = found < 0 ? 0 : std::size_t(found);
    const QMutexLocker lock(&m_mutex);
    std::unique_ptr<StringTable> &table = m_tables[index];
    if (!table) {
        table = std::make_unique<StringTable>();
        const QString path = QStringLiteral(":/i18n/%1_%2.qm").arg(m_program, m_codes[qsizetype(index)]);
        if (!table->load(path))
            qWarning("texts missing from the build: %s", qPrintable(path));
    }
    return *table;
}

QString lookupText(const StringTable &table, const QString &key) {
    if (table.isEmpty())
        return key;
    const QString text = table.value(key);
    return text.isEmpty() ? key : text;
}

} // namespace vistrel
