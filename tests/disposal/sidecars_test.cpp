#include "app/settings_file.h"
#include "disposal/delete_list_files.h"
#include "disposal/disposal_undo.h"
#include "intake/add_files.h"
#include "support/disposal_sandbox.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace pelldrake;
using namespace pelldrake::testing;

namespace {

struct SidecarBox : DisposalSandbox {
    SidecarBox() : DisposalSandbox(0) {
        for (const char* name : {"IMG_1.CR2", "IMG_1.CR2.xmp", "IMG_1.CR2.PP3", "IMG_1.JPG", "IMG_1.xmp", "IMG_1.AAE",
                                 "IMG_2.jpg", "IMG_2.jpg.DOP", "other.xmp", "IMG_10.jpg"})
            dir.Write(QStringLiteral("from/") + name, name);
    }
    FilePath From(const char* name) const { return dir.Native(QStringLiteral("from/") + name); }
    bool In(const char* folder, const char* name) const {
        return QFileInfo::exists(dir.FilePath(QString::fromLatin1(folder) + "/" + name));
    }
    void Sort(ListIndex list, std::initializer_list<const char*> names) {
        for (const char* name : names)
            board.List(list).Append(From(name));
    }
};

TEST(Sidecars, FollowTheirPictureInEveryFormTheSharedOneWithTheLastToLeaveAndComeBackOnUndo) {
    SidecarBox box;
    box.Sort(3, {"IMG_1.CR2", "IMG_2.jpg"});
    DisposalRecord record;
    box.Run(3, box.To(), false, nullptr, &record);
    for (const char* moved : {"IMG_1.CR2", "IMG_1.CR2.xmp", "IMG_1.CR2.PP3", "IMG_2.jpg", "IMG_2.jpg.DOP"})
        EXPECT_TRUE(box.In("to", moved) && !box.In("from", moved)) << moved;
    // The JPEG of the same base name stays, and with it what the two share.
    for (const char* stayed : {"IMG_1.JPG", "IMG_1.xmp", "IMG_1.AAE", "other.xmp"})
        EXPECT_TRUE(box.In("from", stayed)) << stayed;
    EXPECT_TRUE(box.prompter.questions.empty());

    box.Sort(3, {"IMG_1.JPG"});
    DisposalRecord last;
    box.Run(3, box.To(), false, nullptr, &last);
    EXPECT_TRUE(box.In("to", "IMG_1.xmp") && box.In("to", "IMG_1.AAE") && box.In("from", "other.xmp"));

    DisposalUndo(box.fileSystem, box.prompter, last).Undo({});
    DisposalUndo(box.fileSystem, box.prompter, record).Undo({});
    for (const char* name : {"IMG_1.CR2", "IMG_1.CR2.xmp", "IMG_1.CR2.PP3", "IMG_1.xmp", "IMG_1.AAE", "IMG_2.jpg.DOP"})
        EXPECT_TRUE(box.In("from", name) && !box.In("to", name)) << name;

    // Nor are they ever entries of the board, whatever the filter says.
    Board intake;
    const SettingsFile settings(box.dir.FilePath(QStringLiteral("pelldrake.INI")));
    EXPECT_EQ(AddFiles(intake, settings, false,
                       {box.From("IMG_1.CR2"), box.From("IMG_1.xmp"), box.From("IMG_2.jpg.DOP")}, kUnclassified, true),
              1);
}

TEST(Sidecars, AClashFollowsThePicturesAnswerAndTheTrashAndOtherFileSystemsTakeThemAlong) {
    SidecarBox box;
    box.dir.Write(QStringLiteral("to/IMG_1.CR2"), "older picture");
    box.dir.Write(QStringLiteral("to/IMG_1.CR2.xmp"), "older edits");
    box.dir.Write(QStringLiteral("to/IMG_2.jpg.DOP"), "somebody else's");
    box.fileSystem.crossDevice = true;
    box.Sort(3, {"IMG_1.CR2", "IMG_2.jpg"});
    // はい to the picture, and to its sidecar, which is asked about by itself.
    box.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes, PromptAnswer::Ok};
    box.Run(3, box.To());
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/IMG_1.CR2.xmp")), "IMG_1.CR2.xmp");
    EXPECT_EQ(box.dir.Read(QStringLiteral("trash/IMG_1.CR2.xmp")), "older edits");
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/IMG_2.jpg.DOP")), "somebody else's");
    EXPECT_TRUE(box.In("from", "IMG_2.jpg.DOP") && !box.In("from", "IMG_2.jpg"));
    ASSERT_EQ(box.prompter.questions.size(), 3u);
    EXPECT_TRUE(box.prompter.questions[1].text.contains(QString::fromStdString(box.From("IMG_1.CR2.xmp"))));
    EXPECT_TRUE(box.prompter.questions[2].text.contains(QString::fromStdString(box.From("IMG_2.jpg.DOP"))));
    EXPECT_EQ(box.prompter.questions[1].icon, PromptIcon::Question);
    EXPECT_EQ(box.prompter.questions[2].icon, PromptIcon::Exclamation);

