#pragma once
// The Preferences window's table of fields and what is done with it. Each row names a
// control, the stored value behind it, whether closing the window compares the two, how the
// row is saved and what "Restore to Default" puts in the control; load(), save(), changed()
// and restore() go through the rows in table order. GUI thread; the controls belong to the
// window, which keeps this object no longer than them.

#include <QVariant>
#include <QVector>
#include <functional>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class RecordParameter;

class PreferenceFields {
public:
    // How a control is made to show a value, and what it shows.
    struct Control {
        // Lists select silently while loading; while restoring their rules run as for a user.
        enum Moment { Loading, Restoring };
        // What a list does with a value that none of its entries carries.
        enum Unlisted { FirstEntry, NoSelection };

        std::function<QVariant()> shown;                   // invalid: the list has no selection
        std::function<void(const QVariant&, Moment)> show; // an invalid value leaves the control

        // Checked means true (false when `inverted`).
        static Control box(QAbstractButton* button, bool inverted = false);
        static Control text(QLineEdit* field);
        // The value is the selected entry's user data.
        static Control list(QComboBox* combo, Unlisted unlisted);
    };

    // The stored value behind a control.
    struct Value {
        std::function<QVariant()> read;             // null: the window never loads it
        std::function<void(const QVariant&)> write; // null: the control stores itself
    };

    // What closing the window compares a control with: the stored value, the value it showed
    // right after loading (for lists that loading may move off the stored value), or nothing
    // (a change alone is no reason to ask).
    enum Compare { NotCompared, WithStored, WithLoaded };
    // What saving writes: what the control shows (nothing while a list has no selection), or
    // the stored value until the user changes the control (so a stored value that no entry
    // carries is kept).
    enum Save { Shown, StoredUntilChanged };

    struct Field {
        Control control;
        Value value;
        Compare compare;
        Save save;
        std::function<QVariant()> restore; // null: "Restore to Default" leaves the control
    };

    // Stored values of the settings model: a flag, a number (an enumeration), one of the
    // three video values, which are stored together, one of the two mouse colours (as
    // "#rrggbb"), which are stored together too.
    enum VideoPart { FrameRate, Codec, Quality };
    static Value flag(bool (RecordParameter::*get)() const, void (RecordParameter::*set)(bool));
    template <class Get, class Set>
    static Value number(Get get, Set set)
    {
        return {[get] { return QVariant(int(get())); }, [set](const QVariant& v) { set(v.toInt()); }};
    }
    static Value video(VideoPart part);
    static Value mouseColour(bool click);
    // A folder of the output paths.
    static Value folder(QString (*get)(), void (*set)(const QString&));
    // `control`, running `after` whenever it is made to show a value.
    static Control followedBy(Control control, std::function<void(Control::Moment)> after);

    // Restore values: a fixed one, or a list's entry (none when the list is shorter).
    static std::function<QVariant()> to(const QVariant& value);
    static std::function<QVariant()> toEntry(QComboBox* combo, int index);

    void setFields(QVector<Field> fields);

    // Makes every control show its stored value and notes what each shows then. `alive` is
    // asked after each row, since a list's rule may ask a question that outlives the window;
    // false stops and is returned.
    bool load(const std::function<bool()>& alive);
    // Writes every row as its Save column says.
    void save() const;
    // True when a compared control differs from what it is compared with.
    bool changed() const;
    // Puts every restored control to its restore value; stops (returning false) like load().
    bool restore(const std::function<bool()>& alive);

private:
    QVector<Field> m_fields;
    QVector<QVariant> m_loaded;
};
