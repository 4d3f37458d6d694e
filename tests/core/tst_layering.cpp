// The module's lower layers stand on their own: nothing in core or services includes from
// the layers built on them (recording, output, the application).

#include "TestMain.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

class LayeringTest : public QObject {
    Q_OBJECT
private slots:
    void coreAndServicesIncludeOnlyDownward()
    {
        const QRegularExpression upward(QStringLiteral("^\\s*#\\s*include\\s*\"(recording|output|app)/"));
        QStringList found;
        int files = 0;
        for (const char* folder : {"core", "services"}) {
            QDirIterator it(QStringLiteral(SR_SOURCE_DIR "/src/") + QLatin1String(folder),
                            {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile file(it.next());
                QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
                ++files;
                int line = 0;
                while (!file.atEnd()) {
                    ++line;
                    if (upward.match(QString::fromUtf8(file.readLine())).hasMatch())
                        found << QStringLiteral("%1:%2").arg(file.fileName()).arg(line);
                }
            }
        }
        QVERIFY(files > 10);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }
};

SR_TEST(LayeringTest)

#include "tst_layering.moc"
