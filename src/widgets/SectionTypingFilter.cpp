#include "SectionTypingFilter.h"

#include <QDateTimeEdit>
#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>

SectionTypingFilter::SectionTypingFilter(QDateTimeEdit* edit)
    : QObject(edit)
    , m_pEdit(edit)
{
}

void SectionTypingFilter::install(QDateTimeEdit* edit)
{
    // The text part is the field's own line edit; the clicks land there.
    if (auto* text = edit->findChild<QLineEdit*>())
        text->installEventFilter(new SectionTypingFilter(edit));
}

bool SectionTypingFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonRelease
        || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return false;
    // The press has placed the cursor, and with it the field's current part.
    if (!static_cast<QLineEdit*>(watched)->hasSelectedText())
        m_pEdit->setSelectedSection(m_pEdit->currentSection());
    return false;
}
