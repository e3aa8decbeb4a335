// Output and the progress line: where each kind of text goes, and what a closed or failing
// standard output does.
#include "cli/output.h"

#include <gtest/gtest.h>

#include "cli/progress.h"
#include "tests/cli/fake_console.h"

namespace vantrel::cli {
namespace {

using namespace std::chrono_literals;
using testing::FakeConsole;

TEST(OutputTest, ResultsAreBufferedUntilFlushedWhenStandardOutputIsNoTerminal) {
  FakeConsole console;
  Output output(console, Channel::kError);
  output.Result("a:0x00000001");
  EXPECT_EQ(console.out, "");
  output.Flush();
  EXPECT_EQ(console.out, "a:0x00000001\n");
}

TEST(OutputTest, ResultsReachATerminalAtOnce) {
  FakeConsole console;
  console.output_terminal = true;
  Output output(console, Channel::kError);
  output.Result("a:0x00000001");
  EXPECT_EQ(console.out, "a:0x00000001\n");
}

TEST(OutputTest, MessagesFollowTheResultsBeforeThemOnTheirChannel) {
  FakeConsole console;
  Output to_output(console, Channel::kOutput);
  to_output.Result("r");
  to_output.Message("m\n");
  EXPECT_EQ(console.out, "r\nm\n");
  Output to_error(console, Channel::kError);
  to_error.Message("e\n");
  to_error.Error("x: reason");
  EXPECT_EQ(console.err, "e\nx: reason\n");
}

TEST(OutputTest, AClosedStandardOutputIsRememberedAndNotWrittenAgain) {
  FakeConsole console;
  console.output_status = os::WriteStatus::kBrokenPipe;
  Output output(console, Channel::kError);
  output.Result("r");
  output.Flush();
  EXPECT_TRUE(output.OutputClosed());
  EXPECT_FALSE(output.OutputFailed());
  console.output_status = os::WriteStatus::kDone;
  output.Result("s");
  output.Flush();
  EXPECT_EQ(console.out, "");
}

TEST(OutputTest, AFailingStandardOutputIsAnErrorWithItsReason) {
  FakeConsole console;
  console.output_status = os::WriteStatus::kFailed;
  Output output(console, Channel::kError);
  output.Result("r");
  output.Flush();
  EXPECT_TRUE(output.OutputFailed());
  EXPECT_EQ(output.OutputError().message, "No space left on device");
}

// A clock the test moves by hand.
struct TestClock {
  std::chrono::steady_clock::time_point now{};
  Progress::Clock Get() {
    return [this] { return now; };
  }
};

TEST(ProgressTest, ShowsNothingInTheFirstHalfSecond) {
  FakeConsole console;
  console.error_terminal = true;
  Output output(console, Channel::kError);
  TestClock clock;
  Progress progress(output, clock.Get());
  progress.FileStarted();
  clock.now += 400ms;
  progress.Reached(1 << 20);
  EXPECT_EQ(console.err, "");
  clock.now += 200ms;
  progress.Reached(2 << 20);
  EXPECT_EQ(console.err, "\r1 file, 2.0 MiB searched");
}

TEST(ProgressTest, RedrawsInPlaceAndDisappearsBeforeOtherTextAndAtTheEnd) {
  FakeConsole console;
  console.error_terminal = true;
  Output output(console, Channel::kError);
  TestClock clock;
  Progress progress(output, clock.Get());
  clock.now += 1s;
  progress.FileStarted();
  progress.FileDone(100);
  clock.now += 50ms;
  progress.FileStarted();  // too soon to draw again
  clock.now += 100ms;
  progress.Reached(2048);
  EXPECT_EQ(console.err, "\r1 file, 0 B searched\r2 files, 2.1 KiB searched");
  console.err.clear();
  output.Error("f: reason");
  EXPECT_EQ(console.err, "\r" + std::string(25, ' ') + "\rf: reason\n");
  console.err.clear();
  clock.now += 1s;
  progress.Reached(4096);
  progress.Finish();
  EXPECT_EQ(console.err, "\r2 files, 4.1 KiB searched\r" + std::string(25, ' ') + "\r");
}

TEST(ProgressTest, AShorterLineBlanksWhatIsLeftOfTheLongerOne) {
  FakeConsole console;
  console.error_terminal = true;
  Output output(console, Channel::kError);
  output.ShowProgress("123456");
  output.ShowProgress("abc");
  EXPECT_EQ(console.err, "\r123456\rabc   \rabc");
}

TEST(ProgressTest, NeverShowsWhenStandardErrorIsNoTerminal) {
  FakeConsole console;
  Output output(console, Channel::kError);
  TestClock clock;
  Progress progress(output, clock.Get());
  for (int i = 0; i < 20; ++i) {
    clock.now += 1s;
    progress.FileStarted();
    progress.Reached(i);
    progress.FileDone(i);
  }
  progress.Finish();
  EXPECT_EQ(console.err, "");
}

TEST(ProgressTest, FormatsByteCountsForPeople) {
  EXPECT_EQ(FormatBytes(0), "0 B");
  EXPECT_EQ(FormatBytes(1023), "1023 B");
  EXPECT_EQ(FormatBytes(1536), "1.5 KiB");
  EXPECT_EQ(FormatBytes(std::int64_t{5} << 30), "5.0 GiB");
}

}  // namespace
}  // namespace vantrel::cli
