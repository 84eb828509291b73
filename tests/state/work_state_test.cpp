#include "board/board.h"
#include "resources/work_state_strings.h"
#include "state/work_state_commands.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <QDir>
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// Reads of one file fail from a given byte on, as a failing disk makes them. This read() of the
// test binary takes the place of the C library's for the program's code and hands every other
// read on to the system.
struct FailingReads {
    static inline std::atomic<bool> armed{false};
    static inline dev_t device = 0;
    static inline ino_t inode = 0;
    static inline off_t failFrom = 0;

    FailingReads(const std::string& path, off_t from) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            return;
        device = info.st_dev;
        inode = info.st_ino;
        failFrom = from;
        armed = true;
    }
    ~FailingReads() { armed = false; }
    FailingReads(const FailingReads&) = delete;
    FailingReads& operator=(const FailingReads&) = delete;
};

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
    if (FailingReads::armed) {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && info.st_dev == FailingReads::device && info.st_ino == FailingReads::inode) {
            const off_t at = ::lseek(fd, 0, SEEK_CUR);
            if (at >= FailingReads::failFrom) {
                errno = EIO;
                return -1;
            }
            count = std::min(count, static_cast<size_t>(FailingReads::failFrom - at));
        }
    }
    return ::syscall(SYS_read, fd, buffer, count);
}

