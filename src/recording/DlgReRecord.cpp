#include "DlgReRecord.h"
#include "core/SettingsKeys.h"

DlgReRecord::DlgReRecord(QWidget* parent)
    : DlgMsgBoxWithCheckbox(parent)
{
    setObjectName(QStringLiteral("DlgReRecord"));
    setText(tr("Record again? The current recording will be discarded."));
    setButtonTexts(tr("Record Again"), tr("Cancel"));
}

QString DlgReRecord::registerKey() const { return QLatin1String(SettingsKeys::kReRecordAnswer); }
