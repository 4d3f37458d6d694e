#include "HistoryFileListWidget.h"

#include "DlgDeleteFile.h"
#include "DlgRecordShare.h"
#include "HistoryFileListItemWidget.h"

#include "core/SignalsTransfer.h"
#include "services/FileSystemUtils.h"
#include "services/OSServiceUtils.h"
#include "services/Utils.h"
#include "widgets/ZoomPx.h"

#include "Log.h"
#include "OvFileUtils.h"
#include "OvInputDialog.h"
#include "OvProductInfo.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>

namespace {
// The most characters the rename field takes.
const int kMaxNameLength = 64;
// QLineEdit keeps this many pixels between its frame and its text on either side.
const int kLineEditInnerMargin = 2;

// Widens `field` so that `characters` characters as wide as a digit show in full.
void fitCharacters(QLineEdit* field, int characters)
{
    const int text = field->fontMetrics().horizontalAdvance(QString(characters, QLatin1Char('0')));
    const int frame = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
    const QMargins margins = field->textMargins();
    field->setMinimumWidth(text + 2 * (frame + kLineEditInnerMargin) + margins.left() + margins.right());
}
} // namespace

HistoryFileListWidget::HistoryFileListWidget(QWidget* parent)
    : QListWidget(parent)
    , m_imageIcon(QStringLiteral(":/sr/icons/history_image.svg"))
    , m_videoIcon(QStringLiteral(":/sr/icons/history_video.svg"))
    , m_audioIcon(QStringLiteral(":/sr/icons/history_audio.svg"))
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    setUniformItemSizes(true);
    setIconSize(QSize(SrWidgets::zoomPx(24), SrWidgets::zoomPx(24)));
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("historyMenu"));
    m_actPlay = m_menu->addAction(QString());
    m_actRename = m_menu->addAction(QString());
    m_actOpen = m_menu->addAction(QString());
    m_actShare = m_menu->addAction(QString());
    m_actDelete = m_menu->addAction(QString());
    retranslateMenu();
    connect(m_actDelete, &QAction::triggered, this, &HistoryFileListWidget::onRequestRemove);
    connect(m_actRename, &QAction::triggered, this, &HistoryFileListWidget::onRequestRename);
    connect(m_actOpen, &QAction::triggered, this, &HistoryFileListWidget::onRequestOpen);
    connect(m_actShare, &QAction::triggered, this, &HistoryFileListWidget::onRequestShare);
    connect(m_actPlay, &QAction::triggered, this, &HistoryFileListWidget::onRequestPreview);
    connect(m_menu, &QMenu::aboutToShow, this, &HistoryFileListWidget::onShowMenu);

    connect(this, &QListWidget::itemSelectionChanged, this, &HistoryFileListWidget::onSelectionChanged);
    connect(this, &QListWidget::itemDoubleClicked, this, &HistoryFileListWidget::onRequestPreview);
    connect(SignalsTransfer::instance(), &SignalsTransfer::onAddHistoryFile, this,
            &HistoryFileListWidget::addHistoryFile);
    refresh();
}

HistoryFileListWidget::~HistoryFileListWidget() = default;

void HistoryFileListWidget::retranslateMenu()
{
    m_actPlay->setText(tr("Play"));
    m_actRename->setText(tr("Rename"));
    m_actOpen->setText(tr("Open folder"));
    m_actShare->setText(tr("Share"));
    m_actDelete->setText(tr("Delete"));
}

// ---- items and rows ----------------------------------------------------------

QListWidgetItem* HistoryFileListWidget::newItem(const HistoryFileUtils::HistoryFile& file)
{
    auto* item = new QListWidgetItem();
    item->setData(Qt::DecorationRole, getIcon(HistoryFileType(file.type)));
    item->setData(PathRole, file.path);
    item->setData(TypeRole, file.type);
    item->setData(NameRole, file.fileName);
    item->setData(ResolutionRole, file.resolution);
    item->setData(DurationRole, file.duration);
    item->setData(SizeRole, file.size);
    item->setSizeHint(QSize(0, SrWidgets::zoomPx(44)));
    return item;
}

HistoryFileUtils::HistoryFile HistoryFileListWidget::recordOf(const QListWidgetItem* item)
{
    HistoryFileUtils::HistoryFile file;
    file.path = item->data(PathRole).toString();
    file.type = item->data(TypeRole).toInt();
    file.fileName = item->data(NameRole).toString();
    file.resolution = item->data(ResolutionRole).toString();
    file.duration = item->data(DurationRole).toString();
    file.size = item->data(SizeRole).toString();
    return file;
}

void HistoryFileListWidget::addHistoryFile(const HistoryFileUtils::HistoryFile& file)
{
    insertItem(0, newItem(file));
    createVisibleRows();
}

