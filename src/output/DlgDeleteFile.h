#pragma once
// Confirmation before history entries are removed. "Delete local file" decides whether the
// recordings themselves go to the trash too; the choice is kept in the setting
// "DeleteLocalFile" when the user confirms. GUI thread.

#include "OvDialogBase.h"

#include <memory>

namespace Ui {
class DlgDeleteFile;
}

class DlgDeleteFile : public OvDialogBase {
    Q_OBJECT
public:
    explicit DlgDeleteFile(QWidget* parent);
    ~DlgDeleteFile() override;

    // The setting "DeleteLocalFile" (default true).
    static bool isDeleteLocalFile();

public slots:
    // Stores the check box under "DeleteLocalFile", then closes accepted.
    void accept() override;

private:
    std::unique_ptr<Ui::DlgDeleteFile> ui;
};
