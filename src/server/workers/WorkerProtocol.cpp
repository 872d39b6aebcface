#include "server/workers/WorkerProtocol.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <nlohmann/json.hpp>

namespace pelaryn {
namespace {

PipeStatus WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno == EPIPE ? PipeStatus::Closed : PipeStatus::Failed;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return PipeStatus::Done;
}

PipeStatus ReadAll(int fd, char* data, std::size_t size,
                   std::chrono::steady_clock::time_point deadline) {
  while (size > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return PipeStatus::TimedOut;
    pollfd wait{fd, POLLIN, 0};
    const int ready = ::poll(&wait, 1, static_cast<int>(std::min<int64_t>(left.count(), 60000)));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return PipeStatus::Failed;
    }
    if (ready == 0) continue;
    const ssize_t got = ::read(fd, data, size);
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return PipeStatus::Failed;
    }
    if (got == 0) return PipeStatus::Closed;
    data += got;
    size -= static_cast<std::size_t>(got);
  }
  return PipeStatus::Done;
}

}  // namespace

PipeStatus WriteFrame(int fd, std::string_view bytes) {
  const auto size = static_cast<uint32_t>(bytes.size());
  const std::array<char, 4> head{static_cast<char>(size), static_cast<char>(size >> 8),
                                 static_cast<char>(size >> 16), static_cast<char>(size >> 24)};
  if (const PipeStatus status = WriteAll(fd, head.data(), head.size());
      status != PipeStatus::Done) {
    return status;
  }
  return WriteAll(fd, bytes.data(), bytes.size());
}

PipeStatus ReadFrame(int fd, std::string& bytes, std::size_t maxBytes,
                     std::chrono::steady_clock::time_point deadline) {
  std::array<unsigned char, 4> head{};
  if (const PipeStatus status = ReadAll(fd, reinterpret_cast<char*>(head.data()), 4, deadline);
      status != PipeStatus::Done) {
    return status;
  }
  const uint32_t size = head[0] | (head[1] << 8) | (head[2] << 16) | (uint32_t{head[3]} << 24);
  if (size > maxBytes) return PipeStatus::TooLong;
  bytes.resize(size);
  return ReadAll(fd, bytes.data(), size, deadline);
}

std::string EncodeSentName(std::optional<std::string_view> name) {
  std::string frame(1, name ? '\1' : '\0');
  if (name) frame += *name;
  return frame;
}

std::optional<std::string> DecodeSentName(std::string_view frame, bool& wellFormed) {
  wellFormed = !frame.empty() && (frame[0] == '\1' || frame.size() == 1);
  if (!wellFormed || frame[0] == '\0') return std::nullopt;
  return std::string(frame.substr(1));
}

std::string EncodeVerdict(const SubmissionVerdict& verdict) {
  const NewRun& run = verdict.Run;
  nlohmann::json json = {
      {"outcome", static_cast<int>(verdict.Outcome)},
      {"check", static_cast<int>(verdict.Check)},
      {"reason", verdict.Reason},
      {"frame", verdict.Frame},
      {"board", run.Board},
      {"name", run.Name},
      {"score", run.Score},
      {"combo", run.Combo},
      {"ratio", run.Ratio},
      {"level", run.Level},
      {"frames", run.Frames},
      {"played", run.PlayedAt},
      {"key", run.StartInputKey},
      {"fingerprint", run.Fingerprint},
  };
  // Names and reasons come from the submitter's bytes; anything that is not UTF-8 is replaced
  // rather than allowed to make the answer unreadable.
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<SubmissionVerdict> DecodeVerdict(std::string_view frame) {
  const nlohmann::json json = nlohmann::json::parse(frame, nullptr, false);
  if (json.is_discarded() || !json.is_object()) return std::nullopt;
  try {
    SubmissionVerdict verdict;
    const int outcome = json.at("outcome").get<int>();
    const int check = json.at("check").get<int>();
    if (outcome < 0 || outcome > static_cast<int>(SubmissionOutcome::Refused) || check < 0 ||
        check > static_cast<int>(SubmissionCheck::Worker)) {
      return std::nullopt;
    }
    verdict.Outcome = static_cast<SubmissionOutcome>(outcome);
    verdict.Check = static_cast<SubmissionCheck>(check);
    verdict.Reason = json.at("reason").get<std::string>();
    verdict.Frame = json.at("frame").get<uint32_t>();
    NewRun& run = verdict.Run;
    run.Board = json.at("board").get<std::string>();
    run.Name = json.at("name").get<std::string>();
    run.Score = json.at("score").get<int32_t>();
    run.Combo = json.at("combo").get<int32_t>();
    run.Ratio = json.at("ratio").get<int32_t>();
    run.Level = json.at("level").get<int32_t>();
    run.Frames = json.at("frames").get<int64_t>();
    run.PlayedAt = json.at("played").get<int64_t>();
    run.StartInputKey = json.at("key").get<std::string>();
    run.Fingerprint = json.at("fingerprint").get<uint64_t>();
    return verdict;
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

}  // namespace pelaryn
