#pragma once
// Lets a date or time field take typed digits after a click: the click selects the part
// (month, day, hour...) under the pointer, so the digits typed replace it, and a full part
// moves on to the next one. Without it a click only places the cursor in a full part, where
// every digit is refused. A selection the user dragged is left as it is. One filter serves
// each field it is installed on; GUI thread.

#include <QObject>

class QDateTimeEdit;

class SectionTypingFilter : public QObject {
    Q_OBJECT
public:
    // Installs the filter on the text part of `edit`; it lives as long as the field.
    static void install(QDateTimeEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit SectionTypingFilter(QDateTimeEdit* edit);

    QDateTimeEdit* m_pEdit;
};
