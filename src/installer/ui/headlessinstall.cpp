#include "headlessinstall.h"

#include "common/commandline.h"
#include "common/paths.h"
#include "common/smallfile.h"
#include "common/terminationsignals.h"
#include "installer/engine/installationservice.h"
#include "installer/engine/packagedownload.h"
#include "installer/localization/localizationmanager.h"
#include "installer/ui/installerui.h"
#include "platform/systemplatform.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QFile>
#include <QTextStream>

#include <fcntl.h>
#include <unistd.h>

namespace vistrel {

namespace {

constexpr int exitUsage = 2;

const QStringList optionNames = {QStringLiteral("headless"), QStringLiteral("port"), QStringLiteral("language"),
                                 QStringLiteral("beta"), QStringLiteral("download-service")};

// The real platform; a download service given on the command line serves this run only.
class HeadlessPlatform : public SystemPlatform {
public:
    explicit HeadlessPlatform(QString origin)
        : SystemPlatform(QStringLiteral("VistrelInstaller"))
        , m_origin(std::move(origin)) {}

    QVariant userDefault(const QString &key) const override {
        if (key == u"downloadServiceOrigin" && !m_origin.isEmpty())
            return m_origin;
        return SystemPlatform::userDefault(key);
    }

private:
    QString m_origin;
};

// Prints the log as it grows. The run rewrites its last line while it downloads: on a terminal
// that line is rewritten in place, into a pipe each new text becomes a line of its own.
class LogPrinter {
public:
    explicit LogPrinter(int fd) {
        m_file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
        m_terminal = ::isatty(fd) == 1;
    }
    void update(const QStringList &log) {
        if (log.size() < m_printed) { // a new run started over
            m_printed = 0;
            m_last.clear();
        }
        if (m_printed > 0 && log[m_printed - 1] != m_last)
            show(log[m_printed - 1], true);
        for (; m_printed < log.size(); ++m_printed)
            show(log[m_printed], false);
    }
    void finish() {
        if (m_terminal && m_printed > 0)
            m_out << Qt::endl;
    }

private:
    void show(const QString &line, bool replacing) {
        if (m_terminal) {
            // The line stays open until the next one, so that it can be rewritten.
            m_out << (replacing       ? QStringLiteral("\r\x1b[K")
                      : m_printed > 0 ? QStringLiteral("\n")
                                      : QString())
                  << line;
            m_out.flush();
        } else {
            m_out << line << Qt::endl;
        }
        m_last = line;
    }

