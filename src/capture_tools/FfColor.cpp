#include "FfColor.h"
#include "ui_FfColor.h"

#include "OvProductInfo.h"
#include "widgets/ZoomPx.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QToolButton>

namespace {
// Pen widths of the tools from the arrow to the blur, at the four sizes.
const int kFirstTableTool = CS_Arrow;
const int kToolWidths[][4] = {
    {2, 4, 8, 16},   // arrow
    {1, 2, 4, 8},    // brush
    {1, 2, 4, 8},    // line
    {4, 8, 16, 24},  // air brush
    {12, 18, 24, 32}, // callout
    {1, 2, 4, 8},    // text
    {4, 8, 16, 24},  // eraser
    {1, 2, 4, 8},    // eraser, box mode
    {4, 8, 16, 24},  // blur
};
const int kDefaultWidths[4] = {1, 2, 4, 8};
const int kSizeCount = 4;

const int kFirstFontSize = 10;
const int kLastFontSize = 39;
const int kInitialBlur = 10;
// The preset colours: Qt::black to Qt::darkMagenta; red starts chosen.
const int kFirstPreset = Qt::black;
const int kLastPreset = Qt::darkMagenta;
const char kColorProperty[] = "color";

QString backgroundStyle(const QColor& colour)
{
    return QStringLiteral("background-color:%1").arg(colour.name());
}
} // namespace

int getLineSize(int shape, int size)
{
    if (size < 0 || size >= kSizeCount)
        return 1;
    const int row = shape - kFirstTableTool;
    if (row >= 0 && row < int(sizeof(kToolWidths) / sizeof(kToolWidths[0])))
        return kToolWidths[row][size];
    return kDefaultWidths[size];
}

FfColor::FfColor(QWidget* parent)
    : QFrame(parent)
    , ui(new Ui::FfColor)
{
    ui->setupUi(this);
    for (int size = kFirstFontSize; size <= kLastFontSize; ++size)
        ui->cmbFontSize->addItem(QString::number(size));

    auto* targets = new QButtonGroup(this);
    targets->addButton(ui->btnFontColor);
    targets->addButton(ui->btnBackgroundColor);
    auto* sizes = new QButtonGroup(this);
    for (QAbstractButton* b : {ui->btnSlim, ui->btnMid, ui->btnThick, ui->btnLarge}) {
        sizes->addButton(b);
        b->setCheckable(true);
        connect(b, &QAbstractButton::clicked, this, &FfColor::setDrawSize);
    }

    for (QAbstractButton* b : {static_cast<QAbstractButton*>(ui->btnRect), static_cast<QAbstractButton*>(ui->btnEclips),
                               static_cast<QAbstractButton*>(ui->btnArrow), static_cast<QAbstractButton*>(ui->btnBrush),
                               static_cast<QAbstractButton*>(ui->btnLine), static_cast<QAbstractButton*>(ui->btnAirbrush),
                               static_cast<QAbstractButton*>(ui->btnNumber), static_cast<QAbstractButton*>(ui->btnText),
                               static_cast<QAbstractButton*>(ui->btnBlur), static_cast<QAbstractButton*>(ui->btnErase)})
        connect(b, &QAbstractButton::clicked, this, &FfColor::onStartCanvas);
    connect(ui->btnRedo, &QAbstractButton::clicked, this, &FfColor::redo);
    connect(ui->btnUndo, &QAbstractButton::clicked, this, &FfColor::undo);
    // Exit only leaves drawing: stopCanvs(true) alone, never a pause first.
    connect(ui->btnQuitEdit, &QAbstractButton::clicked, this, &FfColor::onQuitEdit);
    connect(ui->btnPersetColor, &QAbstractButton::clicked, this, &FfColor::showPersetColor);
    connect(ui->btnCustomColor, &QAbstractButton::clicked, this, &FfColor::showCustomColor);
    connect(ui->btnClear, &QAbstractButton::clicked, this, &FfColor::onClear);
    connect(ui->sbFromNumber, QOverload<int>::of(&QSpinBox::valueChanged), this, &FfColor::onNumberChange);
    connect(ui->cmbFontSize, &QComboBox::currentTextChanged, this, &FfColor::onFontSizeChange);
    for (QSpinBox* box : {ui->sbRed, ui->sbBlue, ui->sbGreen})
        connect(box, QOverload<int>::of(&QSpinBox::valueChanged), this, &FfColor::setColor);
    ui->edtColor->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{6}")), ui->edtColor));
    connect(ui->edtColor, &QLineEdit::editingFinished, this, &FfColor::setColor);
    connect(ui->sliderBlur, &QSlider::valueChanged, this, &FfColor::blurChanged);
    connect(ui->btnBoxSelect, &QAbstractButton::clicked, this, &FfColor::onBoxSelect);
    connect(ui->btnFontColor, &QAbstractButton::clicked, this, &FfColor::checkSetWichColor);
    connect(ui->btnBackgroundColor, &QAbstractButton::clicked, this, &FfColor::checkSetWichColor);

    ui->swColor->setCurrentIndex(0);
    ui->swSizeType->setCurrentIndex(0);
    ui->swBrushType->setCurrentIndex(0);
    ui->btnBoxSelect->setCheckable(true);
    ui->btnSlim->setChecked(true);
    ui->sbFromNumber->hide();
    ui->btnFontColor->hide();
    ui->btnBackgroundColor->hide();
    {
        // Nobody listens yet: the initial values are not changes.
        const QSignalBlocker fontBlocker(ui->cmbFontSize);
        const QSignalBlocker blurBlocker(ui->sliderBlur);
        ui->cmbFontSize->setCurrentText(QString::number(m_nFontSize));
        ui->sliderBlur->setValue(kInitialBlur);
    }
    ui->frmArug->setCurrentWidget(ui->pageNoEdit);
    showColor();
}

