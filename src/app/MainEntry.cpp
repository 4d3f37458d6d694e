#include "MainEntry.h"

#include "Framework.h"
#include "Log.h"
#include "OvMainWindowBase.h"
#include "OvProductInfo.h"
#include "OvResourceMgr.h"
#include "ScEngine.h"
#include "services/Utils.h"

#include <QApplication>
#include <QIcon>

extern "C" int main_entry(int argc, char** argv)
{
    Framework::init(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(OvProductInfo::instance()->productName());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/sr/icons/app.svg")));

    SetLogfile(Utils::getAppLogPath().toLocal8Bit().constData());
    SetLogLevel(1);
    Log("MAIN", 2, "start %s %s", qUtf8Printable(OvProductInfo::instance()->productName()),
        qUtf8Printable(OvProductInfo::instance()->productVersion()));

    OvResourceMgr::instance()->setSkin(OvProductInfo::instance()->defaultSkin());
    scInitialize();

    OvMainWindowBase window;
    window.setWindowTitle(OvProductInfo::instance()->productName());
    window.resize(800, 520);
    window.postCreateDerivedMainWindow();
    window.show();

    const int code = app.exec();
    scUninitialize();
    Framework::uninit();
    Log("MAIN", 2, "exit %d", code);
    return code;
}
