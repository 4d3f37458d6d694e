#include "SignalsTransfer.h"

#include "services/Utils.h"

#include <QDir>
#include <QFileInfo>

namespace {
SignalsTransfer* g_instance = nullptr;
}

SignalsTransfer* SignalsTransfer::instance()
{
    if (!g_instance)
        g_instance = new SignalsTransfer();
    return g_instance;
}

SignalsTransfer::SignalsTransfer() { qRegisterMetaType<HistoryFileUtils::HistoryFile>(); }

void SignalsTransfer::release()
{
    delete g_instance;
    g_instance = nullptr;
}

void SignalsTransfer::addHistoryFile(const QString& path, int type, const QString& resolution,
                                     const QString& duration, const QString& size)
{
    QString why;
    if (!HistoryFileUtils::addSavefileHistroy(path, type, resolution, duration, size, &why)) {
        const QString text
            = tr("\"%1\" was saved, but its entry in the recording history could not be written (%2). It is shown "
                 "in History and written with the next change once the disk has room, or when the application "
                 "quits.")
                  .arg(QDir::toNativeSeparators(path), why);
        // Told once the caller has returned: it is in the middle of ending a save.
        QMetaObject::invokeMethod(
            this, [text] { Utils::showMacWindowMessage(MT_WARNING, nullptr, text, MB_OK); }, Qt::QueuedConnection);
    }
    HistoryFileUtils::HistoryFile file;
    file.fileName = QFileInfo(path).fileName();
    file.path = path;
    file.type = type;
    file.resolution = resolution;
    file.duration = duration;
    file.size = size;
    emit onAddHistoryFile(file);
}
