// The real quadrix executable with the Qt view on the offscreen platform:
// its window reaches the screen, reports itself and pictures each page.
#include <QImage>

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

struct ProgramRun {
  int status = -1;
  std::string out;
};

// Runs quadrix with `environment` (VAR=value words) added. The output file
// is the running test's own: ctest runs the cases of this file side by side.
ProgramRun runQuadrix(const std::string &environment) {
  const std::string out =
      ::testing::TempDir() + "quadrix_window_" +
      ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".out";
  const std::string command = "env QT_QPA_PLATFORM=offscreen " + environment +
                              " '" QX_TEST_QUADRIX "' > '" + out +
                              "' 2> /dev/null";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream file(out);
  run.out.assign(std::istreambuf_iterator<char>(file), {});
  return run;
}

TEST(QuadrixWindow, ReportsOnceShownAndEndsNormally) {
  const ProgramRun run = runQuadrix("QUADRIX_EXIT_AFTER_SHOW=1");
  EXPECT_EQ(run.status, 0);
  const std::string report = "quadrix: shown rss_kb=";
  ASSERT_EQ(run.out.rfind(report, 0), 0u) << run.out;
  EXPECT_GT(std::atol(run.out.c_str() + report.size()), 0) << run.out;
}

TEST(QuadrixWindow, PicturesThePageItIsToldToStartOn) {
  QImage pictures[2];
  const int pages[2] = {0, 3};
  for (int i = 0; i < 2; ++i) {
    const std::string file = ::testing::TempDir() + "quadrix_page" +
                             std::to_string(pages[i]) + ".png";
    std::remove(file.c_str());
    const ProgramRun run =
        runQuadrix("QUADRIX_SCREENSHOT='" + file +
                   "' QUADRIX_START_PAGE=" + std::to_string(pages[i]));
    EXPECT_EQ(run.status, 0);
    ASSERT_TRUE(pictures[i].load(QString::fromStdString(file))) << file;
    // The window's inside: its outer 542 x 693 less the frame, if any.
    EXPECT_LE(pictures[i].width(), 542);
    EXPECT_GE(pictures[i].width(), 530);
    EXPECT_LE(pictures[i].height(), 693);
    EXPECT_GE(pictures[i].height(), 660);
  }
  EXPECT_NE(pictures[0], pictures[1]);
}

TEST(QuadrixWindow, AStartPageWithoutAScreenshotIsIgnored) {
  const ProgramRun run =
      runQuadrix("QUADRIX_START_PAGE=9 QUADRIX_EXIT_AFTER_SHOW=1");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("quadrix: shown", 0), 0u) << run.out;
}

} // namespace
