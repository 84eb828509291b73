#include "app/startup_checks.h"
#include "resources/strings.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace pelldrake {
namespace {

using testing::ScriptedPrompter;
using testing::TempDir;

class StartupChecksTest : public ::testing::Test {
protected:
    ImageEnvironment Environment(bool present, std::optional<LibraryVersion> version) {
        return {[this, present] {
                    ++presenceCalls;
                    return present;
                },
                [version] { return version; }};
    }
    void Write(const char* section, const char* key, const char* value) {
        settings.profile().WriteText(section, key, value);
    }

    TempDir dir;
    SettingsFile settings{dir.FilePath("p.INI")};
    ScriptedPrompter prompter;
    int presenceCalls = 0;
};

TEST_F(StartupChecksTest, PresenceCheckLoopsOnRetryEndsOnAbortGoesOnWithIgnoreAndZeroSkipsIt) {
    Write("STARTCHECK", "THUMBCTLVER", "0");
    prompter.answers = {PromptAnswer::Retry, PromptAnswer::Retry, PromptAnswer::Abort};
    EXPECT_FALSE(StartupChecks(settings, prompter, Environment(false, LibraryVersion{6, 4, 2, 0})).RunChecks());
    EXPECT_EQ(presenceCalls, 3);
    ASSERT_EQ(prompter.questions.size(), 3u);
    EXPECT_TRUE(prompter.questions[0].text.startsWith(QString::fromUtf8("サムネイルコントロールが存在しません")));
    EXPECT_EQ(prompter.questions[0].buttons, PromptButtons::AbortRetryIgnore);
    EXPECT_EQ(prompter.questions[0].icon, PromptIcon::Stop);

    prompter = ScriptedPrompter();
    prompter.answers = {PromptAnswer::Ignore};
    EXPECT_TRUE(StartupChecks(settings, prompter, Environment(false, std::nullopt)).RunChecks());
    EXPECT_EQ(prompter.questions.size(), 1u);

    Write("STARTCHECK", "THUMBCTL", "0");
    prompter = ScriptedPrompter();
    EXPECT_TRUE(StartupChecks(settings, prompter, Environment(false, std::nullopt)).RunChecks());
    EXPECT_TRUE(prompter.questions.empty());
}

TEST_F(StartupChecksTest, VersionWithoutSettingsExpectsZeroAndAsksWhetherToStop) {
    prompter.answers = {PromptAnswer::Yes};
    EXPECT_FALSE(StartupChecks(settings, prompter, Environment(true, LibraryVersion{6, 4, 2, 0})).RunChecks());
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_TRUE(prompter.questions[0].text.endsWith(QString::fromUtf8("バージョンは6,4,2,0です。")));
    EXPECT_EQ(prompter.questions[0].buttons, PromptButtons::YesNo);

    prompter = ScriptedPrompter();
    prompter.answers = {PromptAnswer::No};
    EXPECT_TRUE(StartupChecks(settings, prompter, Environment(true, LibraryVersion{6, 4, 2, 0})).RunChecks());
}

TEST_F(StartupChecksTest, VersionWildcardsHoldExceptForTheFirstPart) {
    const StartupChecks checks(settings, prompter, Environment(true, LibraryVersion{6, 4, 2, 0}));
    Write("STARTCHECK", "THUMBCTLVER_HH", "6");
    Write("STARTCHECK", "THUMBCTLVER_HL", "-1");
    Write("STARTCHECK", "THUMBCTLVER_LH", "-1");
    Write("STARTCHECK", "THUMBCTLVER_LL", "-1");
    EXPECT_TRUE(checks.VersionAccepted({6, 9, 9, 9}));
    EXPECT_FALSE(checks.VersionAccepted({7, 4, 2, 0})); // a newer library is rejected too
    Write("STARTCHECK", "THUMBCTLVER_LH", "2");
    EXPECT_TRUE(checks.VersionAccepted({6, 4, 2, 0}));
    EXPECT_FALSE(checks.VersionAccepted({6, 4, 3, 0}));
    Write("STARTCHECK", "THUMBCTLVER_HH", "-1");
    EXPECT_FALSE(checks.VersionAccepted({6, 4, 2, 0}));
}

TEST_F(StartupChecksTest, UnreadableVersionEndsStartupAndZeroSkipsTheCheck) {
    EXPECT_FALSE(StartupChecks(settings, prompter, Environment(true, std::nullopt)).RunChecks());
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0].text,
              QString::fromUtf8("サムネイル・コントロールのバージョン情報を読み込むことができませんでした。"));
    EXPECT_EQ(prompter.questions[0].buttons, PromptButtons::Ok);

    Write("STARTCHECK", "THUMBCTLVER", "0");
    prompter = ScriptedPrompter();
    EXPECT_TRUE(StartupChecks(settings, prompter, Environment(true, std::nullopt)).RunChecks());
    EXPECT_TRUE(prompter.questions.empty());
}

TEST_F(StartupChecksTest, ASettingsFileThatCannotBeReadIsNamedAndEndsStartupUntouched) {
    const QByteArray huge = "[STARTCHECK]\r\nTHUMBCTLVER=0\r\n" + QByteArray(17 << 20, ';');
    dir.Write("p.INI", huge);
    prompter.answers = {PromptAnswer::Ok};
    EXPECT_FALSE(StartupChecks(settings, prompter, Environment(true, LibraryVersion{6, 4, 2, 0})).RunChecks());
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0].text, strings::Utf8(strings::kSettingsUnreadable).arg(dir.FilePath("p.INI")));
    EXPECT_EQ(dir.Read("p.INI"), huge);

    QFile::remove(dir.FilePath("p.INI"));
    ASSERT_TRUE(QFile::link(dir.FilePath("gone.INI"), dir.FilePath("p.INI")));
    prompter.answers = {PromptAnswer::Ok};
    EXPECT_FALSE(StartupChecks(settings, prompter, Environment(true, LibraryVersion{6, 4, 2, 0})).RunChecks());
    EXPECT_EQ(prompter.questions.size(), 2u);
    EXPECT_FALSE(QFileInfo::exists(dir.FilePath("gone.INI")));
}

TEST_F(StartupChecksTest, VersionTextAndDialogModeAreReadLikeNumbers) {
    EXPECT_EQ(ParseVersion("6.4.2"), std::optional<LibraryVersion>({6, 4, 2, 0}));
    EXPECT_EQ(ParseVersion("6"), std::optional<LibraryVersion>({6, 0, 0, 0}));
    EXPECT_FALSE(ParseVersion("6.x"));
    EXPECT_FALSE(ParseVersion(""));
    EXPECT_FALSE(ParseVersion(nullptr));

    const std::pair<const char*, int> modes[] = {{"1", 1}, {" 1x", 1}, {"2", 2}, {"0", 0},
                                                 {"3", 0}, {"-1", 0},  {"", 0},  {"large", 0}};
    for (const auto& [mode, layout] : modes) {
        Write("DIALOG", "MODE", mode);
        EXPECT_EQ(static_cast<int>(StartupChecks(settings, prompter, Environment(true, std::nullopt)).ChooseLayout()),
                  layout)
            << mode;
    }
}

} // namespace
} // namespace pelldrake
