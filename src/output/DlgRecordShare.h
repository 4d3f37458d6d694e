#pragma once
// Offers one button per sharing site whose address the product supplies (product
// parameters "YouTubeUrl", "FacebookRUrl", ...) and opens the chosen site in the browser.

#include "OvDialogBase.h"

#include <QUrl>
#include <functional>
#include <memory>

namespace Ui {
class DlgRecordShare;
}

class DlgRecordShare : public OvDialogBase {
    Q_OBJECT
public:
    explicit DlgRecordShare(QWidget* parent);
    ~DlgRecordShare() override;

    // How site addresses are opened; the default hands them to the desktop's browser.
    // Tests replace it; an empty function restores the default.
    using UrlOpener = std::function<bool(const QUrl& url)>;
    static void setUrlOpener(UrlOpener opener);

public slots:
    // Opens the address of the site whose button was clicked, then closes the dialog.
    void openShare();

private:
    std::unique_ptr<Ui::DlgRecordShare> ui;
};
