#include "SignalsTransfer.h"

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
    HistoryFileUtils::addSavefileHistroy(path, type, resolution, duration, size);
    HistoryFileUtils::HistoryFile file;
    file.fileName = QFileInfo(path).fileName();
    file.path = path;
    file.type = type;
    file.resolution = resolution;
    file.duration = duration;
    file.size = size;
    emit onAddHistoryFile(file);
}
