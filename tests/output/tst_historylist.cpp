#include "FakeEngine.h"
#include "ModalAnswers.h"
#include "OvProductInfo.h"
#include "TestMain.h"
#include "core/SignalsTransfer.h"
#include "output/DlgDeleteFile.h"
#include "output/RecordHistoryDlg.h"
#include "HistorySupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QUrl>

using namespace HistoryTest;

namespace {
const QString kInvalidFile = QStringLiteral("Invalid local file, click OK to remove from the list.");

// Answers the next delete confirmation: sets "Delete local file" to `deleteLocal`, then OK.
void confirmDelete(bool deleteLocal)
{
    ModalAnswers::pushHandler(OvModalRequest::Dialog, [deleteLocal](const OvModalRequest& request) {
        auto* box = request.widget->findChild<QCheckBox*>(QStringLiteral("chbDelete"));
        box->setChecked(deleteLocal);
        QTest::mouseClick(request.widget->findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
        return QVariant();
    });
}
} // namespace

class HistoryListTest : public QObject {
    Q_OBJECT
    QString m_dir;
    FakeSeam m_seam; // records the started programs
    int m_folderCount = 0;

    QString file(const QString& name, qint64 bytes = 64)
    {
        const QString path = m_dir + QLatin1Char('/') + name;
        SrTest::writeFile(path, bytes);
        return path;
    }

private slots:
    void init()
    {
        ModalAnswers::clear();
        m_seam.started.clear();
        m_dir = SrTest::newFolder(QStringLiteral("history-%1").arg(++m_folderCount));
        OvSettings::instance()->removeApplicationParam(QStringLiteral("DeleteLocalFile"));
    }
    void cleanup() { QCOMPARE(ModalAnswers::unexpectedCount(), 0); }

    void newestFirstAndHubAdditionsOnTop()
    {
        storeHistory({{file("b.mp4"), HFT_VIDEO}, {file("a.mp4"), HFT_VIDEO}});
        HistoryFileListWidget list;
        QCOMPARE(listedNames(&list, false), (QStringList{"b.mp4", "a.mp4"}));

        const QString c = file("c.png");
        SignalsTransfer::instance()->addHistoryFile(c, HFT_IMAGE, "10*10", "", "1KB");
        QCOMPARE(listedNames(&list, false), (QStringList{"c.png", "b.mp4", "a.mp4"}));
        QCOMPARE(list.item(0)->data(HistoryFileListWidget::PathRole).toString(), c);
        QCOMPARE(list.item(0)->data(HistoryFileListWidget::TypeRole).toInt(), int(HFT_IMAGE));
        QCOMPARE(storedPaths().first(), c);
    }

    void searchFindsLongNamesByTheirHiddenMiddleAndCombinesWithType()
    {
        const QString longName = QStringLiteral("Recording_of_the_quarterly_planning_meeting_") + QString(60, 'x')
                                 + QStringLiteral("_MIDDLEPART_") + QString(60, 'y') + QStringLiteral(".mp4");
        storeHistory({{file(longName), HFT_VIDEO},
                      {file("Video_1.mp4"), HFT_VIDEO},
                      {file("video_1.mp4"), HFT_VIDEO},
                      {file("Audio_1.mp3"), HFT_AUDIO},
                      {file("Shot.png"), HFT_IMAGE}});
        RecordHistoryDlg dlg(nullptr);
        dlg.show();
        HistoryFileListWidget* list = dlg.historyList();
        auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("lineEdit"));

        // The row shows a shortened name, but keeps and is searched by the full one.
        HistoryFileListItemWidget* row = list->rowWidget(list->item(0));
        auto* field = row->findChild<QLineEdit*>(QStringLiteral("lblFileName"));
        QVERIFY(!field->text().contains("MIDDLEPART"));
        QCOMPARE(row->text(), longName);
        QTest::keyClicks(edit, "MIDDLEPART");
        QCOMPARE(listedNames(list, true), QStringList{longName});
        QCOMPARE(row->text(), longName);

        // Case-sensitive, and every keystroke filters.
        edit->clear();
        QTest::keyClicks(edit, "V");
        QCOMPARE(listedNames(list, true), (QStringList{"Video_1.mp4"}));
        edit->clear();
        QTest::keyClicks(edit, "video");
        QCOMPARE(listedNames(list, true), (QStringList{"video_1.mp4"}));

