// Prints how long the recording history dialog takes to open (construct, show and paint)
// with 1,000 and with 10,000 stored entries. Runs on the offscreen platform in a private,
// temporary HOME, so it never touches the user's settings.

#include "OvModalHook.h"
#include "OvProductInfo.h"
#include "OvResourceMgr.h"
#include "OvSettings.h"
#include "core/HistoryFileUtils.h"
#include "output/HistoryFileListWidget.h"
#include "output/RecordHistoryDlg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
// Stores `count` entries, newest first: videos, sounds and pictures, one in ten with a file
// that no longer exists.
void storeHistory(int count, const QString& folder)
{
    QVariantList list;
    list.reserve(count);
    for (int i = count; i > 0; --i) {
        const int type = i % 3;
        const QString suffix = type == 0 ? QStringLiteral("png") : type == 1 ? QStringLiteral("mp4") : QStringLiteral("mp3");
        const QString name = QStringLiteral("Recording_26-12-06_%1.%2").arg(i, 5, 10, QLatin1Char('0')).arg(suffix);
        const QString path = folder + QLatin1Char('/') + name;
        if (i % 10 != 0) {
            QFile file(path);
            if (!file.exists() && file.open(QIODevice::WriteOnly))
                file.write("x");
        }
        list << QVariant(QStringList{name, path, QString::number(type), type == 2 ? QString() : QStringLiteral("1920*1080"),
                                     QStringLiteral("00:01:%1").arg(i % 60, 2, 10, QLatin1Char('0')),
                                     QStringLiteral("%1.00MB").arg(i % 500)});
    }
    OvSettings::instance()->setApplicationParam(QString::fromLatin1(HistoryFileUtils::settingKey()), list);
}

// Opens the dialog with the settings file read afresh from disk, as after a start.
double openOnce()
{
    QElapsedTimer timer;
    OvSettings::instance()->reload();
    timer.start();
    auto* dialog = new RecordHistoryDlg(nullptr);
    dialog->setWindowTitle(OvProductInfo::instance()->productName(QString()));
    dialog->show();
    // Paint the first frame.
    dialog->grab();
    QCoreApplication::processEvents();
    const double ms = timer.nsecsElapsed() / 1e6;
    delete dialog;
    QCoreApplication::processEvents();
    return ms;
}
// "Remove all" with the files moved to the trash (the confirmation answered OK).
double removeAllOnce()
{
    OvSettings::instance()->setApplicationParam(QStringLiteral("DeleteLocalFile"), true);
    OvModalHook::setAnswerer([](const OvModalRequest&) { return QVariant(1); });
    RecordHistoryDlg dialog(nullptr);
    dialog.show();
    QElapsedTimer timer;
    timer.start();
    dialog.historyList()->removeAll();
    const double ms = timer.nsecsElapsed() / 1e6;
    OvModalHook::setAnswerer({});
    return ms;
}
} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/bench-history-XXXXXX"));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/.local/share")));
    QDir().mkpath(home.path() + QStringLiteral("/.local/share")); // the trash lives under it
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
    QApplication app(argc, argv);
    OvResourceMgr::instance()->setSkin(OvProductInfo::instance()->defaultSkin());

    const QString folder = home.path() + QStringLiteral("/Recordings");
    QDir().mkpath(folder);
    openOnce(); // warm-up: fonts, icons and the style are loaded once per process

    std::printf("history dialog open time (settings read from disk, construct, show, first paint), offscreen, skin applied\n");
    for (int count : {1000, 10000}) {
        storeHistory(count, folder);
        OvSettings::instance()->reload();
        QElapsedTimer readTimer;
        readTimer.start();
        const int entries = HistoryFileUtils::savefileHistroy().size();
        const double readMs = readTimer.nsecsElapsed() / 1e6;
        std::vector<double> runs;
        for (int i = 0; i < 5; ++i)
            runs.push_back(openOnce());
        std::sort(runs.begin(), runs.end());
        std::printf("%6d entries: median %7.1f ms, best %7.1f ms, worst %7.1f ms (reading the stored list alone: %.1f ms)\n",
                    entries, runs[runs.size() / 2], runs.front(), runs.back(), readMs);
        std::printf("%6d entries: \"Remove all\" with the files moved to the trash: %.1f ms\n", entries, removeAllOnce());
    }
    return 0;
}
