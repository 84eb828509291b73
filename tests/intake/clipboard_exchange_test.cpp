#include "app/settings_file.h"
#include "board/board.h"
#include "intake/clipboard_exchange.h"
#include "intake/clipboard_formats.h"
#include "resources/strings.h"
#include "support/fake_clipboard.h"
#include "support/recording_owner.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace pelldrake {
namespace {

using testing::FakeClipboard;
using testing::RecordingOwner;
using testing::ScriptedPrompter;
using testing::TempDir;

class ClipboardExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        board.AttachOwner(&owner);
        std::filesystem::create_directory(root + "/folder");
    }
    // QTemporaryDir cannot remove a name that is not UTF-8.
    void TearDown() override { std::filesystem::remove_all(root); }

    std::string File(const std::string& name) {
        std::ofstream(root + "/" + name) << "x";
        return root + "/" + name;
    }
    void Put(ListIndex list, const FilePathList& paths) {
        for (const FilePath& path : paths)
            board.List(list).Append(path);
        board.ResyncPane(list);
    }
    void Export(ListIndex list, PromptAnswer clear) {
        prompter.answers.push_back(clear);
        CopyListToClipboard(board, list, clipboard, prompter);
    }
    void Paste() { PasteFilesFromClipboard(board, settings, false, clipboard, prompter); }
    void PasteFormat(const QString& format, const QByteArray& data) {
        clipboard.contents = std::make_unique<QMimeData>();
        clipboard.contents->setData(format, data);
        Paste();
    }
    QByteArray Data(const char* format) const { return clipboard.contents->data(format); }
    const FilePathList& Entries(ListIndex list) const { return board.List(list).Entries(); }
    QString Asked(std::size_t i) const { return prompter.questions.at(i).text; }

    TempDir dir;
    const std::string root = QFile::encodeName(dir.path()).toStdString();
    const std::string a = File("写真 \"1\".jpg"); // spaces and quotes belong to the name
    const std::string b = File("\xff\xfe.jpg");   // not UTF-8
    const std::string c = File("c.jpg");
    SettingsFile settings{dir.FilePath("p.INI")};
    RecordingOwner owner;
    Board board;
    ScriptedPrompter prompter;
    FakeClipboard clipboard;
};

TEST_F(ClipboardExchangeTest, ExportPutsFilesAndCrLfTextThenAsksWhetherToClear) {
    Put(3, {a});
    Export(3, PromptAnswer::No);
    const QByteArray urlA =
        "file://" + QByteArray::fromStdString(root).toPercentEncoding("/") + "/%E5%86%99%E7%9C%9F%20%221%22.jpg";
    EXPECT_EQ(Data("text/uri-list"), urlA + "\r\n");
    EXPECT_EQ(Data("x-special/gnome-copied-files"), "copy\n" + urlA);
    EXPECT_EQ(Data("text/plain").toStdString(), a + "\r\n");
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(Asked(0), strings::Utf8(strings::kClipboardClearQuestion));
    EXPECT_EQ(prompter.questions[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompter.questions[0].icon, PromptIcon::Question);
    EXPECT_EQ(Entries(3), FilePathList{a});

    Put(5, {a, b, c});
    board.ResyncPane(5, 1);
    EXPECT_EQ(DoubleNulPathList(board.List(5)), a + '\0' + b + '\0' + c + '\0' + '\0');
    Export(5, PromptAnswer::Yes);
    EXPECT_EQ(LocalFilesOf(*clipboard.contents), (FilePathList{a, b, c})); // byte for byte
    EXPECT_EQ(Data("text/plain").toStdString(), a + "\r\n" + b + "\r\n" + c + "\r\n");
    EXPECT_TRUE(Entries(5).empty());
    EXPECT_EQ(owner.scrollMax[5], 0);
    EXPECT_EQ(owner.scrollPos[5], 0);
    EXPECT_EQ(DoubleNulPathList(board.List(5)), std::string(1, '\0'));
}

TEST_F(ClipboardExchangeTest, ClipboardThatCannotBeUsedIsReportedAndNothingChanges) {
    Put(2, {a});
    clipboard.usable = false;
    Export(2, PromptAnswer::Yes);
    Paste();
    ASSERT_EQ(prompter.questions.size(), 2u);
    for (const auto& question : prompter.questions) {
        EXPECT_EQ(question.text, strings::Utf8(strings::kClipboardUnavailable));
        EXPECT_EQ(question.buttons, PromptButtons::Ok);
        EXPECT_EQ(question.icon, PromptIcon::Stop);
    }
    EXPECT_EQ(Entries(2), FilePathList{a});
    EXPECT_TRUE(Entries(kUnclassified).empty());
}

TEST_F(ClipboardExchangeTest, PasteAfterExportAddsOnlyWhatTheBoardNoLongerHolds) {
    Put(2, {a, b});
    Export(2, PromptAnswer::No);
    clipboard.contents->setData("text/plain", QByteArray::fromStdString(c)); // the file list wins
    Paste();
    EXPECT_TRUE(Entries(kUnclassified).empty());
    Export(2, PromptAnswer::Yes);
    Paste();
    EXPECT_EQ(Entries(kUnclassified), (FilePathList{a, b}));
    EXPECT_EQ(prompter.questions.size(), 2u);
}

TEST_F(ClipboardExchangeTest, PastedTextSplitsOnLineBreakRunsAndNamesFoldersAndMissingFiles) {
    const std::string folder = root + "/folder";
    const std::string missing = root + "/missing.jpg";
    const std::string d = File("d.jpg");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(root);
    PasteFormat("text/plain", QByteArray::fromStdString("\r\n" + a + "\r\n\r\n\n" + folder + "\r\n" + missing +
                                                        "\n\rc.jpg\n" + b + std::string(1, '\0') + d));
    std::filesystem::current_path(previous);
    EXPECT_EQ(Entries(kUnclassified), (FilePathList{a, root + "/c.jpg", b}));
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(Asked(0), strings::Utf8(strings::kClipboardUnusableNames) + QFile::decodeName(folder.c_str()) + "\r\n" +
                            QFile::decodeName(missing.c_str()) + "\r\n");
    EXPECT_EQ(prompter.questions[0].icon, PromptIcon::Stop);

    std::string many;
    for (int i = 0; i <= kMaxListedUnusableNames; ++i)
        many += missing + "\n";
    PasteFormat("text/plain", QByteArray::fromStdString(many));
    EXPECT_EQ(Asked(1).count('\n'), kMaxListedUnusableNames + 2);
    EXPECT_TRUE(Asked(1).endsWith(QString::fromUtf8("…\r\n")));
}

TEST_F(ClipboardExchangeTest, PastedFileListTakesLocalFilesOnlyAndDropsFoldersSilently) {
    const QByteArray folderUrl = FileUrl(root + "/folder");
    PasteFormat("text/uri-list", "# comment\r\n" + folderUrl + "\r\nhttp://host/x.jpg\r\nfile://elsewhere" +
                                     QByteArray::fromStdString(c) + "\r\n " + FileUrl(b) + " \r\n");
    EXPECT_EQ(Entries(kUnclassified), FilePathList{b});
    PasteFormat("x-special/gnome-copied-files", "cut\n" + FileUrl(c).replace("file://", "file://LocalHost"));
    EXPECT_EQ(Entries(kUnclassified), (FilePathList{b, c}));
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(LocalPathOfUrl("file:" + c + "#part"), c);
    EXPECT_EQ(LocalPathOfUrl("file:///a%00b"), std::nullopt);
}

} // namespace
} // namespace pelldrake
