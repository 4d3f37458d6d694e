#pragma once
// The feedback form: an e-mail address, a text, the log files and attachments. On submit
// it writes a request file into the feedback folder, packs the files with "7z" and hands
// the request to the application's FeedbackSender, which tells the user when it was not
// sent. The dialog itself never sends anything over the network. GUI thread only.

#include "OvDialogBase.h"

#include <QString>
#include <QStringList>

namespace Ui {
class FeedBackDialog;
}
class FeedbackTask;

class FeedBackDialog : public OvDialogBase {
    Q_OBJECT
public:
    // Total size allowed for the attachments, in bytes (15 MiB).
    static constexpr qint64 kMaxAttachmentBytes = 15728640;

    // Opens the dialog window-modal to `parent` and returns when it is closed. A second
    // call while a feedback dialog is open returns at once.
    static void showFeedBack(QWidget* parent);

    explicit FeedBackDialog(QWidget* parent = nullptr);
    ~FeedBackDialog() override;

    // The first address rule: the first "@" stands at index 1 or later and before the last character.
    static bool isEmailValid(const QString& address);
    bool isEmailValid() const;
    // The first free "<data folder>/feedback/fb.cnf", "fb_1.cnf", "fb_2.cnf", ...
    static QString getFeedbackFilePath();
    // Where "7z", "Launcher" and "Feedback" are looked for; default (empty) the application folder.
    static void setHelperFolder(const QString& folder);
    static QString helperFolder();

    // The request file written by the last submit (empty before).
    QString feedbackFilePath() const { return m_strFeedbackFilePath; }

public slots:
    void onEmailChanged(const QString& text);
    void onAddAttachment();
    void onSubmit();
    void onRadioTechStateChanged(bool checked);
    void onRadioStateChanged(bool checked);
    void onLogStateChanged(int state);

protected:
    // Writes, packs and hands over the request; the dialog closes only after a real hand-over.
    void submit();
    // Packs the checked log files and the attachments into `archivePath`; false on failure.
    bool make7zFile(const QString& archivePath);
    // Hands the request file (and those left by earlier sends) to the sender; false when it cannot start.
    bool startProcess();

private:
    void fillRequest();
    QStringList attachmentPaths() const;
    void discardRequestFiles(const QString& archivePath);

    Ui::FeedBackDialog* m_ui = nullptr;
    FeedbackTask* m_task = nullptr;
    QString m_strFeedbackFilePath;

    static bool s_feedbackShowing;
};
