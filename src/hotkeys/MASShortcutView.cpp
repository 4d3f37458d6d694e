#include "MASShortcutView.h"

#include "Log.h"
#include "OvMessageBox.h"
#include "OvProductInfo.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolTip>

QPointer<MASShortcutView> MASShortcutView::s_recorder;

namespace {
// The English keys of the display texts, in TextIndex order.
const char* const kEnglishTexts[] = {"Use Old Shortcut", "Type New Shortcut", "Cancel", "Type Shortcut",
                                     "No Shortcut", "Click to Type New Shortcut", "Delete Shortcut"};

// Keys the recorder treats as commands.
const quint64 kKeyDelete = 51;
const quint64 kKeyForwardDelete = 117;
const quint64 kKeyEscape = 53;

const QChar kGlyphEscape(0x238B);
const QChar kGlyphClear(0x232B);

// Grey levels of the text: light on dark skins, dark otherwise.
const qreal kLightGrey = 0.9;
const qreal kDarkGrey = 0.271;
const int kFontPixels = 14;
const int kCornerRadius = 5;
const int kMinimumWidth = 180;
const int kHeight = 26;

// The stored modifier flag of a modifier key, 0 for other keys.
quint64 modifierKeyFlag(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Shift: return OvKeyCodes::kShift;
    case Qt::Key_Control: return OvKeyCodes::kControl;
    case Qt::Key_Alt: return OvKeyCodes::kOption;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R: return OvKeyCodes::kCommand;
    default: return 0;
    }
}
} // namespace

MASShortcutView::MASShortcutView(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(kMinimumWidth, kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

MASShortcutView::~MASShortcutView()
{
    if (m_bTakingChord)
        setMonitoring(false);
}

QSize MASShortcutView::sizeHint() const { return QSize(kMinimumWidth, kHeight); }

void MASShortcutView::setShortcutValue(const MASShortcut& shortcut)
{
    if (shortcut == m_shortcutValue && shortcut.isNull() == m_shortcutValue.isNull())
        return;
    m_shortcutValue = shortcut;
    update();
    emit shortcutValueChanged();
}

void MASShortcutView::setRecording(bool recording)
{
    if (recording && s_recorder && s_recorder != this)
        s_recorder->setRecording(false);
    if (recording)
        s_recorder = this;
    else if (s_recorder == this)
        s_recorder = nullptr;
    if (recording == m_bTakingChord)
        return;
    m_bTakingChord = recording;
    m_strPlaceholder.clear();
    setMonitoring(recording);
    update();
}

void MASShortcutView::setShortcutPlaceholder(const QString& placeholder)
{
    m_strPlaceholder = placeholder;
    update();
}

void MASShortcutView::setHinting(bool hinting)
{
    if (hinting == m_bHinting)
        return;
    m_bHinting = hinting;
    update();
}

void MASShortcutView::setCellDisenabled() { setRecording(false); }

void MASShortcutView::useKeyCodeSetDefaulShortcut(quint64 keyCode, bool force)
{
    // A stored shortcut with a key is the user's choice, whatever text the layout gives it.
    if (!force && m_shortcutValue.hasKey())
        return;
    setShortcutValue(MASShortcut::shortcutWithKeyCode(keyCode, kDefaultModifiers));
}

void MASShortcutView::setUseFontColor(bool light)
{
    m_bWhiteColor = light;
    update();
}

void MASShortcutView::setMASLanuage(const QStringList& texts)
{
    m_texts = texts.mid(0, TextCount);
    update();
}

QString MASShortcutView::changeMASLanuage(const QString& englishKey) const
{
    for (int i = 0; i < TextCount; ++i)
        if (englishKey == QLatin1String(kEnglishTexts[i]))
            return text(TextIndex(i));
    return QString();
}

QString MASShortcutView::text(TextIndex index) const
{
    const QString given = m_texts.value(index);
    return given.isEmpty() ? QString::fromLatin1(kEnglishTexts[index]) : given;
}

QRect MASShortcutView::hintRect() const { return QRect(width() - kHintWidth, 0, kHintWidth, height()); }

QRect MASShortcutView::shortcutRect() const { return QRect(0, 0, qMax(0, width() - kHintWidth), height()); }

void MASShortcutView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal grey = m_bWhiteColor ? kLightGrey : kDarkGrey;
    const QColor textColor = QColor::fromRgbF(grey, grey, grey);
    QColor border = textColor;
    border.setAlphaF(0.45);
    QColor fill = palette().color(QPalette::Highlight);
    fill.setAlphaF(m_bTakingChord ? 0.25 : 0.0);
    painter.setPen(QPen(border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);

    QFont font = painter.font();
    font.setPixelSize(kFontPixels);
    painter.setFont(font);
    painter.setPen(textColor);
    const QRect hint = hintRect().adjusted(0, 0, -8, 0);
    if (!m_shortcutValue.isNull() || m_bTakingChord) {
        painter.drawText(hint, Qt::AlignRight | Qt::AlignVCenter, m_bTakingChord ? QString(kGlyphEscape) : QString(kGlyphClear));
        QString shown;
        if (!m_bTakingChord)
            shown = m_shortcutValue.description();
        else if (m_bHinting)
            shown = text(m_shortcutValue.isNull() ? TextCancel : TextUseOld);
        else if (!m_strPlaceholder.isEmpty())
            shown = m_strPlaceholder;
        else
            shown = text(m_shortcutValue.isNull() ? TextTypeShortcut : TextTypeNew);
        painter.drawText(shortcutRect(), Qt::AlignCenter, shown);
    } else {
        painter.drawText(rect(), Qt::AlignCenter, text(TextNoShortcut));
    }
}

void MASShortcutView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->pos();
    if (m_bTakingChord) {
        if (hintRect().contains(pos))
            setRecording(false);
    } else if (m_shortcutValue.isNull() || shortcutRect().contains(pos)) {
        setRecording(true);
    } else {
        setShortcutValue(MASShortcut());
    }
    event->accept();
}

void MASShortcutView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
}

