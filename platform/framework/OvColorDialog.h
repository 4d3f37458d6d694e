#pragma once
// Colour chooser. exec() returns 1 when a colour was chosen.

#include <QColorDialog>

class OvColorDialog : public QColorDialog {
    Q_OBJECT
public:
    explicit OvColorDialog(QWidget* parent = nullptr);
    OvColorDialog(const QColor& initial, QWidget* parent = nullptr);
    int exec() override;
};
