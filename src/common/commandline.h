#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace vistrel {

// What both programs do with their command lines and standard streams.

// -h, -? and --help, listed in the help text. --help-all is a help option too (Qt's own parsers
// offer it), not listed: there are no further options it could show.
void addHelpOption(QCommandLineParser &parser);

// main's arguments as text, the program's name first, before an application object exists.
QStringList argumentList(int argc, char *argv[]);

// True when an argument after the program's name is a help option, wherever it stands and
// whatever else the line holds: help is then all the command line does.
bool asksForHelp(const QStringList &arguments);

// First thing in main. A closed standard input, output or error gets /dev/null, so that no file the
// program opens takes its number and receives its output; and a reader that goes away (`| head`)
// ends nothing: the failed write is dropped, the run goes on.
void keepStandardStreamsHarmless();

} // namespace vistrel
