#include "common/Xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "common/TestData.h"

extern char** environ;

namespace KOLTest {

Xvfb::Xvfb()
{
  // The server picks a free display number itself and tells it through a pipe, so that tests
  // running side by side never share one.
  int fds[2];
  reason_ = "Xvfb is not installed (Debian package xvfb) or could not be started";
  if (pipe(fds) != 0) return;
  // -noreset: a test that closes its last window must not meet a server resetting itself
  std::vector<std::string> args = {"Xvfb",        "-displayfd", "3",   "-screen", "0",
                                   "1024x768x24", "-nolisten",  "tcp", "-noreset"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  // the read end may itself be descriptor 3: close it before 3 becomes the write end
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
  pid_t pid;
  const int rc = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return;
  }
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  char c;
  while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) {
    reason_ = "Xvfb did not come up";
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return;
  }
  pid_ = pid;
  display_ = ":" + number;
  reason_.clear();
}

Xvfb::~Xvfb()
{
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

namespace {

uint32_t be32(const unsigned char* p)
{
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

int shiftOf(uint32_t mask)
{
  int s = 0;
  while (mask && !(mask & 1)) mask >>= 1, ++s;
  return s;
}

// Reads an X window dump (XWD) file of a true-colour window.
Raster readXwd(const std::string& path)
{
  const std::string data = readFile(path);
  const auto* b = reinterpret_cast<const unsigned char*>(data.data());
  if (data.size() < 100) return Raster{};
  const uint32_t headerSize = be32(b), width = be32(b + 16), height = be32(b + 20);
  const uint32_t byteOrder = be32(b + 28), bpp = be32(b + 44), stride = be32(b + 48);
  const uint32_t rmask = be32(b + 56), gmask = be32(b + 60), bmask = be32(b + 64);
  const uint32_t ncolors = be32(b + 76);
  const size_t start = headerSize + static_cast<size_t>(ncolors) * 12;
  if (bpp != 32 || start + static_cast<size_t>(stride) * height > data.size()) return Raster{};
  Raster r;
  r.width = static_cast<int>(width), r.height = static_cast<int>(height);
  for (uint32_t j = 0; j < height; ++j)
    for (uint32_t i = 0; i < width; ++i) {
      const unsigned char* p = b + start + j * stride + i * 4;
      const uint32_t v = byteOrder == 0 ? (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) |
                                              (uint32_t{p[1]} << 8) | p[0]
                                        : be32(p);
      r.rgb.push_back(static_cast<uint8_t>((v & rmask) >> shiftOf(rmask)));
      r.rgb.push_back(static_cast<uint8_t>((v & gmask) >> shiftOf(gmask)));
      r.rgb.push_back(static_cast<uint8_t>((v & bmask) >> shiftOf(bmask)));
    }
  return r;
}

}  // namespace

Raster captureWindow(const std::string& display, unsigned long window)
{
  TempDir dir;
  const std::string out = dir.file("w.xwd");
  int status = 0;
  run("xwd -silent -nobdrs -display " + display + " -id " + std::to_string(window) + " -out " +
          out + " 2>&1",
      &status);
  return status == 0 ? readXwd(out) : Raster{};
}

}  // namespace KOLTest
