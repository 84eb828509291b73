#include "board/board.h"
#include "disposal/copy_or_move_files.h"
#include "disposal/delete_list_files.h"
#include "platform/file_info.h"
#include "resources/xmp_strings.h"
#include "support/disposal_sandbox.h"
#include "support/editor_sidecars.h"
#include "xmp/xmp_merge.h"
#include "xmp/xmp_run.h"

#include <QProcess>
#include <QRegularExpression>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <tuple>

namespace pelldrake {
namespace {

using testing::DisposalSandbox;
using testing::TempDir;

std::string Read(const FilePath& path) {
    return DisposalSandbox::ReadNative(path).toStdString();
}

// The tree without the two fields the decision writes.
std::string TreeBesideDecision(const std::string& sidecar) {
    const std::optional<std::string> tree = PropertyTree(sidecar);
    if (!tree)
        return "<no XMP>";
    std::string kept;
    std::size_t at = 0;
    while (at < tree->size()) {
        const std::size_t end = tree->find('\n', at);
        const std::string line = tree->substr(at, end - at + 1);
        if (!line.starts_with("Xmp.xmp.Rating=") && !line.starts_with("Xmp.xmp.Label="))
            kept += line;
        at = end + 1;
    }
    return kept;
}

std::set<std::string> NamesIn(const FilePath& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

XmpDecision Decide(std::optional<int> rating, std::optional<std::optional<ColourLabel>> label) {
    XmpDecision decision;
    decision.rating = rating;
    decision.label = label;
    return decision;
}

// An editor's sidecar keeps every property, namespace and structure beside the two fields; the
// pictures themselves are never written; a sidecar of each form is made where none was, one shared
// by a raw file and its JPEG (an entry each) is written once, and one that is a link stays a link to
// the file it names, which is written.
TEST(XmpSidecarsTest, AMergeKeepsEverythingElseOfAnEditorsSidecarAndNoPictureIsWritten) {
    TempDir dir;
    const FilePath raw = dir.Write("IMG_1.CR2", "raw pixels");
    const FilePath jpeg = dir.Write("IMG_1.JPG", "jpeg pixels");
    const FilePath other = dir.Write("IMG_2.JPG", "other pixels");
    const FilePath darktable = dir.Write("IMG_1.CR2.xmp", testing::kDarktableSidecar);
    const FilePath lightroom = dir.Write("edits/IMG_2.xmp", testing::kLightroomSidecar);
    std::filesystem::create_symlink("edits/IMG_2.xmp", dir.Native("IMG_2.xmp"));
    // Whatever the umask, a sidecar keeps the permission bits it had.
    const auto everyone = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                          std::filesystem::perms::group_read | std::filesystem::perms::group_write |
                          std::filesystem::perms::others_read | std::filesystem::perms::others_write;
    std::filesystem::permissions(darktable, everyone);
    PosixFileSystem disk;
    const XmpRunOutcome outcome =
        WriteDecision(XmpRunContext{disk}, {raw, jpeg, other}, Decide(3, ColourLabel::Red), SidecarForm::Both);
    EXPECT_TRUE(outcome.failed.empty());
    const std::tuple<FilePath, const char*, const char*> editors[] = {
        {darktable, testing::kDarktableSidecar, "history[2]/darktable:operation=colorbalancergb"},
        {lightroom, testing::kLightroomSidecar, "Xmp.crs.Look/crs:Group=lang=\"x-default\" Profiles"}};
    for (const auto& [sidecar, before, deepest] : editors) {
        SCOPED_TRACE(sidecar);
        const std::string after = Read(sidecar);
        EXPECT_EQ(TreeBesideDecision(after), TreeBesideDecision(before));
        EXPECT_NE(TreeBesideDecision(after).find(deepest), std::string::npos);
        const std::optional<XmpFields> fields = ReadFields(after);
        ASSERT_TRUE(fields);
        EXPECT_EQ(fields->rating, "3");
        EXPECT_EQ(fields->label, "Red");
    }
    EXPECT_EQ(Read(raw) + Read(jpeg) + Read(other), "raw pixelsjpeg pixelsother pixels");
    EXPECT_EQ(NamesIn(dir.Native(".")),
              (std::set<std::string>{"IMG_1.CR2", "IMG_1.JPG", "IMG_2.JPG", "IMG_1.CR2.xmp", "IMG_1.JPG.xmp",
                                     "IMG_2.JPG.xmp", "IMG_1.xmp", "IMG_2.xmp", "edits"}));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Native("IMG_2.xmp")));
    EXPECT_EQ(std::filesystem::status(darktable).permissions(), everyone);
    // Written once: the shared sidecar is in the record once.
    EXPECT_EQ(outcome.record.size(), 5u);
    // A packet of the first XMP years spells the namespace "xap:"; what is written after it still
    // says "xmp:", as every other sidecar does.
    const std::string old = R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF )"
                            R"(xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"><rdf:Description )"
                            R"(rdf:about="" xmlns:xap="http://ns.adobe.com/xap/1.0/" xap:CreatorTool="Tool"/>)"
                            R"(</rdf:RDF></x:xmpmeta>)";
    EXPECT_NE(MergeDecision(old, Decide(3, std::nullopt)).value_or("").find("xmp:Rating=\"3\""), std::string::npos);
    EXPECT_NE(MergeDecision(std::nullopt, Decide(3, std::nullopt)).value_or("").find("xmp:Rating=\"3\""),
              std::string::npos);
    // A sidecar a tool of another system named ".XMP" is the one merged: no second one beside it.
    const FilePath capitals = dir.Write("IMG_3.XMP", testing::kLightroomSidecar);
    const FilePath third = dir.Write("IMG_3.JPG", "third pixels");
    EXPECT_TRUE(
        WriteDecision(XmpRunContext{disk}, {third}, Decide(4, std::nullopt), SidecarForm::BaseName).failed.empty());
    EXPECT_EQ(ReadFields(Read(capitals)).value_or(XmpFields{}).rating, "4");
    EXPECT_FALSE(std::filesystem::exists(dir.Native("IMG_3.xmp")));
}

