#include "inputMethod.h"

#include "Log.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QLocale>

bool inputMethod::currentInputMethodIsABC()
{
    QInputMethod* method = QGuiApplication::inputMethod();
    const QLocale locale = method ? method->locale() : QLocale();
    const QString name = locale.name();
    Log("inputMethed", 1, "Current input methoed : %s, local : %d, length : %d", qUtf8Printable(name),
        int(locale.language()), int(name.size()));
    return locale.language() == QLocale::English || locale.language() == QLocale::C;
}

void inputMethod::setInputMethodABC() { Log("inputMethed", 1, "input source switching is not available"); }
