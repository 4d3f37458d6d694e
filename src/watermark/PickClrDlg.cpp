#include "PickClrDlg.h"

#include "Log.h"
#include "OvColorDialog.h"
#include "OvResourceMgr.h"
#include "ui_PickClrDlg.h"
#include "watermark/NinePatch.h"

#include <QButtonGroup>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace {
// Corner size of the background image kept unscaled.
const int kBgCorner = 50;
// Edge of one swatch before the interface zoom.
const int kSwatchSize = 20;

PickClrDlg::ColorTable s_table;
} // namespace

PickClrDlg::ColorTable PickClrDlg::readColorTable(const QString& path)
{
    ColorTable table;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Log("PickClrDlg", 1, "colour table %s cannot be read", qUtf8Printable(path));
        return table;
    }
    QByteArray bytes = file.readAll();
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QString::fromLatin1(bytes).toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        Log("PickClrDlg", 1, "colour table %s: %s", qUtf8Printable(path), qUtf8Printable(error.errorString()));
        return table;
    }
    const QJsonObject root = doc.object();
    table.row = root.value(QStringLiteral("row")).toInt();
    table.col = root.value(QStringLiteral("col")).toInt();
    const QJsonValue rows = root.value(QStringLiteral("clrTab"));
    if (!rows.isArray())
        return table;
    for (const QJsonValue& row : rows.toArray()) {
        QStringList colors;
        for (const QJsonValue& color : row.toArray())
            colors.append(color.toString());
        table.colors.append(colors);
    }
    return table;
}

const PickClrDlg::ColorTable& PickClrDlg::colorTable()
{
    if (s_table.colors.isEmpty())
        s_table = readColorTable(OvResourceMgr::instance()->resourcesPath() + QStringLiteral("/clrsTab/clrsTab.json"));
    return s_table;
}

PickClrDlg::PickClrDlg(QWidget* parent)
    : QDialog(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
    , m_pUi(new Ui::PickClrDlg)
{
    m_pUi->setupUi(this);
    setAttribute(Qt::WA_TranslucentBackground);
    layoutUI_Btns();
}

PickClrDlg::~PickClrDlg() { delete m_pUi; }

void PickClrDlg::layoutUI_Btns()
{
    const ColorTable& table = colorTable();
    m_pUi->frmAllBtns->setContentsMargins(0, 0, 0, 0);
    QGridLayout* grid = m_pUi->gridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    const int swatch = int(kSwatchSize * OvResourceMgr::instance()->getZoomDPI());
    // "More" takes the last cell of the grid, also for a table that fills it or gives no size.
    const int moreRow = qMax(table.row, 1) - 1;
    const int moreCol = qMax(table.col, 1) - 1;
    for (int r = 0; r < table.row && r < table.colors.size(); ++r) {
        const QStringList& colors = table.colors[r];
        for (int c = 0; c < table.col && c < colors.size(); ++c) {
            if (r == moreRow && c == moreCol)
                continue;
            auto* button = new QToolButton(m_pUi->frmAllBtns);
            button->setObjectName(QStringLiteral("btnColor"));
            button->setStyleSheet(QStringLiteral("background-color:%1").arg(colors[c]));
            button->setProperty("color", colors[c]);
            button->setFocusPolicy(Qt::NoFocus);
            button->setCheckable(true);
            button->setFixedSize(swatch, swatch);
            grid->addWidget(button, r, c);
            m_group->addButton(button);
            connect(button, &QToolButton::clicked, this, &PickClrDlg::setColor);
        }
    }
    auto* more = new QToolButton(m_pUi->frmAllBtns);
    more->setObjectName(QStringLiteral("btnMore"));
    more->setText(QStringLiteral("+"));
    more->setToolTip(tr("More Colors"));
    more->setFocusPolicy(Qt::NoFocus);
    more->setFixedSize(swatch, swatch);
    grid->addWidget(more, moreRow, moreCol);
    connect(more, &QToolButton::clicked, this, &PickClrDlg::showCustomColor);
    adjustSize();
}

void PickClrDlg::setClr(const QColor& clr)
{
    m_clr = clr;
    const QString name = clr.name();
    QAbstractButton* match = nullptr;
    for (QAbstractButton* button : m_group->buttons()) {
        if (button->property("color").toString().toLower() == name) {
            match = button;
            break;
        }
    }
    if (match) {
        match->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked: lift it to clear the check.
    m_group->setExclusive(false);
    for (QAbstractButton* button : m_group->buttons())
        button->setChecked(false);
    m_group->setExclusive(true);
}

void PickClrDlg::setClrBg(const QImage& image)
{
    if (image == m_clrBg)
        return;
    m_clrBg = image;
    const QPixmap source = QPixmap::fromImage(m_clrBg);
    m_bg = NinePatch(&source, kBgCorner, kBgCorner, width(), height());
    update();
}

void PickClrDlg::setColor()
{
    auto* button = qobject_cast<QAbstractButton*>(sender());
    if (!button)
        return;
    {
        const QSignalBlocker blocker(button);
        button->setChecked(true);
    }
    m_clr = QColor(button->property("color").toString());
    emit sigSelColor(m_clr);
}

void PickClrDlg::showCustomColor()
{
    OvColorDialog dialog(m_clr, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_clr = dialog.currentColor();
    setClr(m_clr);
    emit sigSelColor(m_clr);
}

bool PickClrDlg::event(QEvent* event)
{
    if (event->type() == QEvent::Resize && !m_clrBg.isNull()) {
        const QPixmap source = QPixmap::fromImage(m_clrBg);
        m_bg = NinePatch(&source, kBgCorner, kBgCorner, width(), height());
    }
    return QDialog::event(event);
}

void PickClrDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!m_bg.isNull()) {
        painter.drawPixmap(0, 0, m_bg);
        return;
    }
    // Without a skin image: a plain panel in the window colour.
    painter.fillRect(rect(), palette().window());
}

void PickClrDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_pressGlobal = event->globalPos();
        m_pressPos = pos();
    }
    QDialog::mousePressEvent(event);
}

void PickClrDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed)
        move(m_pressPos + event->globalPos() - m_pressGlobal);
    QDialog::mouseMoveEvent(event);
}

void PickClrDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QDialog::mouseReleaseEvent(event);
}

void PickClrDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        setWindowTitle(QString());
    QDialog::changeEvent(event);
}