    // いいえ to the picture leaves its sidecars too, without a word about them.
    box.dir.Write(QStringLiteral("from/IMG_3.jpg"), "3");
    box.dir.Write(QStringLiteral("from/IMG_3.jpg.xmp"), "3 edits");
    box.dir.Write(QStringLiteral("to/IMG_3.jpg"), "older 3");
    box.Sort(4, {"IMG_3.jpg"});
    box.prompter.answers = {PromptAnswer::No};
    box.Run(4, box.To());
    EXPECT_TRUE(box.In("from", "IMG_3.jpg.xmp") && !box.In("to", "IMG_3.jpg.xmp"));
    EXPECT_EQ(box.prompter.questions.size(), 4u);

    box.Sort(5, {"IMG_1.JPG", "IMG_3.jpg"});
    DisposalRecord trashed;
    EXPECT_TRUE(DeleteListFiles(box.board, box.fileSystem, 5, &trashed).empty());
    EXPECT_TRUE(box.In("trash", "IMG_1.xmp") && box.In("trash", "IMG_1.AAE") && box.In("trash", "IMG_3.jpg.xmp"));
    EXPECT_EQ(trashed.size(), 5u);
}

TEST(Sidecars, WithPairsOnARawFileIsTheCompanionOfItsJpegInIntakeAndInEveryDisposal) {
    SidecarBox box;
    box.dir.Write(QStringLiteral("from/IMG_4.NEF"), "a raw file alone");
    const SettingsFile settings(box.dir.FilePath(QStringLiteral("pelldrake.INI")));
    const FilePathList found{box.From("IMG_1.CR2"), box.From("IMG_1.JPG"), box.From("IMG_2.jpg"),
                             box.From("IMG_4.NEF")};
    Board single;
    EXPECT_EQ(AddFiles(single, settings, false, found, kUnclassified, true), 4);
    settings.WriteIntakePairs(true);
    EXPECT_EQ(box.dir.Read(QStringLiteral("pelldrake.INI")), "[INTAKE]\r\nPAIRS=1\r\n");
    Board paired;
    AddFiles(paired, settings, false, found, kUnclassified, true);
    EXPECT_EQ(paired.List(kUnclassified).Entries(),
              (FilePathList{box.From("IMG_1.JPG"), box.From("IMG_2.jpg"), box.From("IMG_4.NEF")}));

    // The JPEG takes its raw file along, and the raw file its own sidecars and the shared ones.
    const FilePathList pair{box.From("IMG_1.CR2"), box.From("IMG_1.JPG")};
    ASSERT_EQ(AddFiles(box.board, settings, false, pair, 3, true), 1);
    DisposalRecord record;
    DisposalContext context{box.fileSystem, box.prompter, nullptr, &record};
    CopyOrMoveFiles(box.board, context, 3, box.To(), false);
    for (const char* name : {"IMG_1.JPG", "IMG_1.CR2", "IMG_1.CR2.xmp", "IMG_1.CR2.PP3", "IMG_1.xmp", "IMG_1.AAE"})
        EXPECT_TRUE(box.In("to", name) && !box.In("from", name)) << name;
    DisposalUndo(box.fileSystem, box.prompter, record).Undo({});
    EXPECT_TRUE(box.In("from", "IMG_1.CR2") && box.In("from", "IMG_1.xmp") && !box.In("to", "IMG_1.CR2"));

    ASSERT_EQ(AddFiles(box.board, settings, false, pair, 4, true), 1);
    DeleteListFiles(box.board, box.fileSystem, 4);
    EXPECT_TRUE(box.In("trash", "IMG_1.CR2") && box.In("trash", "IMG_1.CR2.xmp") && !box.In("from", "IMG_1.xmp"));
}

TEST(Sidecars, ARawFileThatIsAnEntryFollowsNoJpeg) {
    SidecarBox box;
    const SettingsFile settings(box.dir.FilePath(QStringLiteral("pelldrake.INI")));
    settings.WriteIntakePairs(true);
    ASSERT_EQ(AddFiles(box.board, settings, false, {box.From("IMG_1.CR2"), box.From("IMG_1.JPG")}, 3, true), 1);
    // Picked by itself afterwards, the raw file is a picture of its own.
    ASSERT_EQ(AddFiles(box.board, settings, false, {box.From("IMG_1.CR2")}, 2, true), 1);
    DeleteListFiles(box.board, box.fileSystem, 3);
    EXPECT_TRUE(box.In("trash", "IMG_1.JPG") && box.In("from", "IMG_1.CR2") && box.In("from", "IMG_1.CR2.xmp"));
    EXPECT_EQ(box.board.List(2).Entries(), FilePathList{box.From("IMG_1.CR2")});
}

