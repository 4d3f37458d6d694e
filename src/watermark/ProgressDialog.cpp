#include "watermark/ProgressDialog.h"

#include "ui_ProgressDialog.h"

#include "OvResourceMgr.h"

#include <QDir>
#include <QFileInfo>

ProgressDialog::ProgressDialog(QWidget* parent)
    : OvDialogBase(parent)
    , ui(new Ui::ProgressDialog)
{
    ui->setupUi(this);
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) & ~Qt::WindowCloseButtonHint);
    postCreateDerivedDialog(false, false, nullptr);
    ensurePolished();
    startAnimation();
    setLoadType(0);
}

ProgressDialog::~ProgressDialog() = default;

void ProgressDialog::startAnimation()
{
    if (m_strMoviePath.isEmpty())
        return;
    QString path = m_strMoviePath;
    if (QFileInfo(path).isRelative() && !path.startsWith(QLatin1Char(':')))
        path = OvResourceMgr::instance()->resourcesPath() + QLatin1Char('/') + path;
    m_movie.setFileName(path);
    if (!m_movie.isValid())
        return;
    m_movie.jumpToFrame(0);
    const QSize size = m_movie.currentImage().size();
    if (size.isEmpty())
        return;
    ui->labAnimation->setMovie(&m_movie);
    ui->labAnimation->setFixedSize(size);
    ui->labAnimation->setScaledContents(true);
    m_movie.start();
}

void ProgressDialog::setLoadType(int type)
{
    switch (type) {
    case LoadPictures:
        setMessageText(tr("Loading pictures, please wait..."));
        break;
    case LoadManagement:
        setMessageText(tr("Loading watermark management, please wait..."));
        break;
    case SaveWatermark:
        setMessageText(tr("Creating and saving watermark, please wait..."));
        break;
    default:
        break;
    }
}

QString ProgressDialog::messageText() const { return ui->labMessage->text(); }

void ProgressDialog::setMessageText(const QString& text) { ui->labMessage->setText(text); }