// Within its scope the calling thread obeys file permissions also when the tests run as root:
// the capabilities that override them leave its effective set (capabilities belong to a thread).
class PermissionsApply {
public:
    PermissionsApply() {
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        changed_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~PermissionsApply() {
        if (changed_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    PermissionsApply(const PermissionsApply&) = delete;
    PermissionsApply& operator=(const PermissionsApply&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool changed_ = false;
};

namespace pelldrake {
namespace {

using testing::ScriptedPrompter;
using testing::TempDir;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A real file under the folder, its name given as raw bytes; returns its path.
FilePath MakeFile(const TempDir& dir, const std::string& name) {
    const FilePath path = dir.Native(QString()) + "/" + name;
    std::ofstream(path, std::ios::binary) << "x";
    return path;
}

std::string ReadBytes(const FilePath& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const FilePath& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string WorkStateText(const std::vector<std::string>& dataLines, const std::string& lineEnd = "\r\n") {
    std::string text = "PelldrakeData" + lineEnd + "Version" + lineEnd + "1.8" + lineEnd + "%" + lineEnd;
    for (const std::string& line : dataLines)
        text += line + lineEnd;
    return text;
}

struct WorkStateTest : ::testing::Test {
    TempDir dir;
    Board board;
    ScriptedPrompter prompter;
    FilePath stateFile = dir.Native("work.PLD");

    void Fill(ListIndex list, const FilePathList& paths) {
        for (const FilePath& path : paths)
            board.List(list).Append(path);
    }
    void Save() {
        prompter.saveAnswer = stateFile;
        SaveWorkState(board, prompter);
    }
    // Loads the text as a work-state file, answering the discard question with Yes.
    void Load(const std::string& text) {
        WriteBytes(stateFile, text);
        LoadFile(stateFile);
    }
    void LoadFile(const FilePath& path) {
        if (board.TotalCount() > 0)
            prompter.answers.push_front(PromptAnswer::Yes);
        prompter.openAnswer = path;
        LoadWorkState(board, prompter);
    }
    FilePathList Entries(ListIndex list) const { return board.List(list).Entries(); }
    // The texts asked; every message of the work state carries the exclamation icon.
    QStringList Asked() const {
        QStringList texts;
        for (const auto& question : prompter.questions) {
            texts << question.text;
            EXPECT_EQ(question.icon, PromptIcon::Exclamation) << question.text.toStdString();
        }
        return texts;
    }
};

TEST_F(WorkStateTest, ElevenEmptyListsMakeTwentySevenLinesAndLoadBackEmpty) {
    Save();
    std::string expected = "PelldrakeData\r\nVersion\r\n1.8\r\n%\r\n";
    for (int n = 0; n < kListCount; ++n)
        expected += "*section\r\n" + std::to_string(n) + "\r\n";
    expected += "%\r\n";
    EXPECT_EQ(ReadBytes(stateFile), expected);
    ASSERT_EQ(prompter.fileTypes.size(), 3u);
    EXPECT_EQ(prompter.fileTypes[0].label, Text("Pelldrakeデータ(*.PLD)"));
    EXPECT_EQ(prompter.fileTypes[0].patterns, QStringLiteral("*.pld"));
    EXPECT_EQ(prompter.fileTypes[1].label, Text("テキスト(*.txt)"));
    EXPECT_EQ(prompter.fileTypes[2].patterns, QStringLiteral("*.*"));
    EXPECT_EQ(prompter.fileSuffix, QStringLiteral("PLD"));
    EXPECT_TRUE(prompter.questions.empty());

    Fill(3, {MakeFile(dir, "a.jpg")});
    LoadFile(stateFile);
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0].text, Text("現在の作業状態を破棄しますか？"));
    EXPECT_EQ(prompter.questions[0].title, Text("作業状態の読込み"));
    EXPECT_EQ(prompter.questions[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompter.questions[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(board.TotalCount(), 0);

    // Anything but Yes keeps the lists; so does a cancelled open dialog.
    Fill(3, {MakeFile(dir, "a.jpg")});
    prompter.answers = {PromptAnswer::No};
    LoadWorkState(board, prompter);
    prompter.answers = {PromptAnswer::Yes};
    prompter.openAnswer.reset();
    LoadWorkState(board, prompter);
    EXPECT_EQ(board.TotalCount(), 1);
}

TEST_F(WorkStateTest, FirstLineDecidesWhetherTheFileIsRead) {
    const FilePath a = MakeFile(dir, "a.jpg");
    const FilePath kept = MakeFile(dir, "kept.jpg");
    Fill(4, {kept});

    std::string capitals = WorkStateText({"*SECTION", "1", a});
    capitals.replace(0, 13, "PELLDRAKEDATA");
    Load(capitals);
    EXPECT_EQ(Entries(1), FilePathList{a});
    const QString invalid = Text("データが不正です。");
    EXPECT_FALSE(Asked().contains(invalid));

    for (const std::string& text :
         {"PelldrakeDatax\r\n%\r\n*section\r\n0\r\n" + a + "\r\n", std::string(), std::string(5'000'000, 'P'),
          std::string("\x7f"
                      "ELF\0\0\n",
                      7)}) {
        Fill(4, {kept});
        prompter.questions.clear();
        Load(text);
        EXPECT_EQ(prompter.questions.back().text, invalid);
        EXPECT_EQ(prompter.questions.back().buttons, PromptButtons::Ok);
        EXPECT_EQ(Entries(4), FilePathList{kept});
        board.List(4).Clear();
    }

    // Header without its end mark: everything is header, the lists end up empty.
    Fill(4, {kept});
    Load("PelldrakeData\r\nVersion\r\n*section\r\n0\r\n" + a + "\r\n");
    EXPECT_EQ(board.TotalCount(), 0);
}

TEST_F(WorkStateTest, ReadErrorsAreToldAndOneInTheHeaderKeepsTheLists) {
    const FilePath a = MakeFile(dir, "a.jpg");
    const FilePath kept = MakeFile(dir, "kept.jpg");
    const std::string text = WorkStateText({"*section", "1", a, "*section", "2", a});
    const QStringList told{Text("データの読み込み中にエラーが発生しました")};
    WriteBytes(stateFile, text);
    // In the first line and further into the header: nothing is cleared.
    for (const off_t failFrom : {0, 20}) {
        Fill(4, {kept});
        prompter.questions.clear();
        const FailingReads failing(stateFile, failFrom);
        LoadFile(stateFile);
        EXPECT_EQ(Asked().mid(1), told) << failFrom;
        EXPECT_EQ(Entries(4), FilePathList{kept}) << failFrom;
        board.List(4).Clear();
    }
    // In the data part: the load ends there and says so.
    prompter.questions.clear();
    const FailingReads failing(stateFile, static_cast<off_t>(text.find("*section\r\n2")));
    LoadFile(stateFile);
    EXPECT_EQ(Asked(), told);
}

TEST_F(WorkStateTest, SectionsAreReadInAnyOrderAndStrayLinesIgnored) {
    std::vector<FilePath> f;
    for (int i = 0; i < 6; ++i)
        f.push_back(MakeFile(dir, "f" + std::to_string(i) + ".jpg"));
    // A line ends at its first CR: what follows it on the line is no part of the name.
    Load(WorkStateText({f[0],    "*section", "11",       f[1], "*section",      "-1",       f[2], "*section",
                        " +7th", f[3],       "*Section", "0",  f[4] + "\rjunk", "*section", "7",  f[5],
                        "%",     "*section", "1",        f[0]}));
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(Entries(7), (FilePathList{f[3], f[5]}));
    EXPECT_EQ(Entries(0), FilePathList{f[4]});
    EXPECT_EQ(board.TotalCount(), 3);
}

TEST_F(WorkStateTest, EachFileLoadsOnceWhateverNameItIsListedUnder) {
    const FilePath a = MakeFile(dir, "a.jpg");
    const FilePath link = dir.Native("link.jpg");
    ASSERT_EQ(::symlink(a.c_str(), link.c_str()), 0);
    const FilePath dotted = dir.Native(QString()) + "/./a.jpg";
    Load(WorkStateText({"*section", "2", a, link, "*section", "5", dotted, a}));
    EXPECT_EQ(Entries(2), FilePathList{a});
    EXPECT_EQ(board.TotalCount(), 1);
}

TEST_F(WorkStateTest, MissingFilesAreAskedAboutUntilNoOrCancel) {
    const FilePath a = MakeFile(dir, "a.jpg");
    const FilePath b = MakeFile(dir, "b.jpg");
    const FilePath folder = dir.Native(QString());
    const FilePath gone = dir.Native("gone.jpg");

    // A folder counts as missing; Yes skips it and asks again at the next.
    prompter.answers = {PromptAnswer::Yes, PromptAnswer::No};
    Load(WorkStateText({"*section", "0", folder, a, gone, std::string("/etc/passwd\0x", 13), b}));
    ASSERT_EQ(prompter.questions.size(), 2u);
    const auto& question = prompter.questions[0];
    EXPECT_EQ(question.text, Text("ファイル %1 がみつかりません。\r\nすでに移動または削除された可能性があります。\r\n"
                                  "キャンセルで停止、「いいえ」で次から警告しません。")
                                 .arg(QString::fromStdString(folder)));
    EXPECT_EQ(question.title, Text("作業状態の読込み"));
    EXPECT_EQ(question.buttons, PromptButtons::YesNoCancel);
    EXPECT_EQ(question.icon, PromptIcon::Exclamation);
    EXPECT_EQ(Entries(0), (FilePathList{a, b}));

    // Cancel at the third entry of section 2.
    std::vector<std::string> lines;
    std::array<FilePathList, 3> expected;
    for (int n = 0; n < 3; ++n) {
        lines.insert(lines.end(), {"*section", std::to_string(n)});
        for (int i = 0; i < 4; ++i) {
            const std::string name = "s" + std::to_string(n) + "_" + std::to_string(i) + ".jpg";
            const FilePath path = n == 2 && i == 2 ? dir.Native(QString::fromStdString(name)) : MakeFile(dir, name);
            lines.push_back(path);
            if (n < 2 || i < 2)
                expected[static_cast<std::size_t>(n)].push_back(path);
        }
    }
    lines.insert(lines.end(), {"*section", "3", a});
    prompter.questions.clear();
    prompter.answers = {PromptAnswer::Cancel};
    Load(WorkStateText(lines));
    EXPECT_EQ(prompter.questions.size(), 2u);
    for (ListIndex n = 0; n < 3; ++n)
        EXPECT_EQ(Entries(n), expected[static_cast<std::size_t>(n)]) << n;
    EXPECT_EQ(board.TotalCount(), 10);
}

TEST_F(WorkStateTest, RoundTripKeepsEveryListInOrderAndShowsFirstEntries) {
    std::array<FilePathList, kListCount> lists;
    for (ListIndex n = 0; n < kListCount; ++n) {
        for (const std::string& name : {"写真" + std::to_string(n) + ".jpg", "latin1-\xe9\xff" + std::to_string(n),
                                        "plain " + std::to_string(n) + ".png"})
            lists[static_cast<std::size_t>(n)].push_back(MakeFile(dir, name));
    }
    // A path far beyond the old 259-byte limit.
    FilePath deep = dir.Native(QString());
    for (int i = 0; i < 4; ++i) {
        deep += "/" + std::string(200, static_cast<char>('a' + i));
        ASSERT_EQ(::mkdir(deep.c_str(), 0700), 0);
    }
    deep += "/long.jpg";
    WriteBytes(deep, "x");
    lists[5].push_back(deep);
    for (ListIndex n = 0; n < kListCount; ++n) {
        Fill(n, lists[static_cast<std::size_t>(n)]);
        board.List(n).SetPosition(2);
    }
    Save();
    const std::string saved = ReadBytes(stateFile);
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 27 + 34);
    Load(saved);
    for (ListIndex n = 0; n < kListCount; ++n) {
        EXPECT_EQ(Entries(n), lists[static_cast<std::size_t>(n)]) << n;
        EXPECT_EQ(board.List(n).position(), 0);
        EXPECT_FALSE(board.List(n).InBulkUpdate());
    }

    // Bare line feeds read the same.
    std::string bare = saved;
    bare.erase(std::remove(bare.begin(), bare.end(), '\r'), bare.end());
    Load(bare);
    for (ListIndex n = 0; n < kListCount; ++n)
        EXPECT_EQ(Entries(n), lists[static_cast<std::size_t>(n)]) << n;

    // The temporary folder cannot remove names that are not UTF-8.
    for (const FilePathList& list : lists) {
        for (const FilePath& path : list)
            ::unlink(path.c_str());
    }
}

TEST_F(WorkStateTest, FailedSaveKeepsThePreviousFile) {
    WriteBytes(stateFile, "previous work\r\n");
    for (int i = 0; i < 2000; ++i)
        board.List(i % kListCount).Append(dir.Native(QString()) + "/" + std::string(100, 'p') + std::to_string(i));

    // A file-size limit makes the write fail half-way as a full disk would.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 50'000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    Save();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(ReadBytes(stateFile) == "previous work\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"work.PLD"});
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0].text,
              Text("ファイル書き込み中にエラーが発生しました。\r\nデータの書込みは異常終了しています。\r\n"));

    prompter.questions.clear();
    prompter.saveAnswer = dir.Native("no such folder/work.PLD");
    SaveWorkState(board, prompter);
    EXPECT_EQ(Asked(), QStringList{Text("ファイルが書き込みオープンできません。")});
}

TEST_F(WorkStateTest, SaveReplacesAFileKeepingItsModeAndWritesInPlaceWhereTheFolderForbidsNewFiles) {
    const FilePath a = MakeFile(dir, "a.jpg");
    Fill(1, {a});
    auto mode = [](const FilePath& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0u;
    };
    WriteBytes(stateFile, "previous work\r\n");
    ASSERT_EQ(::chmod(stateFile.c_str(), 0640), 0);
    Save();
    EXPECT_NE(ReadBytes(stateFile).find(a), std::string::npos);
    EXPECT_EQ(mode(stateFile), 0640u);

    // A folder without write permission holding a file the user may write.
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    const FilePath locked = dir.Native("locked");
    const FilePath inLocked = locked + "/work.PLD";
    WriteBytes(inLocked, "previous work\r\n");
    ASSERT_EQ(::chmod(inLocked.c_str(), 0604), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    {
        const PermissionsApply permissions;
        const FilePath probe = locked + "/probe";
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.c_str());
        } else {
            prompter.saveAnswer = inLocked;
            SaveWorkState(board, prompter);
        }
        ::chmod(locked.c_str(), 0755);
        if (fd >= 0)
            GTEST_SKIP() << "no folder permission applies to this process, not even without its capabilities";
    }
    EXPECT_TRUE(prompter.questions.empty()) << Asked().join(" ").toStdString();
    EXPECT_EQ(ReadBytes(inLocked), ReadBytes(stateFile));
    EXPECT_EQ(mode(inLocked), 0604u);
    EXPECT_EQ(QDir(QString::fromStdString(locked)).entryList(QDir::Files | QDir::Hidden), QStringList{"work.PLD"});
}

TEST_F(WorkStateTest, NamesWithLineBreaksAreNamedAndLeftOutOnlyWithConsent) {
    const FilePath a = MakeFile(dir, "a.jpg");
    const FilePath broken = MakeFile(dir, "two\nlines.jpg");
    const FilePath fake = MakeFile(dir, "x\r\n%");
    Fill(0, {a, broken});
    Fill(1, {fake});

    prompter.answers = {PromptAnswer::No};
    Save();
    EXPECT_FALSE(QFile::exists(dir.FilePath("work.PLD")));
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_TRUE(prompter.questions[0].text.contains(QStringLiteral("two\u21B5lines.jpg")));
    EXPECT_EQ(prompter.questions[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(Asked().size(), 1);

    prompter.answers = {PromptAnswer::Yes};
    Save();
    Load(ReadBytes(stateFile));
    EXPECT_EQ(Entries(0), FilePathList{a});
    EXPECT_EQ(board.TotalCount(), 1);
}

TEST_F(WorkStateTest, OnlyAFileWhoseHeaderSaysSoHasItsLinesUnescaped) {
    const FilePath broken = MakeFile(dir, "two\nlines.jpg");
    const FilePath slashed = MakeFile(dir, "back\\slash\\n.jpg");
    const std::string folder = dir.Native(QString()) + "/";
    // A backslash in a file without the note is the name's own, as it always was. (A question of a
    // missing file would be one nobody scripted.)
    Load(WorkStateText({"*section", "2", slashed}));
    EXPECT_EQ(Entries(2), FilePathList{slashed});

    std::string escaped =
        WorkStateText({"*section", "4", folder + "two\\nlines.jpg", folder + "back\\\\slash\\\\n.jpg"});
    escaped.insert(escaped.find("%\r\n"), "Escaped \\\\ \\r \\n\r\n");
    Load(escaped);
    EXPECT_EQ(Entries(4), (FilePathList{broken, slashed}));
}

TEST_F(WorkStateTest, SpecialFilesAreRefusedWithoutWaiting) {
    const FilePath fifo = dir.Native("fifo.PLD");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const FilePath& path : {fifo, dir.Native(QString()), FilePath("/dev/zero"), dir.Native("none.PLD")}) {
        prompter.questions.clear();
        LoadFile(path);
        EXPECT_EQ(Asked(), QStringList{Text("ファイルを開くことができません")}) << path;
    }
    EXPECT_EQ(board.TotalCount(), 0);

    // A line of several megabytes is one line: what follows it still reads as it should.
    const FilePath a = MakeFile(dir, "a.jpg");
    prompter.questions.clear();
    prompter.answers = {PromptAnswer::Yes};
    Load(WorkStateText({"*section", "0", std::string(3'000'000, 'z'), a}));
    EXPECT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(Entries(0), FilePathList{a});

    // A long load can be stopped from its progress; what was read stays.
    const FilePath b = MakeFile(dir, "b.jpg");
    std::vector<std::string> lines{"*section", "0", a, "*section", "99"};
    lines.resize(100'000, "not in any list");
    lines.insert(lines.end(), {"*section", "0", b});
    WriteBytes(stateFile, WorkStateText(lines));
    std::vector<std::size_t> progress;
    prompter.answers = {PromptAnswer::Yes};
    prompter.openAnswer = stateFile;
    LoadWorkState(board, prompter, [&](std::size_t done, std::size_t total) {
        progress.push_back(done);
        return done < total / 2;
    });
    EXPECT_EQ(Entries(0), FilePathList{a});
    EXPECT_GT(progress.size(), 2u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

} // namespace
} // namespace pelldrake
