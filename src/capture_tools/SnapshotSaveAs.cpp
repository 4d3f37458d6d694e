#include "SnapshotSaveAs.h"

#include "Log.h"
#include "OvFileDialog.h"
#include "OvFileUtils.h"
#include "SnapshotFile.h"
#include "services/FileSystemUtils.h"
#include "services/Utils.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace {
const char* const kModule = "SnapshotSaveAs";

QString tr(const char* text) { return QCoreApplication::translate("SnapshotSaveAs", text); }
} // namespace

SnapshotSaveAs::Result SnapshotSaveAs::ask(const QString& filePath, const QString& fileFmt)
{
    const QString filters = QStringLiteral("PNG (*.png);;JPEG (*.jpg *.jpeg);;BMP (*.bmp);;GIF (*.gif);;TIFF (*.tiff);;"
                                           "Images (*.png *.jpeg *.bmp *.gif *.tiff)");
    const QString suffix = QFileInfo(filePath).suffix();
    QString folder = Utils::getSnapshotPath();
    Result result;
    while (QFileInfo::exists(filePath)) {
        Utils::ensureExists(folder);
        QString selected = fileFmt;
        // The dialog asks before a name that is taken is used: past it, the file is replaced.
        QString target = OvFileDialog::getSaveFileName(
            nullptr, tr("Save as..."), FileSystemUtils::freeFilePath(folder, SnapshotFile::plainBaseName(filePath), suffix),
            filters, &selected);
        if (target.isEmpty()) {
            result.cancelled = true;
            break;
        }
        if (QFileInfo(target).suffix().isEmpty())
            target += QLatin1Char('.') + suffix;
        folder = QFileInfo(target).absolutePath();
        Utils::ensureExists(folder);
        if (!OvFileUtils::isFolderPathWritable(folder)) {
            Utils::showMacWindowMessage(
                MT_WARNING, nullptr,
                tr("\"%1\" is not writable, please select another one.").arg(OvFileUtils::makeOSLikePath(folder)), MB_OK);
            continue;
        }
        // The dialog asked "Replace?" about a name that is taken: only then is the name given
        // to the screenshot, a link at it replaced itself. Anything else at the name, such as a
        // link leading nowhere, is kept.
        const OvFileUtils::ExistingName existing
            = QFileInfo::exists(target) ? OvFileUtils::ExistingName::Replace : OvFileUtils::ExistingName::Keep;
        int failure = 0;
        if (SnapshotFile::exportTo(filePath, target, existing, &failure)) {
            result.target = target;
            break;
        }
        Log(kModule, 2, "could not write %s: %s", qPrintable(target), strerror(failure));
        const QString shown = OvFileUtils::makeOSLikePath(target);
        Utils::showMacWindowMessage(
            MT_WARNING, nullptr,
            failure == EEXIST ? tr("\"%1\" was taken by another file while saving. Please choose another name.").arg(shown)
                              : tr("File exported to \"%1\" failed! Please select another one.").arg(shown),
            MB_OK);
    }
    return result;
}

void SnapshotSaveAs::finish(const QString& filePath, const Result& result)
{
    QFile::remove(filePath);
    if (result.target.isEmpty()) {
        Log(kModule, 1, "screenshot not saved");
        if (!result.cancelled)
            Utils::showMacWindowMessage(MT_WARNING, nullptr, tr("The screenshot to save can no longer be found."), MB_OK);
        return;
    }
    Utils::setSnapshotPath(QFileInfo(result.target).absolutePath());
    SnapshotFile::addToHistory(result.target);
}
