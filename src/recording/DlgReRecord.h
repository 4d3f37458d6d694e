#pragma once
// Asks before a recording is thrown away and started again. GUI thread.

#include "DlgMsgBoxWithCheckbox.h"

class DlgReRecord : public DlgMsgBoxWithCheckbox {
    Q_OBJECT
public:
    explicit DlgReRecord(QWidget* parent = nullptr);
    // "EndRecord/ReRecordChk" (int; 0 means ask).
    QString registerKey() const override;
};
