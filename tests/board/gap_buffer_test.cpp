#include "board/gap_buffer.h"
#include "core/types.h"

#include <gtest/gtest.h>
#include <random>

namespace pelldrake {
namespace {

// Sorting-like runs of inserts and erases at a wandering place, and runs taken out whole, checked against a plain
// vector after every step and through the contiguous view now and then.
TEST(GapBuffer, KeepsOrderThroughInsertsAndErasesAnywhere) {
    std::mt19937 random(7);
    GapBuffer<FilePath> buffer;
    std::vector<FilePath> expected;
    std::size_t place = 0;
    for (int step = 0; step < 20000; ++step) {
        const unsigned roll = random() % 100;
        if (roll < 10)
            place = expected.empty() ? 0 : random() % (expected.size() + 1);
        place = std::min(place, expected.size());
        if (roll < 45 || expected.empty()) {
            // Long enough to live outside the string, so a lost move shows as a wrong text.
            const FilePath path = "/pictures/archive/IMG_" + std::to_string(step) + ".JPG";
            if (roll < 15) {
                buffer.push_back(path);
                expected.push_back(path);
            } else {
                buffer.insert(place, path);
                expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(place), path);
            }
        } else if (roll >= 97) {
            // A run taken out whole, as undo takes an intake back: to the end now and then.
            const std::size_t count = roll == 99 ? expected.size() - place : random() % (expected.size() - place + 1);
            const auto from = expected.begin() + static_cast<std::ptrdiff_t>(place);
            const std::vector<FilePath> run(from, from + static_cast<std::ptrdiff_t>(count));
            ASSERT_EQ(buffer.TakeRange(place, count), run) << "step " << step;
            expected.erase(from, from + static_cast<std::ptrdiff_t>(count));
        } else if (place < expected.size()) {
            buffer.erase(place);
            expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(place));
        }
        ASSERT_EQ(buffer.size(), expected.size());
        if (!expected.empty()) {
            const std::size_t probe = random() % expected.size();
            ASSERT_EQ(buffer[probe], expected[probe]) << "step " << step;
        }
        if (step % 997 == 0) {
            ASSERT_EQ(buffer.Contiguous(), expected) << "step " << step;
        }
    }
    EXPECT_EQ(buffer.TakeAll(), expected);
    EXPECT_TRUE(buffer.empty());
}

} // namespace
} // namespace pelldrake
