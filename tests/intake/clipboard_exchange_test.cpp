#include "app/settings_file.h"
#include "board/board.h"
#include "intake/add_files.h"
#include "intake/clipboard_exchange.h"
#include "intake/clipboard_formats.h"
#include "resources/strings.h"
#include "support/fake_clipboard.h"
#include "support/recording_owner.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace pelldrake {
namespace {

class ClipboardExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        board.AttachOwner(&owner);
        std::filesystem::create_directory(root + "/folder");
    }
    void TearDown() override { std::filesystem::remove_all(root); } // QTemporaryDir skips non-UTF-8 names

    std::string File(const std::string& name) { return dir.Touch(name, "x"); }
    void Export(ListIndex list, const FilePathList& paths, PromptAnswer answer) {
        board.AppendAndShow(list, paths);
        prompter.answers.push_back(answer);
        CopyListToClipboard(board, list, clipboard, prompter);
    }
    void Paste(const char* format = nullptr, const QByteArray& data = {}, int messages = 0) {
        prompter.answers.insert(prompter.answers.end(), messages, PromptAnswer::Ok);
        if (format) {
            clipboard.contents = std::make_unique<QMimeData>();
            clipboard.contents->setData(format, data);
        }
        PasteFilesFromClipboard(board, settings, false, clipboard, prompter);
    }
    QByteArray Data(const char* format) const { return clipboard.contents->data(format); }
    const FilePathList& Entries(ListIndex list) const { return board.List(list).Entries(); }
    QString Asked(std::size_t i) const { return prompter.questions.at(i).text; }

    testing::TempDir dir;
    const std::string root = QFile::encodeName(dir.path()).toStdString();
    const std::string a = File("写真 \"1\".jpg"); // spaces and quotes belong to the name
    const std::string b = File("\xff\xfe.jpg");   // not UTF-8
    const std::string c = File("c.jpg");
    SettingsFile settings{dir.FilePath("p.INI")};
    testing::RecordingOwner owner;
    Board board;
    testing::ScriptedPrompter prompter;
    testing::FakeClipboard clipboard;
};

