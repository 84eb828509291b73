#include "resources/menu_table.h"
#include "resources/side_dialog_templates.h"
#include "support/board_fixture.h"
#include "support/test_images.h"
#include "tools/ui/auto_classify_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace pelldrake;
using pelldrake::testing::BoardFixture;

namespace {

// A sidecar as an editor leaves it: the decision beside other properties.
QByteArray Sidecar(int rating, const char* label = nullptr) {
    QByteArray text =
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
        "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
        "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmlns:crs=\"http://ns.adobe.com/camera-raw-settings/1.0/\" "
        "crs:Exposure2012=\"+0.35\" xmp:Rating=\"" +
        QByteArray::number(rating) + "\"";
    if (label)
        text += QByteArray(" xmp:Label=\"") + label + "\"";
    return text + "/></rdf:RDF></x:xmpmeta>";
}

} // namespace

// Ratings and labels that cameras and editors left in the files, read when the bulk
// classification asks for them.
class DecisionsTest : public QObject {
    Q_OBJECT

private:
    BoardFixture fixture;

    // Runs the bulk classification; act drives its dialog and closes it.
    void Classify(std::function<void(AutoClassifyDialog*)> act) {
        QTimer::singleShot(0, [act] {
            auto* dialog = qobject_cast<AutoClassifyDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                qFatal("no bulk classification dialog");
            act(dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        fixture.board->RunCommand(menu_ids::kAutoClassify);
    }
    static void Click(AutoClassifyDialog* dialog, int id) { QTest::mouseClick(dialog->control(id), Qt::LeftButton); }
    // Steps a drop-down from its first choice with the keyboard.
    static void Choose(AutoClassifyDialog* dialog, int id, int choice) {
        auto* list = qobject_cast<QComboBox*>(dialog->control(id));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < choice; ++i)
            QTest::keyClick(list, Qt::Key_Down);
    }
    static void Confirm(AutoClassifyDialog* dialog) {
        // Enter on a check box presses the default button, "実行".
        dialog->control(ids::kRatingFilterOn)->setFocus();
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    }

private slots:
    void init() { fixture.Reset(); }
    void cleanup() { fixture.board.reset(); }

    void ratingsAndLabelsFromCameraAndSidecarsSortInBulk() {
        const QString exiftool = QStandardPaths::findExecutable("exiftool");
        if (exiftool.isEmpty())
            QSKIP("exiftool (libimage-exiftool-perl) is not installed: scripts/setup.sh installs it");
        const auto picture = [this](const char* name) {
            return pelldrake::testing::WriteImageFile(fixture.dir->Native(name), QSize(64, 48));
        };
        const FilePath a = picture("a.jpg"), b = picture("b.jpg"), c = picture("c.jpg"), d = picture("d.jpg"),
                       e = picture("e.jpg"), u = picture("u.jpg");
        // Garbage that begins like a JPEG, beside a sidecar that is no XMP.
        const FilePath g =
            fixture.dir->Write("g.jpg", QByteArray("\xff\xd8\xff\xe1\xff\xff", 6) + QByteArray(5000, 'Z'));
        fixture.dir->Write("g.xmp", QByteArray(3000, '<'));
        // In-camera ratings, as the camera writes them: EXIF only.
        QProcess tool;
        tool.start(exiftool, {"-EXIF:Rating=4", QString::fromStdString(a), QString::fromStdString(b), "-execute",
                              "-EXIF:Rating=1", QString::fromStdString(c), "-execute", "-EXIF:Rating=2",
                              QString::fromStdString(d), "-execute", "-EXIF:Rating=3", "-XMP-xmp:Label=red",
                              QString::fromStdString(e), "-common_args", "-q", "-overwrite_original"});
        QVERIFY(tool.waitForFinished(60000) && tool.exitCode() == 0);
        // The sidecars win over the file: Lightroom's NAME.xmp takes b down, darktable's NAME.EXT.xmp c up.
        fixture.dir->Write("b.xmp", Sidecar(1));
        fixture.dir->Write("c.jpg.xmp", Sidecar(5, "Red"));

        fixture.prompter.openFilesAnswer = FilePathList{a, b, c, d, e, g, u};
        fixture.board->RunCommand(menu_ids::kAddFiles);
        QCOMPARE(fixture.Entries(0).size(), std::size_t{7});

        Classify([](AutoClassifyDialog* dialog) {
            QVERIFY(!dialog->control(ids::kRatingFilter)->isEnabled());
            Click(dialog, ids::kRatingFilterOn);
            QVERIFY(dialog->control(ids::kRatingFilter)->isEnabled());
            QCOMPARE(qobject_cast<QComboBox*>(dialog->control(ids::kRatingFilter))->count(), 7);
            Choose(dialog, ids::kRatingFilter, 2); // ★3以上
            QCOMPARE(qobject_cast<QComboBox*>(dialog->control(ids::kRatingFilter))->currentText(),
                     QString::fromUtf8("★3以上"));
            Click(dialog, ids::kToChosenList);
            Choose(dialog, ids::kTargetList, 3);
            Confirm(dialog);
        });
        QCOMPARE(fixture.Entries(3), (FilePathList{a, c, e}));
        QCOMPARE(fixture.Entries(0), (FilePathList{b, d, g, u}));

        // The label condition instead, red in any case, into list 5.
        Classify([](AutoClassifyDialog* dialog) {
            QVERIFY(qobject_cast<QAbstractButton*>(dialog->control(ids::kRatingFilterOn))->isChecked());
            Click(dialog, ids::kRatingFilterOn);
            Click(dialog, ids::kLabelFilterOn);
            QVERIFY(dialog->control(ids::kLabelFilter)->isEnabled());
            Choose(dialog, ids::kLabelFilter, 0); // 赤
            Choose(dialog, ids::kTargetList, 5);
            Confirm(dialog);
        });
        QCOMPARE(fixture.Entries(5), (FilePathList{c, e}));
        QCOMPARE(fixture.Entries(3), FilePathList{a});

        // A sidecar written since is read anew, not taken from what the last run read.
        fixture.dir->Write("d.jpg.xmp", Sidecar(2, "RED"));
        Classify([](AutoClassifyDialog* dialog) { Confirm(dialog); });
        QCOMPARE(fixture.Entries(5), (FilePathList{d, c, e}));
        QCOMPARE(fixture.Entries(0), (FilePathList{b, g, u}));
    }
};

QTEST_MAIN(DecisionsTest)
#include "tst_decisions.moc"
