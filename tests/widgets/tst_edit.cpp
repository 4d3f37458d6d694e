#include "TestMain.h"

#include "widgets/CustomFeedbackLineEdit.h"
#include "widgets/CustomTextEdit.h"
#include "widgets/SearchEdit.h"

#include <QAction>
#include <QTest>
#include <type_traits>

namespace {
// Grabs the widget; `withTip` decides whether the hint is set.
template <class Edit>
QImage grabEdit(const QString& text, bool withTip, const QString& tip)
{
    Edit edit;
    edit.resize(320, 90);
    if (withTip)
        edit.setTipText(tip);
    edit.show();
    QTest::keyClicks(&edit, text);
    return edit.grab().toImage();
}

template <class Edit>
void checkTipOnlyWhileEmpty(const QString& tip)
{
    // Empty: the hint is painted.
    QVERIFY(grabEdit<Edit>(QString(), true, tip) != grabEdit<Edit>(QString(), false, tip));
    // With text: nothing of the hint shows.
    QCOMPARE(grabEdit<Edit>(QStringLiteral("typed"), true, tip), grabEdit<Edit>(QStringLiteral("typed"), false, tip));

    // Emptied again: the hint comes back.
    Edit edit;
    edit.resize(320, 90);
    edit.setTipText(tip);
    // Typing shows the text cursor of a text edit; it is no part of what is compared here.
    if constexpr (std::is_base_of_v<QTextEdit, Edit>)
        edit.setCursorWidth(0);
    edit.show();
    const QImage empty = edit.grab().toImage();
    QTest::keyClicks(&edit, QStringLiteral("ab"));
    QVERIFY(edit.grab().toImage() != empty);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.grab().toImage(), empty);
}
} // namespace

class EditTest : public QObject {
    Q_OBJECT

private slots:
    void tipOnlyWhileEmpty()
    {
        checkTipOnlyWhileEmpty<CustomFeedbackLineEdit>(QStringLiteral("Enter your email address here"));
        checkTipOnlyWhileEmpty<CustomTextEdit>(QStringLiteral("Tips:\nPlease leave any comment here."));
    }

    void searchEditShowsItsIcon()
    {
        SearchEdit edit(nullptr);
        QAction* action = edit.findChild<QAction*>(QStringLiteral("actSearchIcon"));
        QVERIFY(action);
        // The icon is drawn from the compiled-in picture: it must not come out blank.
        const QImage icon = action->icon().pixmap(16, 16).toImage();
        QVERIFY(!icon.isNull());
        bool inked = false;
        for (int y = 0; y < icon.height() && !inked; ++y)
            for (int x = 0; x < icon.width() && !inked; ++x)
                inked = qAlpha(icon.pixel(x, y)) > 128;
        QVERIFY(inked);
    }
};

SR_TEST(EditTest)
#include "tst_edit.moc"
