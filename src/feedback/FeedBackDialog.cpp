#include "FeedBackDialog.h"

#include "core/SettingsKeys.h"
#include "ui_FeedBackDialog.h"

#include "Log.h"
#include "OvFileDialog.h"
#include "OvFileUtils.h"
#include "OvMessageBox.h"
#include "OvPrivateFiles.h"
#include "OvProductInfo.h"
#include "OvSettings.h"
#include "feedback/FeedbackPacker.h"
#include "feedback/FeedbackSender.h"
#include "feedback/FeedbackTask.h"
#include "services/Utils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const char* const kAttachmentDirKey = SettingsKeys::kFeedbackAttachmentDir;
QString g_helperFolder;
} // namespace

bool FeedBackDialog::s_feedbackShowing = false;

void FeedBackDialog::showFeedBack(QWidget* parent)
{
    if (s_feedbackShowing)
        return;
    s_feedbackShowing = true;
    auto* dialog = new FeedBackDialog(parent);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->exec();
    s_feedbackShowing = false;
    delete dialog;
}

FeedBackDialog::FeedBackDialog(QWidget* parent)
    : OvDialogBase(parent, Qt::WindowFlags(), false)
    , m_ui(new Ui::FeedBackDialog)
{
    m_ui->setupUi(this);
    m_ui->leFeedbackEmail->setAttribute(Qt::WA_MacShowFocusRect, false);
    // The window type must stay: without it a dialog with a parent becomes a child widget.
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    m_ui->chkAttachLog->setChecked(true);
    m_ui->lblLog->setText(QStringLiteral("log.log"));
    m_ui->lblAddAttach->setText(QStringLiteral("<a href=\"#attach\">%1</a>").arg(tr("Add attachment")));
    m_ui->leFeedbackEmail->setTipText(tr("Enter your email address here"));
    m_ui->txtFeedbackContentsEdit->setTipText(
        tr("Tips:") + QLatin1Char('\n')
        + tr("Please leave any comment, suggestion or error you encountered here. The more information you "
             "provide, the more likely we will solve the problem."));

    connect(m_ui->btnSubmit, &QPushButton::clicked, this, &FeedBackDialog::onSubmit);
    connect(m_ui->leFeedbackEmail, &QLineEdit::textEdited, this, &FeedBackDialog::onEmailChanged);
    connect(m_ui->lblAddAttach, &QLabel::linkActivated, this, &FeedBackDialog::onAddAttachment);
    connect(m_ui->chkAttachLog, &QCheckBox::stateChanged, this, &FeedBackDialog::onLogStateChanged);

    m_task = new FeedbackTask;
    postCreateDerivedDialog(true, false, nullptr);
}

FeedBackDialog::~FeedBackDialog()
{
    delete m_task;
    delete m_ui;
}

bool FeedBackDialog::isEmailValid(const QString& address)
{
    const int at = address.indexOf(QLatin1Char('@'));
    return at >= 1 && at < address.length() - 1;
}

bool FeedBackDialog::isEmailValid() const { return isEmailValid(m_ui->leFeedbackEmail->text()); }

void FeedBackDialog::setHelperFolder(const QString& folder) { g_helperFolder = folder; }

QString FeedBackDialog::helperFolder()
{
    return g_helperFolder.isEmpty() ? QCoreApplication::applicationDirPath() : g_helperFolder;
}

QString FeedBackDialog::getFeedbackFilePath()
{
    const QString folder = Utils::getAppDataLocation() + QStringLiteral("/feedback");
    Utils::ensurePrivate(folder);
    QString path = folder + QStringLiteral("/fb.cnf");
    for (int n = 1; QFileInfo::exists(path); ++n)
        path = folder + QStringLiteral("/fb_%1.cnf").arg(n);
    return path;
}

void FeedBackDialog::onEmailChanged(const QString& text)
{
    QString cleaned = text.simplified();
    cleaned.remove(QLatin1Char(' '));
    if (cleaned != text)
        m_ui->leFeedbackEmail->setText(cleaned);
    m_ui->lblEmailError->clear();
}

QStringList FeedBackDialog::attachmentPaths() const
{
    QStringList paths;
    for (const QVariant& path : m_ui->cmbAttachs->getAllTextData())
        paths << path.toString();
    return paths;
}

