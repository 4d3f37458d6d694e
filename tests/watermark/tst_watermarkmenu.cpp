// The tool strip's watermark drop-down: its rows, a pick reaching the store, the setting,
// the button text and the rendered picture; the manager's rows and rename button.

#include "TestMain.h"
#include "TestEnv.h"
#include "ModalAnswers.h"
#include "WaterMarkTestUtil.h"

#include "OvSettings.h"
#include "app/RecordHistoryTool.h"
#include "watermark/WMCustomListWidget.h"
#include "watermark/WaterMarkCache.h"
#include "watermark/WhaterMarkMenuDlg.h"
#include "watermark/WhaterMarkMenuListItem.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace WmTest;

namespace {
WhaterMarkMenuListItem* row(WMCustomListWidget* list, int i)
{
    return qobject_cast<WhaterMarkMenuListItem*>(list->itemWidget(list->item(i)));
}

void releaseOnName(WhaterMarkMenuListItem* item)
{
    QTest::mouseRelease(item->frmBtn(), Qt::LeftButton, Qt::NoModifier, item->frmBtn()->rect().center());
}

QString buttonText(const RecordHistoryTool& tool)
{
    return tool.findChild<QToolButton*>(QStringLiteral("btnWatermark"))->text();
}

int storedIndex() { return OvSettings::instance()->applicationParam(QStringLiteral("WatermarkIndex"), 99).toInt(); }
} // namespace

class WaterMarkMenuTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ModalAnswers::clear(); }
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }

    void pickReachesStoreSettingAndButton()
    {
        WaterMarkDataManage* store = freshStore();
        WaterMarkData third;
        third.m_strWaterMarkName = QStringLiteral("Logo");
        store->m_lstWaterMarkData.append(third);
        store->m_lstWaterMarkData[1].m_strWaterMarkName = QStringLiteral("Caption");
        store->m_nCurIndex = 2;
        RecordHistoryTool tool;
        QCOMPARE(buttonText(tool), QStringLiteral("Logo (ON)"));

        tool.onShowWhaterMarkMenuDlg();
        WMCustomListWidget* list = tool.waterMarkMenuDlg()->listWidget();
        QCOMPARE(list->count(), 4);
        const QList<int> types{0, 1, 2, 1};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(row(list, i)->type(), types[i]);
            QCOMPARE(row(list, i)->isChecked(), i == 3);
        }

        QFile::remove(WaterMarkCache::imagePath());
        releaseOnName(row(list, 2));
        QCOMPARE(store->m_nCurIndex, 1);
        QCOMPARE(storedIndex(), 1);
        QCOMPARE(buttonText(tool), QStringLiteral("Caption (ON)"));
        QVERIFY(!tool.waterMarkMenuDlg()->isVisible());
        // The pick is rendered for the next recording.
        QTRY_VERIFY(QFileInfo::exists(WaterMarkCache::imagePath()));

        tool.onShowWhaterMarkMenuDlg();
        QVERIFY(row(list, 2)->isChecked());
        releaseOnName(row(list, 0));
        QCOMPARE(store->m_nCurIndex, -1);
        QCOMPARE(storedIndex(), -1);
        QCOMPARE(buttonText(tool), QStringLiteral("Record Watermark (OFF)"));
    }

    // A stored selection below -1 is no selection: reset at start, and the button says so.
    void negativeStoredIndexIsReset()
    {
        WaterMarkDataManage* store = freshStore();
        OvSettings::instance()->setApplicationParam(QStringLiteral("WatermarkIndex"), -3);
        store->reload();
        RecordHistoryTool tool;
        QCOMPARE(store->m_nCurIndex, -1);
        QCOMPARE(storedIndex(), -1);
        QCOMPARE(buttonText(tool), QStringLiteral("Record Watermark (OFF)"));
    }

    void managerRowsRenameOnlyOwnRecords()
    {
        WaterMarkDataManage* store = freshStore();
        store->m_lstWaterMarkData.append(WaterMarkData());
        store->m_nCurIndex = 2;
        WMCustomListWidget list;
        list.onEditUILoadData(true); // pictures: records 0 and 2
        QCOMPARE(list.count(), 2);
        QCOMPARE(list.getCurDataIndex(), 2);
        QVERIFY(!row(&list, 1)->editBtn()->isHidden());

        QSignalSpy picked(&list, &WMCustomListWidget::sigPopViewListItemClicked);
        releaseOnName(row(&list, 0));
        QCOMPARE(picked.count(), 1);
        QCOMPARE(picked[0][0].toInt(), 0);
        QCOMPARE(picked[0][2].toInt(), 2);
        QVERIFY(row(&list, 0)->editBtn()->isHidden()); // the built-in keeps its name
        QVERIFY(row(&list, 1)->editBtn()->isHidden());
    }
};

SR_TEST(WaterMarkMenuTest)
#include "tst_watermarkmenu.moc"
