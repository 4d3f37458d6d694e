#pragma once
// One row of the history list: the file's name, resolution, play length and size, and the
// buttons Play, Rename, Open folder, Share and Delete, plus a marker for a file that no
// longer exists. The buttons are active while the cursor is over the row or the row is
// selected (frozen). GUI thread.

#include "core/HistoryFileUtils.h"

#include <QWidget>
#include <memory>

class QListWidgetItem;

namespace Ui {
class HistoryFileListItemWidget;
}

class HistoryFileListItemWidget : public QWidget {
    Q_OBJECT
    // Pixel width to which the shown name is shortened (in the middle); a narrower name
    // field shortens it further.
    Q_PROPERTY(int maxLength READ maxLength WRITE setMaxLength)
public:
    explicit HistoryFileListItemWidget(QListWidgetItem* item, QWidget* parent = nullptr);
    ~HistoryFileListItemWidget() override;

    void initWithHistoryFile(const HistoryFileUtils::HistoryFile& file);
    // Enables the buttons that apply to the file (true) or disables all actions (false).
    void showDetailButton(bool show);
    // Looks again whether the file exists and updates the marker; returns true when it does.
    bool checkFileExists();
    // The full file name, never its shortened display form.
    QString text() const;
    void setFrozen(bool frozen);
    void updateFileStatus(bool missing, bool showButtons);
    bool fileMissed() const { return m_missing; }
    // The file was renamed to `name` in its folder.
    void updateFileName(const QString& name);
    QString path() const { return m_path; }
    QListWidgetItem* item() const { return m_item; }

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int pixels) { m_maxLength = pixels; }

public slots:
    void setWidth(int width);
    void onFileNameChanged(const QString& text);

signals:
    void requestRename();
    void requestPreview();
    void requestOpen();
    void requestShare();
    void requestRemove();
    // A mouse press on one of the row's buttons or its name.
    void widgetPressed(QListWidgetItem* pItem);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Shows the full name shortened in the middle to fit.
    void showShortenedName();

    std::unique_ptr<Ui::HistoryFileListItemWidget> ui;
    bool m_missing = false;
    bool m_frozen = false;
    QListWidgetItem* m_item = nullptr;
    int m_maxLength = 600;
    QString m_path;
};
