// Applying the columns of an opened test data file to the current axis when
// memory is short: the axis ends with either its old data or the new, whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "files/test_data_file.h"

namespace {
// Allocations above this many bytes fail while it is not 0.
std::size_t g_failAbove = 0;

struct FailLargeAllocations {
    explicit FailLargeAllocations(std::size_t bytes) { g_failAbove = bytes; }
    ~FailLargeAllocations() { g_failAbove = 0; }
};
}  // namespace

void* operator new(std::size_t n) {
    if (g_failAbove && n > g_failAbove) throw std::bad_alloc();
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(ApplyTestData, AFileAsLargeAsMemoryAllowsReplacesTheAxisWithoutAllocatingAgain) {
    AppState s;
    s.Axis = 2;
    for (double v : {1.0, 2.0, 3.0}) s.Capture.Actual[1].Append(v);
    const std::size_t rows = 200000;  // 1.6 MB per column
    TestDataColumns c;
    for (std::vector<double>* column : {&c.Time, &c.Actual, &c.Optimal, &c.Error, &c.Torque, &c.Auxiliary})
        column->assign(rows, 0.5);
    c.Time.back() = 2.0;
    {
        // The columns exist; a second copy of one would not fit.
        FailLargeAllocations limit(64 * 1024);
        EXPECT_NO_THROW(ApplyTestData(s, c));
    }
    for (Channel ch : {Channel::Actual, Channel::Optimal, Channel::Error, Channel::Torque, Channel::Auxiliary})
        EXPECT_EQ(ChannelFor(s, ch, 0)->Length(), rows);
    EXPECT_EQ(s.Capture.Actual[0].Length(), 0u);  // axis 1 untouched
    EXPECT_EQ(s.LastTest.SampleCount, static_cast<int>(rows));
    EXPECT_EQ(s.TestDone, 1);
}

}  // namespace
