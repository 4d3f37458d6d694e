#pragma once
// The recording history as a list: one row per saved file (newest first), filtered by type
// and by a search text, with the actions Play, Rename, Open folder, Share and Delete on
// each row and in a context menu. Renames and removals are written to the stored history
// at once; a file saved while the list exists arrives through the signal hub and is put
// on top.
//
// Rows are widgets, which are costly to build: they are made only when their item comes
// into view, so that a long history opens quickly. Everything the list decides (filter,
// search, actions) reads the item's own data, never a row. GUI thread.

#include "core/HistoryFileUtils.h"

#include <QHash>
#include <QIcon>
#include <QListWidget>
#include <QPoint>

class QMenu;
class QAction;
class HistoryFileListItemWidget;

class HistoryFileListWidget : public QListWidget {
    Q_OBJECT
    // Icon files per type, set by the skin: one file, or "normal;selected".
    Q_PROPERTY(QString imageIcon MEMBER m_imageIcon)
    Q_PROPERTY(QString videoIcon MEMBER m_videoIcon)
    Q_PROPERTY(QString audioIcon MEMBER m_audioIcon)
    // Width kept free for the type icon when rows are sized.
    Q_PROPERTY(int iconWidth MEMBER m_iconWidth)
public:
    // What each list item carries.
    enum ItemRole {
        PathRole = Qt::UserRole,     // full path of the file
        TypeRole = Qt::UserRole + 1, // HistoryFileType
        NameRole = Qt::UserRole + 2, // full file name (searched)
        ResolutionRole,
        DurationRole,
        SizeRole,
    };

    explicit HistoryFileListWidget(QWidget* parent = nullptr);
    ~HistoryFileListWidget() override;

    // Puts a row for `file` on top.
    void addHistoryFile(const HistoryFileUtils::HistoryFile& file);
    // Rebuilds the list from the stored history.
    void refresh();
    // Shows only rows of `type`; HFT_ALL shows every type.
    void filterByType(HistoryFileType type);
    // Shows only rows whose file name contains `text` (case-sensitive); empty shows all.
    void search(const QString& text);
    // Asks, then removes every entry (hidden ones too) as Delete does.
    void removeAll();
    // Rows recheck whether their files exist; the first row becomes current.
    void refreshItemStatus();
    QIcon getIcon(HistoryFileType type);

    // The row of `item`, built when it does not exist yet.
    HistoryFileListItemWidget* rowWidget(QListWidgetItem* item);
    // The row of `item` when it has been built, else null.
    HistoryFileListItemWidget* existingRow(QListWidgetItem* item) const;
    // The record an item stands for.
    static HistoryFileUtils::HistoryFile recordOf(const QListWidgetItem* item);

    // The path a rename to the entered text leads to: the trimmed text plus the old suffix
    // (not added again when the text ends with it, in any case), in the old folder. Empty
    // when there is nothing to do (blank text); `refused` is set when the text cannot name
    // a file in that folder ("/", NUL, "." or "..").
    static QString renamedPath(const QString& oldPath, const QString& entered, bool* refused);

public slots:
    void onSelectionChanged();
    void onRequestPreview();
    void onRequestRename();
    void onRequestOpen();
    void onRequestShare();
    void onRequestRemove();
    void onShowMenu();
    // True when there is a current item whose file exists. A vanished file is reported and
    // its entry removed.
    bool preCheckFile();

signals:
    // The width rows are to take.
    void wid(int w);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void filter();
    void createVisibleRows();
    void updateRowWidth();
    int rowWidth() const;
    bool isItemMissing(QListWidgetItem* item) const;
    QListWidgetItem* newItem(const HistoryFileUtils::HistoryFile& file);
    void deleteItem(QListWidgetItem* item);
    // Removes the entries of `items`, moving their files to the trash first when the user
    // asked for that; an entry whose file cannot be moved stays, and the user is told.
    void removeEntries(const QList<QListWidgetItem*>& items);
    bool confirmRemoval();
    void retranslateMenu();

    QMenu* m_menu = nullptr;
    QAction* m_actPlay = nullptr;
    QAction* m_actRename = nullptr;
    QAction* m_actOpen = nullptr;
    QAction* m_actShare = nullptr;
    QAction* m_actDelete = nullptr;
    QPoint m_menuPos;
    QString m_imageIcon;
    QString m_videoIcon;
    QString m_audioIcon;
    QHash<QString, QIcon> m_iconCache;
    int m_filterType = HFT_ALL;
    QString m_searchText;
    QList<QListWidgetItem*> m_selectedItems;
    int m_iconWidth = 40;
    int m_lastRowWidth = -1;
    bool m_creatingRows = false;
};
