#pragma once
// Product information and read-only product parameters, read from product.json
// (compiled in; a file named by SR_PRODUCT_FILE replaces it, for tests). Loaded once at
// start-up; loadFrom and setExtendParam are for start-up and tests, before other threads read.

#include <QJsonObject>
#include <QString>

class OvProductInfo {
public:
    static OvProductInfo* instance();

    QString productName(const QString& lang = QString()) const;
    QString productNativeName(const QString& lang = QString()) const;
    QString productVersion(const QString& lang = QString()) const;
    QString productID() const;
    QString brand() const;
    QString affiliateID() const;
    QString companyFullName() const;
    QString defaultSkin() const;
    QString GUID(const QString& lang = QString()) const;
    // A product parameter, empty when the product has none.
    QString extendParam(const QString& key, const QString& lang = QString()) const;

    // Replaces the product information with the JSON file at `path`; false when unreadable.
    bool loadFrom(const QString& path);
    // Sets or overrides one product parameter (tests and start-up options).
    void setExtendParam(const QString& key, const QString& value);

private:
    OvProductInfo();
    QString field(const char* name) const;
    QJsonObject m_info;
    QJsonObject m_params;
};