// What the editors' readers see, checked with exiftool: the rating and the label of each form, a
// rejection as -1, and "なし" taking the label away.
TEST(XmpSidecarsTest, ExiftoolReadsTheRatingAndLabelOfEachForm) {
    if (!std::filesystem::exists("/usr/bin/exiftool"))
        GTEST_SKIP() << "exiftool (libimage-exiftool-perl) is not installed; scripts/setup.sh installs it";
    TempDir dir;
    const FilePath picture = dir.Write("DSC_7.NEF", "raw");
    const FilePath edited = dir.Write("DSC_8.NEF", "raw");
    dir.Write("DSC_8.xmp", testing::kLightroomSidecar);
    dir.Write("DSC_8.NEF.xmp", testing::kDarktableSidecar);
    PosixFileSystem disk;
    const auto exiftool = [&](const QStringList& arguments, const QString& name) {
        QProcess run;
        run.start(QStringLiteral("/usr/bin/exiftool"), QStringList(arguments) << dir.FilePath(name));
        run.waitForFinished(-1);
        return QString::fromUtf8(run.readAllStandardOutput());
    };
    const auto seen = [&](const QString& name) {
        const QString out =
            exiftool({QStringLiteral("-X"), QStringLiteral("-XMP-xmp:Rating"), QStringLiteral("-XMP-xmp:Label")}, name);
        const QRegularExpression rating(QStringLiteral("<XMP-xmp:Rating>([^<]*)</XMP-xmp:Rating>"));
        const QRegularExpression label(QStringLiteral("<XMP-xmp:Label>([^<]*)</XMP-xmp:Label>"));
        return rating.match(out).captured(1) + "/" + label.match(out).captured(1);
    };
    // Everything else exiftool reads in the editors' sidecars, which the merge must not change, but
    // for the toolkit that wrote them, which Exiv2 names as itself.
    const auto rest = [&](const QString& name) {
        QStringList lines = exiftool({QStringLiteral("-s"), QStringLiteral("-XMP:all")}, name).split('\n');
        lines.removeIf([](const QString& line) {
            return line.startsWith("Rating ") || line.startsWith("Label ") || line.startsWith("XMPToolkit ");
        });
        return lines.join('\n').toStdString();
    };
    const std::string lightroomRest = rest("DSC_8.xmp");
    const std::string darktableRest = rest("DSC_8.NEF.xmp");
    ASSERT_NE(lightroomRest.find("LookGroup"), std::string::npos);
    ASSERT_NE(darktableRest.find("HistoryOperation"), std::string::npos);
    ASSERT_TRUE(WriteDecision(XmpRunContext{disk}, {picture, edited}, Decide(5, ColourLabel::Purple), SidecarForm::Both)
                    .failed.empty());
    for (const QString name : {"DSC_7.xmp", "DSC_7.NEF.xmp", "DSC_8.xmp", "DSC_8.NEF.xmp"})
        EXPECT_EQ(seen(name), QStringLiteral("5/Purple")) << name.toStdString();
    EXPECT_EQ(rest("DSC_8.xmp"), lightroomRest);
    EXPECT_EQ(rest("DSC_8.NEF.xmp"), darktableRest);
    ASSERT_TRUE(WriteDecision(XmpRunContext{disk}, {picture, edited}, Decide(-1, std::optional<ColourLabel>()),
                              SidecarForm::Both)
                    .failed.empty());
    for (const QString name : {"DSC_7.xmp", "DSC_7.NEF.xmp", "DSC_8.xmp", "DSC_8.NEF.xmp"})
        EXPECT_EQ(seen(name), QStringLiteral("-1/")) << name.toStdString();
}

