#include "DlgDeleteFile.h"

#include "core/SettingsKeys.h"
#include "ui_DlgDeleteFile.h"

#include "OvProductInfo.h"
#include "OvSettings.h"

namespace {
const QString kDeleteLocalFileKey = QLatin1String(SettingsKeys::kDeleteLocalFile);
}

DlgDeleteFile::DlgDeleteFile(QWidget* parent)
    : OvDialogBase(parent)
    , ui(new Ui::DlgDeleteFile)
{
    ui->setupUi(this);
    setWindowTitle(OvProductInfo::instance()->productName(QString()));
    connect(ui->btnOk, &QPushButton::clicked, this, &DlgDeleteFile::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &DlgDeleteFile::reject);
    ui->chbDelete->setChecked(isDeleteLocalFile());
    postCreateDerivedDialog(true, false, nullptr);
}

DlgDeleteFile::~DlgDeleteFile() = default;

bool DlgDeleteFile::isDeleteLocalFile()
{
    return OvSettings::instance()->applicationParam(kDeleteLocalFileKey, true).toBool();
}

void DlgDeleteFile::accept()
{
    OvSettings::instance()->setApplicationParam(kDeleteLocalFileKey, ui->chbDelete->isChecked());
    OvDialogBase::accept();
}
