#include "plist.h"

#include <QFile>
#include <QXmlStreamReader>

namespace vistrel {

namespace {

// Recursive descent over the reader, positioned on the start element of a value.
std::optional<QVariant> readValue(QXmlStreamReader &xml, QString &error, int depth) {
    // Each level costs a frame: a hostile file must not exhaust the stack.
    if (depth > maxPlistDepth) {
        error = QStringLiteral("values nested deeper than %1 levels").arg(maxPlistDepth);
        return std::nullopt;
    }
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
            auto value = readValue(xml, error, depth + 1);
            if (!value)
                return std::nullopt;
            map.insert(key, *value);
        }
        return map;
    }
    if (name == u"array") {
        QVariantList list;
        while (xml.readNextStartElement()) {
            auto value = readValue(xml, error, depth + 1);
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
    if (bytes.size() > maxPlistBytes) {
        if (errorOut)
            *errorOut = QStringLiteral("larger than %1 bytes").arg(maxPlistBytes);
        return std::nullopt;
    }
    QXmlStreamReader xml(bytes);
    QString error;
    std::optional<QVariant> result;
    if (xml.readNextStartElement()) {
        if (xml.name() != u"plist") {
            error = QStringLiteral("root element is <%1>, not <plist>").arg(xml.name());
        } else if (xml.readNextStartElement()) {
            result = readValue(xml, error, 1);
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

std::optional<QVariant> readPlist(const QString &path, QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    // One byte past the limit is enough to know it is too large.
    const QByteArray bytes = file.read(maxPlistBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return parsePlist(bytes, error);
}

QVariantMap readPlistFile(const QString &path, QString *error) {
    const auto value = readPlist(path, error);
    return value ? value->toMap() : QVariantMap{};
}

QString xmlEscape(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'"':
            out += u"&quot;";
            break;
        case u'\'':
            out += u"&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace vistrel
