#include "headlessuninstall.h"

#include "common/commandline.h"
#include "common/diagnostics.h"
#include "common/paths.h"
#include "common/rollback.h"
#include "launcher/uninstall/uninstallservice.h"
#include "platform/systemplatform.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace vistrel {

namespace {

constexpr int exitUsage = 2;

int usageError(const QString &message) {
    QTextStream(stderr) << message << Qt::endl;
    return exitUsage;
}

} // namespace

bool wantsHeadlessUninstall(int argc, char *argv[]) {
    const QStringList arguments = argumentList(argc, argv);
    return asksForHelp(arguments) || arguments.contains(QStringLiteral("--uninstall")) ||
           arguments.contains(QStringLiteral("--yes"));
}

int runHeadlessUninstall(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows and controls the Vistrel service. With --uninstall --yes it uninstalls without a\n"
                       "window: the service, its program files, the launcher, its menu entries and the logs go;\n"
                       "the data under Media stays. Exit status: 0 uninstalled, 1 a step failed, 2 not run."));
    addHelpOption(parser);
    const QCommandLineOption uninstall(QStringLiteral("uninstall"), QStringLiteral("Uninstall without a window."));
    const QCommandLineOption yes(QStringLiteral("yes"), QStringLiteral("Confirm the uninstall (it asks nothing)."));
    parser.addOptions({uninstall, yes});
    if (asksForHelp(app.arguments())) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (!parser.isSet(uninstall) || !parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("--yes confirms --uninstall; see --help."));
    if (!parser.isSet(yes))
        return usageError(QStringLiteral(
            "Not uninstalling: without a window there is nobody to confirm it. --uninstall --yes removes the "
            "Vistrel service, its program files, the launcher and the logs; the data under Media stays."));

    SystemPlatform platform(QStringLiteral("Vistrel"));
    if (const std::optional<QString> problem = paths::homeFolderProblem(platform.homeDirectory()))
        return usageError(*problem);
    // An installation that was killed is undone first, so that what is uninstalled is whole.
    recoverInterruptedRun(platform.homeDirectory(), platform.launchctlPath(), &printLine);
    const std::shared_ptr<UninstallService> service = UninstallService::create(platform);
    qsizetype printed = 0;
    QTextStream out(stdout);
    const auto print = [&] {
        for (; printed < service->log().size(); ++printed)
            out << service->log().at(printed) << Qt::endl;
    };
    QObject::connect(service.get(), &UninstallService::logChanged, &app, print);
    QObject::connect(service.get(), &UninstallService::runFinished, &app, [&] {
        print();
        if (service->hasError())
            QTextStream(stderr) << service->errorText() << Qt::endl;
        QCoreApplication::exit(service->hasError() ? 1 : 0);
    });
    service->startUninstall();
    return app.exec();
}

} // namespace vistrel
