#include "platform/ui/qt_prompter.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace pelldrake;

// The real message boxes and file dialogs, driven while they are open.
class PrompterTest : public QObject {
    Q_OBJECT

private:
    // Runs steps on the open box once its loop is running.
    static void WhileOpen(std::function<void(QMessageBox*)> steps) {
        QTimer::singleShot(0, [steps] { steps(qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); });
    }

private slots:
    void questionWithoutCancelMustBeAnswered() {
        QtPrompter prompter;
        bool stayedOpen = false;
        WhileOpen([&stayedOpen](QMessageBox* box) {
            QTest::keyClick(box, Qt::Key_Escape);
            box->close();
            stayedOpen = box->isVisible();
            box->button(QMessageBox::Yes)->click();
        });
        QCOMPARE(prompter.Ask("q", PromptButtons::YesNo, PromptIcon::Question), PromptAnswer::Yes);
        QVERIFY(stayedOpen);

        WhileOpen([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(prompter.Ask("q", PromptButtons::OkCancel, PromptIcon::Question), PromptAnswer::Cancel);
        WhileOpen([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(prompter.Ask("q", PromptButtons::YesNoCancel, PromptIcon::Question), PromptAnswer::Cancel);
    }

    void everyFileTypeListsNamesWithoutADotAndShowsItsLabelAsWritten() {
        const std::vector<FileTypeEntry> types{{QString::fromUtf8("画像(*.jpg)"), "*.jpg;*.png"},
                                               {QString::fromUtf8("全てのファイル(*.*)"), "*.*"}};
        const QStringList filters = NameFiltersFor(types);
        QCOMPARE(filters.size(), 2);
        QVERIFY(filters[1].endsWith(QLatin1String("(*)")));
        QVERIFY(filters[0].endsWith(QLatin1String("(*.jpg *.png)")));

        QFileDialog dialog;
        ApplyFileTypes(dialog, types);
        QVERIFY(dialog.testOption(QFileDialog::HideNameFilterDetails));
        QCOMPARE(dialog.selectedNameFilter(), types[0].label); // the label alone, as written
    }
};

QTEST_MAIN(PrompterTest)
#include "tst_prompter.moc"