    QFile m_file;
    QTextStream m_out{&m_file};
    bool m_terminal = false;
    qsizetype m_printed = 0;
    QString m_last;
};

int usageError(const QString &message) {
    QTextStream(stderr) << message << Qt::endl;
    return exitUsage;
}

} // namespace

bool wantsHeadlessInstaller(int argc, char *argv[]) {
    const QStringList arguments = argumentList(argc, argv);
    if (asksForHelp(arguments))
        return true;
    for (QString name : arguments.mid(1)) {
        if (!name.startsWith(u'-'))
            continue;
        name = name.sliced(name.startsWith(u"--") ? 2 : 1).section(u'=', 0, 0);
        if (optionNames.contains(name))
            return true;
    }
    return false;
}

int runHeadlessInstaller(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    quitOnTerminationSignals();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Installs the Tarvik server, the Vistrel launcher and its service for the current user.\n"
                       "Without options the installer opens its window; with --headless it installs without one,\n"
                       "printing the log on standard output and the error on standard error.\n"
                       "Exit status: 0 installed, 1 the installation failed, 2 a command line it cannot run\n"
                       "(nothing is touched then)."));
    addHelpOption(parser);
    const QCommandLineOption headless(QStringLiteral("headless"), QStringLiteral("Install without a window."));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("The server's HTTP port (default 8090)."),
                                  QStringLiteral("N"), QString::fromUtf16(paths::defaultPortText));
    const QCommandLineOption language(
        QStringLiteral("language"),
        QStringLiteral("The installer's language, kept for next time as the language menu keeps it: %1.")
            .arg(LocalizationManager::supportedLanguages().join(QStringLiteral(", "))),
        QStringLiteral("CODE"));
    const QCommandLineOption beta(QStringLiteral("beta"), QStringLiteral("Install from the beta channel."));
    const QCommandLineOption origin(QStringLiteral("download-service"),
                                    QStringLiteral("Origin of the download service, for this run only."),
                                    QStringLiteral("ORIGIN"));
    parser.addOptions({headless, port, language, beta, origin});

    // Everything is checked before anything is touched: a typo must not stop the running server.
    if (asksForHelp(app.arguments())) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (!parser.isSet(headless))
        return usageError(QStringLiteral("These options install without a window: add --headless."));
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("Unexpected argument: ") + parser.positionalArguments().constFirst());
    if (parser.isSet(language) && !LocalizationManager::supportedLanguages().contains(parser.value(language)))
        return usageError(
            QStringLiteral("Unknown language %1; one of: %2")
                .arg(parser.value(language), LocalizationManager::supportedLanguages().join(QStringLiteral(", "))));
    const std::optional<quint16> portNumber = InstallationService::portForRun(parser.value(port));
    if (!portNumber)
        return usageError(QStringLiteral("--port: \"%1\" is not a port: give a whole number from 1 to 65535.")
                              .arg(printableExcerpt(parser.value(port))));
    HeadlessPlatform platform(parser.value(origin));
    if (const std::optional<QString> problem = paths::homeFolderProblem(platform.homeDirectory()))
        return usageError(*problem);
    if (parser.isSet(origin)) {
        if (const std::optional<QString> problem = PackageDownload::originProblem(parser.value(origin)))
            return usageError(QStringLiteral("--download-service: ") + *problem);
    } else if (const QString stored = platform.userDefault(QStringLiteral("downloadServiceOrigin")).toString();
               !stored.trimmed().isEmpty()) {
        // An empty setting means the origin this build was made with.
        if (const std::optional<QString> problem = PackageDownload::originProblem(stored))
            return usageError(QStringLiteral("The setting downloadServiceOrigin: ") + *problem);
    }

    const std::shared_ptr<InstallationService> service = InstallationService::create(platform);
    if (QCoro::waitFor(service->portTakenByAnotherProgram(*portNumber)))
        return usageError(
            QStringLiteral("--port: %1 is already in use by another program: choose another port.").arg(*portNumber));

    // Standard output carries the log alone: what programs the run starts print there (unzip lists
    // every file it unpacks) goes nowhere.
    const int logFd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC); null >= 0) {
        if (logFd >= 0)
            ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
    LogPrinter printer(logFd >= 0 ? logFd : STDOUT_FILENO);

    if (parser.isSet(language))
        LocalizationManager(platform).setCurrentLanguage(parser.value(language));
    service->setSelectedPort(parser.value(port));
    service->setUseBetaVersion(parser.isSet(beta));

    QObject::connect(service.get(), &InstallationService::installationLogChanged, &app,
                     [&] { printer.update(service->installationLog()); });
    QObject::connect(service.get(), &InstallationService::runFinished, &app, [&] {
        printer.update(service->installationLog());
        printer.finish();
        const bool complete = service->isComplete() && !service->hasInstallationError() &&
                              service->installationProgress() == double(InstallationService::stepCount);
        if (!complete)
            QTextStream(stderr) << service->installationError().value_or(QStringLiteral("The installation failed."))
                                << Qt::endl;
        if (!service->restoreNoteKey().isEmpty())
            QTextStream(stderr) << LocalizationManager(platform).localizedString(service->restoreNoteKey()) << Qt::endl;
        // An interrupted run ends with the signal's status (quitAfterRun).
        if (!service->interrupted())
            QCoreApplication::exit(complete ? 0 : 1);
    });
    // A signal mid-run stops the run, which undoes what it did; then the program ends.
    setTerminationHandler([&service](int signal) { quitAfterRun(*service, 128 + signal); });
    service->startInstallation();
    return app.exec();
}

} // namespace vistrel
