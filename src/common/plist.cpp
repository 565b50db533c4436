#include "plist.h"

#include <QFile>
#include <QXmlStreamReader>

namespace vistrel {

namespace {

// Recursive descent over the reader, positioned on the start element of a value.
std::optional<QVariant> readValue(QXmlStreamReader &xml, QString &error) {
    const QStringView name = xml.name();
    if (name == u"dict") {
        QVariantMap map;
        while (xml.readNextStartElement()) {
            if (xml.name() != u"key") {
                error = QStringLiteral("expected <key> in <dict>, found <%1>").arg(xml.name());
                return std::nullopt;
            }
            const QString key = xml.readElementText();
            if (!xml.readNextStartElement()) {
                error = QStringLiteral("key \"%1\" has no value").arg(key);
                return std::nullopt;
            }
            auto value = readValue(xml, error);
            if (!value)
                return std::nullopt;
            map.insert(key, *value);
        }
        return map;
    }
    if (name == u"array") {
        QVariantList list;
        while (xml.readNextStartElement()) {
            auto value = readValue(xml, error);
            if (!value)
                return std::nullopt;
            list.append(*value);
        }
        return list;
    }
    if (name == u"string" || name == u"date" || name == u"data")
        return xml.readElementText();
    if (name == u"integer") {
        bool ok = false;
        const qint64 v = xml.readElementText().trimmed().toLongLong(&ok);
        if (!ok) {
            error = QStringLiteral("malformed <integer>");
            return std::nullopt;
        }
        return v;
    }
    if (name == u"real") {
        bool ok = false;
        const double v = xml.readElementText().trimmed().toDouble(&ok);
        if (!ok) {
            error = QStringLiteral("malformed <real>");
            return std::nullopt;
        }
        return v;
    }
    if (name == u"true" || name == u"false") {
        const bool v = name == u"true";
        xml.skipCurrentElement();
        return v;
    }
    error = QStringLiteral("unsupported element <%1>").arg(name);
    return std::nullopt;
}

} // namespace

std::optional<QVariant> parsePlist(const QByteArray &bytes, QString *errorOut) {
    QXmlStreamReader xml(bytes);
    QString error;
    std::optional<QVariant> result;
    if (xml.readNextStartElement()) {
        if (xml.name() != u"plist") {
            error = QStringLiteral("root element is <%1>, not <plist>").arg(xml.name());
        } else if (xml.readNextStartElement()) {
            result = readValue(xml, error);
            if (result)
                xml.skipCurrentElement(); // the rest of <plist>
        } else {
            error = QStringLiteral("empty <plist>");
        }
    }
    if (result && !xml.hasError()) {
        while (!xml.atEnd())
            xml.readNext();
    }
    if (xml.hasError()) {
        error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
        result.reset();
    } else if (!result && error.isEmpty()) {
        error = QStringLiteral("no property list found");
    }
    if (!result && errorOut)
        *errorOut = error;
    return result;
}

QVariantMap readPlistFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const auto value = parsePlist(file.readAll());
    return value ? value->toMap() : QVariantMap{};
}

} // namespace vistrel
