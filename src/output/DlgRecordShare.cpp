#include "DlgRecordShare.h"

#include "ui_DlgRecordShare.h"

#include "Log.h"
#include "OvProductInfo.h"
#include "services/PlatformSeam.h"

#include <QToolButton>
#include <QUrl>

namespace {
// The product parameter that holds each site's address, by button. The keys are fixed:
// the tooltips are translated and cannot name a parameter.
const char* const kKeyProperty = "shareKey";
} // namespace

DlgRecordShare::DlgRecordShare(QWidget* parent)
    : OvDialogBase(parent)
    , ui(new Ui::DlgRecordShare)
{
    ui->setupUi(this);
    setWindowTitle(OvProductInfo::instance()->productName(QString()));
    const std::pair<QToolButton*, const char*> sites[] = {
        {ui->btnYoutube, "YouTubeUrl"},       {ui->btnFacebookR, "FacebookRUrl"}, {ui->btnTwitter, "TwitterUrl"},
        {ui->btnGooglePlus, "GooglePlusUrl"}, {ui->btnVimo, "VimoUrl"},           {ui->btnIns, "InstagramUrl"},
        {ui->btnFlickr, "FlickrUrl"},         {ui->btnQQ, "QQUrl"},               {ui->btnWechat, "WeChatUrl"},
        {ui->btnPanbaidu, "PanBaiduUrl"},     {ui->btnDouyin, "DouYinUrl"},       {ui->btnWeibo, "WeiboUrl"},
        {ui->btnWeiyun, "WeiYunUrl"},         {ui->btnWeishi, "WeiShiUrl"},       {ui->btnKuaishou, "KuaiShouUrl"},
        {ui->btnDingtalk, "DingTalkUrl"},     {ui->btnWorkwechat, "WorkWeChatUrl"},
    };
    for (const auto& site : sites) {
        site.first->setProperty(kKeyProperty, QString::fromLatin1(site.second));
        connect(site.first, &QToolButton::clicked, this, &DlgRecordShare::openShare);
    }
    for (const auto& site : sites) {
        const QString url = OvProductInfo::instance()->extendParam(QString::fromLatin1(site.second), QString());
        site.first->setVisible(!url.isEmpty());
    }
    postCreateDerivedDialog(true, false, nullptr);
}

DlgRecordShare::~DlgRecordShare() = default;

void DlgRecordShare::openShare()
{
    const QObject* button = sender();
    if (!button)
        return;
    const QString key = button->property(kKeyProperty).toString();
    const QUrl url(OvProductInfo::instance()->extendParam(key, QString()));
    const bool opened = PlatformSeam::current()->openUrl(url);
    if (!opened)
        Log("DlgRecordShare", 2, "could not open the share address of %s", qPrintable(key));
    close();
}
