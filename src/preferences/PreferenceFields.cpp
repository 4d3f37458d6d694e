#include "PreferenceFields.h"

#include "core/RecordParameter.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

PreferenceFields::Control PreferenceFields::Control::box(QAbstractButton* button, bool inverted)
{
    return {[button, inverted] { return QVariant(button->isChecked() != inverted); },
            [button, inverted](const QVariant& value, Moment) {
                if (value.isValid())
                    button->setChecked(value.toBool() != inverted);
            }};
}

PreferenceFields::Control PreferenceFields::Control::text(QLineEdit* field)
{
    return {[field] { return QVariant(field->text()); },
            [field](const QVariant& value, Moment) {
                if (value.isValid())
                    field->setText(value.toString());
            }};
}

PreferenceFields::Control PreferenceFields::Control::list(QComboBox* combo, Unlisted unlisted)
{
    return {[combo] { return combo->currentIndex() < 0 ? QVariant() : combo->currentData(); },
            [combo, unlisted](const QVariant& value, Moment moment) {
                if (!value.isValid())
                    return;
                int index = combo->findData(value);
                if (unlisted == FirstEntry)
                    index = qMax(0, index);
                const QSignalBlocker blocker(moment == Loading ? combo : nullptr);
                combo->setCurrentIndex(index);
            }};
}

PreferenceFields::Value PreferenceFields::flag(bool (RecordParameter::*get)() const,
                                               void (RecordParameter::*set)(bool))
{
    RecordParameter* p = RecordParameter::instance();
    return {[p, get] { return QVariant((p->*get)()); }, [p, set](const QVariant& v) { (p->*set)(v.toBool()); }};
}

PreferenceFields::Value PreferenceFields::video(VideoPart part)
{
    RecordParameter* p = RecordParameter::instance();
    return {[p, part] {
                if (part == FrameRate)
                    return QVariant(p->getVideoFrameRate());
                return QVariant(part == Codec ? int(p->getVideoCodecType()) : int(p->getVideoQuality()));
            },
            [p, part](const QVariant& v) {
                const int value = v.toInt();
                p->setVideoOpt(part == FrameRate ? value : p->getVideoFrameRate(),
                               RP_CodecType(part == Codec ? value : p->getVideoCodecType()),
                               RP_CodecQuality(part == Quality ? value : p->getVideoQuality()));
            }};
}

PreferenceFields::Value PreferenceFields::mouseColour(bool click)
{
    RecordParameter* p = RecordParameter::instance();
    return {[p, click] { return QVariant((click ? p->getMouseClickColor() : p->getMouseNormalColor()).name()); },
            [p, click](const QVariant& v) {
                const QColor colour(v.toString());
                p->setMouseColor(click ? colour : p->getMouseClickColor(), click ? p->getMouseNormalColor() : colour);
            }};
}

PreferenceFields::Value PreferenceFields::folder(QString (*get)(), void (*set)(const QString&))
{
    return {[get] { return QVariant(get()); }, [set](const QVariant& v) { set(v.toString()); }};
}

PreferenceFields::Control PreferenceFields::followedBy(Control control, std::function<void(Control::Moment)> after)
{
    const auto show = control.show;
    control.show = [show, after](const QVariant& v, Control::Moment moment) {
        show(v, moment);
        after(moment);
    };
    return control;
}

std::function<QVariant()> PreferenceFields::to(const QVariant& value)
{
    return [value] { return value; };
}

std::function<QVariant()> PreferenceFields::toEntry(QComboBox* combo, int index)
{
    return [combo, index] { return index < combo->count() ? combo->itemData(index) : QVariant(); };
}

void PreferenceFields::setFields(QVector<Field> fields)
{
    m_fields = std::move(fields);
    m_loaded = QVector<QVariant>(m_fields.size());
}

bool PreferenceFields::load(const std::function<bool()>& alive)
{
    for (const Field& field : m_fields) {
        if (!field.value.read)
            continue;
        field.control.show(field.value.read(), Control::Loading);
        if (!alive())
            return false;
    }
    for (int i = 0; i < m_fields.size(); ++i)
        m_loaded[i] = m_fields[i].control.shown();
    return true;
}

void PreferenceFields::save() const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        const Field& field = m_fields[i];
        if (!field.value.write)
            continue;
        const QVariant shown = field.control.shown();
        if (field.save == StoredUntilChanged && (!shown.isValid() || shown == m_loaded[i]))
            field.value.write(field.value.read());
        else if (shown.isValid())
            field.value.write(shown);
    }
}

bool PreferenceFields::changed() const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        const Field& field = m_fields[i];
        const QVariant shown = field.control.shown();
        if (field.compare == WithStored && shown.isValid() && shown != field.value.read())
            return true;
        if (field.compare == WithLoaded && shown != m_loaded[i])
            return true;
    }
    return false;
}

bool PreferenceFields::restore(const std::function<bool()>& alive)
{
    for (const Field& field : m_fields) {
        if (!field.restore)
            continue;
        field.control.show(field.restore(), Control::Restoring);
        if (!alive())
            return false;
    }
    return true;
}
