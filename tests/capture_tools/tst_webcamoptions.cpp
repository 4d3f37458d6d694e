// The webcam options with the synthetic camera: the "Resolution:" list offers the size the
// camera delivers, for each camera chosen.

#include "ModalAnswers.h"
#include "ScCamera.h"
#include "TestMain.h"
#include "capture_tools/DlgWebcamOptions.h"
#include "core/CameraManager.h"

#include <QComboBox>
#include <QTest>

class WebcamOptionsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        CameraManager::release();
        scSetSyntheticCamera(nullptr);
    }

    void resolutionListShowsTheDeliveredSize_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("shown");
        QTest::newRow("standard") << QByteArray("1") << QStringLiteral("1280 x 720");
        QTest::newRow("small") << QByteArray("testsrc2=size=640x480:rate=30") << QStringLiteral("640 x 480");
    }
    void resolutionListShowsTheDeliveredSize()
    {
        QFETCH(QByteArray, source);
        QFETCH(QString, shown);
        ModalAnswers::clear();
        scSetSyntheticCamera(source.constData());
        DlgWebcamOptions dlg;
        dlg.show();
        auto* list = dlg.findChild<QComboBox*>(QStringLiteral("cmbResolution"));
        QTRY_COMPARE(list->count(), 1);
        QCOMPARE(list->itemText(0), shown);
        QVERIFY(list->isEnabled());
        QCOMPARE(ModalAnswers::unexpectedCount(), 0);
    }
};

SR_TEST(WebcamOptionsTest)
#include "tst_webcamoptions.moc"
