// What every editor dialog gets from its base: Enter presses OK, a refused OK keeps the dialog
// open with the keyboard on the edit to put right, OK and Cancel follow the dialog's own controls
// in the keyboard order, and a dialog that never placed them leaves nothing behind.
#include "korvid/editor/ui/editor_dialog.h"
#include "korvid/ui/bitmap_button.h"

#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace korvid;

namespace {

// One edit and a verdict the test sets, standing for a dialog's model.
class OneEditDialog : public CEditorDialog
{
public:
    explicit OneEditDialog(bool place_buttons = true)
        : CEditorDialog(QStringLiteral("One edit"), nullptr)
    {
        m_edit = new QLineEdit(QStringLiteral("12345"));
        if (!place_buttons)
            return;
        auto* all = new QVBoxLayout(this);
        all->addWidget(m_edit);
        all->addLayout(ok_cancel_row());
    }
    void sync() override {}
    QLineEdit* edit() const { return m_edit; }

    bool accepts = false;
    bool names_edit = true;
    int asked = 0;

private:
    bool model_ok() override
    {
        ++asked;
        return accepts;
    }
    QLineEdit* edit_to_fix() const override { return names_edit ? m_edit : nullptr; }

    QLineEdit* m_edit;
};

} // namespace

class EditorDialogTest : public QObject
{
    Q_OBJECT
private slots:
    void enter_presses_ok_and_a_refusal_selects_the_named_edit()
    {
        OneEditDialog dlg;
        dlg.show();
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        dlg.ok_button()->setFocus();
        QTRY_VERIFY(dlg.ok_button()->hasFocus());

        QTest::keyClick(&dlg, Qt::Key_Return);
        QCOMPARE(dlg.asked, 1);
        QVERIFY(dlg.isVisible());
        QTRY_VERIFY(dlg.edit()->hasFocus());
        QCOMPARE(dlg.edit()->selectedText(), QStringLiteral("12345"));

        // No edit named: the keyboard stays where it was.
        dlg.names_edit = false;
        dlg.ok_button()->setFocus();
        QTRY_VERIFY(dlg.ok_button()->hasFocus());
        QTest::keyClick(&dlg, Qt::Key_Enter);
        QCOMPARE(dlg.asked, 2);
        QVERIFY(dlg.ok_button()->hasFocus());

        QSignalSpy accepted(&dlg, &QDialog::accepted);
        dlg.accepts = true;
        QTest::keyClick(&dlg, Qt::Key_Return);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void cancel_rejects_without_asking_the_model()
    {
        OneEditDialog dlg;
        dlg.show();
        // Shown, a dialog keeps the size it opened with: nothing to maximise.
        QCOMPARE(dlg.minimumSize(), dlg.size());
        QCOMPARE(dlg.maximumSize(), dlg.size());
        QSignalSpy rejected(&dlg, &QDialog::rejected);
        dlg.cancel_button()->click();
        QCOMPARE(rejected.count(), 1);
        QCOMPARE(dlg.asked, 0);
    }

    void ok_and_cancel_come_after_the_dialogs_own_controls()
    {
        OneEditDialog dlg;
        QCOMPARE(dlg.edit()->nextInFocusChain(), dlg.ok_button());
        QCOMPARE(dlg.ok_button()->nextInFocusChain(), dlg.cancel_button());
        QCOMPARE(dlg.ok_button()->size(), QSize(CEditorDialog::BUTTON_WIDTH, CEditorDialog::BUTTON_HEIGHT));
    }

    void buttons_never_placed_go_with_the_dialog()
    {
        QPointer<CBitmapButton> ok;
        QPointer<CBitmapButton> cancel;
        {
            OneEditDialog dlg(false);
            ok = dlg.ok_button();
            cancel = dlg.cancel_button();
            delete dlg.edit();
        }
        QVERIFY(ok.isNull());
        QVERIFY(cancel.isNull());
    }
};

QTEST_MAIN(EditorDialogTest)
#include "editor_dialog_test.moc"
