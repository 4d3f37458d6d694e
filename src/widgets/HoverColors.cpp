#include "HoverColors.h"

QColor HoverColors::text(bool hovered, const QPalette& palette) const
{
    const QColor& chosen = hovered ? textH : textN;
    return chosen.isValid() ? chosen : palette.color(hovered ? QPalette::HighlightedText : QPalette::Text);
}

QColor HoverColors::background(bool hovered, const QPalette& palette) const
{
    const QColor& chosen = hovered ? bacH : bacN;
    return chosen.isValid() ? chosen : palette.color(hovered ? QPalette::Highlight : QPalette::Base);
}
