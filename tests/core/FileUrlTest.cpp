// Files given by URL, read from a real HTTP server on the loopback interface.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "common/TestData.h"
#include "core/Buffer.h"
#include "core/File.h"
#include "core/FileTool.h"

extern char** environ;

using namespace KOL;

namespace {

bool accepting(int port)
{
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return ok;
}

// python3 -m http.server serving a temporary directory, stopped by the destructor.
class HttpServer {
 public:
  HttpServer()
  {
    port_ = KOLTest::freePort(SOCK_STREAM);
    std::string port = std::to_string(port_);
    const char* argv[] = {"python3",    "-m",          "http.server",       "--bind", "127.0.0.1",
                          port.c_str(), "--directory", dir_.path().c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&pid_, "python3", &actions, nullptr, const_cast<char**>(argv), environ) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    for (int i = 0; i < 200 && pid_ > 0 && !accepting(port_); i++)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ~HttpServer()
  {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  bool running() const { return pid_ > 0 && accepting(port_); }
  std::string url(const std::string& name) const
  {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + name;
  }
  std::string file(const std::string& name) const { return dir_.file(name); }

 private:
  KOLTest::TempDir dir_;
  int port_ = 0;
  pid_t pid_ = -1;
};

std::string bulletinText()
{
  std::string text;
  for (int i = 0; i < 4000; i++)
    text += "SAUS70 KWBC 1512" + std::to_string(10 + i % 50) + " METAR K" +
            std::to_string(100 + i % 800) + " 151253Z 27015G25KT 10SM SCT250 22/12 A3001=\n";
  return text;
}

class FileUrl : public ::testing::Test {
 protected:
  static void SetUpTestSuite()
  {
    server_ = std::make_unique<HttpServer>();
    KOLTest::writeFile(server_->file("bulletins.txt"), bulletinText());
  }
  static void TearDownTestSuite() { server_.reset(); }
  void SetUp() override
  {
    if (!server_->running()) GTEST_SKIP() << "python3 http.server did not start";
  }
  static std::unique_ptr<HttpServer> server_;
};

std::unique_ptr<HttpServer> FileUrl::server_;

TEST_F(FileUrl, LinesAndBytesComeOutAsInTheFile)
{
  const std::string text = bulletinText(), url = server_->url("bulletins.txt");
  File f(url.c_str(), "r");
  ASSERT_TRUE(f.isOpen());
  EXPECT_EQ(f.getType(), File::URL);
  char line[200];
  EXPECT_EQ(f.getLine(line, 10), 9);  // a long line comes in pieces
  std::string got = line;
  int n;
  while ((n = f.getLine(line, sizeof line)) > 0) got.append(line, n);
  EXPECT_EQ(got, text);
  EXPECT_FALSE(f.endFile());  // only local files know their end
  EXPECT_EQ(f.write("x", 1), -1);

  File g(url.c_str(), 0);
  EXPECT_EQ(g.skipLine(), 1);
  size_t first = text.find('\n') + 1;
  char bytes[16];
  EXPECT_EQ(g.read(bytes, 4, 4), 4);
  EXPECT_EQ(std::string(bytes, 16), text.substr(first, 16));
  Buffer b;
  while (g.read(b, 65536) > 0) {
  }
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b.getData()), b.getUsed()),
            text.substr(first + 16));
  EXPECT_EQ(g.read(b, 10), -1);
}

// A missing file, a closed port and writing: one warning each, nothing read.
TEST_F(FileUrl, FailuresAreOneLine)
{
  const std::string absent = server_->url("absent.txt");
  testing::internal::CaptureStderr();
  File f(absent.c_str(), "r");
  char line[100];
  EXPECT_EQ(f.getLine(line, sizeof line), 0);
  EXPECT_EQ(f.getLine(line, sizeof line), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "File: " + absent + ": HTTP/1.0 404 File not found\n");

  std::string url = "http://127.0.0.1:" + std::to_string(KOLTest::freePort(SOCK_STREAM)) + "/x.txt";
  testing::internal::CaptureStderr();
  File closed(url.c_str(), "r");
  EXPECT_EQ(closed.getLine(line, sizeof line), 0);
  EXPECT_EQ(closed.read(line, 10), 0);
  closed.close();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("File: " + url + ": ", 0), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(FileTool::getSize(url.c_str()), -1);

  testing::internal::CaptureStderr();
  EXPECT_EQ(f.open(server_->url("new.txt").c_str(), "w"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "File: URLs are read only: " + server_->url("new.txt") + "\n");
}

}  // namespace
