#include "commandline.h"

#include <QCommandLineParser>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace vistrel {

namespace {

const QStringList helpArguments = {QStringLiteral("-h"), QStringLiteral("-?"), QStringLiteral("--help"),
                                   QStringLiteral("--help-all")};

extern "C" void onBrokenPipe(int) {}

} // namespace

void addHelpOption(QCommandLineParser &parser) {
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("?"), QStringLiteral("help")},
                                        QStringLiteral("Displays this help.")));
}

QStringList argumentList(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

bool asksForHelp(const QStringList &arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (helpArguments.contains(arguments[i]))
            return true;
    }
    return false;
}

void keepStandardStreamsHarmless() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number: this one, as the ones below are open.
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
    // A handler that does nothing rather than SIG_IGN: an ignored signal stays ignored in every
    // program we start (and in what they start), a handled one is back to its default there.
    struct sigaction action = {};
    action.sa_handler = onBrokenPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGPIPE, &action, nullptr);
}

} // namespace vistrel
