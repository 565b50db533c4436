#include "porttext.h"

#include "paths.h"
#include "smallfile.h"

#include <QFile>
#include <QStringDecoder>

#include <limits>

namespace vistrel {

std::optional<qint64> parseSignedInt64(QStringView text) {
    if (text.isEmpty())
        return std::nullopt;
    bool negative = false;
    qsizetype i = 0;
    if (text[0] == u'+' || text[0] == u'-') {
        negative = text[0] == u'-';
        i = 1;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulate as a negative number so that the minimum value fits too.
    qint64 value = 0;
    constexpr qint64 min = std::numeric_limits<qint64>::min();
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value < (min + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == min)
            return std::nullopt;
        value = -value;
    }
    return value;
}

std::optional<QString> decodeUtf8(const QByteArray &bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QByteArray> readWholeFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

qint64 portFromFileContent(const std::optional<QByteArray> &content) {
    if (!content)
        return paths::defaultPort;
    const std::optional<QString> text = decodeUtf8(*content);
    if (!text)
        return paths::defaultPort;
    return parseSignedInt64(text->trimmed()).value_or(paths::defaultPort);
}

qint64 readPortFile(const QString &path) {
    return portFromFileContent(readSmallFile(path));
}

} // namespace vistrel
