#pragma once
// The look of the main window's own controls (mode buttons, record button, option card,
// tool strip), on top of the skin. Any thread.

#include <QString>

namespace MainWindowStyle {
QString styleSheet();
}