FfColor::~FfColor() = default;

QString FfColor::fontFamily()
{
    const QString family = OvProductInfo::instance()->extendParam(QStringLiteral("fontFamily"), QStringLiteral("en"));
    return family.isEmpty() ? QStringLiteral("Tahoma") : family;
}

int FfColor::getPainterSize() const { return getLineSize(m_nCanvsType, m_nLineSize); }

int FfColor::numberNumber() const { return ui->sbFromNumber->value() - 1; }

void FfColor::setHasBlur(bool has) { ui->btnBlur->setVisible(has); }

void FfColor::setNumberNumber(int)
{
    m_bNumberRestarts = false;
    ui->sbFromNumber->stepUp();
    ui->sbFromNumber->clearMask();
    ui->sbFromNumber->clearFocus();
    m_bNumberRestarts = true;
}

int FfColor::runningTool() const
{
    if (ui->btnBoxSelect->isChecked()) {
        if (m_nCanvsType == CS_Blur)
            return CS_BlurBox;
        if (m_nCanvsType == CS_Eraser)
            return CS_EraserBox;
    }
    return m_nCanvsType;
}

void FfColor::onStartCanvas()
{
    auto* button = qobject_cast<QAbstractButton*>(sender());
    ui->frmArug->setCurrentWidget(ui->pageArug);
    ui->swSizeType->setCurrentIndex(0);
    ui->swBrushType->setCurrentIndex(0);
    ui->sbFromNumber->hide();
    ui->btnFontColor->hide();
    ui->btnBackgroundColor->hide();
    ui->lblColor->show();
    ui->btnBoxSelect->setChecked(false);
    m_bFontColor = true;
    loadColorFields(m_color);
    if (m_pLastToolBtn)
        m_pLastToolBtn->setChecked(false);

    int tool = CS_None;
    if (button == ui->btnRect) {
        tool = CS_Rectangle;
    } else if (button == ui->btnEclips) {
        tool = CS_Ellipse;
    } else if (button == ui->btnArrow) {
        tool = CS_Arrow;
    } else if (button == ui->btnBrush) {
        tool = CS_Brush;
    } else if (button == ui->btnLine) {
        tool = CS_Line;
    } else if (button == ui->btnAirbrush) {
        tool = CS_AirBrush;
    } else if (button == ui->btnNumber) {
        tool = CS_Callout;
        ui->sbFromNumber->show();
        ui->btnFontColor->show();
        ui->btnBackgroundColor->show();
        ui->btnFontColor->click();
        ui->lblColor->hide();
    } else if (button == ui->btnText) {
        tool = CS_Text;
        ui->swSizeType->setCurrentIndex(1);
    } else if (button == ui->btnBlur) {
        tool = CS_Blur;
        ui->swBrushType->setCurrentWidget(ui->pageBlur);
        ui->sliderBlur->show();
    } else if (button == ui->btnErase) {
        tool = CS_Eraser;
        ui->swBrushType->setCurrentWidget(ui->pageBlur);
        ui->sliderBlur->hide();
    }

    m_pLastToolBtn = button;
    if (tool == m_nCanvsType) {
        m_nCanvsType = CS_None;
        if (button)
            button->setChecked(false);
        ui->frmArug->setCurrentWidget(ui->pageNoEdit);
        emit stopCanvs(false);
        return;
    }
    m_nCanvsType = tool;
    if (button)
        button->setChecked(true);
    emit startCanvs(tool);
}

void FfColor::setDrawSize()
{
    auto* button = qobject_cast<QAbstractButton*>(sender());
    if (button == ui->btnSlim)
        m_nLineSize = LS_SLIM;
    else if (button == ui->btnMid)
        m_nLineSize = LS_MIDDLE;
    else if (button == ui->btnThick)
        m_nLineSize = LS_THICK;
    else if (button == ui->btnLarge)
        m_nLineSize = LS_LARGE;
    else
        m_nLineSize = LS_MIDDLE;
    if (button)
        button->setChecked(true);
    emit startCanvs(runningTool());
}

