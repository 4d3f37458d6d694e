#include "OvResourceMgr.h"

#include <QApplication>
#include <QDir>
#include <QFile>

OvResourceMgr* OvResourceMgr::instance()
{
    static OvResourceMgr* s_instance = new OvResourceMgr();
    return s_instance;
}

OvResourceMgr::OvResourceMgr()
{
    bool ok = false;
    const double zoom = qEnvironmentVariable("SR_ZOOM").toDouble(&ok);
    if (ok && zoom > 0)
        m_zoom = zoom;
}

double OvResourceMgr::getZoomDPI() const { return m_zoom; }

void OvResourceMgr::setZoomDPI(double zoom)
{
    if (zoom > 0)
        m_zoom = zoom;
}

QString OvResourceMgr::resourcesPath() const
{
    const QString fromEnv = qEnvironmentVariable("SR_RESOURCES_DIR");
    if (!fromEnv.isEmpty())
        return QDir::cleanPath(fromEnv);
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../Resources"));
}

QString OvResourceMgr::language() const { return m_language; }

void OvResourceMgr::setLanguage(const QString& lang) { m_language = lang; }

QString OvResourceMgr::skinStyleSheet(const QString& name) const
{
    for (const QString& path : {resourcesPath() + QStringLiteral("/skins/") + name + QStringLiteral(".qss"),
                                QStringLiteral(":/framework/skins/") + name + QStringLiteral(".qss")}) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            return QString::fromUtf8(file.readAll());
    }
    return QString();
}

bool OvResourceMgr::setSkin(const QString& name)
{
    const QString sheet = skinStyleSheet(name);
    if (sheet.isEmpty())
        return false;
    m_skin = name;
    if (qApp)
        qApp->setStyleSheet(sheet);
    return true;
}

QString OvResourceMgr::currentSkin() const { return m_skin; }