void HistoryFileListWidget::refresh()
{
    m_selectedItems.clear();
    clear();
    const QList<HistoryFileUtils::HistoryFile> files = HistoryFileUtils::savefileHistroy();
    // Stored newest first: appending keeps the newest on top.
    for (const HistoryFileUtils::HistoryFile& file : files)
        addItem(newItem(file));
    filter();
}

HistoryFileListItemWidget* HistoryFileListWidget::existingRow(QListWidgetItem* item) const
{
    return item ? qobject_cast<HistoryFileListItemWidget*>(itemWidget(item)) : nullptr;
}

HistoryFileListItemWidget* HistoryFileListWidget::rowWidget(QListWidgetItem* item)
{
    if (!item || row(item) < 0)
        return nullptr;
    if (HistoryFileListItemWidget* row = existingRow(item))
        return row;
    auto* row = new HistoryFileListItemWidget(item);
    row->initWithHistoryFile(recordOf(item));
    connect(row, &HistoryFileListItemWidget::requestPreview, this, &HistoryFileListWidget::onRequestPreview);
    connect(row, &HistoryFileListItemWidget::requestRename, this, &HistoryFileListWidget::onRequestRename);
    connect(row, &HistoryFileListItemWidget::requestOpen, this, &HistoryFileListWidget::onRequestOpen);
    connect(row, &HistoryFileListItemWidget::requestShare, this, &HistoryFileListWidget::onRequestShare);
    connect(row, &HistoryFileListItemWidget::requestRemove, this, &HistoryFileListWidget::onRequestRemove);
    connect(row, &HistoryFileListItemWidget::widgetPressed, this,
            static_cast<void (QListWidget::*)(QListWidgetItem*)>(&QListWidget::setCurrentItem));
    connect(this, &HistoryFileListWidget::wid, row, &HistoryFileListItemWidget::setWidth);
    row->setWidth(rowWidth());
    if (m_selectedItems.contains(item)) {
        row->setFrozen(true);
        row->showDetailButton(true);
    }
    setItemWidget(item, row);
    return row;
}

void HistoryFileListWidget::createVisibleRows()
{
    if (m_creatingRows || !isVisible() || count() == 0)
        return;
    m_creatingRows = true;
    executeDelayedItemsLayout();
    const QRect area = viewport()->rect();
    const QModelIndex top = indexAt(QPoint(area.center().x(), area.top()));
    QList<QListWidgetItem*> wanted;
    for (int r = top.isValid() ? top.row() : 0; r < count(); ++r) {
        if (isRowHidden(r))
            continue;
        QListWidgetItem* it = item(r);
        const QRect rect = visualItemRect(it);
        if (rect.top() > area.bottom())
            break;
        if (rect.bottom() >= area.top() && !existingRow(it))
            wanted.append(it);
    }
    for (QListWidgetItem* it : qAsConst(wanted))
        rowWidget(it);
    m_creatingRows = false;
}

int HistoryFileListWidget::rowWidth() const { return qMax(0, viewport()->width() - m_iconWidth); }

void HistoryFileListWidget::updateRowWidth()
{
    const int width = rowWidth();
    if (width == m_lastRowWidth)
        return;
    m_lastRowWidth = width;
    emit wid(width);
}

bool HistoryFileListWidget::isItemMissing(QListWidgetItem* item) const
{
    if (HistoryFileListItemWidget* row = existingRow(item))
        return row->fileMissed();
    return !FileSystemUtils::exists(item->data(PathRole).toString());
}

void HistoryFileListWidget::deleteItem(QListWidgetItem* item)
{
    m_selectedItems.removeAll(item);
    delete takeItem(row(item));
}

QIcon HistoryFileListWidget::getIcon(HistoryFileType type)
{
    ensurePolished();
    const QString& iconText = type == HFT_IMAGE ? m_imageIcon : type == HFT_AUDIO ? m_audioIcon : m_videoIcon;
    auto cached = m_iconCache.constFind(iconText);
    if (cached != m_iconCache.constEnd())
        return cached.value();
    QIcon icon;
    const QStringList files = iconText.split(QLatin1Char(';'));
    if (files.size() >= 2) {
        icon.addFile(files.at(0), QSize(), QIcon::Normal);
        icon.addFile(files.at(1), QSize(), QIcon::Selected);
    } else if (!iconText.isEmpty()) {
        icon.addFile(iconText, QSize(), QIcon::Normal);
    }
    m_iconCache.insert(iconText, icon);
    return icon;
}

// ---- filter and search -------------------------------------------------------

void HistoryFileListWidget::filterByType(HistoryFileType type)
{
    m_filterType = type;
    filter();
}

void HistoryFileListWidget::search(const QString& text)
{
    m_searchText = text;
    filter();
}

