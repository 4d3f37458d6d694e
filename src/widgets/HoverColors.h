#pragma once
// The four skin colours of a hoverable item: text and background of the hovered item (H)
// and of the others (N). A colour the skin did not set stays invalid; painting then falls
// back to the palette (Highlight / HighlightedText when hovered, Base / Text otherwise).

#include <QColor>
#include <QPalette>

struct HoverColors {
    QColor textH;
    QColor textN;
    QColor bacH;
    QColor bacN;

    QColor text(bool hovered, const QPalette& palette) const;
    QColor background(bool hovered, const QPalette& palette) const;
};
