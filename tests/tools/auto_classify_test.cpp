#include "board/board.h"
#include "support/temp_dir.h"
#include "tools/auto_classify.h"

#include <QFile>
#include <gtest/gtest.h>

namespace pelldrake {
namespace {

using testing::TempDir;

// 表 in code page 932 (its trail byte is the backslash) and in UTF-8.
const std::string kHyoCp932 = "\x95\x5C";
const std::string kHyoUtf8 = "\xE8\xA1\xA8";

struct NameCase {
    const char* name;
    bool cp932;
    std::string filterText;
    std::string fileName;
    bool matches;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.name;
}

class NameFilter : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameFilter, SplitsUpperCasesAndMatchesByWholeCharacters) {
    static const Cp932CodePage cp932;
    static const Utf8CodePage utf8;
    const NameCase& c = GetParam();
    ClassifyConditions conditions;
    conditions.nameFilterOn = true;
    conditions.nameFilter = c.filterText;
    const ClassifyRules rules(conditions, c.cp932 ? static_cast<const CodePage&>(cp932) : utf8);
    EXPECT_EQ(rules.Matches(c.fileName, 0, 0), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    AutoClassify, NameFilter,
    ::testing::Values(NameCase{"StarThenOneTakesTwo", false, "*?.JPG", "AB.JPG", true},
                      NameCase{"StarThenOneTakesOne", false, "*?.JPG", "B.JPG", true},
                      NameCase{"QuestionMarkNeedsACharacter", false, "*?.JPG", ".JPG", false},
                      NameCase{"TwoStarsTakeNothing", false, "A**", "A", true},
                      NameCase{"QuestionMarkTakesADoubleByteCharacter", true, "A?C", "A" + kHyoCp932 + "C", true},
                      NameCase{"QuestionMarkTakesNotHalfACharacter", true, "A??C", "A" + kHyoCp932 + "C", false},
                      NameCase{"QuestionMarkTakesAUtf8Character", false, "A?C", "A" + kHyoUtf8 + "C", true},
                      NameCase{"PatternLongerThanName", false, "*.JP?", "A.JP", false},
                      NameCase{"EitherPatternUpperCaseName", false, "*.jpg;*.png", "A.JPG", true},
                      NameCase{"EitherPatternLowerCaseName", false, "*.jpg;*.png", "b.png", true},
                      NameCase{"BlankAfterSemicolonIsPartOfThePattern", false, "*.jpg; *.png", "b.png", false},
                      NameCase{"LoneSemicolonGivesOneEmptyPattern", false, ";", "A.JPG", false},
                      NameCase{"EmptyTextLetsEveryNamePass", false, "", "A.JPG", true},
                      NameCase{"StarsDoNotBacktrackForever", false, "*A*A*A*A*A*A*A*A*B", std::string(200, 'a'),
                               false}),
    [](const ::testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

// A board over files in a temporary folder; no window is attached.
class AutoClassifyRun : public ::testing::Test {
protected:
    TempDir dir;
    Board board;

    FilePath File(const QString& name, qint64 size = 0) {
        const FilePath path = dir.Write(name, QByteArray());
        QFile(dir.FilePath(name)).resize(size);
        return path;
    }
    FilePath Dated(const QString& name, const QDateTime& modified) {
        const FilePath path = File(name);
        QFile file(dir.FilePath(name));
        file.open(QIODevice::ReadWrite);
        file.setFileTime(modified, QFileDevice::FileModificationTime);
        return path;
    }
    void Fill(ListIndex list, const FilePathList& paths) {
        for (const FilePath& path : paths)
            board.List(list).Append(path);
        board.List(list).SetPosition(board.List(list).MaxPosition());
    }
    const FilePathList& Entries(ListIndex list) const { return board.List(list).Entries(); }
    static ClassifyConditions FromList(ListIndex source, int target) {
        ClassifyConditions c = ClassifyConditions::StartingAt(QDateTime::currentDateTime());
        c.sourceMode = ClassifyConditions::kOneList;
        c.sourceList = source;
        c.targetMode = ClassifyConditions::kToChosen;
        c.targetChoice = target;
        return c;
    }
};

TEST_F(AutoClassifyRun, NoConditionGathersAllListsInOrderAndLeavesMissingFiles) {
    const FilePath missing = dir.Native("gone.jpg");
    const FilePath a = File("a"), b = File("b"), c = File("c"), d = File("d");
    Fill(0, {a, missing});
    Fill(3, {b, c});
    Fill(10, {d});
    EXPECT_EQ(RunAutoClassify(board, ClassifyConditions::StartingAt(QDateTime::currentDateTime())), 4);
    EXPECT_EQ(Entries(0), (FilePathList{missing, a, b, c, d}));
    for (ListIndex list = 0; list < kListCount; ++list) {
        EXPECT_EQ(board.List(list).position(), 0);
        EXPECT_EQ(board.List(list).Count(), list == 0 ? 5 : 0);
    }
}

TEST_F(AutoClassifyRun, SizeBoundsAreInclusiveKilobytesOverWholeSizes) {
    const FilePath small = File("small", 10239), low = File("low", 10240), high = File("high", 20480),
                   over = File("over", 20481);
    // Beyond 4 GB a size cut to its low 32 bits would read 512 bytes or 1 GB.
    const FilePath justOver4Gb = File("sparse4", (qint64(4) << 30) + 512);
    const FilePath fiveGb = File("sparse5", qint64(5) << 30);
    Fill(1, {small, low, high, over});
    ClassifyConditions c = FromList(1, 2);
    c.lowerBoundOn = c.upperBoundOn = true;
    c.lowerBound = " 10";
    c.upperBound = "20KB";
    RunAutoClassify(board, c);
    EXPECT_EQ(Entries(2), (FilePathList{low, high}));
    EXPECT_EQ(Entries(1), (FilePathList{small, over}));

    Fill(3, {justOver4Gb, fiveGb});
    c = FromList(3, 4);
    c.upperBoundOn = true;
    c.upperBound = "1024";
    EXPECT_EQ(RunAutoClassify(board, c), 0);
    c.upperBoundOn = false;
    c.lowerBoundOn = true;
    c.lowerBound = "1024";
    RunAutoClassify(board, c);
    EXPECT_EQ(Entries(4), (FilePathList{justOver4Gb, fiveGb}));
}

TEST_F(AutoClassifyRun, OneCalendarDayRunsFromMidnightToTheLastSecond) {
    const QDate day(2025, 3, 14);
    const FilePath before = Dated("before", QDateTime(day.addDays(-1), QTime(23, 59, 59)));
    const FilePath first = Dated("first", QDateTime(day, QTime(0, 0, 0)));
    const FilePath last = Dated("last", QDateTime(day, QTime(23, 59, 59)));
    const FilePath after = Dated("after", QDateTime(day.addDays(1), QTime(0, 0, 0)));
    Fill(5, {before, first, last, after});
    ClassifyConditions c = FromList(5, 6);
    c.fromDateOn = c.untilDateOn = true;
    c.fromDate = QDateTime(day, QTime(18, 0));
    c.untilDate = QDateTime(day, QTime(6, 0)); // the time of day plays no part
    RunAutoClassify(board, c);
    EXPECT_EQ(Entries(6), (FilePathList{first, last}));
    EXPECT_EQ(Entries(5), (FilePathList{before, after}));
}

TEST_F(AutoClassifyRun, ExcludeDropsTheMatchesFromTheBoardOnly) {
    const FilePath jpg = File("x.jpg"), png = File("y.png");
    Fill(0, {jpg});
    Fill(7, {png});
    ClassifyConditions c = ClassifyConditions::StartingAt(QDateTime::currentDateTime());
    c.targetMode = ClassifyConditions::kToChosen;
    c.targetChoice = ClassifyConditions::kExclude;
    c.nameFilterOn = true;
    c.nameFilter = "*.jpg";
    EXPECT_EQ(RunAutoClassify(board, c), 1);
    EXPECT_EQ(board.TotalCount(), 1);
    EXPECT_EQ(Entries(7), FilePathList{png});
    EXPECT_TRUE(QFile::exists(QFile::decodeName(QByteArray::fromStdString(jpg))));
}

TEST_F(AutoClassifyRun, ListToItselfMovesTheMatchesToItsEndInOrder) {
    const FilePath a = File("a.jpg"), b = File("b.png"), c1 = File("c.jpg"), d = File("d.png");
    Fill(3, {a, b, c1, d});
    ClassifyConditions c = FromList(3, 3);
    c.nameFilterOn = true;
    c.nameFilter = "*.JPG";
    RunAutoClassify(board, c);
    EXPECT_EQ(Entries(3), (FilePathList{b, d, a, c1}));
    EXPECT_EQ(board.List(3).position(), 0);
}

TEST_F(AutoClassifyRun, NothingMatchingStillPutsTheScannedListAndTheTargetFirst) {
    Fill(0, {File("a"), File("b")});
    Fill(2, {File("c"), File("d")});
    Fill(9, {File("e"), File("f")});
    ClassifyConditions c = FromList(2, 9);
    c.nameFilterOn = true;
    c.nameFilter = ";";
    EXPECT_EQ(RunAutoClassify(board, c), 0);
    EXPECT_EQ(board.List(2).position(), 0);
    EXPECT_EQ(board.List(9).position(), 0);
    EXPECT_EQ(board.List(0).position(), 1); // not scanned, not the target
}

} // namespace
} // namespace pelldrake
