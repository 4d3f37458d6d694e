// The drawing tool bar's rules that its owners rely on: box mode survives setting changes,
// Exit only exits, the custom colour fields follow the colour they edit, and one user
// action restarts the canvas once.

#include "FindChild.h"
#include "TestMain.h"
#include "capture_tools/FfColor.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

namespace {
using SrTest::child;

QAbstractButton* presetButton(FfColor& bar, Qt::GlobalColor colour)
{
    for (QAbstractButton* b : bar.findChildren<QAbstractButton*>(QStringLiteral("btnColor")))
        if (b->property("color").toInt() == int(colour))
            return b;
    qFatal("no preset button for colour %d", int(colour));
    return nullptr;
}

QList<int> shapes(const QSignalSpy& spy)
{
    QList<int> result;
    for (const QList<QVariant>& call : spy)
        result << call.at(0).toInt();
    return result;
}
} // namespace

class FfColorTest : public QObject {
    Q_OBJECT
private slots:
    void boxModeSurvivesSizeAndColourChanges();
    void exitSendsOnlyTheExit();
    void colourTargetSwitchLoadsItsColour();
    void oneActionRestartsTheCanvasOnce();
};

void FfColorTest::boxModeSurvivesSizeAndColourChanges()
{
    const struct {
        const char* button;
        int tool;
        int box;
    } rows[] = {{"btnBlur", CS_Blur, CS_BlurBox}, {"btnErase", CS_Eraser, CS_EraserBox}};
    for (const auto& row : rows) {
        FfColor bar;
        child(&bar, row.button)->click();
        child(&bar, "btnBoxSelect")->click();
        QSignalSpy starts(&bar, &FfColor::startCanvs);
        child(&bar, "btnThick")->click();
        presetButton(bar, Qt::blue)->click();
        QCOMPARE(shapes(starts), (QList<int>{row.box, row.box}));
        // The size still is that of the tool the box belongs to.
        QCOMPARE(bar.getPainterSize(), getLineSize(row.tool, LS_THICK));
        child(&bar, "btnBoxSelect")->click();
        QCOMPARE(starts.last().at(0).toInt(), row.tool);
    }
}

void FfColorTest::exitSendsOnlyTheExit()
{
    FfColor bar;
    child(&bar, "btnRect")->click();
    QSignalSpy stops(&bar, &FfColor::stopCanvs);
    QSignalSpy starts(&bar, &FfColor::startCanvs);
    child(&bar, "btnQuitEdit")->click();
    QCOMPARE(stops.size(), 1);
    QCOMPARE(stops.at(0).at(0).toBool(), true);
    QCOMPARE(starts.size(), 0);
    QCOMPARE(bar.getCanvsType(), int(CS_None));
}

void FfColorTest::colourTargetSwitchLoadsItsColour()
{
    FfColor bar;
    child(&bar, "btnNumber")->click();
    child(&bar, "btnBackgroundColor")->click();
    // Editing one component of the background colour keeps its other two.
    child<QSpinBox>(&bar, "sbGreen")->setValue(128);
    QCOMPARE(bar.getBackgroundColor(), QColor(255, 128, 255));
    QCOMPARE(bar.getColor(), QColor(Qt::red));
    child(&bar, "btnFontColor")->click();
    child<QSpinBox>(&bar, "sbBlue")->setValue(64);
    QCOMPARE(bar.getColor(), QColor(255, 0, 64));
}

void FfColorTest::oneActionRestartsTheCanvasOnce()
{
    FfColor bar;
    child(&bar, "btnNumber")->click();
    QSignalSpy starts(&bar, &FfColor::startCanvs);
    presetButton(bar, Qt::darkCyan)->click();
    QCOMPARE(shapes(starts), QList<int>{CS_Callout});
    QCOMPARE(bar.getColor(), QColor(Qt::darkCyan));
    child<QSpinBox>(&bar, "sbRed")->setValue(10);
    QCOMPARE(shapes(starts), (QList<int>{CS_Callout, CS_Callout}));
    // A callout the canvas placed moves the start number on without a restart.
    auto* number = child<QSpinBox>(&bar, "sbFromNumber");
    bar.setNumberNumber(0);
    QCOMPARE(number->value(), 2);
    QCOMPARE(starts.size(), 2);
}

SR_TEST(FfColorTest)
#include "tst_ffcolor.moc"
