#pragma once
// The field in which the user records one global hotkey: it shows the shortcut, turns into a
// recorder when clicked, takes the next key combination, checks it (validity, conflicts) and
// offers clearing. Only one field records at a time in the whole process; while one records
// it takes every key press of the application. Its value is the property "shortcutValue",
// which the user-defaults binding follows. GUI thread.

#include "hotkeys/MASShortcut.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

class MASShortcutView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(MASShortcut shortcutValue READ shortcutValue WRITE setShortcutValue NOTIFY shortcutValueChanged)
public:
    // The positions of the seven display texts (setMASLanuage).
    enum TextIndex {
        TextUseOld = 0,   // recording with a shortcut, pointer over the hint area
        TextTypeNew,      // recording with a shortcut
        TextCancel,       // recording without a shortcut, pointer over the hint area
        TextTypeShortcut, // recording without a shortcut
        TextNoShortcut,   // at rest without a shortcut
        TextClickToType,  // tool tip over the shortcut area
        TextDelete,       // tool tip over the hint area
        TextCount
    };
    // The width of the hint area at the right edge (the clear or cancel glyph).
    static constexpr int kHintWidth = 32;
    // The modifiers of every default shortcut: Control and Command (Super).
    static constexpr quint64 kDefaultModifiers = OvKeyCodes::kControl | OvKeyCodes::kCommand;

    explicit MASShortcutView(QWidget* parent = nullptr);
    ~MASShortcutView() override;

    MASShortcut shortcutValue() const { return m_shortcutValue; }
    void setShortcutValue(const MASShortcut& shortcut);

    bool isRecording() const { return m_bTakingChord; }
    // Starting stops the field that recorded before.
    void setRecording(bool recording);
    QString shortcutPlaceholder() const { return m_strPlaceholder; }
    void setShortcutPlaceholder(const QString& placeholder);
    bool isHinting() const { return m_bHinting; }
    void setHinting(bool hinting);
    // Stops recording.
    void setCellDisenabled();

    // Without `force`, a field that holds a shortcut with a key keeps it; otherwise the value
    // becomes `keyCode` with Control and Command.
    void useKeyCodeSetDefaulShortcut(quint64 keyCode, bool force);

    // True selects the light text (for dark skins).
    void setUseFontColor(bool light);
    // The seven display texts, in TextIndex order.
    void setMASLanuage(const QStringList& texts);
    // The display text of an English key ("Type Shortcut", ...); empty for an unknown key.
    QString changeMASLanuage(const QString& englishKey) const;

    QSize sizeHint() const override;

signals:
    void shortcutValueChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The release of a click on the field is the field's own: passed on, it would reach a
    // parent that ends the recording on a click elsewhere.
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    // While recording: every key of the application, and this window losing the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect shortcutRect() const;
    QRect hintRect() const;
    QString text(TextIndex index) const;
    // A key press, or a modifier pressed or released, while recording; true when consumed.
    bool handleKey(QKeyEvent* event);
    // The combination is held elsewhere: says so and offers the desktop's keyboard settings.
    void presentTakenError(const MASShortcutError& error);
    void setMonitoring(bool on);

    MASShortcut m_shortcutValue;
    QString m_strPlaceholder;
    QStringList m_texts;
    bool m_bTakingChord = false;
    bool m_bHinting = false;
    bool m_bWhiteColor = false;
    bool m_bMonitoring = false;

    static QPointer<MASShortcutView> s_recorder;
};
