// "Save as..." of a taken screenshot, the save dialog answered as a user fills it in: the file
// is in the format its typed suffix names, a file the user agreed to replace is replaced, and
// a format that cannot be written is refused with the file left alone. A link another user
// put at the name in a shared folder is never written through.

#include "ModalAnswers.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "capture_tools/SnapshotSaveAs.h"
#include "core/HistoryFileUtils.h"
#include "services/Utils.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTest>

#include <unistd.h>

namespace {
const QSize kShot(120, 80);

// A screenshot as the capture leaves it: a PNG file in the scratch folder.
QString takenScreenshot(const QString& folder)
{
    QImage image(kShot, QImage::Format_ARGB32);
    image.fill(Qt::darkCyan);
    QPainter(&image).fillRect(10, 10, 30, 30, Qt::yellow);
    const QString path = folder + QStringLiteral("/Snapshot_24-01-02_03-04-05.png");
    return image.save(path, "PNG") ? path : QString();
}
} // namespace

class SnapshotSaveAsTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ModalAnswers::clear();
        m_folder = SrTest::newFolder(QTest::currentTestFunction());
        m_shot = takenScreenshot(SrTest::newFolder(QStringLiteral("%1_scratch").arg(QTest::currentTestFunction())));
        QVERIFY(!m_shot.isEmpty());
        Utils::setSnapshotPath(m_folder);
    }
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }

    void typedSuffixNamesTheFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("jpg") << QStringLiteral("typed.jpg") << QByteArray("jpeg");
        QTest::newRow("JPEG upper case") << QStringLiteral("typed.JPEG") << QByteArray("jpeg");
        QTest::newRow("bmp") << QStringLiteral("typed.bmp") << QByteArray("bmp");
        QTest::newRow("png") << QStringLiteral("typed.png") << QByteArray("png");
        QTest::newRow("no suffix: the screenshot's") << QStringLiteral("typed") << QByteArray("png");
    }
    void typedSuffixNamesTheFormat()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        ModalAnswers::push(OvModalRequest::SaveFile, m_folder + QLatin1Char('/') + name);
        const SnapshotSaveAs::Result result = SnapshotSaveAs::ask(m_shot, QStringLiteral("PNG (*.png)"));
        SnapshotSaveAs::finish(m_shot, result);
        QVERIFY(!result.target.isEmpty());
        QImageReader reader(result.target);
        reader.setDecideFormatFromContent(true);
        QCOMPARE(reader.format(), format);
        QCOMPARE(reader.size(), kShot);
        QVERIFY(!QFile::exists(m_shot));
        QCOMPARE(HistoryFileUtils::savefileHistroy().value(0).path, result.target);
        QVERIFY(ModalAnswers::messages().isEmpty());
    }

    void fileTheUserAgreedToReplaceIsReplaced()
    {
        // The dialog asked "already exists ... replace it?" and the user said Yes.
        const QString existing = m_folder + QStringLiteral("/existing.jpg");
        QVERIFY(SrTest::writeFile(existing, 5000));
        ModalAnswers::push(OvModalRequest::SaveFile, existing);
        const SnapshotSaveAs::Result result = SnapshotSaveAs::ask(m_shot, QStringLiteral("PNG (*.png)"));
        SnapshotSaveAs::finish(m_shot, result);
        QCOMPARE(result.target, existing);
        QVERIFY2(ModalAnswers::messages().isEmpty(), qPrintable(ModalAnswers::messages().join('\n')));
        QImageReader reader(existing);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.size(), kShot);
        QCOMPARE(SrTest::filesIn(m_folder), QStringList{QStringLiteral("existing.jpg")}); // nothing left beside
    }

    void formatThatCannotBeWrittenIsAskedAgain()
    {
        // No GIF writer: said so, the existing GIF stays as it was, and the user cancels.
        const QString existing = m_folder + QStringLiteral("/kept.gif");
        QVERIFY(SrTest::writeFile(existing, 3000));
        const QByteArray before = [&] {
            QFile file(existing);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        ModalAnswers::push(OvModalRequest::SaveFile, existing);
        ModalAnswers::push(OvModalRequest::MessageBox, 0x400);
        ModalAnswers::push(OvModalRequest::SaveFile, QString());
        const SnapshotSaveAs::Result result = SnapshotSaveAs::ask(m_shot, QStringLiteral("PNG (*.png)"));
        SnapshotSaveAs::finish(m_shot, result);
        QVERIFY(result.target.isEmpty() && result.cancelled);
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QFile file(existing);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(SrTest::filesIn(m_folder), QStringList{QStringLiteral("kept.gif")});
    }

    void linkAtTheNameIsNeverWrittenThrough_data()
    {
        // To a file: the dialog asked "Replace?" and the user agreed, so the name itself is
        // replaced. Leading nowhere: no question, so the name is kept, said, and asked again.
        QTest::addColumn<bool>("pointeeExists");
        QTest::newRow("link to a file") << true;
        QTest::newRow("link leading nowhere") << false;
    }
    void linkAtTheNameIsNeverWrittenThrough()
    {
        QFETCH(bool, pointeeExists);
        const QString pointee = SrTest::newFolder(QStringLiteral("%1_outside").arg(QTest::currentTestFunction()))
                                + QStringLiteral("/precious.png");
        QVERIFY(!pointeeExists || SrTest::writeFile(pointee, 5));
        // Another member of the shared folder switches a link in at the name while the dialog is open.
        QString name;
        ModalAnswers::pushHandler(OvModalRequest::SaveFile, [&](const OvModalRequest& request) {
            name = request.text;
            return ::symlink(QFile::encodeName(pointee).constData(), QFile::encodeName(name).constData()) == 0
                       ? QVariant(name) : QVariant(QString());
        });
        if (!pointeeExists) {
            ModalAnswers::push(OvModalRequest::MessageBox, 0x400);
            ModalAnswers::push(OvModalRequest::SaveFile, QString());
        }
        const SnapshotSaveAs::Result result = SnapshotSaveAs::ask(m_shot, QStringLiteral("PNG (*.png)"));
        SnapshotSaveAs::finish(m_shot, result);
        QVERIFY(name.startsWith(m_folder + QLatin1Char('/')));
        QCOMPARE(QFileInfo(pointee).size(), qint64(pointeeExists ? 5 : 0));
        QCOMPARE(QFileInfo(name).isSymLink(), !pointeeExists);
        QCOMPARE(result.target, pointeeExists ? name : QString());
        QCOMPARE(QImageReader(name).size(), pointeeExists ? kShot : QSize());
        QCOMPARE(ModalAnswers::messages().size(), pointeeExists ? 0 : 1);
        QCOMPARE(QDir(m_folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(name).fileName()});
    }

private:
    QString m_folder;
    QString m_shot;
};

SR_TEST(SnapshotSaveAsTest)
#include "tst_snapshotsaveas.moc"