void HistoryFileListWidget::filter()
{
    for (int r = 0; r < count(); ++r) {
        const QListWidgetItem* it = item(r);
        bool hide = !m_searchText.isEmpty() && !it->data(NameRole).toString().contains(m_searchText, Qt::CaseSensitive);
        if (!hide && m_filterType != HFT_ALL)
            hide = it->data(TypeRole).toInt() != m_filterType;
        if (isRowHidden(r) != hide)
            setRowHidden(r, hide);
    }
    createVisibleRows();
}

// ---- selection and status ----------------------------------------------------

void HistoryFileListWidget::onSelectionChanged()
{
    for (QListWidgetItem* it : qAsConst(m_selectedItems)) {
        if (HistoryFileListItemWidget* row = existingRow(it)) {
            row->showDetailButton(false);
            row->setFrozen(false);
        }
    }
    m_selectedItems = selectedItems();
    for (QListWidgetItem* it : qAsConst(m_selectedItems)) {
        if (HistoryFileListItemWidget* row = existingRow(it)) {
            row->setFrozen(true);
            row->showDetailButton(true);
        }
    }
}

void HistoryFileListWidget::refreshItemStatus()
{
    if (count() == 0)
        return;
    const int width = rowWidth();
    for (int r = 0; r < count(); ++r) {
        if (HistoryFileListItemWidget* row = existingRow(item(r))) {
            row->setWidth(width);
            row->checkFileExists();
        }
    }
    clearSelection();
    setCurrentRow(0);
}

bool HistoryFileListWidget::preCheckFile()
{
    QListWidgetItem* current = currentItem();
    if (!current)
        return false;
    const QString path = current->data(PathRole).toString();
    if (FileSystemUtils::exists(path))
        return true;
    Utils::showMacWindowMessage(MT_WARNING, this, tr("Invalid local file, click OK to remove from the list."), MB_OK);
    HistoryFileUtils::removeSavefileFromHistory(path);
    deleteItem(current);
    return false;
}

// ---- context menu ------------------------------------------------------------

void HistoryFileListWidget::contextMenuEvent(QContextMenuEvent* event)
{
    if (count() == 0 || !itemAt(event->pos()))
        return;
    m_menuPos = event->pos();
    m_menu->popup(event->globalPos());
}

void HistoryFileListWidget::onShowMenu()
{
    QListWidgetItem* it = itemAt(m_menuPos);
    const bool usable = it && !isItemMissing(it);
    m_actDelete->setEnabled(it != nullptr);
    m_actPlay->setEnabled(usable);
    m_actRename->setEnabled(usable);
    m_actOpen->setEnabled(usable);
    m_actShare->setEnabled(usable);
}

// ---- actions -----------------------------------------------------------------

void HistoryFileListWidget::onRequestPreview()
{
    if (!preCheckFile())
        return;
    QListWidgetItem* current = currentItem();
    setCurrentItem(current);
    const QString path = current->data(PathRole).toString();
    if (!OSServiceUtils::executeFile(path))
        Utils::showMacWindowMessage(MT_WARNING, this, tr("No application could be started to open \"%1\".")
                                                          .arg(QFileInfo(path).fileName()),
                                    MB_OK);
}

void HistoryFileListWidget::onRequestOpen()
{
    if (!preCheckFile())
        return;
    QListWidgetItem* current = currentItem();
    setCurrentItem(current);
    const QString folder = QFileInfo(current->data(PathRole).toString()).absolutePath();
    if (!OSServiceUtils::executeFile(folder))
        Utils::showMacWindowMessage(MT_WARNING, this, tr("No application could be started to open \"%1\".").arg(folder),
                                    MB_OK);
}

void HistoryFileListWidget::onRequestShare()
{
    DlgRecordShare dialog(this);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.exec();
}

QString HistoryFileListWidget::renamedPath(const QString& oldPath, const QString& entered, bool* refused)
{
    *refused = false;
    const QFileInfo info(oldPath);
    const QString suffix = info.suffix();
    QString name = entered.trimmed();
    // The suffix is kept in any case; typed as well, it is not added twice.
    if (!suffix.isEmpty() && name.endsWith(QLatin1Char('.') + suffix, Qt::CaseInsensitive))
        name.chop(suffix.size() + 1);
    if (name.isEmpty())
        return QString();
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(0)) || name == QLatin1String(".")
        || name == QLatin1String("..")) {
        *refused = true;
        return QString();
    }
    const QString fileName = suffix.isEmpty() ? name : name + QLatin1Char('.') + suffix;
    return info.path() + QLatin1Char('/') + fileName;
}

