#include "OvProductInfo.h"

#include <QFile>
#include <QJsonDocument>

OvProductInfo* OvProductInfo::instance()
{
    static OvProductInfo* s_instance = new OvProductInfo();
    return s_instance;
}

OvProductInfo::OvProductInfo()
{
    const QByteArray overridePath = qgetenv("SR_PRODUCT_FILE");
    if (overridePath.isEmpty() || !loadFrom(QString::fromLocal8Bit(overridePath)))
        loadFrom(QStringLiteral(":/framework/product.json"));
}

bool OvProductInfo::loadFrom(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    if (!doc.isObject())
        return false;
    m_info = doc.object();
    m_params = m_info.value(QStringLiteral("params")).toObject();
    return true;
}

void OvProductInfo::setExtendParam(const QString& key, const QString& value) { m_params.insert(key, value); }

QString OvProductInfo::field(const char* name) const { return m_info.value(QLatin1String(name)).toString(); }

QString OvProductInfo::productName(const QString&) const { return field("productName"); }
QString OvProductInfo::productNativeName(const QString&) const { return field("productNativeName"); }
QString OvProductInfo::productVersion(const QString&) const { return field("productVersion"); }
QString OvProductInfo::productID() const { return field("productID"); }
QString OvProductInfo::brand() const { return field("brand"); }
QString OvProductInfo::affiliateID() const { return field("affiliateID"); }
QString OvProductInfo::companyFullName() const { return field("companyFullName"); }
QString OvProductInfo::defaultSkin() const { return field("defaultSkin"); }
QString OvProductInfo::GUID(const QString&) const { return field("GUID"); }

QString OvProductInfo::extendParam(const QString& key, const QString&) const
{
    return m_params.value(key).toString();
}
