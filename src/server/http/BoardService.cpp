#include "server/http/BoardService.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>
#include <utility>

#include "game/Game.h"
#include "server/storage/ContentHash.h"
#include "server/verify/BoardRules.h"

namespace pelaryn {
namespace {

using httplib::Request;
using httplib::Response;
using nlohmann::json;
using Clock = std::chrono::steady_clock;

// How long a client is asked to wait before trying again when the service is busy or its
// database away.
constexpr int RetryAfterSeconds = 5;

void Reply(Response& response, int status, const json& body) {
  response.status = status;
  // Text from a submitter's bytes that is not UTF-8 is replaced, never allowed to break the answer.
  response.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace),
                       "application/json");
}

void Fail(Response& response, int status, std::string_view reason) {
  Reply(response, status, json{{"error", reason}});
}

void Busy(Response& response, std::string_view reason) {
  response.set_header("Retry-After", std::to_string(RetryAfterSeconds));
  Fail(response, 503, reason);
}

// A store that could not answer: busy or away is for a while, anything else is ours.
void StoreFailed(Response& response, const StoreError& error) {
  switch (error.Fault) {
    case StoreFault::Unavailable:
      return Busy(response, "the board's database is unavailable: " + error.Message);
    case StoreFault::Invalid:
      return Fail(response, 400, error.Message);
    case StoreFault::SchemaTooNew:
    case StoreFault::Failed:
      return Fail(response, 500, "the board's database failed: " + error.Message);
  }
}

json RunJson(const BoardRun& run) {
  return json{{"rank", run.Rank},   {"id", run.Id},         {"name", run.Name},
              {"score", run.Score}, {"combo", run.Combo},   {"ratio", run.Ratio},
              {"level", run.Level}, {"frames", run.Frames}, {"played", run.PlayedAt}};
}

// The query string's parameters only: httplib also reads a form body into the parameters, and
// `curl --data-binary` labels a replay as a form.
httplib::Params QueryOf(const Request& request) {
  httplib::Params params;
  const std::size_t mark = request.target.find('?');
  if (mark != std::string::npos) {
    httplib::detail::parse_query_text(request.target.substr(mark + 1), params);
  }
  return params;
}

std::optional<std::string> Param(const httplib::Params& params, const std::string& name) {
  const auto found = params.find(name);
  if (found == params.end()) return std::nullopt;
  return found->second;
}

template <typename T>
std::optional<T> Number(const std::string& text, T min, T max) {
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value < min || value > max) {
    return std::nullopt;
  }
  return value;
}

std::string IsoTime(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(millis));
  return text;
}

std::string_view ErrorText(int status) {
  switch (status) {
    case 400:
      return "the request is not one this service understands";
    case 404:
      return "nothing here: the API is under /api/v1";
    case 405:
      return "this method is not allowed here";
    case 413:
      return "the replay is larger than a replay can be (1 MB)";
    default:
      return "the request could not be answered";
  }
}

std::string_view DuplicateText(DuplicateKind kind) {
  return kind == DuplicateKind::SameBytes ? "this replay is on the board already"
                                          : "this game is on the board already, in another file";
}

// The time spent on a request, for the client (Server-Timing) and the log.
void Timing(Response& response, Clock::time_point start) {
  const std::chrono::duration<double, std::milli> took = Clock::now() - start;
  char timing[48];
  std::snprintf(timing, sizeof timing, "app;dur=%.3f", took.count());
  response.set_header("Server-Timing", timing);
}

}  // namespace

BoardService::BoardService(BoardStore& store, WorkerPool& pool, const ServerOptions& options)
    : store_(store), pool_(pool), options_(options), limiter_(options.SubmissionsPerMinute) {
  Log = [](const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
  };
  Now = [] { return SystemSeconds(); };
}

