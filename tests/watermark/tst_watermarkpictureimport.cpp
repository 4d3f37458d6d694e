// Picture import: the stored size, the chooser's filter, copies of each kind of picture in
// the watermark folder, and the refusal of a file that is no picture.

#include "TestMain.h"
#include "TestEnv.h"
#include "ModalAnswers.h"
#include "WaterMarkTestUtil.h"

#include "OvSettings.h"
#include "watermark/WaterMarkPictureImport.h"

#include <QImageReader>
#include <QMessageBox>
#include <QTest>
#include <QFileDialog>
#include <QFileSystemModel>

using namespace WmTest;

namespace {
// Chooses `file` in the next file chooser and imports it; the new path, or empty.
QString importChosen(const QString& file, const QString& current = QString())
{
    ModalAnswers::push(OvModalRequest::OpenFiles, QStringList{file});
    QString newPath;
    return WaterMarkPictureImport::onSaveLineEditFile(nullptr, current, &newPath) ? newPath : QString();
}
} // namespace

class WaterMarkPictureImportTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ModalAnswers::clear();
        freshStore();
    }
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }

    void storedSize()
    {
        using I = WaterMarkPictureImport;
        QCOMPARE(I::scaledImportSize({1920, 1080}), QSize(1920, 1080));
        QCOMPARE(I::scaledImportSize({1921, 1080}), QSize(1920, 1079));
        QCOMPARE(I::scaledImportSize({4000, 1000}), QSize(1920, 480));
        QCOMPARE(I::scaledImportSize({1000, 4000}), QSize(270, 1080));
        QCOMPARE(I::scaledImportSize({3000, 500}), QSize(3000, 500));
        // Beyond what an int product holds.
        QCOMPARE(I::scaledImportSize({60000, 60000}), QSize(1080, 1080));
    }

    // The chooser splits the filter's patterns at spaces: every supported kind must match.
    void filterMatchesEveryKind()
    {
        QFileDialog chooser;
        chooser.setOption(QFileDialog::DontUseNativeDialog);
        chooser.setNameFilter(WaterMarkPictureImport::supportedFilter());
        auto* model = chooser.findChild<QFileSystemModel*>();
        QVERIFY(model);
        const QStringList patterns = model->nameFilters();
        for (const char* name : {"a.png", "b.JPG", "c.jpeg", "d.bmp", "e.gif", "f.tif", "g.tiff", "h.webp", "i.svg"})
            QVERIFY2(QDir::match(patterns, QString::fromLatin1(name)), name);
        QVERIFY(!QDir::match(patterns, QStringLiteral("j.txt")));
    }

    void picturesAreCopiedIntoTheFolder()
    {
        const QString source = SrTest::root() + QStringLiteral("/import");
        QDir().mkpath(source);

        const QString png = makePicture(source + QStringLiteral("/small.png"), {40, 30}, Qt::red);
        const QString pngCopy = importChosen(png);
        QCOMPARE(QFileInfo(pngCopy).absolutePath(), folder());
        QCOMPARE(readAll(pngCopy), readAll(png));
        QCOMPARE(OvSettings::instance()->applicationParam(WaterMarkPictureImport::lastSelectionKey()).toString(), png);

        const QString svg = source + QStringLiteral("/logo.svg");
        QVERIFY(writeAll(svg, "<svg xmlns='http://www.w3.org/2000/svg' width='64' height='32'>"
                              "<rect width='64' height='32' fill='blue'/></svg>"));
        const QString svgCopy = importChosen(svg, pngCopy);
        QCOMPARE(QFileInfo(svgCopy).absolutePath(), folder());
        QCOMPARE(QImageReader(svgCopy).size(), QSize(64, 32));

        const QString tiff = makePicture(source + QStringLiteral("/big.tiff"), {2400, 1200}, Qt::green, "tiff");
        QVERIFY(!tiff.isEmpty());
        const QString tiffCopy = importChosen(tiff);
        QCOMPARE(QFileInfo(tiffCopy).absolutePath(), folder());
        QCOMPARE(QImage(tiffCopy).size(), QSize(1920, 960));
        QCOMPARE(QImage(tiffCopy).pixelColor(100, 100), QColor(Qt::green));

        // The same picture again changes nothing.
        QVERIFY(importChosen(png, png).isEmpty());
        QVERIFY(ModalAnswers::messages().isEmpty());
    }

    void textFileIsRefused()
    {
        const QString fake = SrTest::root() + QStringLiteral("/notes.png");
        QVERIFY(writeAll(fake, "just some words, no picture\n"));
        const QStringList before = QDir(folder()).entryList(QDir::Files);
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        QVERIFY(importChosen(fake).isEmpty());
        QCOMPARE(ModalAnswers::messages(),
                 QStringList{QStringLiteral("Failed to load the picture. Please check whether the picture is standard.")});
        QCOMPARE(QDir(folder()).entryList(QDir::Files), before);
    }
};

SR_TEST(WaterMarkPictureImportTest)
#include "tst_watermarkpictureimport.moc"
