// Stands in for libFuzzer's main in the ordinary builds: every file of the folders named on the
// command line (and every file named itself) goes to the harness once, in name order.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const fs::path arg = argv[i];
    if (!fs::is_directory(arg)) {
      inputs.push_back(arg);
      continue;
    }
    for (const auto& entry : fs::recursive_directory_iterator(arg)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
  }
  std::sort(inputs.begin(), inputs.end());
  // An empty or misspelt corpus would otherwise pass without testing anything.
  if (inputs.empty()) {
    std::cerr << "no inputs to replay\n";
    return 1;
  }
  for (const fs::path& path : inputs) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (!in.eof() && !in) {
      std::cerr << "cannot read " << path << "\n";
      return 1;
    }
    // A buffer of exactly the input's size, as libFuzzer gives, so that AddressSanitizer sees
    // a read one byte past the end.
    const auto data = std::make_unique<uint8_t[]>(std::max<std::size_t>(bytes.size(), 1));
    std::copy(bytes.begin(), bytes.end(), data.get());
    std::cerr << path.filename().string() << "\n";
    LLVMFuzzerTestOneInput(data.get(), bytes.size());
  }
  std::cout << inputs.size() << " inputs replayed\n";
  return 0;
}
