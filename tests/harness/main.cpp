// Runs one installation with the real engine and no window, for tests and for trying the
// installer from a terminal:
//   vistrel-install-run --vendor http://127.0.0.1:PORT [--port TEXT] [--beta]
// HOME is the user's home. Every log line is printed as it is appended; a line that the run
// replaces in place (the download progress) is printed once more in its final form when the
// next line arrives. Exit status 0 when the run reached its last step, 1 otherwise.
#include "common/terminationsignals.h"
#include "installer/engine/installationservice.h"
#include "platform/systemplatform.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

// The real platform, except that the download service is the one given on the command line
// (nothing is stored in the user's settings) and that no program is ever opened or ended.
class HarnessPlatform : public vistrel::SystemPlatform {
public:
    HarnessPlatform(const QString &bundlePath, QString vendorOrigin)
        : SystemPlatform(QStringLiteral("VistrelInstaller"), bundlePath)
        , m_vendorOrigin(std::move(vendorOrigin)) {}

    QVariant userDefault(const QString &key) const override {
        if (key == u"downloadServiceOrigin")
            return m_vendorOrigin;
        return SystemPlatform::userDefault(key);
    }
    bool openApplication(const QString &) override { return false; }
    void terminateApplication() override {}

private:
    QString m_vendorOrigin;
};

// Prints the log as it grows (see the comment at the top).
class LogPrinter {
public:
    void update(const QStringList &log) {
        if (log.size() < m_printed) { // a new run started over
            m_printed = 0;
            m_lastPrinted.clear();
        }
        if (log.size() == m_printed)
            return;
        flushReplacement(log);
        for (qsizetype i = m_printed; i < log.size(); ++i)
            print(log[i]);
        m_printed = log.size();
        m_lastPrinted = log.constLast();
    }
    void finish(const QStringList &log) {
        if (m_printed == log.size())
            flushReplacement(log);
        else
            update(log);
    }

private:
    void flushReplacement(const QStringList &log) {
        if (m_printed > 0 && m_printed <= log.size() && log[m_printed - 1] != m_lastPrinted) {
            m_lastPrinted = log[m_printed - 1];
            print(m_lastPrinted);
        }
    }
    void print(const QString &line) { m_out << line << Qt::endl; }

    QTextStream m_out{stdout};
    qsizetype m_printed = 0;
    QString m_lastPrinted;
};

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vistrel-install-run"));
    vistrel::quitOnTerminationSignals();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Runs one installation into $HOME without a window."));
    parser.addHelpOption();
    const QCommandLineOption vendor(QStringLiteral("vendor"), QStringLiteral("Origin of the download service."),
                                    QStringLiteral("origin"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port text as typed (default 8090)."),
                                  QStringLiteral("text"), QStringLiteral("8090"));
    const QCommandLineOption beta(QStringLiteral("beta"), QStringLiteral("Install from the beta channel."));
    parser.addOptions({vendor, port, beta});
    parser.process(app);
    if (!parser.isSet(vendor)) {
        std::fputs("vistrel-install-run: --vendor ORIGIN is required\n", stderr);
        return 2;
    }

    HarnessPlatform platform(QStringLiteral(VISTREL_HARNESS_INSTALLER_BUNDLE), parser.value(vendor));
    platform.prepareEnvironment();

    vistrel::InstallationService service(platform);
    service.setInstallerBundlePath(QStringLiteral(VISTREL_HARNESS_INSTALLER_BUNDLE));
    service.setSelectedPort(parser.value(port));
    service.setUseBetaVersion(parser.isSet(beta));

    LogPrinter printer;
    QObject::connect(&service, &vistrel::InstallationService::installationLogChanged, &app,
                     [&] { printer.update(service.installationLog()); });
    QObject::connect(&service, &vistrel::InstallationService::runFinished, &app, [&] {
        printer.finish(service.installationLog());
        const bool complete = service.isComplete() && !service.hasInstallationError() &&
                              service.installationProgress() == double(vistrel::InstallationService::stepCount);
        if (!complete)
            QTextStream(stderr) << service.installationError().value_or(QString()) << Qt::endl;
        QCoreApplication::exit(complete ? 0 : 1);
    });
    service.startInstallation();
    return app.exec();
}