void HistoryFileListWidget::onRequestRename()
{
    if (!preCheckFile())
        return;
    QListWidgetItem* current = currentItem();
    setCurrentItem(current);
    const QString oldPath = current->data(PathRole).toString();

    OvInputDialog input(this);
    input.setWindowModality(Qt::WindowModal);
    input.setWindowTitle(OvProductInfo::instance()->productName(QString()));
    input.setLabelText(tr("Please enter new file name:"));
    input.setTextValue(QFileInfo(oldPath).completeBaseName());
    input.setMaxInputLength(kMaxNameLength);
    if (QLineEdit* field = input.findChild<QLineEdit*>())
        fitCharacters(field, kMaxNameLength);
    if (input.exec() != QDialog::Accepted)
        return;

    bool refused = false;
    const QString newPath = renamedPath(oldPath, input.textValue(), &refused);
    if (refused) {
        Utils::showMacWindowMessage(MT_WARNING, this,
                                    tr("A file name cannot contain \"/\" and cannot be \".\" or \"..\"."), MB_OK);
        return;
    }
    if (newPath.isEmpty() || newPath == oldPath)
        return;
    const QString newName = QFileInfo(newPath).fileName();
    // The file itself changes its name, never over anything that bears the new one (a link
    // leading nowhere too): nothing is copied through a link out of the folder.
    QString why;
    if (!OvFileUtils::renameNoReplace(oldPath, newPath, &why)) {
        if (OvFileUtils::existsInAnyForm(newPath)) {
            Utils::showMacWindowMessage(
                MT_WARNING, this, tr("\"%1\" already exists in this folder. Please enter another name.").arg(newName),
                MB_OK);
        } else {
            Log("HistoryFileListWidget", 2, "rename failed: %s", qUtf8Printable(why));
            Utils::showMacWindowMessage(
                MT_WARNING, this, tr("\"%1\" could not be renamed.").arg(QFileInfo(oldPath).fileName()), MB_OK);
        }
        return;
    }
    current->setData(PathRole, newPath);
    current->setData(NameRole, newName);
    if (HistoryFileListItemWidget* row = existingRow(current))
        row->updateFileName(newName);
    HistoryFileUtils::updateSavefileHistory(oldPath, newPath);
}

bool HistoryFileListWidget::confirmRemoval()
{
    DlgDeleteFile dialog(this);
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec() == QDialog::Accepted;
}

void HistoryFileListWidget::onRequestRemove()
{
    if (!preCheckFile())
        return;
    if (!confirmRemoval())
        return;
    removeEntries(selectedItems());
}

void HistoryFileListWidget::removeAll()
{
    if (count() == 0)
        return;
    if (!confirmRemoval())
        return;
    QList<QListWidgetItem*> all;
    all.reserve(count());
    for (int r = 0; r < count(); ++r)
        all.append(item(r));
    removeEntries(all);
}

void HistoryFileListWidget::removeEntries(const QList<QListWidgetItem*>& items)
{
    const bool deleteLocal = DlgDeleteFile::isDeleteLocalFile();
    QStringList kept;
    QStringList removed;
    setUpdatesEnabled(false);
    for (QListWidgetItem* it : items) {
        const QString path = it->data(PathRole).toString();
        if (deleteLocal && FileSystemUtils::exists(path) && !OvFileUtils::moveToTrash(path)) {
            Log("HistoryFileListWidget", 2, "move to trash failed");
            kept.append(QFileInfo(path).fileName());
            continue;
        }
        removed.append(path);
        deleteItem(it);
    }
    HistoryFileUtils::removeSavefilesFromHistory(removed);
    setUpdatesEnabled(true);
    createVisibleRows();
    if (!kept.isEmpty())
        Utils::showMacWindowMessage(
            MT_WARNING, this,
            tr("These files could not be moved to the trash and stay in the list:\n%1").arg(kept.join(QLatin1Char('\n'))),
            MB_OK);
}

// ---- events ------------------------------------------------------------------

void HistoryFileListWidget::resizeEvent(QResizeEvent* event)
{
    QListWidget::resizeEvent(event);
    updateRowWidth();
    createVisibleRows();
}

bool HistoryFileListWidget::viewportEvent(QEvent* event)
{
    const bool handled = QListWidget::viewportEvent(event);
    // The viewport also narrows when the scroll bar appears.
    if (event->type() == QEvent::Resize) {
        updateRowWidth();
        createVisibleRows();
    }
    return handled;
}

void HistoryFileListWidget::showEvent(QShowEvent* event)
{
    QListWidget::showEvent(event);
    updateRowWidth();
    createVisibleRows();
}

void HistoryFileListWidget::scrollContentsBy(int dx, int dy)
{
    QListWidget::scrollContentsBy(dx, dy);
    createVisibleRows();
}

void HistoryFileListWidget::changeEvent(QEvent* event)
{
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslateMenu();
}
