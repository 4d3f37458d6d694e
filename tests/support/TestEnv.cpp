#include "TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QTemporaryDir* g_root = nullptr;

void setFolderVariable(const char* name, const QString& folder)
{
    QDir().mkpath(folder);
    qputenv(name, QFile::encodeName(folder));
}
} // namespace

namespace SrTest {
void prepareEnvironment()
{
    if (g_root)
        return;
    ::umask(022);
    g_root = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/srtest-XXXXXX"));
    const QString base = g_root->path();
    setFolderVariable("HOME", base + QStringLiteral("/home"));
    setFolderVariable("XDG_CONFIG_HOME", base + QStringLiteral("/home/.config"));
    setFolderVariable("XDG_DATA_HOME", base + QStringLiteral("/home/.local/share"));
    setFolderVariable("XDG_CACHE_HOME", base + QStringLiteral("/home/.cache"));
    setFolderVariable("XDG_DOCUMENTS_DIR", base + QStringLiteral("/home/Documents"));
    const QString runtime = base + QStringLiteral("/runtime");
    setFolderVariable("XDG_RUNTIME_DIR", runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setFolderVariable("TMPDIR", base + QStringLiteral("/tmp"));
    useDryRunTaskDaemon();
    // Keep the real sound server reachable after HOME moved: point at its socket explicitly.
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        const QByteArray uid = QByteArray::number(getuid());
        for (const QByteArray& candidate : {QByteArray("/run/user/") + uid + "/pulse/native",
                                            QByteArray("/var/run/pulse/native")}) {
            if (QFile::exists(QString::fromLocal8Bit(candidate))) {
                qputenv("PULSE_SERVER", "unix:" + candidate);
                break;
            }
        }
    }
}

void removeEnvironment()
{
    delete g_root;
    g_root = nullptr;
}

void useDryRunTaskDaemon()
{
    qputenv("SR_TASKD_ARGS", QFile::encodeName(QStringLiteral("--power dry-run:") + root() + QStringLiteral("/taskd-power.log")));
}

QString root() { return g_root ? g_root->path() : QString(); }

QString newFolder(const QString& name)
{
    const QString folder = root() + QLatin1Char('/') + name;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

QString openToOthers(const QStringList& paths)
{
    QStringList open;
    for (const QString& top : paths) {
        QDirIterator it(top, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        for (QString path = top; !path.isEmpty(); path = it.hasNext() ? it.next() : QString()) {
            struct stat info {};
            if (::lstat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISLNK(info.st_mode) && (info.st_mode & 077))
                open << QStringLiteral("%1 (%2)").arg(path).arg(info.st_mode & 0777, 0, 8);
        }
    }
    return open.join(QStringLiteral(", "));
}

bool writeFile(const QString& path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray chunk(65536, '\0');
    for (int i = 0; i < chunk.size(); ++i)
        chunk[i] = char(i * 31 + 7);
    qint64 left = bytes;
    while (left > 0) {
        const qint64 n = std::min<qint64>(left, chunk.size());
        if (file.write(chunk.constData(), n) != n)
            return false;
        left -= n;
    }
    return file.flush();
}

bool run(const QString& program, const QStringList& arguments, int timeoutMs, QByteArray* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool makeClip(const QString& path, double seconds, int width, int height, const QString& videoCodec, bool withAudio)
{
    QStringList args{QStringLiteral("-y"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                     QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("testsrc2=size=%1x%2:rate=30:duration=%3").arg(width).arg(height).arg(seconds)};
    if (withAudio)
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
             << QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(seconds);
    args << QStringLiteral("-c:v") << videoCodec;
    if (videoCodec == QLatin1String("libx264"))
        args << QStringLiteral("-pix_fmt") << QStringLiteral("yuv420p") << QStringLiteral("-preset")
             << QStringLiteral("ultrafast");
    if (withAudio)
        args << QStringLiteral("-c:a") << QStringLiteral("aac") << QStringLiteral("-shortest");
    args << path;
    return run(QStringLiteral("ffmpeg"), args);
}

bool makeTone(const QString& path, double seconds, int frequency)
{
    return run(QStringLiteral("ffmpeg"),
               {QStringLiteral("-y"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                QStringLiteral("lavfi"), QStringLiteral("-i"),
                QStringLiteral("sine=frequency=%1:sample_rate=48000:duration=%2").arg(frequency).arg(seconds),
                path});
}

QImage frameAt(const QString& video, double seconds)
{
    const QString png = video + QStringLiteral(".frame.png");
    QFile::remove(png);
    run(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                                   QStringLiteral("-ss"), QString::number(seconds), QStringLiteral("-i"), video,
                                   QStringLiteral("-frames:v"), QStringLiteral("1"), png});
    if (!QFileInfo::exists(png)) {
        // A moment after the last picture's start still shows that picture (a recording on a
        // busy machine may hold its last one long), though seeking there decodes nothing:
        // the last picture of the file's end, each decoded one written over the one before.
        const double kTailSeconds = 3.0;
        run(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                                       QStringLiteral("-sseof"), QString::number(-kTailSeconds), QStringLiteral("-i"),
                                       video, QStringLiteral("-update"), QStringLiteral("1"), png});
    }
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

bool nearColour(QRgb colour, const QColor& expected, int tolerance)
{
    return qAbs(qRed(colour) - expected.red()) <= tolerance && qAbs(qGreen(colour) - expected.green()) <= tolerance
           && qAbs(qBlue(colour) - expected.blue()) <= tolerance;
}
} // namespace SrTest
