// The Debian package as a packager gets it: built from this build tree by
// cpack, it holds the licence, the changelog and the compressed page, and
// lintian finds no error, warning or note in it (two notes overridden, with
// their reasons, in packaging/zintavel.lintian-overrides).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

std::string Output(const std::string& command, int& code) {
  TempDir dir;
  const std::string log = dir.Path("out.txt");
  const int status = std::system((command + " > " + log + " 2>&1").c_str());
  code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const std::vector<std::uint8_t> out = ReadAll(log);
  return {out.begin(), out.end()};
}

}  // namespace

TEST(PackageTest, DebianPackageIsLintianClean) {
  if (std::system("command -v cpack > /dev/null && command -v dpkg-deb > /dev/null") != 0)
    GTEST_SKIP() << "no cpack or dpkg-deb here";
  TempDir dir;
  int code = 0;
  const std::string made = Output("cd " ZINTAVEL_BUILD_DIR " && cpack -G DEB -B " + dir.Path("deb"), code);
  ASSERT_EQ(code, 0) << made;
  const std::string deb = dir.Path("deb/zintavel_" ZINTAVEL_PACKAGE_VERSION "_amd64.deb");
  const std::string contents = Output("dpkg-deb -c " + deb, code);
  ASSERT_EQ(code, 0) << contents;
  for (const char* file : {"./usr/share/doc/zintavel/copyright", "./usr/share/doc/zintavel/changelog.gz",
                           "./usr/share/man/man6/zintavel.6.gz", "./usr/bin/zintavel",
                           "./usr/share/zintavel/tune.it"})
    EXPECT_NE(contents.find(file), std::string::npos) << file << " not in\n" << contents;
  const std::string fields = Output("dpkg-deb -f " + deb + " Maintainer Section", code);
  EXPECT_EQ(fields, "Maintainer: The Zintavel developers <zintavel@example.org>\nSection: graphics\n");

  if (std::system("command -v lintian > /dev/null") != 0) GTEST_SKIP() << "no lintian here";
  const std::string report = Output("lintian --fail-on error,warning,info " + deb, code);
  EXPECT_EQ(code, 0) << report;
}
