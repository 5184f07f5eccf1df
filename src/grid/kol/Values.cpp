#include "grid/kol/Values.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/Const.h"
#include "core/File.h"
#include "core/FileTool.h"
#include "core/Kol.h"
#include "core/Swap.h"
#include "grid/Grid.h"

namespace KOL::kol {

namespace {

// Values converted per write: the byte-swapped copy stays in the cache.
constexpr size_t CHUNK = 16384;
// Where the size of a stream cannot be known, a header may still not ask for more than this.
constexpr size_t STREAM_LIMIT = size_t(1) << 28;

bool ended(size_t got, size_t want)
{
  if (got == want) return false;
  Kol::outWarning("GridKolFile: file ends after %zu of %zu values\n", got, want);
  return true;
}

// Values in file order, rows and columns placed as the orders say (1 ascending, else
// descending).
struct Placement {
  int nx, ny, colOrder, rowOrder;
  size_t at(size_t k) const
  {
    size_t r = k / nx, c = k % nx;
    size_t j = rowOrder == 1 ? r : ny - 1 - r;
    size_t i = colOrder == 1 ? c : nx - 1 - c;
    return j * nx + i;
  }
};

// One line of a value section. A local stream is read with fgets: the values are many short
// lines, and this keeps the cost per line to the line itself.
int valueLine(File& f, char* line, int size)
{
  FILE* fp = f.getFP();
  if (!fp || f.getType() != File::LOCAL) return f.getLine(line, size);
  if (!std::fgets(line, size, fp)) return 0;
  return int(std::strlen(line));
}

std::string besideGrid(const std::string& name, const std::string& gridFile)
{
  if (name.empty() || name[0] == '/' || FileTool::exist(name.c_str())) return name;
  size_t slash = gridFile.rfind('/');
  return slash == std::string::npos ? name : gridFile.substr(0, slash + 1) + name;
}

int readExternalText(File& data, const Placement& p, float* v, size_t n)
{
  size_t k = 0;
  for (float x; k < n && data.scanf("%f", &x) == 1; k++) v[p.at(k)] = x;
  return !ended(k, n);
}

int readExternalBinary(File& data, const Placement& p, float* v, size_t n)
{
  std::vector<float> raw(n);
  int got = data.read(raw.data(), sizeof(float), static_cast<int>(n));
  if (ended(got < 0 ? 0 : size_t(got), n)) return 0;
  for (size_t k = 0; k < n; k++) v[p.at(k)] = raw[k];
  return 1;
}

}  // namespace

bool fits(File& f, size_t n, size_t width)
{
  long here = f.tell();
  if (here < 0 || !f.seek(0, SEEK_END)) return n <= STREAM_LIMIT;
  long end = f.tell();
  f.seek(here, SEEK_SET);
  if (end >= here && n <= size_t(end - here) / width) return true;
  Kol::outWarning("GridKolFile: header promises %zu values, the file holds fewer\n", n);
  return false;
}

int readText(File& f, Grid& g)
{
  const size_t n = g.getCount();
  // A value takes at least a digit and a line end.
  if (!fits(f, n, 2) || !g.allocData()) return 0;
  float* v = g.getData();
  char line[128];
  size_t k = 0;
  for (; k < n; k++) {
    int len = valueLine(f, line, sizeof line);
    if (len <= 0) break;
    if (line[len - 1] != '\n' && len == int(sizeof line) - 1) f.skipLine();
    char* end;
    float x = std::strtof(line, &end);
    if (end != line) v[k] = x;
  }
  return !ended(k, n);
}

int readBinary(File& f, Grid& g)
{
  const size_t n = g.getCount();
  if (!fits(f, n, sizeof(float)) || !g.allocData()) return 0;
  float* v = g.getData();
  int got = f.read(v, sizeof(float), static_cast<int>(n));
  if (ended(got < 0 ? 0 : size_t(got), n)) return 0;
  Swap().swap4(v, static_cast<int>(n));
  char nl[1];
  f.read(nl, 1);
  return 1;
}

int readExternal(File& f, const std::string& gridFile, Grid& g)
{
  char line[600];
  char kind[64], name[512];
  long offset;
  int colOrder, rowOrder;
  if (f.getLine(line, sizeof line) <= 0 ||
      std::sscanf(line, "%63s %511s %ld %d %d", kind, name, &offset, &colOrder, &rowOrder) != 5) {
    Kol::outWarning("GridKolFile: bad external data line\n");
    return 0;
  }
  const std::string path = besideGrid(name, gridFile);
  File data;
  if (!data.open(path.c_str(), "r") || offset < 0 || !data.seek(offset, SEEK_SET)) {
    Kol::outWarning("GridKolFile: unable to read external data: %s\n", path.c_str());
    return 0;
  }
  const size_t n = g.getCount();
  if (!fits(data, n, kind[0] == 'A' ? 2 : sizeof(float)) || !g.allocData()) return 0;
  float* v = g.getData();
  Placement p{g.getNx(), g.getNy(), colOrder, rowOrder};
  return kind[0] == 'A' ? readExternalText(data, p, v, n) : readExternalBinary(data, p, v, n);
}

int writeText(File& f, const Grid& g, const char* fmt)
{
  const float* v = g.getData();
  if (!v) return 0;
  std::string format = fmt && *fmt ? fmt : "%14.8e";
  format += '\n';
  const size_t n = g.getCount();
  int ok = 1;
  for (size_t k = 0; k < n && ok; k++) ok = f.printf(format.c_str(), double(v[k])) > 0;
  return ok;
}

int writeBinary(File& f, const Grid& g)
{
  const float* v = g.getData();
  if (!v) return 0;
  const size_t n = g.getCount();
  Swap swap;
  if (!swap.isSwap())
    return f.write(v, sizeof(float), static_cast<int>(n)) == int(n) && f.write("\n", 1) == 1;
  std::vector<float> chunk(std::min(n, CHUNK));
  for (size_t k = 0; k < n; k += chunk.size()) {
    const size_t m = std::min(chunk.size(), n - k);
    std::memcpy(chunk.data(), v + k, m * sizeof(float));
    swap.swap4(chunk.data(), static_cast<int>(m));
    if (f.write(chunk.data(), sizeof(float), static_cast<int>(m)) != int(m)) return 0;
  }
  return f.write("\n", 1) == 1;
}

}  // namespace KOL::kol