        auto* combo = dlg.findChild<QComboBox*>(QStringLiteral("cmbType"));
        combo->setCurrentIndex(combo->findText("Audio"));
        QVERIFY(listedNames(list, true).isEmpty());
        edit->clear();
        QCOMPARE(listedNames(list, true), (QStringList{"Audio_1.mp3"}));
        combo->setCurrentIndex(combo->findText("Image"));
        QCOMPARE(listedNames(list, true), (QStringList{"Shot.png"}));
        combo->setCurrentIndex(combo->findText("Show all"));
        QCOMPARE(listedNames(list, true).size(), 5);
    }

    void renameKeepsTheSuffixAndRefusesWhatIsNotAPlainName()
    {
        const QString original = file("Video_1.mp4", 100);
        const QString taken = file("taken.mp4", 200);
        storeHistory({{original, HFT_VIDEO}, {taken, HFT_VIDEO}});
        RecordHistoryDlg dlg(nullptr);
        dlg.show();
        HistoryFileListWidget* list = dlg.historyList();

        // The field shows a name of the longest length in full; the suffix typed as well
        // (in any case) is not doubled.
        const QString longest = QStringLiteral("Quarterly_planning_meeting_with_the_whole_team_26-12-06_10-00-00");
        QCOMPARE(longest.size(), 64);
        ModalAnswers::pushHandler(OvModalRequest::InputDialog, [&longest](const OvModalRequest& request) {
            request.widget->show();
            auto* field = request.widget->findChild<QLineEdit*>();
            field->setText(longest);
            field->end(false);
            field->grab(); // painting scrolls the text to the cursor
            const QRect cursor = field->inputMethodQuery(Qt::ImCursorRectangle).toRect();
            [&] { QVERIFY(cursor.center().x() >= field->fontMetrics().horizontalAdvance(longest)); }();
            return QVariant(QStringLiteral("  clip.MP4  "));
        });
        CLICK_ROW_BUTTON(list, "Video_1.mp4", "btnRename");
        QCOMPARE(ModalAnswers::asked().last().value, QStringLiteral("Video_1"));
        const QString clip = m_dir + "/clip.mp4";
        QVERIFY(QFileInfo::exists(clip) && !QFileInfo::exists(original));
        QCOMPARE(storedPaths(), (QStringList{clip, taken}));
        QCOMPARE(HistoryFileUtils::savefileHistroy().first().fileName, QStringLiteral("clip.mp4"));
        QCOMPARE(list->rowWidget(list->item(0))->text(), QStringLiteral("clip.mp4"));
        QCOMPARE(list->item(0)->data(HistoryFileListWidget::PathRole).toString(), clip);

        // The suffix cannot be changed; an entered one becomes part of the name.
        ModalAnswers::push(OvModalRequest::InputDialog, QStringLiteral("clip.mov"));
        CLICK_ROW_BUTTON(list, "clip.mp4", "btnRename");
        const QString clipMov = m_dir + "/clip.mov.mp4";
        QVERIFY(QFileInfo::exists(clipMov));

        // Refused: an existing name, a way out of the folder, the same name, a blank.
        const QStringList refusals{"taken", "../x", "sub/x", "..", "clip.mov", "   "};
        for (const QString& answer : refusals) {
            ModalAnswers::push(OvModalRequest::InputDialog, answer);
            ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
            CLICK_ROW_BUTTON(list, "clip.mov.mp4", "btnRename");
        }
        // Told for the clash and the three names that are no plain names; silent for the rest.
        const QStringList told = ModalAnswers::messages();
        QCOMPARE(told.size(), 4);
        QVERIFY(told.at(0).contains("taken.mp4"));
        QCOMPARE(told.at(1), told.at(3));
        ModalAnswers::clear(); // two scripted answers were not needed
        QVERIFY(QFileInfo::exists(clipMov));
        QCOMPARE(QFileInfo(taken).size(), qint64(200));
        QVERIFY(!QFileInfo::exists(SrTest::root() + "/x.mp4") && !QFileInfo::exists(m_dir + "/...mp4"));
        QCOMPARE(storedPaths(), (QStringList{clipMov, taken}));
        QCOMPARE(listedNames(list, false), (QStringList{"clip.mov.mp4", "taken.mp4"}));

        // A cancelled question changes nothing either.
        ModalAnswers::push(OvModalRequest::InputDialog, QVariant());
        CLICK_ROW_BUTTON(list, "clip.mov.mp4", "btnRename");
        QVERIFY(QFileInfo::exists(clipMov));
        QCOMPARE(storedPaths(), (QStringList{clipMov, taken}));
    }