// A read-only sidecar, a folder under a sidecar's name, 20 MB of garbage, a name that is not
// UTF-8 with a sidecar that is no XMP, a picture that has gone: each picture is named, and nothing
// but the good one's new sidecar appears or changes, no temporary file either.
TEST(XmpSidecarsTest, ASidecarThatCannotBeWrittenIsLeftAsItIsAndItsPictureNamed) {
    TempDir dir;
    const FilePath locked = dir.Write("a.jpg", "a");
    const FilePath lockedSidecar = dir.Write("a.xmp", testing::kLightroomSidecar);
    std::filesystem::permissions(lockedSidecar, std::filesystem::perms::owner_read);
    const FilePath folder = dir.Write("b.jpg", "b");
    std::filesystem::create_directory(dir.Native("b.xmp"));
    const FilePath huge = dir.Write("c.jpg", "c");
    QByteArray garbage(20 << 20, '\0');
    for (qsizetype i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 7919) >> 3);
    dir.Write("c.xmp", garbage);
    const FilePath foreign = dir.Touch("\xff\xfe.jpg", "d");
    dir.Touch("\xff\xfe.xmp", "no XMP here");
    const FilePath good = dir.Write("e.jpg", "e");
    const FilePath gone = dir.Native("gone.jpg");
    const std::set<std::string> namesBefore = NamesIn(dir.Native("."));
    PosixFileSystem disk;
    const XmpRunOutcome outcome = WriteDecision(XmpRunContext{disk}, {locked, folder, huge, foreign, gone, good},
                                                Decide(2, std::nullopt), SidecarForm::BaseName);
    EXPECT_EQ(outcome.failed, FilePathList({locked, folder, huge, foreign, gone}));
    const QString message = NamedFilesMessage(strings::kXmpFailed, outcome.failed);
    EXPECT_TRUE(message.startsWith(QString::fromUtf8("XMPに記録できなかったファイルがあります。\r\n")));
    EXPECT_TRUE(message.contains(PathToQString(foreign)));
    EXPECT_EQ(Read(lockedSidecar), testing::kLightroomSidecar);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Native("b.xmp")));
    EXPECT_EQ(DisposalSandbox::ReadNative(dir.Native("c.xmp")), garbage);
    EXPECT_EQ(Read(dir.Touch("\xff\xfe.xmp", "no XMP here")), "no XMP here");
    std::set<std::string> namesAfter = namesBefore;
    namesAfter.insert("e.xmp");
    EXPECT_EQ(NamesIn(dir.Native(".")), namesAfter);
    EXPECT_EQ(ReadFields(Read(dir.Native("e.xmp")))->rating, "2");
}

// Moving a list afterwards takes both forms of sidecar along, and so does the trash.
TEST(XmpSidecarsTest, BothFormsOfSidecarTravelWithTheirPicture) {
    DisposalSandbox box(2);
    ASSERT_TRUE(
        WriteDecision(XmpRunContext{box.fileSystem}, box.sources, Decide(4, ColourLabel::Blue), SidecarForm::Both)
            .failed.empty());
    box.Run(3, box.To());
    for (const char* name : {"to/f1.xmp", "to/f1.jpg.xmp", "to/f2.xmp", "to/f2.jpg.xmp"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadFields(Read(box.dir.Native(name))).value_or(XmpFields{}).rating, "4");
    }
    EXPECT_EQ(NamesIn(box.dir.Native("from")), std::set<std::string>());
    for (int i = 1; i <= 2; ++i)
        box.board.List(5).Append(box.dir.Native(QStringLiteral("to/f%1.jpg").arg(i)));
    DeleteListFiles(box.board, box.fileSystem, 5);
    EXPECT_EQ(NamesIn(box.dir.Native("to")), std::set<std::string>());
    EXPECT_EQ(NamesIn(box.dir.Native("trash")),
              (std::set<std::string>{"f1.jpg", "f1.jpg.xmp", "f1.xmp", "f2.jpg", "f2.jpg.xmp", "f2.xmp"}));
}

} // namespace
} // namespace pelldrake