void BoardService::Mount(httplib::Server& server) {
  // Every handler timed, the time told to the client and the log alike.
  auto timed = [this](void (BoardService::*handler)(const Request&, Response&)) {
    return [this, handler](const Request& request, Response& response) {
      const auto start = Clock::now();
      (this->*handler)(request, response);
      Timing(response, start);
    };
  };
  server.set_payload_max_length(MaxSubmissionBytes);
  // Read as it comes rather than by httplib, which would take a body labelled as a form (as
  // `curl --data-binary` labels it) for the form's fields.
  server.Post("/api/v1/runs", [this](const Request& request, Response& response,
                                     const httplib::ContentReader& reader) {
    const auto start = Clock::now();
    std::string body;
    const bool whole = reader([&](const char* data, std::size_t size) {
      body.append(data, size);
      return body.size() <= MaxSubmissionBytes;
    });
    // httplib refuses a declared length over the limit before a byte is read.
    const std::string declared = request.get_header_value("Content-Length");
    if (body.size() > MaxSubmissionBytes ||
        (!declared.empty() && std::strtoull(declared.c_str(), nullptr, 10) > MaxSubmissionBytes)) {
      Fail(response, 413, ErrorText(413));
    } else if (!whole) {
      Fail(response, 400, "the body did not arrive whole");
    } else {
      PostRun(request, response, body);
    }
    Timing(response, start);
  });
  server.Get("/api/v1/boards", timed(&BoardService::GetBoards));
  server.Get(R"(/api/v1/boards/([^/]+))", timed(&BoardService::GetBoard));
  server.Get(R"(/api/v1/runs/([0-9]+))", timed(&BoardService::GetRun));
  server.Get(R"(/api/v1/runs/([0-9]+)/replay)", timed(&BoardService::GetReplay));
  server.Get("/api/v1/health", timed(&BoardService::GetHealth));
  server.Get("/metrics", timed(&BoardService::GetMetrics));
  // A page elsewhere asks before it posts bytes.
  server.Options(R"(/api/v1/.*)", [](const Request&, Response& response) {
    response.status = 204;
    response.set_header("Access-Control-Allow-Methods", "GET, POST, OPTIONS");
    response.set_header("Access-Control-Allow-Headers", "Content-Type");
    response.set_header("Access-Control-Max-Age", "86400");
  });
  server.set_post_routing_handler(
      [this](const Request& request, Response& response) { AddCors(request, response); });
  server.set_error_handler(
      // The post-routing handler adds the CORS headers to these answers too.
      httplib::Server::HandlerWithResponse([](const Request&, Response& response) {
        if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        Fail(response, response.status, ErrorText(response.status));
        return httplib::Server::HandlerResponse::Handled;
      }));
  server.set_exception_handler([](const Request&, Response& response, std::exception_ptr) {
    Fail(response, 500, "the service failed on this request");
  });
  server.set_logger(
      [this](const Request& request, const Response& response) { Write(request, response); });
}

void BoardService::AddCors(const Request& request, Response& response) const {
  if (options_.AllowOrigins.empty()) {
    response.set_header("Access-Control-Allow-Origin", "*");
  } else {
    const std::string origin = request.get_header_value("Origin");
    const auto& allowed = options_.AllowOrigins;
    if (std::find(allowed.begin(), allowed.end(), origin) != allowed.end()) {
      response.set_header("Access-Control-Allow-Origin", origin);
    }
    response.set_header("Vary", "Origin");
  }
  response.set_header("Access-Control-Expose-Headers",
                      "Retry-After, Location, Content-Disposition");
}

std::string BoardService::ClientAddress(const Request& request) const {
  if (options_.ForwardedFor && request.has_header("X-Forwarded-For")) {
    // The proxy in front appends the address it saw: the last entry is the one to trust.
    std::string forwarded = request.get_header_value("X-Forwarded-For");
    const std::size_t comma = forwarded.rfind(',');
    if (comma != std::string::npos) forwarded.erase(0, comma + 1);
    const auto first = forwarded.find_first_not_of(' ');
    const auto last = forwarded.find_last_not_of(' ');
    if (first != std::string::npos) return forwarded.substr(first, last - first + 1);
  }
  return request.remote_addr;
}

