// What the Windows build does differently: binary files by default, the POSIX
// calls it supplies, the presentation beside the .exe, Ctrl+C through the
// console, the video files it records (not .webm) and the .mp4's copy that
// replaces its file. Run under wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <csignal>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "app/presentation_dir.h"
#include "os/program_path.h"
#include "os/stop_signals.h"
#include "record/durable.h"
#include "record/fast_start.h"
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
  // Only here and beside the program: the shared folders of other systems
  // are not Windows' places, whatever the environment says.
  const V dirs = PresentationCandidates(
      SearchPlaces{"C:/Games/Zintavel/zintavel.exe", "C:/Data", "C:/A:C:/B", "C:/Users/me", "C:/Prefix"});
  EXPECT_EQ(dirs, (V{".", "C:/Games/Zintavel"}));
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

TEST(WindowsTest, VideoFilesButWebmAreTaken) {
  TempDir dir;
  SinkSettings settings;
  settings.path = dir.Path("show.webm");
  settings.form = RecordingForm::Webm;
  auto sink = MakeVideoFileSink(settings);
  EXPECT_FALSE(sink->Prepare());
  EXPECT_EQ(sink->Error(), settings.path + ": this build records .mp4, .mkv, PNG directories and WAV, not .webm");
  EXPECT_NE(::access(settings.path.c_str(), F_OK), 0) << "a refused name leaves no file";
  for (const RecordingForm form : {RecordingForm::Mp4, RecordingForm::Mkv}) {
    settings.path = dir.Path(form == RecordingForm::Mp4 ? "show.mp4" : "show.mkv");
    settings.form = form;
    sink = MakeVideoFileSink(settings);
    EXPECT_TRUE(sink->Prepare()) << sink->Error();
    EXPECT_NE(::access(settings.path.c_str(), F_OK), 0) << "Prepare leaves no file before the first frame";
  }
}

// The .mp4's copy with its index first replaces the fragmented file by name,
// after a sync through a descriptor Windows lets flush.
TEST(WindowsTest, ACopyReplacesTheFileItIsRenamedOver) {
  TempDir dir;
  const std::string file = dir.Path("show.mp4"), copy = dir.Path(".partial-show.mp4");
  { std::ofstream(file, std::ios::binary) << "fragmented"; }
  { std::ofstream(copy, std::ios::binary) << "index first"; }
  const int fd = OpenToSync(copy);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(SyncFileData(fd), 0) << std::strerror(errno);
  ::close(fd);
  ASSERT_EQ(RenameOver(copy, file), 0) << std::strerror(errno);
  EXPECT_EQ(Bytes(file), "index first");
  EXPECT_NE(::access(copy.c_str(), F_OK), 0);
  EXPECT_EQ(RenameOver(copy, file), -1);
  EXPECT_EQ(errno, ENOENT);

  // Either slash parts a Windows path; the copy lands beside the file.
  EXPECT_EQ(IndexFirstCopyName("C:\\films\\show.mp4"), "C:\\films\\.partial-show.mp4");
  EXPECT_EQ(IndexFirstCopyName("C:/films\\show.mp4"), "C:/films\\.partial-show.mp4");
  EXPECT_EQ(IndexFirstCopyName("show.mp4"), ".partial-show.mp4");
}