    void deleteMovesToTheTrashOrKeepsTheFileAsChosen()
    {
        const QString one = file("one.mp4", 11);
        const QString two = file("two.mp4", 22);
        storeHistory({{one, HFT_VIDEO}, {two, HFT_VIDEO}});
        RecordHistoryDlg dlg(nullptr);
        dlg.show();
        HistoryFileListWidget* list = dlg.historyList();

        // Cancel: nothing happens, and the changed box is not remembered.
        ModalAnswers::pushHandler(OvModalRequest::Dialog, [](const OvModalRequest& request) {
            auto* box = request.widget->findChild<QCheckBox*>(QStringLiteral("chbDelete"));
            [&] { QVERIFY(box->isChecked()); }(); // "Delete local file" starts on
            box->setChecked(false);
            QTest::mouseClick(request.widget->findChild<QPushButton*>(QStringLiteral("btnCancel")), Qt::LeftButton);
            return QVariant();
        });
        CLICK_ROW_BUTTON(list, "one.mp4", "btnRemove");
        QCOMPARE(list->count(), 2);
        QVERIFY(DlgDeleteFile::isDeleteLocalFile());

        confirmDelete(true);
        CLICK_ROW_BUTTON(list, "one.mp4", "btnRemove");
        QVERIFY(!QFileInfo::exists(one));
        QCOMPARE(QFileInfo(trashFolder() + "/one.mp4").size(), qint64(11));
        QCOMPARE(storedPaths(), QStringList{two});
        QCOMPARE(listedNames(list, false), QStringList{"two.mp4"});

        confirmDelete(false);
        CLICK_ROW_BUTTON(list, "two.mp4", "btnRemove");
        QVERIFY(QFileInfo::exists(two));
        QVERIFY(storedPaths().isEmpty());
        QCOMPARE(list->count(), 0);
        QVERIFY(!DlgDeleteFile::isDeleteLocalFile());

        // The next confirmation opens with the remembered choice.
        storeHistory({{two, HFT_VIDEO}});
        list->refresh();
        ModalAnswers::pushHandler(OvModalRequest::Dialog, [](const OvModalRequest& request) {
            [&] { QVERIFY(!request.widget->findChild<QCheckBox*>(QStringLiteral("chbDelete"))->isChecked()); }();
            return int(QDialog::Rejected);
        });
        CLICK_ROW_BUTTON(list, "two.mp4", "btnRemove");
        QCOMPARE(list->count(), 1);
    }

    void aFileThatCannotGoToTheTrashKeepsItsEntry()
    {
        // A file of /proc cannot be moved anywhere.
        const QString stuck = QStringLiteral("/proc/version");
        storeHistory({{stuck, HFT_IMAGE}});
        RecordHistoryDlg dlg(nullptr);
        dlg.show();
        HistoryFileListWidget* list = dlg.historyList();
        confirmDelete(true);
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        CLICK_ROW_BUTTON(list, "version", "btnRemove");
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY(ModalAnswers::messages().first().contains("version"));
        QCOMPARE(storedPaths(), QStringList{stuck});
        QCOMPARE(list->count(), 1);
    }

