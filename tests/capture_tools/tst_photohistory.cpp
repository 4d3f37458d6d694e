// A webcam photo's history entry, taken with the synthetic camera: its size is the whole
// number of its unit ("2MB" for 2.7 MB), where recordings and screenshots keep two decimals.

#include "ModalAnswers.h"
#include "ScCamera.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "capture_tools/CameraDlg.h"
#include "core/CameraManager.h"
#include "core/HistoryFileUtils.h"
#include "services/Utils.h"

#include <QFileInfo>
#include <QTest>
#include <algorithm>

namespace {
const qint64 kKiB = 1024;
const qint64 kMiB = 1024 * kKiB;
} // namespace

class PhotoHistoryTest : public QObject {
    Q_OBJECT
private slots:
    void wholeNumberOfTheUnit()
    {
        QCOMPARE(Utils::wholeSizeText(kMiB * 27 / 10), QStringLiteral("2MB"));
        QCOMPARE(Utils::wholeSizeText(kMiB * 1024 + 1), QStringLiteral("1GB"));
        QCOMPARE(Utils::wholeSizeText(kMiB), QStringLiteral("1024KB"));
        QCOMPARE(Utils::wholeSizeText(kKiB - 1), QStringLiteral("0KB"));
    }

    void photoEntryGivesAWholeNumber()
    {
        ModalAnswers::clear();
        scSetSyntheticCamera("1");
        {
            CameraDlg dlg(true);
            QVERIFY(SrTest::spinUntil([] { return CameraManager::instance()->isCameraRunning(); }, 5000));
            QTest::qWait(300); // a first picture
            const QList<HistoryFileUtils::HistoryFile> before = HistoryFileUtils::savefileHistroy();
            dlg.snapshot();
            const QList<HistoryFileUtils::HistoryFile> after = HistoryFileUtils::savefileHistroy();
            QCOMPARE(after.size(), before.size() + 1);
            HistoryFileUtils::HistoryFile entry;
            for (const HistoryFileUtils::HistoryFile& e : after)
                if (std::none_of(before.begin(), before.end(), [&e](const auto& old) { return old.path == e.path; }))
                    entry = e;
            const qint64 bytes = QFileInfo(entry.path).size();
            // A picture of the synthetic camera is some kilobytes.
            QVERIFY2(bytes > kKiB && bytes <= kMiB, qPrintable(QString::number(bytes)));
            QCOMPARE(entry.size, QStringLiteral("%1KB").arg(bytes / kKiB));
        }
        CameraManager::release();
        scSetSyntheticCamera(nullptr);
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    }
};
SR_TEST(PhotoHistoryTest)

#include "tst_photohistory.moc"
