#include "MainWindowStyle.h"

QString MainWindowStyle::styleSheet()
{
    return QStringLiteral(R"(
#frameMain { background-color: #f5f6f8; }
QToolButton[modeButton="true"] {
    background-color: #ffffff;
    border: 1px solid #dcdfe4;
    border-radius: 10px;
    padding: 10px 6px 8px 6px;
    min-height: 78px;
    font-size: 13px;
    color: #3d4452;
}
QToolButton[modeButton="true"]:hover { border-color: #9db4ff; background-color: #f7f9ff; }
QToolButton[modeButton="true"]:checked {
    border: 2px solid #4f7cff;
    background-color: #eaf0ff;
    color: #2b56d9;
    font-weight: bold;
}
#frameOptions {
    background-color: #ffffff;
    border: 1px solid #dcdfe4;
    border-radius: 10px;
}
#frameOptions QLabel { background: transparent; }
#lineOptions { color: #e6e8ec; background-color: #e6e8ec; border: none; max-height: 1px; }
#labelAudioOnly, #labelWindows, #labelWebcamOnly { color: #5b6270; }
#btnWebcamOptions { border: none; border-radius: 4px; padding: 2px; background: transparent; }
#btnWebcamOptions:hover { background-color: #eef2f8; }
#labelModeHint { color: #5b6270; font-size: 12px; }
#btnRec {
    border-radius: 56px;
    border: 6px solid #ffd6d6;
    background-color: #e53935;
    color: #ffffff;
    font-size: 22px;
    font-weight: bold;
}
#btnRec:hover { background-color: #d32f2f; border-color: #ffc2c2; }
#btnRec:pressed { background-color: #b71c1c; }
#btnRec:disabled { background-color: #c9ced6; border-color: #e6e8ec; }
#labelRecHint { color: #5b6270; }
#historyTool {
    background-color: #ffffff;
    border-top: 1px solid #dcdfe4;
}
#historyTool > QToolButton, #shortcutTool > QToolButton {
    border: none;
    border-radius: 6px;
    padding: 6px 10px;
    color: #3d4452;
}
#historyTool > QToolButton:hover, #shortcutTool > QToolButton:hover { background-color: #eef2f8; }
)");
}
