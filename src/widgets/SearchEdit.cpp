#include "SearchEdit.h"

#include <QAction>
#include <QIcon>

SearchEdit::SearchEdit(QWidget* parent)
    : QLineEdit(parent)
{
    auto* icon = new QAction(QIcon(QStringLiteral(":/sr/icons/search.svg")), QString(), this);
    icon->setObjectName(QStringLiteral("actSearchIcon"));
    addAction(icon, QLineEdit::LeadingPosition);
}
