#include "packageentries.h"

#include "common/commandrunner.h"

#include <QRegularExpression>

#include <chrono>

namespace vistrel {

namespace {

using namespace std::chrono_literals;

constexpr auto listingTimeout = 10min;

QList<QByteArrayView> components(QByteArrayView path) {
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        // unzip turns backslashes of archives made elsewhere into separators.
        if (i == path.size() || path[i] == '/' || path[i] == '\\') {
            parts.append(path.sliced(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

PackageCheck unreadable(int exitCode, const QString &message) {
    return {PackageCheck::Outcome::Unreadable, exitCode, message};
}

PackageCheck unsafe(const QString &what) {
    return {PackageCheck::Outcome::Unsafe, 0, what};
}

} // namespace

std::optional<QList<PackageEntry>> parseZipListing(const QByteArray &listing) {
    // "lrwxrwxrwx  2.0 unx  5 b- stor 19800101.000000 name": the name follows one space.
    static const QRegularExpression entryLine(
        QStringLiteral(R"(^(\S+)\s+\d+\.\d+\s+\S+\s+\d+\s+\S+\s+\S+\s+\d{8}\.\d{6} (.*)$)"));
    static const QRegularExpression countLine(QStringLiteral(R"(number of entries: (\d+))"));

    std::optional<qsizetype> declared;
    QList<PackageEntry> entries;
    for (const QByteArray &rawLine : listing.split('\n')) {
        // Latin-1 keeps every byte of a name as one character, whatever its encoding.
        const QString line = QString::fromLatin1(rawLine);
        if (!declared) {
            const QRegularExpressionMatch count = countLine.match(line);
            if (count.hasMatch())
                declared = count.captured(1).toLongLong();
            continue;
        }
        const QRegularExpressionMatch match = entryLine.match(line);
        if (match.hasMatch())
            entries.append({match.captured(2).toLatin1(), match.captured(1).startsWith(u'l')});
    }
    if (!declared || *declared != entries.size())
        return std::nullopt;
    return entries;
}

bool entryStaysInside(QByteArrayView name) {
    if (name.startsWith('/') || name.startsWith('\\'))
        return false;
    for (const QByteArrayView part : components(name)) {
        if (part == "..")
            return false;
    }
    return true;
}

bool linkStaysInside(QByteArrayView entryName, QByteArrayView target) {
    if (target.isEmpty() || target.startsWith('/') || target.startsWith('\\'))
        return false;
    // Depth of the folder that holds the link, then walk the target from there.
    qsizetype depth = 0;
    const QList<QByteArrayView> entryParts = components(entryName);
    for (qsizetype i = 0; i + 1 < entryParts.size(); ++i) {
        if (!entryParts[i].isEmpty() && entryParts[i] != ".")
            ++depth;
    }
    for (const QByteArrayView part : components(target)) {
        if (part.isEmpty() || part == ".")
            continue;
        depth += part == ".." ? -1 : 1;
        if (depth < 0)
            return false;
    }
    return true;
}

QString unzipLiteralPattern(const QByteArray &name) {
    QString pattern;
    for (const QChar c : QString::fromUtf8(name)) {
        if (c == u'[' || c == u']' || c == u'*' || c == u'?' || c == u'\\')
            pattern += u'\\';
        pattern += c;
    }
    return pattern;
}

QCoro::Task<PackageCheck> checkPackageEntries(QString unzipProgram, QString zipPath) {
    const QStringList listArguments{QStringLiteral("-Z"), QStringLiteral("-T"), QStringLiteral("-s"), zipPath};
    const ProcessResult listed =
        co_await runProcess(unzipProgram, listArguments, ChildOutput::CaptureMerged, QString(), listingTimeout);
    if (!listed.started)
        co_return unreadable(-1, listed.launchError);
    if (listed.exitCode != 0 || listed.crashed)
        co_return unreadable(listed.exitCode, QString::fromUtf8(listed.output));

    const std::optional<QList<PackageEntry>> entries = parseZipListing(listed.output);
    if (!entries) {
        const QString what = QStringLiteral("(an entry the listing does not show plainly)");
        co_return unsafe(what);
    }
    for (const PackageEntry &entry : *entries) {
        if (!entryStaysInside(entry.name))
            co_return unsafe(QString::fromUtf8(entry.name));
    }
    // A link is written as it is stored; later steps (chmod, the port file) would follow it.
    for (const PackageEntry &entry : *entries) {
        if (!entry.isSymlink)
            continue;
        const QStringList printArguments{QStringLiteral("-p"), zipPath, unzipLiteralPattern(entry.name)};
        const ProcessResult target =
            co_await runProcess(unzipProgram, printArguments, ChildOutput::CaptureStdout, QString(), listingTimeout);
        if (!target.started || target.exitCode != 0 || target.crashed || !linkStaysInside(entry.name, target.output)) {
            const QString what =
                QString::fromUtf8(entry.name) + QStringLiteral(" -> ") + QString::fromUtf8(target.output);
            co_return unsafe(what);
        }
    }
    co_return PackageCheck();
}

} // namespace vistrel