TEST(Sidecars, OnlyFilesGoAlongAndEveryFileThatWouldBeReplacedIsAskedAbout) {
    SidecarBox box;
    // A folder named like a sidecar is none: a move leaves it without a word, and so does the trash.
    box.dir.Write(QStringLiteral("from/IMG_2.jpg.xmp/inside"), "kept");
    box.dir.Write(QStringLiteral("from/F.jpg"), "F");
    box.dir.Write(QStringLiteral("from/F.jpg.xmp/inside"), "kept");
    box.Sort(3, {"IMG_2.jpg"});
    box.Run(3, box.To());
    EXPECT_TRUE(box.In("from", "IMG_2.jpg.xmp/inside") && box.In("to", "IMG_2.jpg.DOP"));
    box.Sort(4, {"F.jpg"});
    DeleteListFiles(box.board, box.fileSystem, 4);
    EXPECT_TRUE(box.In("from", "F.jpg.xmp/inside") && box.In("trash", "F.jpg"));
    EXPECT_TRUE(box.prompter.questions.empty());

    // はい to the picture never replaces a folder at its sidecar's name: the sidecar stays, named.
    box.dir.Write(QStringLiteral("from/G.jpg"), "G");
    box.dir.Write(QStringLiteral("from/G.jpg.xmp"), "G edits");
    box.dir.Write(QStringLiteral("to/G.jpg"), "older G");
    box.dir.Write(QStringLiteral("to/G.jpg.xmp/inside"), "kept");
    box.Sort(5, {"G.jpg"});
    box.prompter.answers = {PromptAnswer::Yes, PromptAnswer::Yes};
    box.Run(5, box.To());
    EXPECT_TRUE(box.In("to", "G.jpg.xmp/inside") && box.In("from", "G.jpg.xmp") && !box.In("from", "G.jpg"));
    ASSERT_EQ(box.prompter.questions.size(), 2u);
    EXPECT_TRUE(box.prompter.questions[1].text.contains(QString::fromStdString(box.From("G.jpg.xmp"))));
    EXPECT_EQ(box.prompter.questions[1].buttons, PromptButtons::Ok);

    // A raw file of the pair at the target is asked about by itself; いいえ keeps both where they are.
    const SettingsFile settings(box.dir.FilePath(QStringLiteral("pelldrake.INI")));
    settings.WriteIntakePairs(true);
    box.dir.Write(QStringLiteral("from/P.jpg"), "P");
    box.dir.Write(QStringLiteral("from/P.nef"), "P raw");
    box.dir.Write(QStringLiteral("to/P.jpg"), "older P");
    box.dir.Write(QStringLiteral("to/P.nef"), "older P raw");
    ASSERT_EQ(AddFiles(box.board, settings, false, {box.From("P.jpg"), box.From("P.nef")}, 6, true), 1);
    box.prompter.answers = {PromptAnswer::Yes, PromptAnswer::No};
    box.Run(6, box.To());
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/P.jpg")), "P");
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/P.nef")), "older P raw");
    EXPECT_TRUE(box.In("from", "P.nef"));
    ASSERT_EQ(box.prompter.questions.size(), 4u);
    EXPECT_TRUE(box.prompter.questions[3].text.contains(QString::fromStdString(box.From("P.nef"))));
    EXPECT_EQ(box.prompter.questions[3].buttons, PromptButtons::YesNoCancel);
}

TEST(Sidecars, ALinkStillNamesItsFileAfterAMoveAndItsUndoAndASecondCopyFindsTheSharedOneThere) {
    SidecarBox box;
    box.dir.Write(QStringLiteral("from/L.jpg"), "L");
    box.dir.Write(QStringLiteral("from/edits"), "L edits");
    ASSERT_EQ(::symlink("edits", box.From("L.jpg.xmp").c_str()), 0);
    box.Sort(3, {"L.jpg"});
    DisposalRecord record;
    box.Run(3, box.To(), false, nullptr, &record);
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/L.jpg.xmp")), "L edits");
    EXPECT_TRUE(QFileInfo(box.dir.FilePath(QStringLiteral("to/L.jpg.xmp"))).isSymLink());
    EXPECT_FALSE(box.In("from", "L.jpg.xmp"));
    DisposalUndo(box.fileSystem, box.prompter, record).Undo({});
    EXPECT_EQ(box.dir.Read(QStringLiteral("from/L.jpg.xmp")), "L edits");
    EXPECT_TRUE(box.In("from", "L.jpg") && !box.In("to", "L.jpg.xmp"));
    EXPECT_TRUE(box.prompter.questions.empty());

    // Copied with the JPEG before, the shared sidecar is there when its raw file is copied after.
    box.prompter.questions.clear();
    box.Sort(4, {"IMG_1.JPG"});
    box.Run(4, box.To(), true);
    box.Sort(5, {"IMG_1.CR2"});
    box.Run(5, box.To(), true);
    EXPECT_TRUE(box.In("to", "IMG_1.CR2.xmp") && box.In("to", "IMG_1.xmp") && box.In("from", "IMG_1.xmp"));
    EXPECT_TRUE(box.prompter.questions.empty());
}

} // namespace
