// What the Windows build does differently: binary files by default, the POSIX
// calls it supplies, the presentation beside the .exe, Ctrl+C through the
// console, and the one line for a video file it cannot record. Run under wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "app/presentation_dir.h"
#include "os/program_path.h"
#include "os/stop_signals.h"
#include "record/recording_sink.h"
#include "support/test_support.h"

namespace {

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

volatile std::sig_atomic_t Received = 0;
void Record(int signal) { Received = signal; }

}  // namespace

TEST(WindowsTest, FilesAreBinaryAndPositionedCallsKeepTheirPlace) {
  TempDir dir;
  const std::string path = dir.Path("lines");
  std::FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("a\nb\x1a\n", f);
  std::fclose(f);
  EXPECT_EQ(Bytes(path), "a\nb\x1a\n");  // no CR added, and 0x1A is no end

  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::lseek(fd, 1, SEEK_SET), 1);
  EXPECT_EQ(::pwrite(fd, "X", 1, 3), 1);
  char got[3] = {};
  EXPECT_EQ(::pread(fd, got, 2, 2), 2);
  EXPECT_EQ(std::string(got, 2), "bX");
  EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 1);  // neither moved the file position
  ::close(fd);
  EXPECT_EQ(Bytes(path), "a\nbX\n");
  EXPECT_EQ(::mkdir(dir.Path("sub").c_str(), 0755), 0);
  EXPECT_EQ(::access(dir.Path("sub").c_str(), W_OK | X_OK), 0);
}

TEST(WindowsTest, ThePresentationBesideTheProgramComesFirst) {
  using V = std::vector<std::string>;
  const V dirs = PresentationCandidates(SearchPlaces{"C:/Games/Zintavel/zintavel.exe", "", "", "", ""});
  ASSERT_GE(dirs.size(), 3u);
  EXPECT_EQ((V{dirs[0], dirs[1], dirs[2]}), (V{".", "C:/Games/Zintavel", "C:/Games/share/zintavel"}));
  const std::string self = ProgramPath();
  EXPECT_EQ(self.substr(1, 2), ":/");  // a drive, and forward slashes only
  EXPECT_EQ(self.find('\\'), std::string::npos);
  EXPECT_NE(self.find("zintavel_core_tests.exe"), std::string::npos);
}

TEST(WindowsTest, CtrlCAndCloseReachTheHandlerUntilRestored) {
  SavedStopSignals saved;
  InstallStopSignals(Record, saved);
  Received = 0;
  // A console program's own Ctrl+C, sent to its process group (0: all of it).
  // Under wine started from a pipe, as ctest starts it, there is no console;
  // windows_ctrl_c_in_a_console runs this test again in a terminal.
  if (!::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
    RestoreStopSignals(saved);
    if (std::getenv("ZINTAVEL_EXPECT_CONSOLE")) FAIL() << "no console to send Ctrl+C through";
    GTEST_SKIP() << "no console to send Ctrl+C through";
  }
  for (int i = 0; i < 100 && !Received; ++i) ::Sleep(20);
  EXPECT_EQ(Received, SIGINT);
  RestoreStopSignals(saved);
}

TEST(WindowsTest, AVideoFileIsRefusedInOneLine) {
  SinkSettings settings;
  settings.path = "show.mp4";
  settings.form = RecordingForm::Mp4;
  const auto sink = MakeVideoFileSink(settings);
  EXPECT_FALSE(sink->Prepare());
  EXPECT_EQ(sink->Error(), "show.mp4: this build records PNG directories and WAV only (name a directory)");
  EXPECT_TRUE(sink->Error().find('\n') == std::string::npos);
}
