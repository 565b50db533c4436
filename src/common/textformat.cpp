#include "textformat.h"

#include <QLocale>

#include <vector>

namespace vistrel {

QString formatText(const QString &format, std::initializer_list<FormatArg> args) {
    const std::vector<FormatArg> values(args);
    std::size_t next = 0;
    QString out;
    out.reserve(format.size() + 16);
    const QStringView f(format);
    for (qsizetype i = 0; i < f.size(); ++i) {
        if (f[i] != u'%') {
            out += f[i];
            continue;
        }
        const QStringView rest = f.sliced(i);
        if (rest.startsWith(u"%%")) {
            out += u'%';
            i += 1;
        } else if (rest.startsWith(u"%d") && next < values.size() && std::holds_alternative<qint64>(values[next])) {
            out += QString::number(std::get<qint64>(values[next++]));
            i += 1;
        } else if (rest.startsWith(u"%@") && next < values.size() && std::holds_alternative<QString>(values[next])) {
            out += std::get<QString>(values[next++]);
            i += 1;
        } else if (rest.startsWith(u"%.1f") && next < values.size() && std::holds_alternative<double>(values[next])) {
            out += QString::number(std::get<double>(values[next++]), 'f', 1);
            i += 3;
        } else {
            out += u'%';
        }
    }
    return out;
}

} // namespace vistrel
