#include "watermark/DlgScreenEditWaterMark.h"
#include "ui_DlgScreenEditWaterMark.h"

#include "watermark/WatermarkEditorFrame.h"

#include <QKeyEvent>

DlgScreenEditWaterMark::DlgScreenEditWaterMark(QWidget* parent)
    : OvDialogBase(parent, Qt::Window, true), ui(new Ui::DlgScreenEditWaterMark)
{
    ui->setupUi(this);
    ensurePolished();
    ui->frmEdit->setDrawBtnOk(true);
    connect(ui->frmEdit, &WatermarkEditorFrame::sgAcceptDlg, this, &QDialog::accept);
    postCreateDerivedDialog(false, false, nullptr);
}

DlgScreenEditWaterMark::~DlgScreenEditWaterMark() = default;

WatermarkEditorFrame* DlgScreenEditWaterMark::getScreenEditWaterMarkFrame() const { return ui->frmEdit; }

void DlgScreenEditWaterMark::keyPressEvent(QKeyEvent* event)
{
    // Escape keeps the placement made so far: it is written already.
    if (event->key() == Qt::Key_Escape) {
        accept();
        return;
    }
    OvDialogBase::keyPressEvent(event);
}
