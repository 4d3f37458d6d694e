#pragma once
// Offers one button per sharing site whose address the product supplies (product
// parameters "YouTubeUrl", "FacebookRUrl", ...) and opens the chosen site in the browser
// (through PlatformSeam). GUI thread.

#include "OvDialogBase.h"

#include <memory>

namespace Ui {
class DlgRecordShare;
}

class DlgRecordShare : public OvDialogBase {
    Q_OBJECT
public:
    explicit DlgRecordShare(QWidget* parent);
    ~DlgRecordShare() override;

public slots:
    // Opens the address of the site whose button was clicked, then closes the dialog.
    void openShare();

private:
    std::unique_ptr<Ui::DlgRecordShare> ui;
};
