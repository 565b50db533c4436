#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QTranslator>

#include <memory>
#include <vector>

namespace vistrel {

// One language's texts of a program: its .qm file (compiled from translations/*.ts), looked up
// by message id.
class StringTable {
public:
    StringTable();
    ~StringTable();
    StringTable(const StringTable &) = delete;
    StringTable &operator=(const StringTable &) = delete;

    bool load(const QString &qmPath);
    // The text of key, or an empty text when this table lacks it.
    QString value(const QString &key) const;
    bool contains(const QString &key) const { return !value(key).isEmpty(); }
    bool isEmpty() const { return m_translator->isEmpty(); }
    // For installing into the application, where qsTrId in QML finds it.
    QTranslator *translator() const { return m_translator.get(); }

private:
    std::unique_ptr<QTranslator> m_translator;
};

// A program's languages, each a .qm resource ":/i18n/<program>_<code>.qm", English first.
class StringCatalog {
public:
    StringCatalog(QString program, QStringList codes);
    ~StringCatalog();

    const QStringList &codes() const { return m_codes; }
    // The table of exactly this code (case-sensitive); every other code gets English. Each is
    // loaded the first time it is asked for and kept for the process; two threads asking at
    // once load it once.
    const StringTable &table(QStringView code) const;

private:
    QString m_program;
    QStringList m_codes;
    mutable QMutex m_mutex;
    mutable std::vector<std::unique_ptr<StringTable>> m_tables;
};

// The lookup rule of both programs: the active table's text, else the key itself unchanged.
// There is no fallback to another language.
QString lookupText(const StringTable &table, const QString &key);

} // namespace vistrel
