#include "smallfile.h"

#include "regularfile.h"

namespace vistrel {

std::optional<QByteArray> readSmallFile(const QString &path, qint64 limit, QString *reason) {
    RegularFile file;
    if (!file.open(path, reason))
        return std::nullopt;
    // One byte beyond the limit tells a file that is too large, whatever its size claims.
    std::optional<QByteArray> bytes = file.read(0, limit + 1, reason);
    if (bytes && bytes->size() > limit) {
        if (reason)
            *reason = QStringLiteral("couldn\u2019t be read: it is larger than %1 bytes").arg(limit);
        return std::nullopt;
    }
    return bytes;
}

namespace {

// Where the terminal escape sequence that starts at i ends (its last character): CSI (ESC [ or
// U+009B) up to its final byte, OSC and the other strings up to BEL or the string terminator,
// anything else up to its final character.
qsizetype escapeEnd(const QString &text, qsizetype i) {
    const auto at = [&text](qsizetype k) { return k < text.size() ? text[k].unicode() : char16_t(0); };
    qsizetype k = text[i] == u'\x9b' ? i + 1 : i + 2;
    const char16_t kind = text[i] == u'\x9b' ? u'[' : at(i + 1);
    if (kind == u'[') {
        while (k < text.size() && (at(k) < 0x40 || at(k) > 0x7e))
            ++k;
        return std::min(k, text.size() - 1);
    }
    if (kind == u']' || kind == u'P' || kind == u'X' || kind == u'^' || kind == u'_') {
        for (; k < text.size(); ++k) {
            if (at(k) == 0x07 || at(k) == 0x9c)
                return k;
            if (at(k) == 0x1b && at(k + 1) == u'\\')
                return k + 1;
        }
        return text.size() - 1;
    }
    k = i + 1;
    while (k < text.size() && at(k) >= 0x20 && at(k) <= 0x2f)
        ++k;
    return std::min(k, text.size() - 1);
}

} // namespace

QString printableExcerpt(const QString &text, qsizetype maxLength) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c == u'\x1b' || c == u'\x9b') {
            i = escapeEnd(text, i);
            continue;
        }
        if (c == u'\t' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
        // Control and format characters (bidirectional overrides among them) are dropped.
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            continue;
        if (out.size() >= maxLength) {
            if (out.back().isHighSurrogate())
                out.chop(1);
            out.append(u'\u2026');
            break;
        }
        out.append(c);
    }
    return out;
}

} // namespace vistrel
