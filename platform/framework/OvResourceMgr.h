#pragma once
// Resources, language, skin and the interface zoom factor. GUI thread.

#include <QString>

class OvResourceMgr {
public:
    static OvResourceMgr* instance();

    // Interface zoom factor that fixed pixel sizes are multiplied by; 1.0 unless set
    // (by setZoomDPI or the environment variable SR_ZOOM).
    double getZoomDPI() const;
    void setZoomDPI(double zoom);

    // The resource folder: "<folder of the executable>/../Resources", or SR_RESOURCES_DIR when set.
    QString resourcesPath() const;

    QString language() const;
    void setLanguage(const QString& lang);

    // Loads the skin's style sheet (resources/skins/<name>.qss, compiled-in default as a
    // fallback) and applies it to the whole application. False when no style sheet exists.
    bool setSkin(const QString& name);
    QString currentSkin() const;
    // The style sheet text of a skin, empty when unknown.
    QString skinStyleSheet(const QString& name) const;

private:
    OvResourceMgr();
    double m_zoom = 1.0;
    QString m_language = QStringLiteral("en");
    QString m_skin;
};
