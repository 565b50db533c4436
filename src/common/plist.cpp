#include "plist.h"

#include "smallfile.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <cmath>
#include <limits>

namespace vistrel {

namespace {

// --- values ----------------------------------------------------------------------------------
// Numbers are read as the reference reader's language reads them: white space around, a sign,
// digits of any script, single underscores between digits.

// The text with each decimal digit of any script as its ASCII digit; nothing when anything else
// outside ASCII is left.
std::optional<QByteArray> asciiForm(QStringView text) {
    QByteArray out;
    for (const char32_t c : text.toUcs4()) {
        if (QChar::category(c) == QChar::Number_DecimalDigit)
            out += char('0' + QChar::digitValue(c));
        else if (c < 128)
            out += char(c);
        else
            return std::nullopt;
    }
    return out;
}

std::optional<QVariant> readInteger(const QString &text) {
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9](_?[0-9])*$"));
    static const QRegularExpression hex(QStringLiteral("^0[xX]_?[0-9a-fA-F](_?[0-9a-fA-F])*$"));
    const bool isHex = text.startsWith(u"0x") || text.startsWith(u"0X");
    const std::optional<QByteArray> ascii = asciiForm(QStringView(text).trimmed());
    if (!ascii || !(isHex ? hex : decimal).match(QString::fromLatin1(*ascii)).hasMatch())
        return std::nullopt;
    QByteArray digits = *ascii;
    digits.replace('_', QByteArray());
    if (isHex)
        digits.remove(0, 2);
    else if (digits.size() - (digits.front() == '+' || digits.front() == '-') > 4300)
        return std::nullopt; // as the reference, which reads no decimal integer of more digits
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok, isHex ? 16 : 10);
    return ok ? QVariant(value) : QVariant::fromValue(PlistLargeInteger{text.trimmed()});
}

std::optional<QVariant> readReal(const QString &text) {
    static const QRegularExpression special(QStringLiteral("^[+-]?(inf|infinity|nan)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression number(QStringLiteral(
        "^[+-]?([0-9](_?[0-9])*(\\.([0-9](_?[0-9])*)?)?|\\.[0-9](_?[0-9])*)([eE][+-]?[0-9](_?[0-9])*)?$"));
    const std::optional<QByteArray> ascii = asciiForm(QStringView(text).trimmed());
    if (!ascii)
        return std::nullopt;
    const QString t = QString::fromLatin1(*ascii);
    if (const QRegularExpressionMatch m = special.match(t); m.hasMatch()) {
        const double value = m.captured(1).compare(u"nan", Qt::CaseInsensitive) == 0
                                 ? std::numeric_limits<double>::quiet_NaN()
                                 : std::numeric_limits<double>::infinity();
        return QVariant(t.startsWith(u'-') ? -value : value);
    }
    if (!number.match(t).hasMatch())
        return std::nullopt;
    const QByteArray plain = QByteArray(*ascii).replace('_', QByteArray());
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (ok)
        return QVariant(value);
    // Out of range: infinity for a huge number, zero for a tiny one, as the reference has it.
    const qsizetype e = plain.indexOf('e') < 0 ? plain.indexOf('E') : plain.indexOf('e');
    const QByteArray mantissa = plain.left(e < 0 ? plain.size() : e);
    const qsizetype point = mantissa.contains('.') ? mantissa.indexOf('.') : mantissa.size();
    qsizetype lead = -1;
    for (qsizetype i = 0; i < mantissa.size() && lead < 0; ++i) {
        if (mantissa[i] >= '1' && mantissa[i] <= '9')
            lead = i;
    }
    const double exponent = e < 0 ? 0 : plain.mid(e + 1).toDouble();
    const double leading = double(lead < point ? point - lead - 1 : point - lead); // the first digit's power of ten
    const bool huge = lead >= 0 && exponent + leading > 0;
    const double magnitude = huge ? std::numeric_limits<double>::infinity() : 0.0;
    return QVariant(plain.startsWith('-') ? -magnitude : magnitude);
}

