#pragma once
// Picture import of the watermark manager: lets the user choose a picture and copies it
// into the watermark folder, scaled down to fit a 1920x1080 frame when it has more pixels.
// The picture the record used until now is left alone: the manager deletes replaced
// pictures only when the change is saved. GUI thread.

#include <QSize>
#include <QString>

class QWidget;

class WaterMarkPictureImport {
public:
    // The file chooser's filter (every format read through Qt's image plug-ins).
    static QString supportedFilter();
    // The settings key of the last picture chosen.
    static QString lastSelectionKey();

    // The size a picture of `size` is stored at: unchanged up to 1920x1080 pixels in
    // total, otherwise scaled to fit inside 1920x1080 keeping its proportions.
    static QSize scaledImportSize(const QSize& size);

    // Asks for a picture (starting at the last choice) and imports it. False, changing
    // nothing, when the choice is cancelled, is `currentPath` again or has vanished; false
    // after a message when the file is not a picture. True with `newPath` set to the copy,
    // or to the chosen file itself when it could not be copied.
    static bool onSaveLineEditFile(QWidget* parent, const QString& currentPath, QString* newPath);

    // Copies (or scales) a readable picture into the watermark folder. Empty when `file`
    // is not a picture or nothing could be written. A scaled copy whose format has no
    // writer is stored as PNG.
    static QString importPicture(const QString& file);
};