    void removeAllTakesHiddenRowsAndMissingFilesToo()
    {
        const QString first = file("same.mp4", 5);
        const QString otherDir = SrTest::newFolder(QStringLiteral("history-other-%1").arg(m_folderCount));
        const QString second = otherDir + "/same.mp4";
        SrTest::writeFile(second, 7);
        const QString audio = file("voice.mp3", 9);
        storeHistory({{first, HFT_VIDEO}, {m_dir + "/gone.mp4", HFT_VIDEO}, {second, HFT_VIDEO}, {audio, HFT_AUDIO}});
        // An entry of a length the history does not read stays where it is.
        const QString key = QString::fromLatin1(HistoryFileUtils::settingKey());
        QVariantList raw = OvSettings::instance()->applicationParam(key).toList();
        const QStringList foreign{"foreign.mp4", first, "1", "extra"};
        raw.insert(2, foreign);
        OvSettings::instance()->setApplicationParam(key, raw);
        const int trashedBefore = QDir(trashFolder()).entryList(QDir::Files).size();

        RecordHistoryDlg dlg(nullptr);
        dlg.show();
        auto* combo = dlg.findChild<QComboBox*>(QStringLiteral("cmbType"));
        combo->setCurrentIndex(combo->findText("Audio"));
        QCOMPARE(listedNames(dlg.historyList(), true), QStringList{"voice.mp3"});

        confirmDelete(true);
        QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("btnRemoveAll")), Qt::LeftButton);
        QCOMPARE(dlg.historyList()->count(), 0);
        QCOMPARE(OvSettings::instance()->applicationParam(key).toList(), QVariantList{foreign});
        QVERIFY(!QFileInfo::exists(first) && !QFileInfo::exists(second) && !QFileInfo::exists(audio));
        // Both files of the same name are in the trash, neither replaced the other.
        QStringList sizes;
        const QFileInfoList trashed = QDir(trashFolder()).entryInfoList(QDir::Files, QDir::Time | QDir::Reversed);
        QCOMPARE(trashed.size(), trashedBefore + 3);
        for (const QFileInfo& info : trashed)
            if (info.fileName().startsWith("same"))
                sizes << QString::number(info.size());
        sizes.sort();
        QCOMPARE(sizes, (QStringList{"5", "7"}));

        // Nothing to remove: no question.
        QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("btnRemoveAll")), Qt::LeftButton);
        QCOMPARE(ModalAnswers::asked().size(), 1);
    }

    // A link leading nowhere takes its name as much as a file does: the rename is refused and
    // the recording stays in its folder, untouched; nothing appears where the link leads.
    void renameDoesNotFollowALinkOutOfTheFolder()
    {
        const QString original = file("clip.mov", 300);
        const QByteArray bytes = [&] { QFile f(original); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        const QString outside = SrTest::newFolder(QStringLiteral("outside-%1").arg(m_folderCount)) + "/target.mov";
        QVERIFY(QFile::link(outside, m_dir + "/Renamed.mov"));
        storeHistory({{original, HFT_VIDEO}});
        RecordHistoryDlg dlg(nullptr);
        dlg.show();
        HistoryFileListWidget* list = dlg.historyList();
        ModalAnswers::push(OvModalRequest::InputDialog, QStringLiteral("Renamed"));
        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        CLICK_ROW_BUTTON(list, "clip.mov", "btnRename");
        QCOMPARE(ModalAnswers::messages().size(), 1);
        QVERIFY(ModalAnswers::messages().first().contains("Renamed.mov"));
        QFile kept(original);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), bytes);
        QVERIFY(!QFileInfo::exists(outside));
        QVERIFY(QFileInfo(m_dir + "/Renamed.mov").isSymLink());
        QCOMPARE(storedPaths(), QStringList{original});
    }

    // The trash information names the original place as a URL path, so a line break in the
    // name does not break its line, and a '%' reads back as itself.
    void trashInformationOfANameWithALineBreakIsEscaped()
    {
        const QString odd = file("two\nlines 100%.mp4", 12);
        storeHistory({{odd, HFT_VIDEO}});
        RecordHistoryDlg dlg(nullptr);
        dlg.show();
        confirmDelete(true);
        CLICK_ROW_BUTTON(dlg.historyList(), "two\nlines 100%.mp4", "btnRemove");
        QVERIFY(!QFileInfo::exists(odd));
        QFile info(trashFolder() + "/../info/two\nlines 100%.mp4.trashinfo");
        QVERIFY(info.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = info.readAll().split('\n');
        QCOMPARE(lines.value(1), "Path=" + QUrl::toPercentEncoding(QFile::encodeName(odd), "/"));
        QCOMPARE(QFile::decodeName(QByteArray::fromPercentEncoding(lines.value(1).mid(5))), odd);
        QVERIFY(lines.value(2).startsWith("DeletionDate="));
    }

    void playAndOpenFolderStartTheDesktopOpenerWithTheExactPath()
    {
        const QString folder = SrTest::newFolder(QStringLiteral("odd \\ folder $(x)"));
        const QString path = folder + QStringLiteral("/a b'$(touch x);c.mp4");
        SrTest::writeFile(path, 10);
        storeHistory({{path, HFT_VIDEO}});
        RecordHistoryDlg dlg(nullptr);
        dlg.show();
        HistoryFileListWidget* list = dlg.historyList();

        CLICK_ROW_BUTTON(list, "a b'$(touch x);c.mp4", "btnPreview");
        CLICK_ROW_BUTTON(list, "a b'$(touch x);c.mp4", "btnOpen");
        emit list->itemDoubleClicked(list->item(0));
        QCOMPARE(m_seam.started, (QList<QStringList>{{"xdg-open", path}, {"xdg-open", folder}, {"xdg-open", path}}));
    }

    void aVanishedFileIsReportedAndLeavesTheList()
    {
        const QString kept = file("kept.mp4");
        const QString vanished = file("vanished.mp4");
        storeHistory({{vanished, HFT_VIDEO}, {kept, HFT_VIDEO}});
        RecordHistoryDlg dlg(nullptr);
        dlg.show();
        HistoryFileListWidget* list = dlg.historyList();
        QToolButton* play = rowButton(list, "vanished.mp4", "btnPreview");
        QVERIFY(play);
        QFile::remove(vanished);

        ModalAnswers::push(OvModalRequest::MessageBox, int(QMessageBox::Ok));
        QTest::mouseClick(play, Qt::LeftButton);
        QCOMPARE(ModalAnswers::messages(), QStringList{kInvalidFile});
        QVERIFY(m_seam.started.isEmpty());
        QCOMPARE(storedPaths(), QStringList{kept});
        QCOMPARE(listedNames(list, false), QStringList{"kept.mp4"});
    }

    void rowButtonsFollowTheCursorAndTheSelection()
    {
        storeHistory({{file("first.mp4"), HFT_VIDEO}, {file("second.mp4"), HFT_VIDEO}, {m_dir + "/lost.mp4", HFT_VIDEO}});
        RecordHistoryDlg dlg(nullptr);
        dlg.show();
        HistoryFileListWidget* list = dlg.historyList();
        const auto enabled = [&](int row) {
            QStringList names;
            for (QToolButton* button : list->rowWidget(list->item(row))->findChildren<QToolButton*>())
                if (button->isEnabled())
                    names << button->objectName();
            names.sort();
            return names;
        };
        const QStringList all{"btnOpen", "btnPreview", "btnRemove", "btnRename", "btnShare"};
        const auto send = [&](int row, QEvent::Type type) {
            QEvent event(type);
            QApplication::sendEvent(list->rowWidget(list->item(row)), &event);
        };

        // Shown: the first row is current and keeps its buttons.
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(enabled(0), all);
        QVERIFY(enabled(1).isEmpty());
        send(0, QEvent::Leave);
        QCOMPARE(enabled(0), all);
        send(1, QEvent::Enter);
        QCOMPARE(enabled(1), all);
        send(1, QEvent::Leave);
        QVERIFY(enabled(1).isEmpty());

        // A vanished file offers Delete only, and shows its marker.
        QCOMPARE(enabled(2), QStringList{"btnMissing"});
        send(2, QEvent::Enter);
        QCOMPARE(enabled(2), (QStringList{"btnMissing", "btnRemove"}));

        list->setCurrentRow(1);
        QVERIFY(enabled(0).isEmpty());
        QCOMPARE(enabled(1), all);
    }

    void contextMenuOffersWhatTheRowAllows()
    {
        const QString present = file("present.mp4");
        storeHistory({{present, HFT_VIDEO}, {m_dir + "/missing.mp4", HFT_VIDEO}});
        RecordHistoryDlg dlg(nullptr);
        dlg.resize(800, 500);
        dlg.show();
        HistoryFileListWidget* list = dlg.historyList();
        auto* menu = list->findChild<QMenu*>(QStringLiteral("historyMenu"));
        const auto openMenuAt = [&](const QPoint& pos) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, pos, list->viewport()->mapToGlobal(pos));
            QApplication::sendEvent(list->viewport(), &event);
        };
        const auto enabledActions = [&] {
            QStringList names;
            for (QAction* action : menu->actions())
                if (action->isEnabled())
                    names << action->text();
            return names;
        };

        openMenuAt(QPoint(20, list->viewport()->height() - 5)); // below the rows
        QVERIFY(!menu->isVisible());

        openMenuAt(list->visualItemRect(list->item(1)).center()); // the missing file
        QVERIFY(menu->isVisible());
        QCOMPARE(enabledActions(), QStringList{"Delete"});
        menu->hide();

        openMenuAt(list->visualItemRect(list->item(0)).center());
        QCOMPARE(enabledActions(), (QStringList{"Play", "Rename", "Open folder", "Share", "Delete"}));
        menu->hide();
        list->setCurrentRow(0);
        menu->actions().at(0)->trigger(); // Play
        QCOMPARE(m_seam.started, (QList<QStringList>{{"xdg-open", present}}));
    }
};

SR_TEST(HistoryListTest)
#include "tst_historylist.moc"