TEST_F(ClipboardExchangeTest, ExportPutsFilesAndCrLfTextThenAsksWhetherToClear) {
    Export(3, {a}, PromptAnswer::No);
    const QByteArray url =
        "file://" + QByteArray::fromStdString(root).toPercentEncoding("/") + "/%E5%86%99%E7%9C%9F%20%221%22.jpg";
    EXPECT_EQ(Data("text/uri-list"), url + "\r\n");
    EXPECT_EQ(Data("x-special/gnome-copied-files"), "copy\n" + url);
    EXPECT_EQ(Data("text/plain").toStdString(), a + "\r\n");
    EXPECT_EQ(Asked(0), strings::Utf8(strings::kClipboardClearQuestion));
    EXPECT_EQ(prompter.questions[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(Entries(3), FilePathList{a});

    board.List(5).Append(a);
    EXPECT_EQ(DoubleNulPathList(board.List(5)), a + '\0' + '\0');
    Export(5, {b, c}, PromptAnswer::Yes);
    EXPECT_EQ(LocalFilesOf(*clipboard.contents), (FilePathList{a, b, c})); // byte for byte
    EXPECT_EQ(Data("text/plain").toStdString(), a + "\r\n" + b + "\r\n" + c + "\r\n");
    EXPECT_TRUE(Entries(5).empty());
    EXPECT_EQ(owner.scrollMax[5], 0);
    EXPECT_EQ(DoubleNulPathList(board.List(5)), std::string(1, '\0'));
}

TEST_F(ClipboardExchangeTest, ExportTakesWhatFollowsEachPictureOnceAndNoRawFileThatIsAnEntry) {
    const std::string jpeg = File("folder/N.jpg");
    const std::string raw = File("folder/N.cr2");
    const std::string other = File("folder/O.jpg");
    const std::string otherRaw = File("folder/O.cr2");
    for (const char* sidecar : {"folder/N.cr2.xmp", "folder/N.xmp", "folder/N.jpg.xmp", "folder/O.jpg.xmp"})
        File(sidecar);
    settings.WriteIntakePairs(true);
    ASSERT_EQ(AddFiles(board, settings, false, {jpeg, raw, other, otherRaw}, 4, true), 2);
    // Picked by itself afterwards, a raw file is a picture of its own.
    ASSERT_EQ(AddFiles(board, settings, false, {otherRaw}, 2, true), 1);
    prompter.answers.push_back(PromptAnswer::No);
    CopyListToClipboard(board, 4, clipboard, prompter);
    EXPECT_EQ(LocalFilesOf(*clipboard.contents),
              (FilePathList{jpeg, raw, root + "/folder/N.cr2.xmp", root + "/folder/N.xmp", root + "/folder/N.jpg.xmp",
                            other, root + "/folder/O.jpg.xmp"}));
}

TEST_F(ClipboardExchangeTest, UnusableClipboardIsReportedAndNothingChanges) {
    clipboard.usable = false;
    Export(2, {a}, PromptAnswer::Ok);
    Paste(nullptr, {}, 1);
    ASSERT_EQ(prompter.questions.size(), 2u);
    EXPECT_EQ(Asked(0), strings::Utf8(strings::kClipboardUnavailable));
    EXPECT_EQ(Asked(1), Asked(0));
    EXPECT_EQ(prompter.questions[1].icon, PromptIcon::Stop);
    EXPECT_EQ(Entries(2), FilePathList{a});
    EXPECT_TRUE(Entries(kUnclassified).empty());
}

TEST_F(ClipboardExchangeTest, PasteAfterExportAddsOnlyWhatTheBoardNoLongerHolds) {
    Export(2, {a, b}, PromptAnswer::No);
    clipboard.contents->setData("text/plain", QByteArray::fromStdString(c)); // the file list wins
    Paste();
    EXPECT_TRUE(Entries(kUnclassified).empty());
    Export(2, {}, PromptAnswer::Yes);
    Paste();
    EXPECT_EQ(Entries(kUnclassified), (FilePathList{a, b}));
}

TEST_F(ClipboardExchangeTest, PastedTextSplitsOnLineBreakRunsAndNamesFoldersAndMissingFiles) {
    const std::string folder = root + "/folder";
    const std::string missing = root + "/missing.jpg";
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(root);
    Paste("text/plain",
          QByteArray::fromStdString("\r\n" + a + "\r\n\r\n\n" + folder + "\r\n" + missing + "\n\rc.jpg\n" + b +
                                    std::string(1, '\0') + File("d.jpg")),
          1);
    std::filesystem::current_path(previous);
    EXPECT_EQ(Entries(kUnclassified), (FilePathList{a, c, b})); // c named relative to the current folder
    EXPECT_EQ(Asked(0), strings::Utf8(strings::kClipboardUnusableNames) + QFile::decodeName(folder.c_str()) + "\r\n" +
                            QFile::decodeName(missing.c_str()) + "\r\n");

    Paste("text/plain", QByteArray::fromStdString(missing + "\n").repeated(kMaxListedUnusableNames + 1), 1);
    EXPECT_EQ(Asked(1).count('\n'), kMaxListedUnusableNames + 2);
    EXPECT_TRUE(Asked(1).endsWith(QString::fromUtf8("…\r\n")));

    // A name of a million letters is shown by its ends; over 16 MiB the clipboard is refused.
    Paste("text/plain", "/" + QByteArray(1'000'000, 'x') + "z", 1);
    EXPECT_EQ(Asked(2), strings::Utf8(strings::kClipboardUnusableNames) + "/" + QString(129, 'x') +
                            QString::fromUtf8("…") + QString(128, 'x') + "z\r\n");
    Paste("text/plain", QByteArray::fromStdString(c + "\n").repeated((16 << 20) / int(c.size() + 1) + 1), 1);
    EXPECT_EQ(Asked(3), strings::Utf8(strings::kClipboardUnavailable));
    EXPECT_EQ(Entries(kUnclassified), (FilePathList{a, c, b}));
}

TEST_F(ClipboardExchangeTest, PastedFileListTakesLocalFilesOnlyAndDropsFoldersSilently) {
    Paste("text/uri-list", "# comment\r\n" + FileUrl(root + "/folder") + "\r\nhttp://host/x.jpg\r\nfile://elsewhere" +
                               QByteArray::fromStdString(c) + "\r\n " + FileUrl(b) + " \r\n");
    EXPECT_EQ(Entries(kUnclassified), FilePathList{b});
    Paste("x-special/gnome-copied-files", "cut\n" + FileUrl(c).replace("file://", "file://LocalHost"));
    EXPECT_EQ(Entries(kUnclassified), (FilePathList{b, c}));
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(LocalPathOfUrl("file:" + c + "#part"), c);
    EXPECT_EQ(LocalPathOfUrl("file:///a%00b"), std::nullopt);
}

} // namespace
} // namespace pelldrake
