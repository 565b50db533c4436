#include "undojournal.h"

#include "fileoperations.h"
#include "smallfile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>

namespace vistrel {

namespace {

using Kind = UndoRecord::Kind;

constexpr std::array<std::pair<Kind, const char16_t *>, 6> kindNames = {{
    {Kind::PutBack, u"putBack"},
    {Kind::Remove, u"remove"},
    {Kind::RemoveFolder, u"removeFolder"},
    {Kind::RestoreFile, u"restoreFile"},
    {Kind::Unload, u"unload"},
    {Kind::Load, u"load"},
}};

// A journal holds a few small files (plist, settings, desktop entries and icons) besides paths.
constexpr qint64 journalLimit = 16 * 1024 * 1024;

QJsonObject toJson(const UndoRecord &record) {
    QJsonObject object;
    for (const auto &[kind, name] : kindNames) {
        if (kind == record.kind)
            object.insert(QStringLiteral("kind"), QString::fromUtf16(name));
    }
    object.insert(QStringLiteral("path"), record.path);
    if (!record.aside.isEmpty())
        object.insert(QStringLiteral("aside"), record.aside);
    if (record.bytes)
        object.insert(QStringLiteral("bytes"), QString::fromLatin1(record.bytes->toBase64()));
    if (!record.uid.isEmpty())
        object.insert(QStringLiteral("uid"), record.uid);
    return object;
}

std::optional<UndoRecord> fromJson(const QJsonObject &object) {
    UndoRecord record;
    const QString kind = object.value(QStringLiteral("kind")).toString();
    const auto known =
        std::find_if(kindNames.begin(), kindNames.end(), [&](const auto &k) { return kind == k.second; });
    if (known == kindNames.end())
        return std::nullopt;
    record.kind = known->first;
    record.path = object.value(QStringLiteral("path")).toString();
    record.aside = object.value(QStringLiteral("aside")).toString();
    record.uid = object.value(QStringLiteral("uid")).toString();
    if (object.contains(QStringLiteral("bytes")))
        record.bytes = QByteArray::fromBase64(object.value(QStringLiteral("bytes")).toString().toLatin1());
    if (record.path.isEmpty() && record.kind != Kind::Unload)
        return std::nullopt;
    return record;
}

} // namespace

UndoRecord UndoRecord::putBack(const QString &path, const QString &aside) {
    return {Kind::PutBack, path, aside, std::nullopt, {}};
}
UndoRecord UndoRecord::remove(const QString &path) {
    return {Kind::Remove, path, {}, std::nullopt, {}};
}
UndoRecord UndoRecord::removeFolder(const QString &path) {
    return {Kind::RemoveFolder, path, {}, std::nullopt, {}};
}
UndoRecord UndoRecord::restoreFile(const QString &path, const std::optional<QByteArray> &bytes) {
    return {Kind::RestoreFile, path, {}, bytes, {}};
}
UndoRecord UndoRecord::unload(const QString &uid) {
    return {Kind::Unload, {}, {}, std::nullopt, uid};
}
UndoRecord UndoRecord::load(const QString &plist, const QString &uid) {
    return {Kind::Load, plist, {}, std::nullopt, uid};
}

UndoJournal::UndoJournal(QString path)
    : m_path(std::move(path)) {}

bool UndoJournal::contains(UndoRecord::Kind kind) const {
    return std::any_of(m_records.begin(), m_records.end(), [kind](const UndoRecord &r) { return r.kind == kind; });
}

std::optional<QString> UndoJournal::append(const QList<UndoRecord> &records) {
    m_records += records;
    const std::optional<QString> failure = save();
    if (failure)
        m_records.resize(m_records.size() - records.size());
    return failure;
}

std::optional<QString> UndoJournal::setPackage(const QString &package) {
    const QString previous = std::exchange(m_package, package);
    const std::optional<QString> failure = save();
    if (failure)
        m_package = previous;
    return failure;
}

bool UndoJournal::clear() {
    m_records.clear();
    m_package.clear();
    if (m_path.isEmpty())
        return true;
    // Gone for good before anything it would put back goes.
    const bool removed = removeIfPresent(m_path).ok;
    syncFolderOf(m_path);
    return removed;
}

std::optional<QString> UndoJournal::save() const {
    if (m_path.isEmpty())
        return std::nullopt;
    QJsonArray records;
    for (const UndoRecord &record : m_records)
        records.append(toJson(record));
    const QJsonObject journal{{QStringLiteral("package"), m_package}, {QStringLiteral("records"), records}};
    const FileOperationResult saved = replaceFile(m_path, QJsonDocument(journal).toJson(QJsonDocument::Compact));
    if (!saved.ok)
        return saved.description;
    return std::nullopt;
}

std::optional<UndoJournal> UndoJournal::load(const QString &path, QString *reason) {
    const std::optional<QByteArray> bytes = readSmallFile(path, journalLimit, reason);
    if (!bytes)
        return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(*bytes).object();
    UndoJournal journal(path);
    journal.m_package = object.value(QStringLiteral("package")).toString();
    for (const QJsonValue &value : object.value(QStringLiteral("records")).toArray()) {
        const std::optional<UndoRecord> record = fromJson(value.toObject());
        if (!record) {
            if (reason)
                *reason = QStringLiteral("it holds a record that cannot be read");
            return std::nullopt;
        }
        journal.m_records.append(*record);
    }
    return journal;
}

} // namespace vistrel
