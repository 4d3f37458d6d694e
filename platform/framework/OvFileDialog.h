#pragma once
// File and folder choosers; each returns an empty result when the user cancels. GUI thread.

#include <QString>
#include <QStringList>

class QWidget;

class OvFileDialog {
public:
    static QString getExistingDirectory(QWidget* parent, const QString& title, const QString& startDir);
    static QString getSaveFileName(QWidget* parent, const QString& title, const QString& startPath,
                                   const QString& filter, QString* selectedFilter = nullptr);
    static QString getOpenFileName(QWidget* parent, const QString& title, const QString& startDir,
                                   const QString& filter);
    static QStringList getOpenFileNames(QWidget* parent, const QString& title, const QString& startDir,
                                        const QString& filter);
};
