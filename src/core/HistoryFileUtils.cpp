#include "HistoryFileUtils.h"

#include "OvSettings.h"
#include "core/SettingsKeys.h"

#include <QFileInfo>
#include <QVariantList>
#include <functional>

namespace {
QVariantList readList()
{
    const QString key = QString::fromLatin1(HistoryFileUtils::settingKey());
    const QVariant stored = OvSettings::instance()->applicationParam(key, QVariant());
    const int type = stored.userType();
    if (stored.isValid() && type != QMetaType::QVariantList && type != QMetaType::QStringList) {
        // Not a history the program wrote: kept aside before the next write replaces it.
        OvSettings::instance()->keepValueAside(key, QStringLiteral("not a list"));
        return QVariantList();
    }
    return stored.toList();
}

bool writeList(const QVariantList& list, QString* error = nullptr)
{
    return OvSettings::instance()->setApplicationParam(QString::fromLatin1(HistoryFileUtils::settingKey()), list,
                                                       error);
}

bool isEntry(const QStringList& fields) { return fields.size() == 3 || fields.size() == 6; }

// The index of the first (newest) valid entry whose path is `path`, -1 when there is none.
int firstMatch(const QVariantList& list, const QString& path)
{
    for (int i = 0; i < list.size(); ++i) {
        const QStringList fields = list.at(i).toStringList();
        if (isEntry(fields) && fields.at(1) == path)
            return i;
    }
    return -1;
}

// Calls `change` on the first (newest) valid entry whose path is `path`, then writes the list back.
void changeFirstMatch(const QString& path, const std::function<void(QVariantList&, int)>& change)
{
    QVariantList list = readList();
    const int i = firstMatch(list, path);
    if (i >= 0)
        change(list, i);
    writeList(list);
}
} // namespace

const char* HistoryFileUtils::settingKey() { return SettingsKeys::kSaveHistory; }

QList<HistoryFileUtils::HistoryFile> HistoryFileUtils::savefileHistroy()
{
    QList<HistoryFile> result;
    for (const QVariant& element : readList()) {
        const QStringList fields = element.toStringList();
        if (!isEntry(fields))
            continue;
        HistoryFile file;
        file.fileName = fields.at(0);
        file.path = fields.at(1);
        file.type = fields.at(2).toInt(nullptr, 10);
        if (fields.size() == 6) {
            file.resolution = fields.at(3);
            file.duration = fields.at(4);
            file.size = fields.at(5);
        }
        result.append(file);
    }
    return result;
}

bool HistoryFileUtils::addSavefileHistroy(const QString& path, int type, const QString& resolution,
                                          const QString& duration, const QString& size, QString* error)
{
    const QStringList entry{QFileInfo(path).fileName(), path, QString::number(type, 10), resolution, duration, size};
    QVariantList list = readList();
    list.prepend(entry);
    return writeList(list, error);
}

void HistoryFileUtils::removeSavefileFromHistory(const QString& path)
{
    changeFirstMatch(path, [](QVariantList& list, int i) { list.removeAt(i); });
}

void HistoryFileUtils::removeSavefilesFromHistory(const QStringList& paths)
{
    QVariantList list = readList();
    for (const QString& path : paths) {
        const int i = firstMatch(list, path);
        if (i >= 0)
            list.removeAt(i);
    }
    writeList(list);
}

void HistoryFileUtils::updateSavefileHistory(const QString& oldPath, const QString& newPath)
{
    changeFirstMatch(oldPath, [&newPath](QVariantList& list, int i) {
        QStringList fields = list.at(i).toStringList();
        fields[0] = QFileInfo(newPath).fileName();
        fields[1] = newPath;
        list[i] = fields;
    });
}
