#include "app/instance_channel.h"
#include "app/startup/board_recovery.h"
#include "app/startup/classify_app.h"
#include "board/moves.h"
#include "board/ui/classify_board_dialog.h"
#include "state/recovery_files.h"
#include "state/recovery_journal.h"
#include "state/work_state_reader.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <QtEndian>
#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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

    // What a killed program leaves: a socket file bound once and never listened on again.
    static void LeaveDeadSocket(const QString& path) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        QVERIFY(QFileInfo::exists(path));
    }

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

    void commandLineLoadsTheWorkStateThenTakesFilesAndFoldersInAsADrop() {
        TempDir dir;
        SettingsFile settings(dir.FilePath("p.INI"));
        settings.profile().WriteText("STARTCHECK", "THUMBCTL", "0");
        settings.profile().WriteText("STARTCHECK", "THUMBCTLVER", "0");
        const FilePath sorted = dir.Write("sorted.jpg", "s");
        CommandLine commandLine;
        commandLine.workStates = {
            dir.Write("work.PLD", QByteArray("PelldrakeData\r\nVersion\r\n1.8\r\n%\r\n*section\r\n1\r\n") +
                                      QByteArray::fromStdString(sorted) + "\r\n%\r\n")};
        commandLine.intake = {dir.Write("a.jpg", "a"), dir.Native("shots"), dir.Write("c.jpg", "c")};
        const FilePath inShots = dir.Write("shots/b.jpg", "b");
        dir.Write("shots/deeper/d.jpg", "d");
        ScriptedPrompter prompter;
        prompter.answers = {PromptAnswer::Yes, PromptAnswer::No}; // take the folder, not its subfolders
        pelldrake::testing::RecordingShell shell;
        FilePathList unclassified, listOne;
        // Looks once the board has taken the arguments in, which it does once it is on screen; the
        // load reads on a thread of its own, the board answering events meanwhile.
        QTimer watch;
        QDeadlineTimer patience(5000);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* board = qobject_cast<ClassifyBoardDialog*>(QApplication::activeModalWidget());
            if (!board || (board->board().List(kUnclassified).Count() < 3 && !patience.hasExpired()))
                return;
            unclassified = board->board().List(kUnclassified).Entries();
            listOne = board->board().List(1).Entries();
            watch.stop();
            board->done(0);
        });
        watch.start(5);
        ClassifyApp(settings, prompter, Environment(true, std::nullopt)).Run(shell, commandLine);
        QCOMPARE(prompter.questions.size(), 2u);
        QCOMPARE(listOne, FilePathList{sorted});
        QCOMPARE(unclassified, (FilePathList{commandLine.intake[0], inShots, commandLine.intake[2]}));
    }

    void listsLeftByAKilledBoardComeBackOnYesAndAreKeptAsAWorkStateOnNo() {
        TempDir dir;
        SettingsFile settings(dir.FilePath("p.INI"));
        settings.profile().WriteText("STARTCHECK", "THUMBCTL", "0");
        settings.profile().WriteText("STARTCHECK", "THUMBCTLVER", "0");
        const FilePath folder = dir.Native("state");
        const FilePath a = dir.Write("a.jpg", "a"), b = dir.Write("b.jpg", "b"), c = dir.Write("c.jpg", "c");
        // What a killed board leaves: its files, with the journal of its last changes, and no lock.
        auto leaveFiles = [&] {
            const auto files = RecoveryFiles::Claim(folder);
            Board left;
            left.AppendAndShow(kUnclassified, {a, b, c}, 2);
            const auto journal = RecoveryJournal::Start(*files, left, 1);
            left.history().setJournal(journal.get());
            const BoardHistory::Scope step(left.history());
            moves::MoveCurrentToList(left, 4);
        };
        std::array<FilePathList, kListCount> shown;
        ListIndex lastTouched = kUnclassified;
        auto run = [&](PromptAnswer answer) {
            ScriptedPrompter prompter;
            prompter.answers = {answer};
            pelldrake::testing::RecordingShell shell;
            bool undoable = true;
            QTimer::singleShot(0, [&] {
                if (auto* board = qobject_cast<ClassifyBoardDialog*>(QApplication::activeModalWidget())) {
                    for (ListIndex list = 0; list < kListCount; ++list)
                        shown[static_cast<std::size_t>(list)] = board->board().List(list).Entries();
                    lastTouched = board->board().lastTouchedList();
                    undoable = board->board().history().CanUndo();
                    board->done(0);
                }
            });
            ClassifyApp(settings, prompter, Environment(true, std::nullopt), folder).Run(shell);
            return prompter.questions.size() == 1 && !undoable &&
                   prompter.questions[0].text ==
                       QString::fromUtf8("前回の作業は保存されないまま終了しました。\r\n作業状態を復元しますか？") &&
                   prompter.questions[0].buttons == PromptButtons::YesNo &&
                   prompter.questions[0].icon == PromptIcon::Question;
        };
        leaveFiles();
        QVERIFY(run(PromptAnswer::Yes));
        QCOMPARE(shown[0], (FilePathList{a, b}));
        QCOMPARE(shown[4], FilePathList{c});
        QCOMPARE(lastTouched, 4);
        QVERIFY2(!QFileInfo::exists(dir.FilePath("state/pelldrake.recovery.PLD")), "a normal end leaves nothing");

        leaveFiles();
        QVERIFY(run(PromptAnswer::No));
        QVERIFY(shown[0].empty() && shown[4].empty());
        const QStringList kept = QDir(dir.FilePath("state")).entryList({"pelldrake-recovered-*.PLD"});
        QCOMPARE(kept.size(), 1);
        Board loaded;
        QCOMPARE(ReadWorkStateFile(loaded, folder + "/" + kept[0].toStdString(), {}), LoadResult::Loaded);
        QCOMPARE(loaded.List(4).Entries(), FilePathList{c});
    }

    void unreadableRecoveryFilesAreMovedAsideAndTheUserIsToldOnceWhere() {
        TempDir dir;
        SettingsFile settings(dir.FilePath("p.INI"));
        settings.profile().WriteText("STARTCHECK", "THUMBCTL", "0");
        settings.profile().WriteText("STARTCHECK", "THUMBCTLVER", "0");
        const FilePath folder = dir.Native("state");
        dir.Write("state/pelldrake.recovery.PLD", "not a work state\r\n");
        dir.Write("state/pelldrake.recovery.3.journal", "journal");
        auto run = [&] {
            ScriptedPrompter prompter;
            pelldrake::testing::RecordingShell shell;
            QTimer::singleShot(0, [] {
                if (auto* board = qobject_cast<ClassifyBoardDialog*>(QApplication::activeModalWidget()))
                    board->done(0);
            });
            ClassifyApp(settings, prompter, Environment(true, std::nullopt), folder).Run(shell);
            return prompter.questions;
        };
        const auto told = run();
        const QStringList kept =
            QDir(dir.FilePath("state")).entryList({"pelldrake-recovered-*-unreadable.PLD*"}, QDir::Files, QDir::Name);
        QCOMPARE(kept.size(), 2);
        QCOMPARE(told.size(), 1u);
        QCOMPARE(told[0].text, QString::fromUtf8("前回の作業状態は読み込めないため、復元できませんでした。\r\n"
                                                 "読み込めなかったファイルは次の名前で残してあります。\r\n") +
                                   dir.FilePath("state/" + kept[0]) + "\r\n" + dir.FilePath("state/" + kept[1]));
        QCOMPARE(told[0].buttons, PromptButtons::Ok);
        QCOMPARE(told[0].icon, PromptIcon::Exclamation);
        QCOMPARE(dir.Read("state/" + kept[0]), QByteArray("not a work state\r\n"));
        QVERIFY(run().empty());
    }

    void anUnreadableFileThatCannotBeMovedAsideIsNeverWrittenOver() {
        TempDir dir;
        const FilePath folder = dir.Native("state");
        dir.Write("state/pelldrake.recovery.PLD", "not a work state\r\n");
        dir.Write("state/pelldrake.recovery.3.journal", "journal");
        // A folder where the journal would go, for the seconds the start may take.
        const QDateTime now = QDateTime::currentDateTime();
        for (int second = 0; second < 30; ++second) {
            const QString stamp = now.addSecs(second).toString(QStringLiteral("yyyyMMdd-HHmmss"));
            QVERIFY(QDir().mkpath(dir.FilePath("state/pelldrake-recovered-" + stamp + "-unreadable.PLD.3.journal/x")));
        }
        ScriptedPrompter prompter;
        BoardRecovery recovery(folder, prompter);
        Board board;
        recovery.Begin(board);
        QVERIFY(!recovery.journaling());
        QCOMPARE(dir.Read("state/pelldrake.recovery.3.journal"), QByteArray("journal"));
        QCOMPARE(prompter.questions.size(), 1u);
        recovery.End(board);
        QCOMPARE(dir.Read("state/pelldrake.recovery.3.journal"), QByteArray("journal"));
    }

    void everySlotLeftByAKilledCopyIsOfferedLatestFirstButNotOneARunningCopyHolds() {
        TempDir dir;
        const FilePath folder = dir.Native("state");
        const FilePath a = dir.Write("a.jpg", "a"), b = dir.Write("b.jpg", "b"), c = dir.Write("c.jpg", "c");
        const FilePath shared = dir.Write("shared.jpg", "s"), live = dir.Write("live.jpg", "l");
        // Slots 2 and 3 as killed copies left them, the later work in slot 2; slot 4 held by a
        // copy still running; slot 1 free and empty.
        std::unique_ptr<RecoveryFiles> running;
        auto leave = [&] {
            const auto free = RecoveryFiles::Claim(folder);
            std::unique_ptr<RecoveryFiles> dead[2] = {RecoveryFiles::Claim(folder), RecoveryFiles::Claim(folder)};
            running = RecoveryFiles::Claim(folder);
            const FilePathList lists[2] = {{a, shared}, {b, c, shared}};
            for (const int i : {0, 1}) {
                Board left;
                left.AppendAndShow(3 + i, lists[i], i + 1);
                QVERIFY(RecoveryJournal::Start(*dead[i], left, 1));
                // Slot 3 last written a minute before slot 2.
                const auto when = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1 + i);
                for (const FilePath& file : {dead[i]->SnapshotPath(), dead[i]->JournalPath(1)})
                    std::filesystem::last_write_time(file, when);
            }
            Board held;
            held.AppendAndShow(kUnclassified, {live});
            QVERIFY(RecoveryJournal::Start(*running, held, 1));
        };
        auto begin = [&](std::deque<PromptAnswer> answers, Board& board) {
            ScriptedPrompter prompter;
            prompter.answers = std::move(answers);
            BoardRecovery recovery(folder, prompter);
            recovery.Begin(board);
            QVERIFY(recovery.journaling());
            QCOMPARE(prompter.questions.size(), 2u);
            QVERIFY(!board.history().CanUndo());
            recovery.End(board);
        };
        auto slotFiles = [&] { return QDir(dir.FilePath("state")).entryList({"pelldrake.recovery*.PLD"}); };

        leave();
        Board one;
        begin({PromptAnswer::Yes, PromptAnswer::No}, one);
        QCOMPARE(one.List(3).Entries(), (FilePathList{a, shared}));
        QCOMPARE(one.List(3).position(), 1);
        QVERIFY(one.List(4).Entries().empty() && one.List(kUnclassified).Entries().empty());
        const QStringList kept = QDir(dir.FilePath("state")).entryList({"pelldrake-recovered-*.PLD"});
        QCOMPARE(kept.size(), 1);
        Board loaded;
        QCOMPARE(ReadWorkStateFile(loaded, folder + "/" + kept[0].toStdString(), {}), LoadResult::Loaded);
        QCOMPARE(loaded.List(4).Entries(), (FilePathList{b, c, shared}));
        QCOMPARE(slotFiles(), QStringList{"pelldrake.recovery-4.PLD"});

        // Both taken: the earlier work joins the later, a file both name staying where the later had it.
        running.reset();
        QFile::remove(dir.FilePath("state/pelldrake.recovery-4.PLD"));
        QFile::remove(dir.FilePath("state/pelldrake.recovery-4.1.journal"));
        leave();
        Board both;
        begin({PromptAnswer::Yes, PromptAnswer::Yes}, both);
        QCOMPARE(both.List(3).Entries(), (FilePathList{a, shared}));
        QCOMPARE(both.List(4).Entries(), (FilePathList{b, c}));
        QCOMPARE(both.List(3).position(), 1);
        QCOMPARE(both.List(4).position(), 0);
        QCOMPARE(slotFiles(), QStringList{"pelldrake.recovery-4.PLD"});
    }

    void secondStartHandsItsCommandLineToTheRunningBoard() {
        TempDir dir, runtime;
        SettingsFile settings(dir.FilePath("p.INI"));
        settings.profile().WriteText("STARTCHECK", "THUMBCTL", "0");
        settings.profile().WriteText("STARTCHECK", "THUMBCTLVER", "0");
        const QString socket = InstanceChannel::SocketPath(settings.path(), runtime.path());
        QVERIFY(socket != InstanceChannel::SocketPath(dir.FilePath("other.INI"), runtime.path()));
        LeaveDeadSocket(socket);
        InstanceChannel first(socket);
        QCOMPARE(first.Open({}), InstanceChannel::Start::Listening);

        const FilePath sorted = dir.Write("sorted.jpg", "s");
        CommandLine second;
        second.workStates = {
            dir.Write("work.PLD", QByteArray("PelldrakeData\r\nVersion\r\n1.8\r\n%\r\n*section\r\n1\r\n") +
                                      QByteArray::fromStdString(sorted) + "\r\n%\r\n")};
        second.intake = {dir.Write("a.jpg", "a"), dir.Native("shots")};
        const FilePath inShots = dir.Write("shots/b.jpg", "b");
        dir.Write("shots/deeper/d.jpg", "d");
        ScriptedPrompter prompter;
        prompter.answers = {PromptAnswer::Yes, PromptAnswer::No}; // take the folder, not its subfolders
        pelldrake::testing::RecordingShell shell;
        std::future<InstanceChannel::Start> handedOver;
        FilePathList unclassified, listOne;
        bool raised = false;
        QTimer::singleShot(0, [&] {
            auto* board = qobject_cast<ClassifyBoardDialog*>(QApplication::activeModalWidget());
            QVERIFY(board);
            const auto close = qScopeGuard([board] { board->done(0); });
            board->showMinimized();
            // The second start blocks on its answer, as the real one does in its own process.
            handedOver = std::async(std::launch::async, [&] { return InstanceChannel(socket).Open(second); });
            QTRY_COMPARE(board->board().List(kUnclassified).Count(), 2);
            unclassified = board->board().List(kUnclassified).Entries();
            listOne = board->board().List(1).Entries();
            raised = !board->isMinimized();
        });
        QCOMPARE(ClassifyApp(settings, prompter, Environment(true, std::nullopt)).Run(shell, {}, &first), 0);
        QCOMPARE(handedOver.get(), InstanceChannel::Start::HandedOver);
        QCOMPARE(prompter.questions.size(), 2u);
        QCOMPARE(listOne, FilePathList{sorted});
        QCOMPARE(unclassified, (FilePathList{second.intake[0], inShots}));
        QVERIFY(raised);
    }

    // A hand-over is taken only whole, however it arrives, and answered before the board acts on it:
    // a board busy with it must not keep the second start waiting.
    void aHandOverIsTakenWholeAndAnsweredBeforeTheBoardActs() {
        TempDir runtime;
        const QString path = InstanceChannel::SocketPath(runtime.FilePath("p.INI"), runtime.path());
        InstanceChannel channel(path);
        QCOMPARE(channel.Open({}), InstanceChannel::Start::Listening);
        CommandLine sent;
        sent.intake = {"/a b/c.jpg", "/\xff.jpg"};
        const QByteArray message = EncodeHandOver(sent);
        QByteArray frame(4, '\0');
        qToBigEndian(static_cast<quint32>(message.size()), frame.data());
        frame += message;
        QLocalSocket peer;
        peer.connectToServer(path);
        QVERIFY(peer.waitForConnected(1000));
        std::vector<std::pair<FilePathList, bool>> arrived;
        connect(&channel, &InstanceChannel::commandLineArrived, this, [&](const CommandLine& got) {
            arrived.emplace_back(got.intake, peer.bytesAvailable() > 0 || peer.waitForReadyRead(1000));
        });
        for (const QByteArray& piece : {frame.left(2), frame.mid(2, frame.size() - 4), frame.right(2)}) {
            QVERIFY(arrived.empty() && peer.bytesAvailable() == 0);
            peer.write(piece);
            peer.flush();
            QTest::qWait(50);
        }
        QTRY_COMPARE(arrived.size(), std::size_t{1});
        QCOMPARE(arrived[0], std::make_pair(sent.intake, true));
        QCOMPARE(peer.read(1), QByteArray("1"));
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
