/* Runs a fuzz target once on every file of the folders named on the command
 * line, without libFuzzer: any compiler and any sanitizer build can replay
 * the seed corpus and the regression files of past findings. A folder that
 * does not exist is skipped; a broken invariant aborts, as under the fuzzer.
 */
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv) {
  LLVMFuzzerInitialize(&argc, &argv);
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; i++) {
    std::error_code error;
    if (!std::filesystem::is_directory(argv[i], error)) continue;
    for (const auto &item : std::filesystem::directory_iterator(argv[i]))
      if (item.is_regular_file()) inputs.push_back(item.path());
  }
  std::sort(inputs.begin(), inputs.end());
  for (const auto &path : inputs) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fprintf(stderr, "%s\n", path.c_str());
    LLVMFuzzerTestOneInput((const uint8_t *)bytes.data(), bytes.size());
  }
  fprintf(stderr, "%zu inputs replayed\n", inputs.size());
  return inputs.empty() ? 1 : 0;
}
