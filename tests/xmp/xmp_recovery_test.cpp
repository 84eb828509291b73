#include "state/recovery_files.h"
#include "state/recovery_journal.h"
#include "support/disposal_sandbox.h"
#include "support/editor_sidecars.h"
#include "xmp/xmp_merge.h"
#include "xmp/xmp_run.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pelldrake {
namespace {

using testing::DisposalSandbox;

// Stops the process for good at the third rename of a temporary file over a sidecar, just before
// or just after it, once it has told the test through the pipe.
class StallingFileSystem : public testing::FaultyFileSystem {
public:
    StallingFileSystem(int pipe, bool beforeRename) : pipe_(pipe), beforeRename_(beforeRename) {}
    int Rename(const FilePath& from, const FilePath& to) override {
        const bool stall = ++sidecars_ == 3;
        if (stall && beforeRename_)
            Stall();
        const int error = FaultyFileSystem::Rename(from, to);
        if (stall)
            Stall();
        return error;
    }

private:
    void Stall() {
        const char byte = 'k';
        if (::write(pipe_, &byte, 1) == 1)
            for (;;)
                ::pause();
        ::_exit(2);
    }
    int pipe_;
    bool beforeRename_;
    int sidecars_ = 0;
};

// A real SIGKILL in the middle of a run: each sidecar is as it was or as written, and the
// temporary file the kill left beside one is gone once the journal is recovered.
TEST(XmpRecoveryTest, AKillMidwayLeavesEachSidecarAsItWasOrAsWrittenAndNoTemporaryFile) {
    XmpDecision decision;
    decision.rating = 4;
    decision.label = ColourLabel::Yellow;
    for (const bool beforeRename : {true, false}) {
        SCOPED_TRACE(beforeRename ? "killed before a rename" : "killed after a rename");
        DisposalSandbox box(6);
        const FilePath from = box.dir.Native("from");
        const FilePath state = box.dir.Native("state");
        std::vector<std::optional<std::string>> before(box.sources.size());
        for (std::size_t i = 0; i < 3; ++i) {
            before[i] = testing::kLightroomSidecar;
            box.dir.Write(QStringLiteral("from/f%1.xmp").arg(i + 1), testing::kLightroomSidecar);
        }
        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const auto files = RecoveryFiles::Claim(state);
            const auto journal = files ? RecoveryJournal::Start(*files, box.board, 1) : nullptr;
            if (!journal)
                ::_exit(1);
            StallingFileSystem stalling(pipe[1], beforeRename);
            XmpRunContext context{stalling};
            context.journal = journal.get();
            WriteDecision(context, box.sources, decision, SidecarForm::BaseName);
            ::_exit(3);
        }
        char byte = 0;
        ASSERT_EQ(::read(pipe[0], &byte, 1), 1);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(pipe[0]);
        ::close(pipe[1]);
        ASSERT_TRUE(WIFSIGNALED(status));
        const auto temporaries = [&] {
            int count = 0;
            for (const auto& entry : std::filesystem::directory_iterator(from))
                count += entry.path().filename().string().starts_with(".pelldrake-");
            return count;
        };
        EXPECT_EQ(temporaries(), beforeRename ? 1 : 0);

        const auto files = RecoveryFiles::Claim(state);
        ASSERT_TRUE(files);
        ReadRecovery(*files);
        EXPECT_EQ(temporaries(), 0);
        int written = 0;
        for (std::size_t i = 0; i < box.sources.size(); ++i) {
            const FilePath sidecar = box.dir.Native(QStringLiteral("from/f%1.xmp").arg(i + 1));
            const std::optional<std::string> now =
                std::filesystem::exists(sidecar)
                    ? std::optional<std::string>(DisposalSandbox::ReadNative(sidecar).toStdString())
                    : std::nullopt;
            if (now != before[i]) {
                EXPECT_EQ(now, MergeDecision(before[i], decision)) << sidecar;
                ++written;
            }
        }
        EXPECT_EQ(written, beforeRename ? 2 : 3);
    }
}

} // namespace
} // namespace pelldrake
