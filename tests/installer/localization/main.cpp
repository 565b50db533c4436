#include <QCoreApplication>
#include <QTest>

int runLocalizationManagerTests(int argc, char **argv);
int runInstallerStringsTests(int argc, char **argv);

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    int failures = 0;
    failures += runLocalizationManagerTests(argc, argv);
    failures += runInstallerStringsTests(argc, argv);
    return failures;
}
