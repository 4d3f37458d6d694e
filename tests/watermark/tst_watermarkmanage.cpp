// The watermark manager's edits reaching the store: pictures go only when the change is
// saved, the selection stays on its record, edits survive row switches, an uninstalled
// font family is kept, and the manager comes back when the area pick is cancelled.

#include "ModalAnswers.h"
#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "WaterMarkTestUtil.h"

#include "OvSettings.h"
#include "watermark/DlgWatermarkManage.h"
#include "watermark/WMCustomListWidget.h"
#include "watermark/WhaterMarkMenuListItem.h"

#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <memory>

using namespace WmTest;

namespace {
// The store: the two built-ins, then pictures "A" and "B" in the watermark folder; "B" selected.
void storeWithPictures()
{
    WaterMarkDataManage* store = freshStore();
    for (const QString& name : {QStringLiteral("A"), QStringLiteral("B")}) {
        WaterMarkData record;
        record.m_strWaterMarkName = name;
        record.m_strWaterMarkPath = makePicture(folder() + "/" + name + ".png", QSize(40, 20), Qt::blue);
        store->m_lstWaterMarkData.append(record);
    }
    store->m_nCurIndex = 3;
}

std::unique_ptr<DlgWatermarkManage> openManager()
{
    auto dialog = std::make_unique<DlgWatermarkManage>();
    dialog->onInitUI();
    dialog->show();
    return dialog;
}

// Clicks the row of the page's list whose record has store index `key`.
void clickRow(DlgWatermarkManage* dialog, const char* list, int key)
{
    auto* rows = dialog->findChild<WMCustomListWidget*>(list);
    for (int i = 0; i < rows->count(); ++i) {
        auto* row = qobject_cast<WhaterMarkMenuListItem*>(rows->itemWidget(rows->item(i)));
        if (row->cusData().toInt() == key)
            rows->onPopViewCheckboxListItemClicked(row);
    }
}

void click(DlgWatermarkManage* dialog, const char* button) { dialog->findChild<QPushButton*>(button)->click(); }
} // namespace

class WatermarkManageTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ModalAnswers::clear(); }

    void deletedPictureStaysUntilSaved()
    {
        storeWithPictures();
        auto dialog = openManager();
        clickRow(dialog.get(), "listWidget", 2);
        click(dialog.get(), "btnDelete");
        QVERIFY(QFileInfo::exists(folder() + "/A.png"));

        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::No));
        dialog->close();
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QCOMPARE(WaterMarkDataManage::instance()->m_lstWaterMarkData.size(), 4);
        QVERIFY(QFileInfo::exists(folder() + "/A.png"));
    }

    void saveKeepsSelectionAndDeletesOnlyRemovedPictures()
    {
        storeWithPictures();
        WaterMarkDataManage* store = WaterMarkDataManage::instance();
        const QString builtIn = store->m_lstWaterMarkData.at(0).m_strWaterMarkPath;
        auto dialog = openManager();
        clickRow(dialog.get(), "listWidget", 2);
        click(dialog.get(), "btnDelete");
        click(dialog.get(), "btnSave");

        QCOMPARE(store->m_lstWaterMarkData.size(), 3);
        QCOMPARE(store->m_nCurIndex, 2);
        QCOMPARE(store->getWatermarkName(store->m_nCurIndex), QStringLiteral("B"));
        QCOMPARE(OvSettings::instance()->applicationParam("WatermarkIndex").toInt(), 2);
        QVERIFY(!QFileInfo::exists(folder() + "/A.png"));
        QVERIFY(QFileInfo::exists(folder() + "/B.png"));
        QVERIFY(QFileInfo::exists(builtIn));
        store->m_lstWaterMarkData.clear();
        QVERIFY(store->loadWaterMarkDataFile());
        QCOMPARE(store->m_lstWaterMarkData.size(), 3);
    }

    void editSurvivesRowSwitch()
    {
        storeWithPictures();
        auto dialog = openManager();
        auto* save = dialog->findChild<QPushButton*>("btnSave");
        clickRow(dialog.get(), "listWidget", 2);
        dialog->findChild<QSpinBox*>("spTransparency")->setValue(40);
        QVERIFY(save->isEnabled());
        clickRow(dialog.get(), "listWidget", 3);
        clickRow(dialog.get(), "listWidget", 2);
        QCOMPARE(dialog->findChild<QSpinBox*>("spTransparency")->value(), 40);
        click(dialog.get(), "btnSave");
        QCOMPARE(WaterMarkDataManage::instance()->m_lstWaterMarkData.at(2).m_nOpacity, 40);
    }

    void missingFontFamilyIsKept()
    {
        WaterMarkDataManage* store = freshStore();
        store->m_lstWaterMarkData[1].m_font.setFamily(QStringLiteral("No Such Family Here"));
        store->m_nCurIndex = 1;
        auto dialog = openManager();
        QCOMPARE(dialog->findChild<QComboBox*>("cbFontName")->currentText(), QStringLiteral("No Such Family Here"));
        QVERIFY(!dialog->findChild<QPushButton*>("btnSave")->isEnabled());
        dialog->close();
        QVERIFY(ModalAnswers::messages().isEmpty());
        QCOMPARE(store->m_lstWaterMarkData.at(1).m_font.family(), QStringLiteral("No Such Family Here"));
    }

    void cancelledAreaPickShowsManagerAgain()
    {
        freshStore();
        auto dialog = openManager();
        click(dialog.get(), "btnPreview");
        QVERIFY(SrTest::spinUntil([&] { return dialog->isVisible(); }, 10000));
    }
};

SR_TEST(WatermarkManageTest)
#include "tst_watermarkmanage.moc"
