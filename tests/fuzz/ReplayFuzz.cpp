// Replay files, as anyone may hand one to the game or the runner. Bytes that are refused say
// why; reading allocates no more than a small multiple of their size; a replay that loads is
// written again as the same replay, and plays through the real core headless, whatever start
// state it brings, for up to PlayedFrames frames.
//
// The file's length and fingerprint would turn away almost every change the fuzzer makes, so
// each input is read a second time with both made to fit: a file can be forged as easily.
// A replay may ask for a background of up to 4096 x 4096, which the playback fills with black:
// 64 MB at once, the one allocation beyond the input's size; scripts/fuzz bounds this harness's
// single allocations with -malloc_limit_mb, and all it holds with -rss_limit_mb.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "base/Fingerprint.h"
#include "platform/headless/SimRunner.h"
#include "replay/ReplayFile.h"
#include "replay/StateCodec.h"

using pelaryn::fuzz::Check;

// AddressSanitizer's allocator hooks, where a sanitizer is linked: the fuzz build and the debug
// build. Elsewhere the allocation check is skipped.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*))
    __attribute__((weak));

namespace pelaryn {
namespace {

constexpr uint64_t PlayedFrames = 300;

// The bytes requested while a decode runs. The hook's signature leaves no room for a context.
struct AllocationCount {
  bool counting = false;
  std::size_t bytes = 0;
};
AllocationCount allocations;

void CountMalloc(const volatile void*, size_t size) {
  if (allocations.counting) allocations.bytes += size;
}
void IgnoreFree(const volatile void*) {}

bool CountingAllocations() {
  static const bool installed = __sanitizer_install_malloc_and_free_hooks &&
                                __sanitizer_install_malloc_and_free_hooks(CountMalloc, IgnoreFree);
  return installed;
}

// Removed again when the program ends.
struct ScratchFolder {
  std::string path;
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

// A program folder holding only a small back.bmp: a playback never reads this machine's own
// pictures, runs the same everywhere, and finds the picture its seeds name, though at another
// size than the one recorded.
const std::string& ProgramFolder() {
  static const ScratchFolder folder{[] {
    std::string name = (std::filesystem::temp_directory_path() / "pelaryn-fuzz-XXXXXX").string();
    Check(mkdtemp(name.data()) != nullptr, "a scratch folder can be made");
    std::string bmp = "BM";
    auto put = [&](uint32_t value, int bytes) {
      for (int i = 0; i < bytes; ++i) bmp += static_cast<char>(value >> (8 * i));
    };
    // 2 x 2 pixels of 24 bits, each row padded to 8 bytes.
    put(54 + 16, 4), put(0, 4), put(54, 4), put(40, 4), put(2, 4), put(2, 4), put(1, 2);
    put(24, 2), put(0, 4), put(16, 4), put(2835, 4), put(2835, 4), put(0, 4), put(0, 4);
    bmp += std::string("\x10\x20\x30\x40\x50\x60\0\0\x70\x80\x90\xa0\xb0\xc0\0\0", 16);
    std::ofstream(name + "/back.bmp", std::ios::binary) << bmp;
    return name;
  }()};
  return folder.path;
}

std::optional<Replay> Decode(std::string_view bytes, ReplayFault& fault) {
  const bool counted = CountingAllocations();
  allocations = {counted, 0};
  std::optional<Replay> replay = DecodeReplay(bytes, fault);
  allocations.counting = false;
  // The state's and the settings events' texts, the input and the checkpoints are each at most
  // the file's size; a refusal or a texts' short buffer costs a little more.
  if (counted) {
    Check(allocations.bytes <= 4 * bytes.size() + 1024,
          "reading allocates no more than a small multiple of the bytes");
  }
  return replay;
}

std::string StateBytes(const GameState& s) {
  std::vector<uint8_t> bytes;
  ByteWriter out(bytes);
  WriteState(out, s);
  return {bytes.begin(), bytes.end()};
}

bool SameReplay(const Replay& a, const Replay& b) {
  const ReplayResult &x = a.Result, &y = b.Result;
  return a.FormatVersion == b.FormatVersion && a.GameVersion == b.GameVersion &&
         a.PlayedAt == b.PlayedAt && a.Name == b.Name && x.Ending == y.Ending &&
         x.Frames == y.Frames && x.Score == y.Score && x.MaxCombo == y.MaxCombo &&
         x.ShotRatio == y.ShotRatio && x.Level == y.Level &&
         StateBytes(a.Start) == StateBytes(b.Start) && a.RandomWords == b.RandomWords &&
         a.RandomDraws == b.RandomDraws && a.BackgroundPath == b.BackgroundPath &&
         a.BackgroundWidth == b.BackgroundWidth && a.BackgroundHeight == b.BackgroundHeight &&
         a.Input == b.Input && a.Checkpoints == b.Checkpoints;
}

// The bytes with the length field and the fingerprint at the end made to fit, as EncodeReplay
// writes them; the same bytes when they are too short to hold both.
std::string Sealed(std::string bytes) {
  constexpr std::size_t lengthAt = ReplayMagic.size() + 2;
  if (bytes.size() < lengthAt + 16) return bytes;
  for (std::size_t i = 0; i < 8; ++i) {
    bytes[lengthAt + i] = static_cast<char>(bytes.size() >> (8 * i));
  }
  const uint64_t hash = Fingerprint(bytes.data(), bytes.size() - 8);
  for (std::size_t i = 0; i < 8; ++i) {
    bytes[bytes.size() - 8 + i] = static_cast<char>(hash >> (8 * i));
  }
  return bytes;
}

void Play(const Replay& replay) {
  SimOptions options;
  options.Frames = PlayedFrames;
  options.FramesGiven = true;
  options.ProgramFolder = ProgramFolder();
  std::string error;
  const std::optional<SimResult> result =
      RunSim(options, error, std::make_shared<const Replay>(replay));
  if (!result) std::fprintf(stderr, "%s\n", error.c_str());
  Check(result.has_value(), "a replay that loads plays");
  Check(result->Frames <= PlayedFrames, "a playback stops at the frames it was given");
}

void CheckFile(std::string_view bytes) {
  ReplayFault fault = ReplayFault::None;
  const std::optional<Replay> replay = Decode(bytes, fault);
  if (!replay) {
    Check(fault != ReplayFault::None && !ReplayFaultText(fault).empty() &&
              !ReplayFaultName(fault).empty(),
          "a refused replay says why");
    return;
  }
  Check(fault == ReplayFault::None, "a replay that loads has no fault");
  const std::string written = EncodeReplay(*replay);
  ReplayFault again = ReplayFault::None;
  const std::optional<Replay> back = Decode(written, again);
  Check(back && SameReplay(*replay, *back), "a replay written again reads as the same replay");
  Check(EncodeReplay(*back) == written, "a replay written again is written the same");
  Play(*replay);
}

}  // namespace
}  // namespace pelaryn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace pelaryn;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckFile(bytes);
  const std::string sealed = Sealed(bytes);
  if (sealed != bytes) CheckFile(sealed);
  return 0;
}