void FfColor::onBoxSelect(bool checked)
{
    if (checked && m_nCanvsType != CS_Blur && m_nCanvsType != CS_Eraser)
        return;
    emit startCanvs(runningTool());
}

void FfColor::onQuitEdit()
{
    if (m_pLastToolBtn)
        m_pLastToolBtn->setChecked(false);
    ui->frmArug->setCurrentWidget(ui->pageNoEdit);
    m_nCanvsType = CS_None;
    emit stopCanvs(true);
}

void FfColor::showColor()
{
    ensurePolished();
    if (!ui->frmPersetColor->layout()) {
        auto* layout = new QHBoxLayout(ui->frmPersetColor);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(SrWidgets::zoomPx(2));
    }
    refreshSwatch();

    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    const QSize buttonSize(SrWidgets::zoomPx(m_nColorBtnWidth), SrWidgets::zoomPx(m_nColorBtnHeight));
    auto* layout = qobject_cast<QBoxLayout*>(ui->frmPersetColor->layout());
    for (int colour = kFirstPreset; colour <= kLastPreset; ++colour) {
        auto* button = new QToolButton(ui->frmPersetColor);
        button->setObjectName(QStringLiteral("btnColor"));
        button->setStyleSheet(backgroundStyle(QColor(Qt::GlobalColor(colour))));
        button->setFixedSize(buttonSize);
        button->setProperty(kColorProperty, colour);
        button->setFocusPolicy(Qt::NoFocus);
        button->setCheckable(true);
        group->addButton(button);
        if (layout)
            layout->insertWidget(colour - kFirstPreset, button);
        connect(button, &QAbstractButton::clicked, this, &FfColor::setColor);
        if (colour == Qt::red)
            button->setChecked(true);
    }

    ui->btnFontColor->setStyleSheet(backgroundStyle(m_color));
    ui->btnBackgroundColor->setStyleSheet(backgroundStyle(m_bgColor));
    loadColorFields(m_color);
    ui->btnCustomColor->show();
    ui->btnPersetColor->hide();
}

void FfColor::showPersetColor()
{
    ui->swColor->setCurrentWidget(ui->pagePerset);
    ui->btnCustomColor->show();
    ui->btnPersetColor->hide();
}

void FfColor::showCustomColor()
{
    ui->swColor->setCurrentWidget(ui->pageCustom);
    ui->btnCustomColor->hide();
    ui->btnPersetColor->show();
}

void FfColor::checkSetWichColor()
{
    m_bFontColor = sender() == ui->btnFontColor;
    (m_bFontColor ? ui->btnFontColor : ui->btnBackgroundColor)->setChecked(true);
    // The fields show the colour they now edit: an edit of one component keeps the others.
    loadColorFields(m_bFontColor ? m_color : m_bgColor);
}

void FfColor::loadColorFields(const QColor& colour)
{
    const QSignalBlocker red(ui->sbRed);
    const QSignalBlocker green(ui->sbGreen);
    const QSignalBlocker blue(ui->sbBlue);
    ui->sbRed->setValue(colour.red());
    ui->sbGreen->setValue(colour.green());
    ui->sbBlue->setValue(colour.blue());
    ui->edtColor->setText(colour.name().mid(1));
}

void FfColor::refreshSwatch()
{
    m_swatch = QPixmap(ui->lblColor->size().expandedTo(QSize(1, 1)));
    m_swatch.fill(m_color);
    ui->lblColor->setPixmap(m_swatch);
}

void FfColor::setColor()
{
    QObject* from = sender();
    QColor colour;
    if (from == ui->edtColor) {
        colour = QColor(QLatin1Char('#') + ui->edtColor->text());
        if (!colour.isValid() || ui->edtColor->text().size() != 6)
            return;
        if (colour == (m_bFontColor ? m_color : m_bgColor))
            return;
    } else if (from && !from->objectName().startsWith(QLatin1String("sb"))) {
        if (auto* button = qobject_cast<QAbstractButton*>(from))
            button->setChecked(true);
        colour = QColor(Qt::GlobalColor(from->property(kColorProperty).toInt()));
    } else {
        colour = QColor(ui->sbRed->value(), ui->sbGreen->value(), ui->sbBlue->value(), 255);
    }
    loadColorFields(colour);

    if (m_bFontColor) {
        ui->btnFontColor->setStyleSheet(backgroundStyle(colour));
        m_color = colour;
        refreshSwatch();
    } else {
        ui->btnBackgroundColor->setStyleSheet(backgroundStyle(colour));
        m_bgColor = colour;
    }
    emit startCanvs(runningTool());
}

void FfColor::onFontSizeChange(const QString& text)
{
    m_nFontSize = text.toInt();
    emit startCanvs(runningTool());
}

void FfColor::onNumberChange(int)
{
    if (m_bNumberRestarts)
        emit startCanvs(runningTool());
}

void FfColor::onClear() { emit clear(); }
