// Task daemon benchmark: starts the real daemon (a temporary socket and store, the dry-run
// power backend), adds 1,000 tasks through the application's client and times one full
// query of the list (the count and 1,000 task queries, sent at once), as the coordinator
// makes it, and the same with each query waiting for its answer.
// Prints the median of several runs and the daemon's resident memory, beside two anchors
// measured in the same run: reading and parsing the daemon's own store file of the same
// tasks, and the daemon's resident memory with no tasks.
//
//   bench_tasks [RUNS]   (default 9)

#include "TaskDaemonRun.h"
#include "TaskWire.h"
#include "bench_support.h"
#include "tasks/TaskClientCall.h"
#include "tasks/TaskManage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
const int kTasks = 1000;
const int kDefaultRuns = 9;
const double kQueryGoalMs = 50;
const double kMemoryGoalMb = 30;
const int kStartWaitMs = 5000;
const int kSettleMs = 300;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : kDefaultRuns;
    QTemporaryDir folder;
    SrTest::TaskDaemonRun daemon(folder.path());
    const QString store = daemon.store();
    qputenv("SR_TASKD_SOCKET", QFile::encodeName(daemon.socket()));
    qputenv("SR_TASKD_PROGRAM", "/nonexistent"); // the client must find the daemon started here
    daemon.process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!daemon.start({}, kStartWaitMs)) {
        fprintf(stderr, "bench_tasks: the task daemon did not start\n");
        return 1;
    }
    runEvents(kSettleMs);
    const double emptyMb = procStatusKb(daemon.process.processId(), "VmRSS") / 1024.0;

    TaskClientCall client;
    if (!client.createConnection() || !client.doConnecting()) {
        fprintf(stderr, "bench_tasks: the task daemon refused the connection\n");
        return 1;
    }
    TaskInfo task;
    task.enable = true;
    task.week = 127;
    task.date = taskwire::dateText(QDateTime::currentDateTime().addYears(1));
    task.recinfo.stop = RecordInfo::StopAfterLength;
    for (int i = 0; i < kTasks; ++i) {
        task.name = QStringLiteral("Task %1").arg(i);
        client.addTask(task);
    }
    if (client.getTaskArrayCount() != quint64(kTasks)) {
        fprintf(stderr, "bench_tasks: the daemon does not list the %d tasks\n", kTasks);
        return 1;
    }

    std::vector<double> queryMs, oneByOneMs, storeMs;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        bool ok = true;
        const quint64 count = client.getTaskArrayCount(&ok);
        const int listed = client.getTaskInfos(count, &ok).size();
        if (!ok || listed != kTasks) {
            fprintf(stderr, "bench_tasks: a task query failed\n");
            return 1;
        }
        queryMs.push_back(clock.nsecsElapsed() / 1e6);

        clock.start();
        for (quint64 index = 0; ok && index < count; ++index)
            client.getTaskInfo(index, &ok);
        oneByOneMs.push_back(clock.nsecsElapsed() / 1e6);

        clock.start();
        QFile file(store);
        if (!file.open(QIODevice::ReadOnly) || QJsonDocument::fromJson(file.readAll()).isNull()) {
            fprintf(stderr, "bench_tasks: the daemon's store %s cannot be read\n", qPrintable(store));
            return 1;
        }
        storeMs.push_back(clock.nsecsElapsed() / 1e6);
    }
    const double fullMb = procStatusKb(daemon.process.processId(), "VmRSS") / 1024.0;
    daemon.process.kill();
    daemon.process.waitForFinished();

    printf("full query of %d tasks (count + %d queries)   median %7.2f ms  (%d runs; goal < %.0f ms)\n", kTasks,
           kTasks, median(queryMs), runs, kQueryGoalMs);
    printf("  the same, each query waiting for its answer     median %7.2f ms\n", median(oneByOneMs));
    printf("  anchor: read and parse the daemon's store file   median %7.2f ms\n", median(storeMs));
    printf("daemon resident memory with %d tasks             %7.1f MB  (goal < %.0f MB)\n", kTasks, fullMb,
           kMemoryGoalMb);
    printf("  anchor: with no tasks                          %7.1f MB\n", emptyMb);
    return 0;
}
