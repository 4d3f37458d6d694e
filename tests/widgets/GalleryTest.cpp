#include "TestMain.h"

#include "OvResourceMgr.h"
#include "widgets/CustomCombox.h"
#include "widgets/CustomFeedbackLineEdit.h"
#include "widgets/CustomTextEdit.h"
#include "widgets/FfSwitchButton.h"
#include "widgets/OvAutoMoveScrollArea.h"
#include "widgets/OvComboboxViewItemDelegate.h"
#include "widgets/OvSlider.h"
#include "widgets/SearchEdit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>

// All common widgets in one window, as a user sees them with the default skin. The picture
// is written to $SR_SHOT_DIR/widgets.png when that variable is set.
class GalleryTest : public QObject {
    Q_OBJECT

private:
    static QImage grabPopup(QComboBox* combo, int hoveredRow)
    {
        combo->showPopup();
        QWidget* popup = combo->view()->window();
        if (!QTest::qWaitFor([popup] { return popup->isVisible(); }))
            return QImage();
        if (hoveredRow >= 0)
            combo->view()->setCurrentIndex(combo->model()->index(hoveredRow, 0));
        const QImage image = popup->grab().toImage();
        combo->hidePopup();
        return image;
    }

private slots:
    void initTestCase() { QVERIFY(OvResourceMgr::instance()->setSkin(QStringLiteral("default"))); }

    void gallery()
    {
        QWidget window;
        window.setObjectName(QStringLiteral("gallery"));
        window.setStyleSheet(QStringLiteral("#gallery { background-color: #f5f6f8; }"));
        auto* form = new QFormLayout(&window);
        form->setContentsMargins(16, 16, 16, 16);
        form->setVerticalSpacing(12);

        auto* switches = new QWidget;
        auto* switchRow = new QHBoxLayout(switches);
        switchRow->setContentsMargins(0, 0, 0, 0);
        auto* on = new FfSwitchButton;
        on->setBtnChecked(true);
        switchRow->addWidget(new FfSwitchButton);
        switchRow->addWidget(on);
        switchRow->addStretch();
        form->addRow(QStringLiteral("Switch (off, on):"), switches);

        auto* combo = new QComboBox;
        combo->addItems({QStringLiteral("MP4"), QStringLiteral("MOV"), QStringLiteral("GIF")});
        auto* delegate = new OvComboboxViewItemDelegate(combo);
        delegate->setTextColorH(QColor("#ffffff"));
        delegate->setTextColorN(QColor("#1f2329"));
        delegate->setBacColorH(QColor("#4f7cff"));
        delegate->setBacColorN(QColor("#ffffff"));
        combo->setItemDelegate(delegate);
        form->addRow(QStringLiteral("Combo box:"), combo);

        auto* slider = new OvSlider(Qt::Horizontal);
        slider->setRange(0, 100);
        slider->setValue(35);
        form->addRow(QStringLiteral("Slider:"), slider);

        auto* search = new SearchEdit(nullptr);
        search->setPlaceholderText(QStringLiteral("Search"));
        form->addRow(QStringLiteral("Search:"), search);

        auto* attachments = new CustomCombox;
        attachments->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        attachments->addText(QStringLiteral("screen-2026-12-06.log"), QStringLiteral("/tmp/a.log"));
        attachments->addText(QStringLiteral("capture.png"), QStringLiteral("/tmp/capture.png"));
        form->addRow(QStringLiteral("Attachments:"), attachments);

        auto* email = new CustomFeedbackLineEdit;
        email->setTipText(QStringLiteral("Enter your email address here"));
        form->addRow(QStringLiteral("E-mail:"), email);

        auto* text = new CustomTextEdit;
        text->setTipText(QStringLiteral("Tips:\nPlease leave any comment, suggestion or error you encountered here."));
        text->setFixedHeight(80);
        form->addRow(QStringLiteral("Feedback:"), text);

        auto* area = new OvAutoMoveScrollArea;
        area->setWidgetResizable(true);
        area->setFixedHeight(90);
        auto* contents = new QWidget;
        auto* column = new QVBoxLayout(contents);
        QList<QLabel*> pages;
        for (int i = 1; i <= 5; ++i) {
            auto* page = new QLabel(QStringLiteral("Page %1").arg(i));
            page->setFixedHeight(60);
            page->setStyleSheet(QStringLiteral("background-color: #e8edf7; padding-left: 8px;"));
            column->addWidget(page);
            pages << page;
        }
        area->setWidget(contents);
        form->addRow(QStringLiteral("Scroll area:"), area);

        window.resize(460, window.sizeHint().height());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        area->ensureWidgetVisible(pages[2], 0, 0);
        QTRY_VERIFY(!on->isSliding());

        // Pop-ups are windows of their own: paint them under the form, with the second row of
        // the format list under the cursor.
        const QImage formatPopup = grabPopup(combo, 1);
        const QImage attachmentPopup = grabPopup(attachments, -1);

        const QImage formImage = window.grab().toImage();
        QImage shot(formImage.width(), formImage.height() + formatPopup.height() + attachmentPopup.height() + 70,
                    QImage::Format_ARGB32);
        shot.fill(QColor("#f5f6f8"));
        QPainter painter(&shot);
        painter.setFont(window.font());
        painter.drawImage(0, 0, formImage);
        int top = formImage.height() + 4;
        painter.drawText(16, top + 14, QStringLiteral("Format pop-up (second row under the cursor):"));
        painter.drawImage(16, top + 22, formatPopup);
        top += 22 + formatPopup.height() + 8;
        painter.drawText(16, top + 14, QStringLiteral("Attachments pop-up:"));
        painter.drawImage(16, top + 22, attachmentPopup);
        painter.end();
        QVERIFY(!formatPopup.isNull() && !attachmentPopup.isNull());

        const QString dir = qEnvironmentVariable("SR_SHOT_DIR");
        if (!dir.isEmpty())
            QVERIFY(shot.save(dir + QStringLiteral("/widgets.png")));
    }
};

SR_TEST(GalleryTest)
#include "GalleryTest.moc"