void MASShortcutView::mouseMoveEvent(QMouseEvent* event)
{
    setHinting(hintRect().contains(event->pos()));
    QWidget::mouseMoveEvent(event);
}

void MASShortcutView::leaveEvent(QEvent* event)
{
    setHinting(false);
    QWidget::leaveEvent(event);
}

bool MASShortcutView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (m_shortcutValue.isNull() || m_bTakingChord) {
            QToolTip::hideText();
        } else {
            const bool overHint = hintRect().contains(help->pos());
            QToolTip::showText(help->globalPos(), text(overHint ? TextDelete : TextClickToType), this,
                               overHint ? hintRect() : shortcutRect());
        }
        return true;
    }
    return QWidget::event(event);
}

void MASShortcutView::setMonitoring(bool on)
{
    if (on == m_bMonitoring)
        return;
    m_bMonitoring = on;
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool MASShortcutView::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_bTakingChord)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // The recorder comes before menu and dialog shortcuts.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return handleKey(static_cast<QKeyEvent*>(event));
    case QEvent::WindowDeactivate:
        if (watched == window())
            setRecording(false);
        return false;
    default: return false;
    }
}

bool MASShortcutView::handleKey(QKeyEvent* event)
{
    // X reports the modifiers held before the event: a modifier's own press or release is
    // added here, so the field shows the keys held now.
    quint64 flags = OvKeyCodes::flagsForQtModifiers(int(event->modifiers()));
    const quint64 modifierFlag = modifierKeyFlag(event->key());
    if (event->type() == QEvent::KeyRelease) {
        if (!modifierFlag)
            return true;
        flags &= ~modifierFlag;
    } else {
        flags |= modifierFlag;
    }
    const quint32 scanCode = event->nativeScanCode();
    const quint64 keyCode = scanCode ? OvKeyCodes::keyCodeForXKeycode(scanCode)
                                     : OvKeyCodes::keyCodeForQtKey(event->key(), event->modifiers() & Qt::KeypadModifier);
    const MASShortcut shortcut = MASShortcut::shortcutWithEvent(keyCode, flags);

    if (shortcut.keyCode() == kKeyDelete || shortcut.keyCode() == kKeyForwardDelete) {
        setShortcutValue(MASShortcut());
        setRecording(false);
        return true;
    }
    if (shortcut.keyCode() == kKeyEscape) {
        setRecording(false);
        return true;
    }
    if (shortcut.shouldBypass()) {
        setRecording(false);
        return false;
    }
    if (modifierFlag || shortcut.keyCodeString().isEmpty()) {
        setShortcutPlaceholder(shortcut.modifierFlagsString());
        return true;
    }
    if (!shortcut.isValid()) {
        QApplication::beep();
        return true;
    }
    MASShortcutError error;
    if (shortcut.isTakenError(&error)) {
        presentTakenError(error);
        return true;
    }
    setShortcutValue(shortcut);
    setRecording(false);
    return true;
}

void MASShortcutView::presentTakenError(const MASShortcutError& error)
{
    // The question takes the keyboard and the focus: the recorder stands aside meanwhile.
    QPointer<MASShortcutView> self(this);
    setMonitoring(false);
    OvMessageBox box(window(), true);
    box.setMsgTitle(OvProductInfo::instance()->productName());
    box.setLabelInfo(error.recoverySuggestion.isEmpty() ? error.description
                                                        : error.description + QLatin1String("\n\n") + error.recoverySuggestion);
    box.setIcon(OvMessageBox::IconWarning);
    const bool canRecover = error.recoveryOptions.size() > 1;
    box.setButtons(canRecover ? QMessageBox::Ok | QMessageBox::Open : int(QMessageBox::Ok));
    box.setDefaultButton(QMessageBox::Ok);
    if (canRecover) {
        box.button(QMessageBox::Ok)->setText(error.recoveryOptions.value(0));
        box.button(QMessageBox::Open)->setText(error.recoveryOptions.value(1));
    }
    const int answer = box.exec();
    if (!self)
        return;
    if (canRecover && answer == QMessageBox::Open) {
        QString failure;
        if (!MASShortcut::attemptRecoveryFromError(1, &failure)) {
            Log("MASShortcutView", 1, "keyboard settings not opened: %s", qPrintable(failure));
            OvMessageBox::warning(window(), OvProductInfo::instance()->productName(), failure);
            if (!self)
                return;
        }
    }
    setShortcutPlaceholder(QString());
    if (m_bTakingChord)
        setMonitoring(true);
}
