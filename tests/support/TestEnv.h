#pragma once
// Every test program runs in a private, temporary world: its own HOME and XDG folders,
// so that no test reads or writes the user's settings or files.

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

namespace SrTest {
// Creates the temporary root and points HOME, XDG_CONFIG_HOME, XDG_DATA_HOME,
// XDG_CACHE_HOME, XDG_RUNTIME_DIR and TMPDIR into it; sets the usual umask (022), so that
// the permissions files get do not depend on the caller's. Call before QApplication exists.
void prepareEnvironment();
// Removes the temporary root; a task daemon that served in it stops once its socket is gone.
void removeEnvironment();
// The temporary root of this test program.
QString root();
// Sets SR_TASKD_ARGS to the test default: a task daemon started by a test (also through the
// application) sends its power requests to a file and never powers the machine off.
void useDryRunTaskDaemon();
// A new empty folder under the root.
QString newFolder(const QString& name);
// The paths in `paths` and below them that give other users any permission, with their
// modes; empty when there are none.
QString openToOthers(const QStringList& paths);
// Writes `bytes` bytes of a repeating pattern to `path`; false on failure.
bool writeFile(const QString& path, qint64 bytes);
// Runs a program with arguments and waits up to `timeoutMs`; true on exit code 0.
bool run(const QString& program, const QStringList& arguments, int timeoutMs = 120000, QByteArray* output = nullptr);
// Makes a test clip with the ffmpeg command (testsrc2 picture, sine sound unless
// `withAudio` is false). `videoCodec` is an ffmpeg encoder name ("libx264", "gif", ...).
bool makeClip(const QString& path, double seconds, int width = 320, int height = 240,
              const QString& videoCodec = QStringLiteral("libx264"), bool withAudio = true);
// Makes a sound file of a sine tone at `frequency` Hz.
bool makeTone(const QString& path, double seconds, int frequency = 440);
// The picture of a video at `seconds`, as the ffmpeg command decodes it (RGB32; null on failure).
QImage frameAt(const QString& video, double seconds);
// True when `colour` is within `tolerance` of `expected` in every channel.
bool nearColour(QRgb colour, const QColor& expected, int tolerance = 40);
} // namespace SrTest
