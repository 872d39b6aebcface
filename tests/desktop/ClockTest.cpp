// The desktop's frame clock: a wait ends no earlier than asked, costs the thread one wake-up
// however long it is, and the frame log holds one line per shown frame.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/desktop/Clock.h"

namespace pelaryn {
namespace {

// Times this thread has given up the processor of its own accord: once per sleep.
long Sleeps() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_nvcsw;
}

TEST(Clock, AWaitLastsAtLeastItsTimeFromTheReadingAndSleepsOnce) {
  for (const uint32_t micros : {1u, 999u, 20'000u, 45'000u}) {
    SCOPED_TRACE(micros);
    const int64_t before = MonotonicNanos();
    const uint32_t start = MonotonicMicros();
    const long sleeps = Sleeps();
    WaitUntilMicros(start, micros);
    const long slept = Sleeps() - sleeps;
    EXPECT_GE(MonotonicNanos() - before, int64_t{micros} * 1000);
    // A wait made of 1 ms steps would give up the processor dozens of times.
    EXPECT_LE(slept, 2);
  }
}

TEST(Clock, AWaitWhoseTimeHasPassedReturnsWithoutSleeping) {
  const uint32_t start = MonotonicMicros() - 50'000;  // a frame that began 50 ms ago
  const long sleeps = Sleeps();
  for (int i = 0; i < 100; ++i) WaitUntilMicros(start, 45'000);
  EXPECT_EQ(Sleeps() - sleeps, 0);
}

class FrameLogTest : public testing::Test {
 protected:
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  std::vector<std::string> Lines() const {
    std::ifstream in(path_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::string path_ = (std::filesystem::temp_directory_path() /
                       ("pelaryn-framelog-" + std::to_string(::getpid()) + ".txt"))
                          .string();
};

TEST_F(FrameLogTest, HoldsOneLinePerFrameOnceClosed) {
  {
    FrameLog log(path_.c_str());
    ASSERT_TRUE(log.Active());
    log.Record(1'000'000'123, 1'000'400'000);
    log.Record(1'045'000'456, 1'045'000'457);
    log.Record(int64_t{9'000'000'000'000'000'000}, int64_t{9'000'000'000'000'000'001});
  }
  EXPECT_EQ(Lines(), (std::vector<std::string>{"1000000123 1000400000", "1045000456 1045000457",
                                               "9000000000000000000 9000000000000000001"}));
}

TEST_F(FrameLogTest, NoPathMeansNoLogAndAnUnwritableOneIsRefused) {
  EXPECT_FALSE(FrameLog(nullptr).Active());
  EXPECT_FALSE(FrameLog("").Active());
  FrameLog log("/no/such/folder/frames.txt");
  EXPECT_FALSE(log.Active());
  log.Record(1, 2);  // harmless
}

}  // namespace
}  // namespace pelaryn
