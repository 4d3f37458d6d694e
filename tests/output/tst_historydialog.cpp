#include "FakeEngine.h"
#include "ModalAnswers.h"
#include "OvProductInfo.h"
#include "TestMain.h"
#include "core/SignalsTransfer.h"
#include "output/DlgRecordShare.h"
#include "output/RecordHistoryDlg.h"
#include "HistorySupport.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

using namespace HistoryTest;

namespace {
const QStringList kShareKeys{"YouTubeUrl",   "FacebookRUrl", "TwitterUrl", "GooglePlusUrl", "VimoUrl",   "InstagramUrl",
                             "FlickrUrl",    "QQUrl",        "WeChatUrl",  "PanBaiduUrl",   "DouYinUrl", "WeiboUrl",
                             "WeiYunUrl",    "WeiShiUrl",    "KuaiShouUrl", "DingTalkUrl",  "WorkWeChatUrl"};
}

class HistoryDialogTest : public QObject {
    Q_OBJECT
    QMap<QString, QString> m_savedParams;
    FakeSeam m_seam; // records the opened addresses
    QString m_dir;

    QString file(const QString& name)
    {
        const QString path = m_dir + QLatin1Char('/') + name;
        SrTest::writeFile(path, 32);
        return path;
    }

private slots:
    void initTestCase()
    {
        for (const QString& key : kShareKeys)
            m_savedParams.insert(key, OvProductInfo::instance()->extendParam(key));
        m_dir = SrTest::newFolder(QStringLiteral("history-dialog"));
    }
    void cleanupTestCase()
    {
        for (auto it = m_savedParams.cbegin(); it != m_savedParams.cend(); ++it)
            OvProductInfo::instance()->setExtendParam(it.key(), it.value());
    }
    void init()
    {
        ModalAnswers::clear();
        m_seam.openedUrls.clear();
    }
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }

    void newFileIsShownAfterALanguageChangeUnderAnotherFilter()
    {
        storeHistory({{file("talk.mp3"), HFT_AUDIO}, {file("old.mov"), HFT_VIDEO}, {file("pic.png"), HFT_IMAGE}});
        RecordHistoryDlg dlg(nullptr);
        dlg.show();
        HistoryFileListWidget* list = dlg.historyList();
        auto* combo = dlg.findChild<QComboBox*>(QStringLiteral("cmbType"));
        auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("lineEdit"));
        combo->setCurrentIndex(combo->findText("Audio"));
        QTest::keyClicks(edit, "talk");

        QEvent languageChange(QEvent::LanguageChange);
        QApplication::sendEvent(&dlg, &languageChange);
        QCOMPARE(combo->count(), 4);
        QCOMPARE(combo->currentText(), QStringLiteral("Audio")); // what is shown is what is applied
        QCOMPARE(listedNames(list, true), QStringList{"talk.mp3"});
        combo->setCurrentIndex(combo->findText("Image"));
        QVERIFY(listedNames(list, true).isEmpty()); // still connected after the rebuild

        // A video saved meanwhile: the tool strip's call shows every type again, under the
        // search the user typed.
        edit->clear();
        QTest::keyClicks(edit, "Video");
        const QString saved = file("Video_26-12-06_10-00-00.mp4");
        SignalsTransfer::instance()->addHistoryFile(saved, HFT_VIDEO, "1280*720", "00:00:02", "1.00MB");
        dlg.isAddedHistory();
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(edit->text(), QStringLiteral("Video"));
        QCOMPARE(listedNames(list, true), QStringList{"Video_26-12-06_10-00-00.mp4"});
        edit->clear();
        QCOMPARE(listedNames(list, true),
                 (QStringList{"Video_26-12-06_10-00-00.mp4", "talk.mp3", "old.mov", "pic.png"}));

        // Picking "Show all" while it is shown keeps everything visible too.
        dlg.isAddedHistory();
        QCOMPARE(listedNames(list, true).size(), 4);

        // "Record more" closes with the accepted result and leaves the list alone.
        QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("btnReRecord")), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(list->count(), 4);
        QCOMPARE(storedPaths().size(), 4);
    }

    void shareShowsOnlySitesWithAnAddressAndOpensOnce()
    {
        for (const QString& key : kShareKeys)
            OvProductInfo::instance()->setExtendParam(key, QString());
        {
            DlgRecordShare empty(nullptr);
            QCOMPARE(empty.findChild<QLabel*>(QStringLiteral("lblHint"))->text(), QStringLiteral("Share it on"));
            for (QToolButton* button : empty.findChildren<QToolButton*>())
                QVERIFY(!button->isVisibleTo(&empty));
        }

        OvProductInfo::instance()->setExtendParam("YouTubeUrl", "http://127.0.0.1:9/upload");
        OvProductInfo::instance()->setExtendParam("WeChatUrl", "http://127.0.0.1:9/wechat");
        storeHistory({{file("share.mp4"), HFT_VIDEO}});
        RecordHistoryDlg dlg(nullptr);
        dlg.show();
        QStringList shown;
        ModalAnswers::pushHandler(OvModalRequest::Dialog, [&shown](const OvModalRequest& request) {
            QWidget* share = request.widget;
            share->show();
            for (QToolButton* button : share->findChildren<QToolButton*>())
                if (button->isVisible())
                    shown << button->objectName();
            // The tooltip is a translated text: the site's address must not depend on it.
            auto* youtube = share->findChild<QToolButton*>(QStringLiteral("btnYoutube"));
            youtube->setToolTip(QStringLiteral("Videoportal"));
            QTest::mouseClick(youtube, Qt::LeftButton);
            [&] { QVERIFY(!share->isVisible()); }();
            return QVariant();
        });
        CLICK_ROW_BUTTON(dlg.historyList(), "share.mp4", "btnShare");
        QCOMPARE(ModalAnswers::asked().size(), 1);
        QCOMPARE(ModalAnswers::asked().first().className, QStringLiteral("DlgRecordShare"));
        QCOMPARE(shown, (QStringList{"btnYoutube", "btnWechat"}));
        QCOMPARE(m_seam.openedUrls, QList<QUrl>{QUrl("http://127.0.0.1:9/upload")});
    }
};

SR_TEST(HistoryDialogTest)
#include "tst_historydialog.moc"
