#include "app/startup/classify_app.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

using namespace pelldrake;
using pelldrake::testing::ScriptedPrompter;
using pelldrake::testing::TempDir;

class StartupTest : public QObject {
    Q_OBJECT

private:
    ImageEnvironment Environment(bool present, std::optional<LibraryVersion> version) {
        return {[this, present] {
                    ++presenceCalls;
                    return present;
                },
                [version] { return version; }};
    }
    int presenceCalls = 0;

private slots:
    void init() { presenceCalls = 0; }

    void runSavesGeometryThenFilterSwitchAtTheEnd() {
        TempDir dir;
        SettingsFile settings(dir.FilePath("p.INI"));
        settings.profile().WriteText("STARTCHECK", "THUMBCTL", "0");
        settings.profile().WriteText("STARTCHECK", "THUMBCTLVER", "0");
        ScriptedPrompter prompter;
        pelldrake::testing::RecordingShell shell;
        auto run = [&] {
            bool sawBoard = false;
            QTimer::singleShot(0, [&] {
                QWidget* board = QApplication::activeModalWidget();
                sawBoard = board != nullptr;
                if (board)
                    board->close();
            });
            QCOMPARE(ClassifyApp(settings, prompter, Environment(true, std::nullopt)).Run(shell), 0);
            QVERIFY(sawBoard);
        };
        run(); // no switch stored: off, and its section comes new after the geometry's
        QCOMPARE(settings.profile().ReadText("EXTFILTER", "ENABLE", ""), std::string("0"));
        const QByteArray written = dir.Read("p.INI");
        const qsizetype geometry = written.indexOf("[EXPANDVIEW]\r\nTOP=");
        QVERIFY(geometry > 0);
        QVERIFY(written.indexOf("RIGHT=") > geometry);
        QVERIFY(written.indexOf("[EXTFILTER]") > geometry);
        settings.profile().WriteText("EXTFILTER", "ENABLE", "7");
        run();
        QCOMPARE(settings.profile().ReadText("EXTFILTER", "ENABLE", ""), std::string("1"));
    }

    void checkThatEndsStartupWritesNothing() {
        TempDir dir;
        SettingsFile settings(dir.FilePath("p.INI"));
        ScriptedPrompter prompter;
        prompter.answers = {PromptAnswer::Abort};
        pelldrake::testing::RecordingShell shell;
        QCOMPARE(ClassifyApp(settings, prompter, Environment(false, std::nullopt)).Run(shell), 0);
        QVERIFY(!QFileInfo::exists(settings.path()));
    }

    void realEnvironmentHasTheDecoders() {
        const ImageEnvironment real = ImageEnvironment::Real();
        QVERIFY(real.decodersPresent());
        const auto version = real.libraryVersion();
        QVERIFY(version);
        QCOMPARE((*version)[0], QT_VERSION_MAJOR);
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
