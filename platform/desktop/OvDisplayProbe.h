#pragma once
// Whether an X display can be reached, asked before any GUI object exists (Qt's own
// platform plug-in aborts the process when it cannot connect). Any thread may call.

#include <QByteArray>

namespace OvDisplayProbe {
// True when a connection to the X display `name` opens and has the screen the name asks for;
// an empty name means the display named by DISPLAY (false when DISPLAY is unset). The
// connection is closed again at once.
bool canConnect(const QByteArray& name = QByteArray());
} // namespace OvDisplayProbe