void FeedBackDialog::onAddAttachment()
{
    const QString startDir
        = OvSettings::instance()
              ->applicationParam(QLatin1String(kAttachmentDirKey),
                                 QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
              .toString();
    // "*": on Linux "*.*" would hide every file without a dot in its name.
    const QStringList chosen
        = OvFileDialog::getOpenFileNames(this, tr("Attach File(s)."), startDir, tr("All Files(*)"));
    if (chosen.isEmpty())
        return;
    OvSettings::instance()->setApplicationParam(QLatin1String(kAttachmentDirKey),
                                                QFileInfo(chosen.first()).absolutePath());

    qint64 total = 0;
    for (const QString& path : attachmentPaths() + chosen)
        total += QFileInfo(path).size();
    if (total > kMaxAttachmentBytes) {
        Utils::showMacWindowMessage(
            MT_INFO, this, tr("The maximum size of the attachment is 15MB. Your file size is larger than 15 MB."),
            MB_OK);
        return;
    }
    for (const QString& path : chosen)
        m_ui->cmbAttachs->addText(QFileInfo(path).fileName(), path);
    m_ui->cmbAttachs->adjustSize();
}

void FeedBackDialog::onSubmit()
{
    if (isEmailValid())
        submit();
    else
        m_ui->lblEmailError->setText(tr("Invalid email address!"));
}

void FeedBackDialog::onRadioTechStateChanged(bool checked) { m_ui->chkAttachLog->setChecked(checked); }

void FeedBackDialog::onRadioStateChanged(bool checked)
{
    if (checked)
        m_ui->chkAttachLog->setChecked(false);
}

void FeedBackDialog::onLogStateChanged(int state) { m_ui->lblLog->setVisible(state == Qt::Checked); }

void FeedBackDialog::fillRequest()
{
    OvProductInfo* product = OvProductInfo::instance();
    m_task->setFeedbackUrl(product->extendParam(QStringLiteral("feedbackUrl"), QString()));
    m_task->setBrandName(product->brand());
    m_task->setProduct(product->productID().toInt(nullptr, 10));
    m_task->setProductName(product->productName(QString()));
    m_task->setProducVersion(product->productVersion(QString()));
    m_task->setAffiliateId(product->affiliateID());
    m_task->setType(3);
    m_task->setLevel(2);
    m_task->setEmail(m_ui->leFeedbackEmail->text());
    m_task->setContent(m_ui->txtFeedbackContentsEdit->toPlainText());
    m_task->setLogFile(QString());
}

void FeedBackDialog::discardRequestFiles(const QString& archivePath)
{
    if (!archivePath.isEmpty())
        QFile::remove(archivePath);
    QFile::remove(m_strFeedbackFilePath);
}

void FeedBackDialog::submit()
{
    fillRequest();
    QStringList nodes{QStringLiteral("brand_id"), QStringLiteral("product_id"), QStringLiteral("product_version"),
                      QStringLiteral("product_name"), QStringLiteral("affiliate_id"), QStringLiteral("os"),
                      QStringLiteral("type"), QStringLiteral("level"), QStringLiteral("email"),
                      QStringLiteral("content")};
    m_strFeedbackFilePath = getFeedbackFilePath();

    QString archivePath;
    if (m_ui->chkAttachLog->isChecked() || m_ui->cmbAttachs->count() > 0) {
        const QString candidate = m_strFeedbackFilePath + QStringLiteral(".log.7z");
        if (make7zFile(candidate)) {
            archivePath = candidate;
            m_task->setLogFile(archivePath);
            nodes << QStringLiteral("log_file");
            Log("FeedBack", 1, "LogFileSeted : %s", archivePath.toUtf8().constData());
        } else {
            const int answer = Utils::showMacWindowMessage(
                MT_QUESTION, this,
                tr("The log files and attachments could not be packed. Send the feedback without them?"),
                MB_OKCANCEL);
            if (answer != OvMessageBox::Ok)
                return;
        }
    }

    m_task->setNeedSendNodes(nodes);
    QByteArray text;
    m_task->saveTo(text);
    // A new private file takes the free name: nothing that has it is written through or replaced.
    QString why;
    if (!OvFileUtils::writeNewFile(m_strFeedbackFilePath, text, OvFileUtils::ExistingName::Keep, &why,
                                   OvPrivateFiles::kFileMode)) {
        Log("FeedBack", 2, "cannot write %s: %s", m_strFeedbackFilePath.toUtf8().constData(), why.toUtf8().constData());
        discardRequestFiles(archivePath);
        Utils::showMacWindowMessage(MT_ERROR, this,
                                    tr("The feedback could not be saved to \"%1\" (%2). Please try again.")
                                        .arg(QDir::toNativeSeparators(m_strFeedbackFilePath), why),
                                    MB_OK);
        return;
    }
    Log("FeedBack", 1, "startProcess");
    if (!startProcess()) {
        // Nothing will send these files: take them back so that a retry starts clean.
        discardRequestFiles(archivePath);
        Utils::showMacWindowMessage(
            MT_ERROR, this,
            tr("The feedback could not be sent because the program \"%1\" could not be started.")
                .arg(QDir::toNativeSeparators(helperFolder() + QStringLiteral("/Launcher"))),
            MB_OK);
        return;
    }
    accept();
}

bool FeedBackDialog::make7zFile(const QString& archivePath)
{
    QStringList files;
    if (m_ui->chkAttachLog->isChecked())
        files << FeedbackPacker::logFiles();
    for (const QString& path : FeedbackPacker::existingUnique(attachmentPaths()))
        if (!files.contains(path))
            files << path;
    return FeedbackPacker::pack(FeedbackPacker::find7z(helperFolder()), archivePath, files);
}

bool FeedBackDialog::startProcess() { return FeedbackSender::instance()->send(helperFolder(), m_strFeedbackFilePath); }
