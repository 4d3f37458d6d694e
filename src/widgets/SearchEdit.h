#pragma once
// Line edit for search terms, with a magnifier icon at its leading edge. GUI thread.

#include <QLineEdit>

class SearchEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit SearchEdit(QWidget* parent = nullptr);
};