void BoardService::Write(const Request& request, const Response& response) {
  const std::string route = RouteOf(request.method, request.path);
  metrics_.CountRequest(route, response.status);
  double millis = 0;
  const std::string timing = response.get_header_value("Server-Timing");
  if (const std::size_t at = timing.find("dur="); at != std::string::npos) {
    millis = std::strtod(timing.c_str() + at + 4, nullptr);
  }
  const json line{{"time", IsoTime(std::chrono::system_clock::now())},
                  {"method", request.method},
                  {"route", route},
                  {"status", response.status},
                  {"ms", static_cast<double>(static_cast<int64_t>(millis * 1000)) / 1000},
                  {"address", ClientAddress(request)}};
  Log(line.dump(-1, ' ', false, json::error_handler_t::replace));
}

void BoardService::PostRun(const Request& request, Response& response, const std::string& body) {
  if (const int wait = limiter_.Take(ClientAddress(request)); wait > 0) {
    response.set_header("Retry-After", std::to_string(wait));
    return Fail(
        response, 429,
        "too many submissions from this address: try again in " + std::to_string(wait) + " s");
  }
  if (body.empty()) {
    return Fail(response, 400, "the body is empty: send the bytes of a replay file");
  }
  const std::optional<std::string> sentName = Param(QueryOf(request), "name");
  if (sentName) {
    std::string why;
    if (!CleanRunName(*sentName, why)) return Fail(response, 400, "refused: " + why);
  }
  // The same bytes, or the same game in other bytes, need no worker. Only the reader meets the
  // bytes here, the one the fuzzers know, and it allocates no more than a few times their size.
  ReplayFault fault = ReplayFault::None;
  const std::optional<Replay> replay = DecodeReplay(body, fault);
  // Bytes that are no replay at all are answered at once, without a worker's turn; a replay of
  // another format is a worker's to refuse, as any whole replay is.
  if (!replay && fault != ReplayFault::OtherFormat) {
    return Fail(response, 400, ReplayFaultName(fault));
  }
  const StoreResult<std::optional<DuplicateOf>> duplicate =
      store_.FindDuplicate(ContentHash(body), replay ? StartInputKey(*replay) : std::string());
  if (!duplicate) return StoreFailed(response, duplicate.Error());
  if (const std::optional<DuplicateOf>& earlier = duplicate.Value()) {
    return Reply(response, 409, json{{"error", DuplicateText(earlier->Kind)}, {"id", earlier->Id}});
  }
  std::optional<std::future<PoolAnswer>> pending = pool_.Submit(body, sentName);
  if (!pending) return Busy(response, "every verification worker is busy: try again shortly");
  const PoolAnswer answer = pending->get();
  const SubmissionVerdict& verdict = answer.Verdict;
  metrics_.CountVerification(std::string(SubmissionCheckName(verdict.Check)),
                             answer.Seconds.count());
  if (answer.Fault == WorkerFault::TimedOut || answer.Fault == WorkerFault::Unstarted) {
    return Busy(response, verdict.Reason);
  }
  if (verdict.Outcome == SubmissionOutcome::Malformed) return Fail(response, 400, verdict.Reason);
  if (verdict.Outcome == SubmissionOutcome::Refused) {
    json refusal{{"error", verdict.Reason}, {"check", SubmissionCheckName(verdict.Check)}};
    if (verdict.Check == SubmissionCheck::Play) refusal["frame"] = verdict.Frame;
    return Reply(response, 422, refusal);
  }
  NewRun run = verdict.Run;
  run.Replay = body;
  run.SubmittedAt = Now();
  const StoreResult<Inserted> inserted = store_.Insert(run);
  if (!inserted) return StoreFailed(response, inserted.Error());
  if (inserted->Duplicate != DuplicateKind::None) {
    return Reply(response, 409,
                 json{{"error", DuplicateText(inserted->Duplicate)}, {"id", inserted->Id}});
  }
  response.set_header("Location", "/api/v1/runs/" + std::to_string(inserted->Id));
  Reply(response, 201,
        json{{"id", inserted->Id},
             {"board", run.Board},
             {"rank", inserted->Rank},
             {"score", run.Score},
             {"frames", run.Frames},
             {"name", run.Name}});
}

