#include "thumbs/child_decode.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace pelldrake;
using namespace std::chrono_literals;

TEST(ChildProcessDecode, ReportsItsPictureAndEndsAloneWhenItCrashesOrIsGivenUp) {
    SharedBytes pixels(4096);
    ASSERT_NE(pixels.data(), nullptr);
    EXPECT_EQ(RunInChildProcess(nullptr,
                                [&pixels] {
                                    pixels.data()[4095] = 42;
                                    return 7;
                                }),
              7);
    EXPECT_EQ(pixels.data()[4095], 42);

    // A library that aborts on a damaged file takes only the child with it.
    EXPECT_EQ(RunInChildProcess(nullptr,
                                [] {
                                    std::abort();
                                    return 1;
                                }),
              0);

    // Given up while it decodes: ended at once, not when the library would have finished.
    std::atomic<bool> abandoned{false};
    std::thread user([&abandoned] {
        std::this_thread::sleep_for(50ms);
        abandoned = true;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunInChildProcess(&abandoned,
                                [] {
                                    ::sleep(60);
                                    return 1;
                                }),
              0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    user.join();

    // Never forked while this thread holds the library: the fork would wait for itself.
    const LibraryUse use;
    EXPECT_EQ(RunInChildProcess(nullptr, [] { return 1; }), 0);
}