// YYYY-MM-DDTHH:MM:SSZ, the smaller units optional down to the day; what follows the Z is not looked at.
std::optional<QVariant> readDate(const QString &text) {
    static const QRegularExpression pattern(
        QStringLiteral("^([0-9]{4})(?:-([0-9]{2})(?:-([0-9]{2})(?:T([0-9]{2})(?::([0-9]{2})(?::([0-9]{2}))?)?)?)?)?Z"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch() || !m.hasCaptured(3))
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QVariant(QDateTime(date, time, Qt::UTC));
}

// Base64 as the reference decodes it: characters outside the alphabet are passed over, padding
// ends the data, a quad left incomplete is an error.
std::optional<QVariant> readData(const QString &text, QString &why) {
    QByteArray out;
    int quad = 0;
    int pads = 0;
    unsigned left = 0;
    for (const char c : text.toUtf8()) {
        if (c == '=') {
            if (quad >= 2 && quad + ++pads >= 4)
                return QVariant(out);
            continue;
        }
        unsigned v = 0;
        if (c >= 'A' && c <= 'Z')
            v = unsigned(c - 'A');
        else if (c >= 'a' && c <= 'z')
            v = unsigned(c - 'a' + 26);
        else if (c >= '0' && c <= '9')
            v = unsigned(c - '0' + 52);
        else if (c == '+' || c == '/')
            v = c == '+' ? 62 : 63;
        else
            continue;
        pads = 0;
        if (quad > 0)
            out += char(((left << (2 * quad)) | (v >> (6 - 2 * quad))) & 0xff);
        left = v & ((1u << (6 - 2 * quad)) - 1);
        quad = (quad + 1) % 4;
    }
    if (quad == 0)
        return QVariant(out);
    why = QStringLiteral("is not base64: ") +
          (quad == 1 ? QStringLiteral("one character too many") : QStringLiteral("incorrect padding"));
    return std::nullopt;
}

// --- XML -------------------------------------------------------------------------------------

// Three spots where the XML reader here is stricter than XML and the reference; each is rewritten
// to something it accepts that means the same. A version other than 1.0 is read as 1.0; a system
// literal of the DOCTYPE (never loaded) may hold any character; and a "]" written as a character
// reference and followed by "]>" is taken for the forbidden "]]>", so that ">" becomes "&gt;"
// (outside comments, CDATA and instructions, where it is plain text).
QByteArray readableXml(QByteArray bytes) {
    static const QRegularExpression version(QStringLiteral(R"(^<\?xml\s+version\s*=\s*(["'])([-a-zA-Z0-9_.]*)\1)"));
    const qsizetype bom = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (const QRegularExpressionMatch m = version.match(QString::fromLatin1(bytes.mid(bom, 256)));
        m.hasMatch() && m.captured(2) != u"1.0")
        bytes.replace(bom + m.capturedStart(2), m.capturedLength(2), "1.0");

    static const QRegularExpression doctype(
        QStringLiteral(R"(^<!DOCTYPE\s+[^\s\[>]+\s+(SYSTEM\s+|PUBLIC\s+("[^"]*"|'[^']*')\s+)("[^"]*"|'[^']*'))"));
    static const QRegularExpression bracket(QStringLiteral("^&#(0*93|[xX]0*5[dD]);\\]>"));
    static const std::pair<QByteArrayView, QByteArrayView> textSections[] = {
        {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}};
    QByteArray out;
    out.reserve(bytes.size());
    bool prolog = true;
    for (qsizetype i = 0; i < bytes.size();) {
        const QByteArrayView rest = QByteArrayView(bytes).sliced(i);
        const auto head = [&rest](qsizetype n) { return QString::fromLatin1(rest.first(std::min(rest.size(), n))); };
        qsizetype length = 1;
        for (const auto &[open, close] : textSections) {
            if (rest.startsWith(open)) {
                const qsizetype end = rest.indexOf(close, open.size());
                length = end < 0 ? rest.size() : end + close.size();
                break;
            }
        }
        if (prolog && rest.startsWith("<!DOCTYPE")) {
            if (const QRegularExpressionMatch m = doctype.match(head(4096)); m.hasMatch()) {
                QByteArray declaration = rest.first(m.capturedEnd(3)).toByteArray();
                for (qsizetype c = m.capturedStart(3) + 1; c < m.capturedEnd(3) - 1; ++c) {
                    if (declaration[c] == '<' || declaration[c] == '&')
                        declaration[c] = '_';
                }
                out += declaration;
                i += declaration.size();
                continue;
            }
        } else if (rest.startsWith("&#")) {
            if (const QRegularExpressionMatch m = bracket.match(head(16)); m.hasMatch()) {
                out += rest.first(m.capturedLength() - 1);
                out += "&gt;";
                i += m.capturedLength();
                continue;
            }
        } else if (rest.size() > 1 && rest[0] == '<' && rest[1] != '!' && rest[1] != '?') {
            prolog = false;
        }
        out += rest.first(length);
        i += length;
    }
    return out;
}

// Beyond ASCII, the reader here takes any character for part of a name; XML only letters, marks
// and digits.
bool isXmlName(QStringView name) {
    return std::all_of(name.cbegin(), name.cend(), [](QChar c) {
        if (c.unicode() < 128)
            return std::isalnum(int(c.unicode())) || c == u'.' || c == u'-' || c == u'_' || c == u':';
        if (c.isSurrogate())
            return true;
        const QChar::Category category = c.category();
        return c.isLetterOrNumber() || category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
               category == QChar::Mark_Enclosing;
    });
}

bool looksLikeXmlPlist(const QByteArray &bytes) {
    for (const char *start : {"<?xml", "<plist"}) {
        const QByteArray ascii(start);
        QByteArray utf16be, utf16le;
        for (const char c : ascii) {
            utf16be += '\0' + QByteArray(1, c);
            utf16le += QByteArray(1, c) + '\0';
        }
        if (bytes.startsWith(ascii) || bytes.startsWith("\xEF\xBB\xBF" + ascii) ||
            bytes.startsWith("\xFE\xFF" + utf16be) || bytes.startsWith("\xFF\xFE" + utf16le))
            return true;
    }
    return false;
}

// The reference reader's way through the elements: every start tag clears the text gathered so
// far, a value goes where the last key or the enclosing array puts it, unknown elements pass.
class PlistReader {
public:
    std::optional<QVariant> read(QXmlStreamReader &xml);
    QString error;

private:
    struct Container {
        bool isDict = false;
        QVariantMap dict;
        QVariantList array;
        std::optional<QString> key; // where it goes in the enclosing dictionary
    };

    bool begin(QStringView name);
    bool end(QStringView name);
    bool endValue(QStringView name, const QString &text);
    // Checks where a value may go and claims the key for it.
    std::optional<std::optional<QString>> place();
    void put(const std::optional<QString> &key, const QVariant &value);
    bool fail(const QString &why);

    QXmlStreamReader *m_xml = nullptr;
    QList<Container> m_stack;
    std::optional<QString> m_key;
    QString m_text;
    QVariant m_root;
    bool m_elementSeen = false;
};

bool PlistReader::fail(const QString &why) {
    error = QStringLiteral("line %1: %2").arg(m_xml->lineNumber()).arg(why);
    return false;
}

std::optional<std::optional<QString>> PlistReader::place() {
    if (m_stack.size() >= maxPlistDepth) {
        error = QStringLiteral("values nested deeper than %1 levels").arg(maxPlistDepth);
        return std::nullopt;
    }
    if (m_key) {
        if (m_stack.isEmpty() || !m_stack.constLast().isDict) {
            fail(QStringLiteral("a value out of place"));
            return std::nullopt;
        }
        return std::exchange(m_key, std::nullopt);
    }
    if (!m_stack.isEmpty() && m_stack.constLast().isDict) {
        fail(QStringLiteral("a value without a key in <dict>"));
        return std::nullopt;
    }
    return std::optional<QString>();
}

void PlistReader::put(const std::optional<QString> &key, const QVariant &value) {
    if (m_stack.isEmpty())
        m_root = value; // the last value at the top counts
    else if (key)
        m_stack.last().dict.insert(*key, value);
    else
        m_stack.last().array.append(value);
}

bool PlistReader::begin(QStringView name) {
    m_text.clear();
    if (name != u"dict" && name != u"array")
        return true;
    const auto where = place();
    if (!where)
        return false;
    m_stack.append({name == u"dict", {}, {}, *where});
    return true;
}

bool PlistReader::end(QStringView name) {
    if (name == u"dict" || name == u"array") {
        // An empty key left open is no error to the reference; a named one is.
        if (name == u"dict" && m_key && !m_key->isEmpty())
            return fail(QStringLiteral("key \"%1\" has no value").arg(printableExcerpt(*m_key)));
        const Container done = m_stack.takeLast();
        put(done.key, done.isDict ? QVariant(done.dict) : QVariant(done.array));
        return true;
    }
    if (name == u"key") {
        if ((m_key && !m_key->isEmpty()) || m_stack.isEmpty() || !m_stack.constLast().isDict)
            return fail(QStringLiteral("a <key> out of place"));
        m_key = std::exchange(m_text, QString());
        return true;
    }
    static const QStringList values = {QStringLiteral("true"), QStringLiteral("false"),  QStringLiteral("integer"),
                                       QStringLiteral("real"), QStringLiteral("string"), QStringLiteral("data"),
                                       QStringLiteral("date")};
    if (!values.contains(name))
        return true;
    return endValue(name, std::exchange(m_text, QString()));
}

bool PlistReader::endValue(QStringView name, const QString &text) {
    std::optional<QVariant> value = QVariant(text);
    QString problem;
    if (name == u"true" || name == u"false") {
        value = QVariant(name == u"true");
    } else if (name == u"integer") {
        value = readInteger(text);
        problem = QStringLiteral("is not an integer");
    } else if (name == u"real") {
        value = readReal(text);
        problem = QStringLiteral("is not a number");
    } else if (name == u"date") {
        value = readDate(text);
        problem = QStringLiteral("is not a date (YYYY-MM-DDTHH:MM:SSZ)");
    } else if (name == u"data") {
        value = readData(text, problem);
    }
    if (!value)
        return fail(QStringLiteral("<%1> \"%2\" %3").arg(name, printableExcerpt(text, 40), problem));
    const auto where = place();
    if (!where)
        return false;
    put(*where, *value);
    return true;
}

std::optional<QVariant> PlistReader::read(QXmlStreamReader &xml) {
    m_xml = &xml;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            if (!isXmlName(xml.dtdName()))
                return fail(QStringLiteral("a name with characters XML does not allow")), std::nullopt;
            if (m_elementSeen)
                return fail(QStringLiteral("a DOCTYPE inside the document")), std::nullopt;
            // Declared entities could put text anywhere, the program to run included.
            if (!xml.entityDeclarations().isEmpty()) {
                error = QStringLiteral("XML entity declarations are not supported in plist files");
                return std::nullopt;
            }
            break;
        case QXmlStreamReader::StartElement:
            m_elementSeen = true;
            if (!isXmlName(xml.qualifiedName()) ||
                !std::all_of(xml.attributes().cbegin(), xml.attributes().cend(),
                             [](const QXmlStreamAttribute &a) { return isXmlName(a.qualifiedName()); }))
                return fail(QStringLiteral("a name with characters XML does not allow")), std::nullopt;
            if (!begin(xml.qualifiedName()))
                return std::nullopt;
            break;
        case QXmlStreamReader::EndElement:
            if (!end(xml.qualifiedName()))
                return std::nullopt;
            break;
        case QXmlStreamReader::Characters:
            m_text += xml.text();
            break;
        case QXmlStreamReader::EntityReference:
            // One the external DTD would define is passed over, as the reference does.
            if (!isXmlName(xml.name()))
                return fail(QStringLiteral("a name with characters XML does not allow")), std::nullopt;
            break;
        default:
            break;
        }
    }
    if (xml.hasError()) {
        fail(xml.errorString());
        return std::nullopt;
    }
    return m_root;
}

} // namespace

std::optional<QVariant> parsePlist(const QByteArray &bytes, QString *errorOut) {
    auto refuse = [errorOut](const QString &why) -> std::optional<QVariant> {
        if (errorOut)
            *errorOut = why;
        return std::nullopt;
    };
    if (bytes.size() > maxPlistBytes)
        return refuse(QStringLiteral("larger than %1 bytes").arg(maxPlistBytes));
    if (!looksLikeXmlPlist(bytes))
        return refuse(bytes.startsWith("bplist") ? QStringLiteral("a binary property list, not XML")
                                                 : QStringLiteral("it does not begin with <?xml or <plist"));
    // XML allows no control characters but tab and line ends; the reader here lets some through.
    if (!bytes.startsWith("\xFE\xFF") && !bytes.startsWith("\xFF\xFE")) {
        const auto control = std::find_if(bytes.cbegin(), bytes.cend(), [](char c) {
            return uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
        });
        if (control != bytes.cend())
            return refuse(QStringLiteral("line %1: a control character, which XML does not allow")
                              .arg(std::count(bytes.cbegin(), control, '\n') + 1));
    }
    // A UTF-8 character cut off at the very end passes the reader here unnoticed.
    static const QRegularExpression encoding(QStringLiteral(R"(^<\?xml[^>]*encoding\s*=\s*["']([^"']*))"));
    const QString declared = encoding.match(QString::fromLatin1(bytes.left(256))).captured(1);
    if (declared.isEmpty() || declared.compare(u"UTF-8", Qt::CaseInsensitive) == 0) {
        qsizetype lead = bytes.size() - 1;
        while (lead > 0 && lead > bytes.size() - 4 && (uchar(bytes[lead]) & 0xC0) == 0x80)
            --lead;
        const uchar first = lead >= 0 ? uchar(bytes[lead]) : 0;
        const qsizetype expected = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
        if (bytes.size() - lead < expected)
            return refuse(QStringLiteral("a character cut off at the end"));
    }
    QXmlStreamReader xml(readableXml(bytes));
    xml.setNamespaceProcessing(false); // element names are read as written, prefixes included
    PlistReader reader;
    std::optional<QVariant> value = reader.read(xml);
    if (!value)
        return refuse(reader.error);
    return value;
}

std::optional<QVariant> readPlist(const QString &path, QString *error) {
    QString reason;
    const std::optional<QByteArray> bytes = readSmallFile(path, maxPlistBytes, &reason);
    if (!bytes) {
        if (error)
            *error = reason;
        return std::nullopt;
    }
    return parsePlist(*bytes, error);
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
