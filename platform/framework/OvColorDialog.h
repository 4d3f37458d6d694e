#pragma once
// Colour chooser. exec() returns QDialog::Accepted when a colour was chosen. GUI thread.

#include <QColorDialog>

class OvColorDialog : public QColorDialog {
    Q_OBJECT
public:
    explicit OvColorDialog(QWidget* parent = nullptr);
    OvColorDialog(const QColor& initial, QWidget* parent = nullptr);
    int exec() override;
};
