#include "TestData.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Kol.h"

namespace KOLTest {

std::string dataDir()
{
  const char* env = std::getenv("KOL_TEST_DATA");
  return env && *env ? env : KOL_TEST_DATA_DEFAULT;
}

bool haveData()
{
  struct stat st;
  return stat(dataDir().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string dataFile(const std::string& relative)
{
  return haveData() ? dataDir() + "/" + relative : std::string();
}

std::string databaseDir() { return std::string(KOL_SOURCE_DIR) + "/data"; }

std::string programPath(const std::string& name)
{
  return std::string(KOL_BINARY_DIR) + "/programs/" + name;
}

TempDir::TempDir()
{
  const char* tmp = std::getenv("TMPDIR");
  std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/koltest.XXXXXX";
  if (mkdtemp(tmpl.data())) path_ = tmpl;
}

TempDir::~TempDir()
{
  if (!path_.empty()) run("rm -rf '" + path_ + "'");
}

std::string TempDir::link(const std::string& name, const std::string& source) const
{
  const std::filesystem::path at = file(name);
  std::error_code ec;
  std::filesystem::create_directories(at.parent_path(), ec);
  std::filesystem::create_symlink(source, at, ec);
  EXPECT_FALSE(ec) << at << ": " << ec.message();
  return at.string();
}

std::string run(const std::string& command, int* status)
{
  std::string out;
  FILE* fp = popen(command.c_str(), "r");
  if (!fp) {
    if (status) *status = -1;
    return out;
  }
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, fp)) > 0) out.append(buf, n);
  int rc = pclose(fp);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

std::string readFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writeFile(const std::string& path, const std::string& text)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

int freePort(int type)
{
  int fd = socket(AF_INET, type, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  close(fd);
  return ntohs(addr.sin_port);
}

QuietScope::QuietScope() : saved_(KOL::Kol::getMessageMask()) { KOL::Kol::setMessageLevel("none"); }

QuietScope::~QuietScope() { KOL::Kol::setMessageMask(saved_); }

ResourceScope::ResourceScope(std::initializer_list<std::pair<const char*, std::string>> given)
{
  for (const auto& [name, value] : given) set(name, value);
}

ResourceScope::~ResourceScope()
{
  for (const std::string& n : names_) KOL::Kol::resrc.set(n.c_str(), "");
}

void ResourceScope::set(const char* name, const std::string& value)
{
  names_.push_back(name);
  KOL::Kol::resrc.set(name, value.c_str());
}

DatabaseScope::DatabaseScope()
{
  const char* old = KOL::Kol::getDatabasePath();
  saved_ = old ? old : "";
  KOL::Kol::setDatabasePath(databaseDir().c_str());
}

DatabaseScope::~DatabaseScope() { KOL::Kol::setDatabasePath(saved_.c_str()); }

std::vector<std::string> dataFiles(const std::string& folder, std::string_view suffix)
{
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dataFile(folder), ec)) {
    const std::string name = e.path().filename().string();
    if (e.is_regular_file() && name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      out.push_back(e.path().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace KOLTest
