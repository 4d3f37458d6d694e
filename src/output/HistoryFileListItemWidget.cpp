#include "HistoryFileListItemWidget.h"

#include "ui_HistoryFileListItemWidget.h"

#include "services/FileSystemUtils.h"

#include <QEvent>
#include <QFileInfo>
#include <QSignalBlocker>

HistoryFileListItemWidget::HistoryFileListItemWidget(QListWidgetItem* item, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::HistoryFileListItemWidget)
    , m_item(item)
{
    ui->setupUi(this);
    // The marker shows nothing while the file exists.
    QIcon missingIcon = ui->btnMissing->icon();
    QPixmap blank(ui->btnMissing->iconSize());
    blank.fill(Qt::transparent);
    missingIcon.addPixmap(blank, QIcon::Disabled);
    ui->btnMissing->setIcon(missingIcon);
    // Presses on the name fall through to the list, which selects the row.
    ui->lblFileName->setAttribute(Qt::WA_TransparentForMouseEvents);
    ui->lblFileName->installEventFilter(this);

    connect(ui->btnPreview, &QToolButton::clicked, this, &HistoryFileListItemWidget::requestPreview);
    connect(ui->btnRename, &QToolButton::clicked, this, &HistoryFileListItemWidget::requestRename);
    connect(ui->btnOpen, &QToolButton::clicked, this, &HistoryFileListItemWidget::requestOpen);
    connect(ui->btnShare, &QToolButton::clicked, this, &HistoryFileListItemWidget::requestShare);
    connect(ui->btnRemove, &QToolButton::clicked, this, &HistoryFileListItemWidget::requestRemove);
    connect(ui->lblFileName, &QLineEdit::textChanged, this, &HistoryFileListItemWidget::onFileNameChanged);
    for (QWidget* button : {static_cast<QWidget*>(ui->btnPreview), static_cast<QWidget*>(ui->btnRename),
                            static_cast<QWidget*>(ui->btnOpen), static_cast<QWidget*>(ui->btnShare),
                            static_cast<QWidget*>(ui->btnRemove), static_cast<QWidget*>(ui->btnMissing)})
        button->installEventFilter(this);
}

HistoryFileListItemWidget::~HistoryFileListItemWidget() = default;

void HistoryFileListItemWidget::initWithHistoryFile(const HistoryFileUtils::HistoryFile& file)
{
    ui->lblFileName->setText(file.fileName);
    ui->lblReso->setText(file.resolution);
    ui->lblDura->setText(file.duration);
    ui->lblSize->setText(file.size);
    m_path = file.path;
    m_missing = !FileSystemUtils::exists(m_path);
    showDetailButton(false);
}

void HistoryFileListItemWidget::onFileNameChanged(const QString& text)
{
    QLineEdit* field = ui->lblFileName;
    field->setProperty("FullName", text);
    field->setToolTip(text);
    setToolTip(text);
    showShortenedName();
}

void HistoryFileListItemWidget::showShortenedName()
{
    QLineEdit* field = ui->lblFileName;
    ensurePolished();
    // At most maxLength pixels, and never wider than the field once it is laid out.
    int width = m_maxLength;
    if (field->testAttribute(Qt::WA_Resized)) {
        const QMargins margins = field->textMargins() + field->contentsMargins();
        width = qMin(width, field->width() - margins.left() - margins.right() - 6);
    }
    const QString shortened = field->fontMetrics().elidedText(text(), Qt::ElideMiddle, qMax(width, 0));
    // Showing the shortened form must not pass through onFileNameChanged: the full name stays.
    const QSignalBlocker blocker(field);
    field->setText(shortened);
    field->setCursorPosition(0);
}

void HistoryFileListItemWidget::showDetailButton(bool show)
{
    ui->btnRemove->setEnabled(show);
    const bool usable = show && !m_missing;
    ui->btnPreview->setEnabled(usable);
    ui->btnRename->setEnabled(usable);
    ui->btnOpen->setEnabled(usable);
    ui->btnShare->setEnabled(usable);
    ui->btnMissing->setEnabled(m_missing);
}

bool HistoryFileListItemWidget::checkFileExists()
{
    m_missing = !FileSystemUtils::exists(m_path);
    showDetailButton(m_frozen || underMouse());
    return !m_missing;
}

QString HistoryFileListItemWidget::text() const { return ui->lblFileName->property("FullName").toString(); }

void HistoryFileListItemWidget::setFrozen(bool frozen) { m_frozen = frozen; }

void HistoryFileListItemWidget::updateFileStatus(bool missing, bool showButtons)
{
    m_missing = missing;
    showDetailButton(showButtons);
}

void HistoryFileListItemWidget::updateFileName(const QString& name)
{
    m_path = QFileInfo(m_path).path() + QLatin1Char('/') + name;
    ui->lblFileName->setText(name);
}

void HistoryFileListItemWidget::setWidth(int width) { setFixedWidth(width); }

bool HistoryFileListItemWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->lblFileName) {
        if (event->type() == QEvent::Resize)
            showShortenedName();
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::ToolTip) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && !widget->isEnabled())
            return true;
    } else if (event->type() == QEvent::MouseButtonPress) {
        emit widgetPressed(m_item);
    }
    return QWidget::eventFilter(watched, event);
}

void HistoryFileListItemWidget::enterEvent(QEvent* event)
{
    showDetailButton(true);
    QWidget::enterEvent(event);
}

void HistoryFileListItemWidget::leaveEvent(QEvent* event)
{
    if (!m_frozen)
        showDetailButton(false);
    QWidget::leaveEvent(event);
}

void HistoryFileListItemWidget::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
    }
}
