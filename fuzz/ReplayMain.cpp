// Replays kept fuzz inputs through a target without libFuzzer, so that every input that once
// crashed a reader stays a regression test in ordinary builds.
#include <dirent.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static int replayFile(const std::string& path)
{
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) {
    std::fprintf(stderr, "replay: cannot open %s\n", path.c_str());
    return 0;
  }
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, fp)) > 0)
    bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(fp);
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return 1;
}

int main(int argc, char** argv)
{
  int count = 0;
  for (int i = 1; i < argc; i++) {
    DIR* dir = opendir(argv[i]);
    if (!dir) {
      count += replayFile(argv[i]);
      continue;
    }
    while (dirent* entry = readdir(dir)) {
      if (entry->d_name[0] == '.') continue;
      count += replayFile(std::string(argv[i]) + "/" + entry->d_name);
    }
    closedir(dir);
  }
  // An empty input is always worth one run.
  LLVMFuzzerTestOneInput(nullptr, 0);
  std::printf("replayed %d inputs\n", count);
  return 0;
}
