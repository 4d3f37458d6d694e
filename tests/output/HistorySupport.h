#pragma once
// Shared helpers of the history view tests: a stored history made of real files, and
// access to the rows and buttons of the history list.

#include "OvSettings.h"
#include "TestEnv.h"
#include "core/HistoryFileUtils.h"
#include "output/HistoryFileListItemWidget.h"
#include "output/HistoryFileListWidget.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QToolButton>

namespace HistoryTest {
struct Entry {
    QString path;
    int type;
};

// Stores the history exactly as given (newest first).
inline void storeHistory(const QList<Entry>& newestFirst)
{
    QVariantList list;
    for (const Entry& e : newestFirst)
        list << QVariant(QStringList{QFileInfo(e.path).fileName(), e.path, QString::number(e.type),
                                     e.type == HFT_AUDIO ? QString() : QStringLiteral("1920*1080"),
                                     QStringLiteral("00:00:05"), QStringLiteral("1.20MB")});
    OvSettings::instance()->setApplicationParam(QString::fromLatin1(HistoryFileUtils::settingKey()), list);
}

inline QStringList storedPaths()
{
    QStringList paths;
    for (const HistoryFileUtils::HistoryFile& f : HistoryFileUtils::savefileHistroy())
        paths << f.path;
    return paths;
}

// The file names the list holds, top to bottom; only the shown ones when `visibleOnly`.
inline QStringList listedNames(const HistoryFileListWidget* list, bool visibleOnly)
{
    QStringList names;
    for (int r = 0; r < list->count(); ++r)
        if (!visibleOnly || !list->isRowHidden(r))
            names << list->item(r)->data(HistoryFileListWidget::NameRole).toString();
    return names;
}

inline int rowOf(const HistoryFileListWidget* list, const QString& name)
{
    for (int r = 0; r < list->count(); ++r)
        if (list->item(r)->data(HistoryFileListWidget::NameRole).toString() == name)
            return r;
    return -1;
}

// Selects the row of `name` and returns its button `button` (null when it is not there).
inline QToolButton* rowButton(HistoryFileListWidget* list, const QString& name, const char* button)
{
    const int r = rowOf(list, name);
    if (r < 0)
        return nullptr;
    QListWidgetItem* item = list->item(r);
    list->scrollToItem(item);
    list->setCurrentItem(item);
    HistoryFileListItemWidget* row = list->rowWidget(item);
    return row ? row->findChild<QToolButton*>(QString::fromLatin1(button)) : nullptr;
}

// Clicks the button `button` of the row named `name`; fails the test when there is none.
#define CLICK_ROW_BUTTON(list, name, button)                                                              \
    do {                                                                                                   \
        QToolButton* rowButton_ = HistoryTest::rowButton(list, name, button);                              \
        QVERIFY2(rowButton_ && rowButton_->isEnabled(), qPrintable(QString(name) + " " + button));         \
        QTest::mouseClick(rowButton_, Qt::LeftButton);                                                     \
    } while (0)

inline QString trashFolder() { return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash/files"); }
} // namespace HistoryTest
