#include "OvFileDialog.h"

#include "OvModalHook.h"

#include <QFileDialog>

namespace {
QVariant ask(OvModalRequest::Kind kind, const QString& title, const QString& start, const QString& filter,
             const QString& selected = QString())
{
    OvModalRequest request;
    request.kind = kind;
    request.title = title;
    request.text = start;
    request.filter = filter;
    request.value = selected;
    return OvModalHook::answer(request);
}
} // namespace

QString OvFileDialog::getExistingDirectory(QWidget* parent, const QString& title, const QString& startDir)
{
    if (OvModalHook::isActive())
        return ask(OvModalRequest::Directory, title, startDir, QString()).toString();
    return QFileDialog::getExistingDirectory(parent, title, startDir);
}

QString OvFileDialog::getSaveFileName(QWidget* parent, const QString& title, const QString& startPath,
                                      const QString& filter, QString* selectedFilter)
{
    if (OvModalHook::isActive())
        return ask(OvModalRequest::SaveFile, title, startPath, filter,
                   selectedFilter ? *selectedFilter : QString())
            .toString();
    return QFileDialog::getSaveFileName(parent, title, startPath, filter, selectedFilter);
}

QString OvFileDialog::getOpenFileName(QWidget* parent, const QString& title, const QString& startDir,
                                      const QString& filter)
{
    if (OvModalHook::isActive()) {
        const QStringList files = ask(OvModalRequest::OpenFiles, title, startDir, filter).toStringList();
        return files.value(0);
    }
    return QFileDialog::getOpenFileName(parent, title, startDir, filter);
}

QStringList OvFileDialog::getOpenFileNames(QWidget* parent, const QString& title, const QString& startDir,
                                           const QString& filter)
{
    if (OvModalHook::isActive())
        return ask(OvModalRequest::OpenFiles, title, startDir, filter).toStringList();
    return QFileDialog::getOpenFileNames(parent, title, startDir, filter);
}