void BoardService::GetBoards(const Request&, Response& response) {
  StoreResult<std::vector<BoardSize>> boards = store_.Boards();
  if (!boards) return StoreFailed(response, boards.Error());
  // The standard board first, the others by name.
  std::stable_partition(boards->begin(), boards->end(),
                        [](const BoardSize& size) { return size.Board == StandardBoard; });
  json list = json::array();
  for (const BoardSize& board : boards.Value()) {
    list.push_back({{"board", board.Board}, {"runs", board.Runs}});
  }
  Reply(response, 200, json{{"boards", list}});
}

void BoardService::GetBoard(const Request& request, Response& response) {
  const std::string board = request.matches[1];
  if (!IsBoardName(board)) return Fail(response, 404, "no board is named " + board);
  const httplib::Params query = QueryOf(request);
  const std::optional<int64_t> offset =
      Number<int64_t>(Param(query, "offset").value_or("0"), 0, INT64_MAX / 2);
  const std::optional<int> limit =
      Number<int>(Param(query, "limit").value_or(std::to_string(MaxPageRows)), 0, MaxPageRows);
  if (!offset) return Fail(response, 400, "offset wants a number from 0");
  if (!limit) {
    return Fail(response, 400, "limit wants a number from 0 to " + std::to_string(MaxPageRows));
  }
  const StoreResult<BoardPage> page = store_.Page(board, *offset, *limit);
  if (!page) return StoreFailed(response, page.Error());
  json rows = json::array();
  for (const BoardRun& run : page->Rows) rows.push_back(RunJson(run));
  Reply(response, 200, json{{"board", board}, {"total", page->Total}, {"rows", rows}});
}

void BoardService::GetRun(const Request& request, Response& response) {
  const std::optional<int64_t> id = Number<int64_t>(request.matches[1], 1, INT64_MAX);
  if (!id) return Fail(response, 404, "no such run");
  const StoreResult<std::optional<BoardRun>> run = store_.Find(*id);
  if (!run) return StoreFailed(response, run.Error());
  if (!run.Value()) return Fail(response, 404, "no run " + std::to_string(*id));
  json body = RunJson(*run.Value());
  body["board"] = run.Value()->Board;
  Reply(response, 200, body);
}

void BoardService::GetReplay(const Request& request, Response& response) {
  const std::optional<int64_t> id = Number<int64_t>(request.matches[1], 1, INT64_MAX);
  if (!id) return Fail(response, 404, "no such run");
  StoreResult<std::optional<std::string>> replay = store_.Replay(*id);
  if (!replay) return StoreFailed(response, replay.Error());
  if (!replay.Value()) return Fail(response, 404, "no run " + std::to_string(*id));
  response.status = 200;
  response.set_header("Content-Disposition",
                      "attachment; filename=\"pelaryn-run-" + std::to_string(*id) + ".pelrpy\"");
  response.set_content(std::move(*replay.Value()), "application/x-pelaryn-replay");
}

void BoardService::GetHealth(const Request&, Response& response) {
  const StoreResult<std::vector<BoardSize>> boards = store_.Boards();
  if (!boards) {
    response.set_header("Retry-After", std::to_string(RetryAfterSeconds));
    return Reply(response, 503,
                 json{{"status", "unavailable"},
                      {"error", "the board's database is unavailable: " + boards.Error().Message}});
  }
  Reply(response, 200,
        json{{"status", "ok"},
             {"version", GameVersion()},
             {"workers", pool_.WorkerIds().size()},
             {"queue", pool_.QueueLength()}});
}

void BoardService::GetMetrics(const Request&, Response& response) {
  std::vector<std::pair<std::string, int64_t>> runs;
  if (const StoreResult<std::vector<BoardSize>> boards = store_.Boards()) {
    for (const BoardSize& board : boards.Value()) runs.emplace_back(board.Board, board.Runs);
  }
  response.status = 200;
  response.set_content(metrics_.Text(pool_.QueueLength(), pool_.Restarts(),
                                     static_cast<int>(pool_.WorkerIds().size()), runs),
                       "text/plain; version=0.0.4");
}

}  // namespace pelaryn
