// Launcher <program> [arguments...]
// Starts <program> with the arguments as a detached process and exits: 0 when it was
// started, 1 when it could not be started, 2 when no program was given.

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        fprintf(stderr, "usage: Launcher <program> [arguments...]\n");
        return 2;
    }
    const QString program = args.takeFirst();
    if (!QProcess::startDetached(program, args)) {
        fprintf(stderr, "Launcher: cannot start %s\n", qPrintable(program));
        return 1;
    }
    return 0;
}
