// pelaryn-board-load: a score board under load on this machine. Clients submit the fair games
// of a corpus (scripts/load-board makes it) and, for every tenth submission, a hostile one made
// from another game of it, all at once; each retries after a 503 as its Retry-After says. Then it
// sends a sample of the accepted games again, which must come back as duplicates. It prints what
// the board answered, how fast, and what the server and its workers used, and fails when a
// hostile submission got on the board, a fair game did not (or not with its own figures), or a
// request went unanswered.

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "HostileReplays.h"
#include "ProcessWatch.h"
#include "replay/ReplayFile.h"

namespace pelaryn {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* Usage =
    "usage: pelaryn-board-load --server http://127.0.0.1:PORT --corpus DIR [--runs N]\n"
    "                          [--clients N] [--server-pid PID] [--label TEXT] [--table FILE]\n"
    "                          [--deadline SECONDS]\n"
    "  Submits games DIR/game-0000.pelrpy … in a seeded order: the first nine tenths of the\n"
    "  --runs as they are, the rest made hostile. --server-pid: the server whose CPU time and\n"
    "  memory (with its workers') are reported; --table: a file the figures are added to as one\n"
    "  tab-separated row; --deadline: no new submission after this many seconds.\n";

// A game of one to five minutes at the game's 45 ms a frame.
constexpr uint32_t MinFrames = 60'000 / 45;
constexpr uint32_t MaxFrames = 300'000 / 45;
// How long a 503's Retry-After is taken at its word, in seconds.
constexpr int MaxRetryAfter = 30;
// One accepted game in this many is sent again.
constexpr int ResendEvery = 20;

struct Options {
  std::string Server;
  std::string Corpus;
  int Runs = 2000;
  int Clients = 8;
  pid_t ServerPid = 0;
  std::string Label;
  std::string Table;
  int DeadlineSeconds = 3600;
};

struct Submission {
  int Game = 0;  // its number in the corpus
  std::optional<Hostility> Hostile;
  std::string Bytes;
  // A fair game's own figures, as the sim recorded them.
  int32_t Score = 0;
  uint32_t Frames = 0;
};

struct Answer {
  int Status = 0;   // 0: none (the connection failed, or the deadline came first)
  std::string Why;  // a failed connection's error, or the body's "check" and "error"
  nlohmann::json Body;
  int Busy = 0;          // 503s answered before this
  double RequestMs = 0;  // the request that was answered
  double TotalMs = 0;    // from the first try to the answer, the waits after 503s included
};

int ParseInt(const std::string& text, int low, int high, const char* what) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    throw std::invalid_argument(std::string(what) + " must be a number " + std::to_string(low) +
                                " … " + std::to_string(high));
  }
  return value;
}

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (i + 1 >= args.size()) throw std::invalid_argument(name + " needs a value");
    const std::string& value = args[++i];
    if (name == "--server") {
      options.Server = value;
    } else if (name == "--corpus") {
      options.Corpus = value;
    } else if (name == "--runs") {
      options.Runs = ParseInt(value, 1, 100'000, "--runs");
    } else if (name == "--clients") {
      options.Clients = ParseInt(value, 1, 256, "--clients");
    } else if (name == "--server-pid") {
      options.ServerPid = ParseInt(value, 1, 1 << 30, "--server-pid");
    } else if (name == "--label") {
      options.Label = value;
    } else if (name == "--table") {
      options.Table = value;
    } else if (name == "--deadline") {
      options.DeadlineSeconds = ParseInt(value, 1, 86'400, "--deadline");
    } else {
      throw std::invalid_argument("unknown option " + name);
    }
  }
  if (options.Server.empty() || options.Corpus.empty()) {
    throw std::invalid_argument("--server and --corpus are needed");
  }
  // Loopback only: this is a load on this machine, never on someone else's.
  static constexpr std::string_view Loopback[] = {
      "http://127.0.0.1:", "http://localhost:", "http://[::1]:"};
  if (std::none_of(std::begin(Loopback), std::end(Loopback),
                   [&](std::string_view prefix) { return options.Server.starts_with(prefix); })) {
    throw std::invalid_argument("--server must be a loopback address, http://127.0.0.1:PORT");
  }
  if (options.Label.empty()) options.Label = options.Server;
  return options;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The submissions in the order they are sent: the corpus's first games fair, the rest hostile,
// shuffled together.
std::vector<Submission> LoadSubmissions(const Options& options) {
  const int hostile = options.Runs / 10;
  const int fair = options.Runs - hostile;
  std::mt19937_64 random(34);
  std::vector<Submission> submissions;
  // Each game's start and input, as the board tells games apart: the time it was played and
  // the name typed left out.
  std::set<std::string> games;
  for (int game = 0; game < options.Runs; ++game) {
    char name[32];
    std::snprintf(name, sizeof name, "game-%04d.pelrpy", game);
    Submission s;
    s.Game = game;
    s.Bytes = ReadFile(std::filesystem::path(options.Corpus) / name);
    ReplayFault fault = ReplayFault::None;
    const std::optional<Replay> replay = DecodeReplay(s.Bytes, fault);
    if (!replay || replay->Result.Ending != ReplayEnding::GameOver ||
        replay->Result.Frames < MinFrames || replay->Result.Frames > MaxFrames) {
      throw std::runtime_error(std::string(name) +
                               " is not a game over of one to five minutes: make the corpus again");
    }
    Replay identity = *replay;
    identity.PlayedAt = 0;
    identity.Name.clear();
    if (!games.insert(EncodeReplay(identity)).second) {
      throw std::runtime_error(std::string(name) +
                               " repeats an earlier game: make the corpus again");
    }
    s.Score = replay->Result.Score;
    s.Frames = replay->Result.Frames;
    if (game >= fair) {
      s.Hostile = Hostilities[static_cast<std::size_t>(game - fair) % Hostilities.size()];
      s.Bytes = MakeHostile(s.Bytes, *s.Hostile, random);
    }
    submissions.push_back(std::move(s));
  }
  std::shuffle(submissions.begin(), submissions.end(), random);
  return submissions;
}

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Sends one submission until it is answered with anything but a 503, or the deadline passes.
Answer Submit(httplib::Client& client, const Submission& s, Clock::time_point deadline) {
  Answer answer;
  const std::string path = "/api/v1/runs?name=load-" + std::to_string(s.Game);
  const auto first = Clock::now();
  while (true) {
    const auto sent = Clock::now();
    const httplib::Result result =
        client.Post(path, s.Bytes.data(), s.Bytes.size(), "application/octet-stream");
    const auto answered = Clock::now();
    if (!result) {
      answer.Why = "no answer: " + httplib::to_string(result.error());
      break;
    }
    if (result->status == 503 && answered < deadline) {
      ++answer.Busy;
      int wait = 1;
      const std::string after = result->get_header_value("Retry-After");
      std::from_chars(after.data(), after.data() + after.size(), wait);
      std::this_thread::sleep_for(std::chrono::seconds(std::clamp(wait, 1, MaxRetryAfter)));
      continue;
    }
    answer.Status = result->status;
    answer.RequestMs = Milliseconds(answered - sent);
    answer.Body = nlohmann::json::parse(result->body, nullptr, false);
    if (answer.Body.is_object() && answer.Body.contains("error")) {
      answer.Why = answer.Body.value("check", std::string("?")) + ": " +
                   answer.Body.value("error", std::string());
    }
    break;
  }
  answer.TotalMs = Milliseconds(Clock::now() - first);
  return answer;
}

// Sends every submission of `order` by `clients` threads at once.
std::vector<Answer> SubmitAll(const Options& options, const std::vector<Submission>& submissions,
                              const std::vector<std::size_t>& order, Clock::time_point deadline) {
  std::vector<Answer> answers(submissions.size());
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> clients;
  for (int c = 0; c < options.Clients; ++c) {
    clients.emplace_back([&] {
      httplib::Client client(options.Server);
      client.set_keep_alive(false);
      client.set_connection_timeout(std::chrono::seconds(10));
      client.set_read_timeout(std::chrono::seconds(300));
      client.set_write_timeout(std::chrono::seconds(60));
      for (std::size_t i = next++; i < order.size(); i = next++) {
        if (Clock::now() >= deadline) break;
        answers[order[i]] = Submit(client, submissions[order[i]], deadline);
      }
    });
  }
  for (std::thread& t : clients) t.join();
  return answers;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  // The nearest rank: the smallest value at or above the share p of them all.
  const auto rank = static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size())));
  return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

struct Tally {
  int Fair = 0, Accepted = 0, Lost = 0, WrongFigures = 0;
  int Hostile = 0, HostileRefused = 0, HostileAccepted = 0, HostileUnanswered = 0;
  int Resent = 0, ResentDuplicate = 0;
  int Busy = 0;
  // Per hostility, how the board answered it: "422 claims" → count.
  std::map<std::string, std::map<std::string, int>> ByKind;
  std::vector<std::string> Faults;  // the first few, to show
  void Fault(std::string what) {
    if (Faults.size() < 10) Faults.push_back(std::move(what));
  }
};

bool Refusal(int status) {
  return status == 400 || status == 409 || status == 413 || status == 422;
}

Tally Count(const std::vector<Submission>& submissions, const std::vector<Answer>& answers) {
  Tally t;
  for (std::size_t i = 0; i < submissions.size(); ++i) {
    const Submission& s = submissions[i];
    const Answer& a = answers[i];
    t.Busy += a.Busy;
    const std::string game = "game " + std::to_string(s.Game);
    if (s.Hostile) {
      ++t.Hostile;
      const std::string check =
          a.Body.is_object() ? a.Body.value("check", std::string("-")) : std::string("-");
      ++t.ByKind[std::string(HostilityName(*s.Hostile))][std::to_string(a.Status) + " " + check];
      if (a.Status == 201) {
        ++t.HostileAccepted;
        t.Fault(game + " (" + std::string(HostilityName(*s.Hostile)) + ") was accepted");
      } else if (Refusal(a.Status)) {
        ++t.HostileRefused;
      } else {
        ++t.HostileUnanswered;
        t.Fault(game + " (" + std::string(HostilityName(*s.Hostile)) +
                "): " + std::to_string(a.Status) + " " + a.Why);
      }
      continue;
    }
    ++t.Fair;
    if (a.Status != 201) {
      ++t.Lost;
      t.Fault(game + ": " + std::to_string(a.Status) + " " + a.Why);
      continue;
    }
    ++t.Accepted;
    const nlohmann::json& b = a.Body;
    if (!b.is_object() || b.value("score", -1) != s.Score || b.value("frames", 0u) != s.Frames ||
        b.value("board", std::string()) != "standard") {
      ++t.WrongFigures;
      t.Fault(game + ": stored as " + b.dump() + ", played score " + std::to_string(s.Score) +
              " in " + std::to_string(s.Frames) + " frames");
    }
  }
  return t;
}

void Report(const Options& options, const std::vector<Submission>& submissions,
            const std::vector<Answer>& answers, const Tally& t, double seconds,
            const std::optional<ProcessWatch>& watch) {
  std::vector<uint32_t> frames;
  double fairFrames = 0;
  for (const Submission& s : submissions) {
    if (s.Hostile) continue;
    frames.push_back(s.Frames);
    fairFrames += s.Frames;
  }
  std::sort(frames.begin(), frames.end());
  std::vector<double> request, total;
  for (const Answer& a : answers) {
    if (a.Status == 0) continue;
    request.push_back(a.RequestMs);
    total.push_back(a.TotalMs);
  }
  const double perSecond = static_cast<double>(answers.size()) / seconds;
  std::printf("%s: %zu submissions (%d fair, %d hostile) by %d clients\n", options.Label.c_str(),
              submissions.size(), t.Fair, t.Hostile, options.Clients);
  if (!frames.empty()) {
    std::printf("  fair games: %u … %u frames, median %u; %.0f frames in all\n", frames.front(),
                frames.back(), frames[frames.size() / 2], fairFrames);
  }
  std::printf("  %.1f s: %.2f submissions a second, %.0f fair frames verified a second\n", seconds,
              perSecond, fairFrames / seconds);
  std::printf(
      "  fair: %d accepted, %d lost, %d with figures not their own; sent again: %d, %d "
      "of them answered 409\n",
      t.Accepted, t.Lost, t.WrongFigures, t.Resent, t.ResentDuplicate);
  std::printf("  hostile: %d refused, %d accepted, %d unanswered or answered otherwise\n",
              t.HostileRefused, t.HostileAccepted, t.HostileUnanswered);
  for (const auto& [kind, statuses] : t.ByKind) {
    std::printf("    %-14s", kind.c_str());
    for (const auto& [status, count] : statuses) std::printf("  %d × %s", count, status.c_str());
    std::printf("\n");
  }
  std::printf(
      "  latency of the answered request: p50 %.0f ms, p99 %.0f ms; with the waits after "
      "503: p50 %.0f ms, p99 %.0f ms; %d answers 503\n",
      Percentile(request, 0.5), Percentile(request, 0.99), Percentile(total, 0.5),
      Percentile(total, 0.99), t.Busy);
  if (watch) {
    std::printf(
        "  CPU: workers %.1f s (%d processes), server %.1f s; peak memory: server %.1f "
        "MB, largest worker %.1f MB\n",
        watch->ChildCpuSeconds(), watch->ChildrenSeen(), watch->ServerCpuSeconds(),
        static_cast<double>(watch->ServerPeakKb()) / 1024.0,
        static_cast<double>(watch->ChildPeakKb()) / 1024.0);
  }
  for (const std::string& fault : t.Faults) std::printf("  FAULT %s\n", fault.c_str());

  if (options.Table.empty()) return;
  const bool fresh =
      !std::filesystem::exists(options.Table) || std::filesystem::file_size(options.Table) == 0;
  std::ofstream table(options.Table, std::ios::app);
  if (fresh) {
    table << "board\tsubmissions\tfair accepted\tfair lost\thostile refused\thostile "
             "accepted\tresent 409\tper second\tp50 ms\tp99 ms\tworkers CPU s\tserver CPU "
             "s\tserver peak MB\tworker peak MB\n";
  }
  const auto fixed = [](double value, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return std::string(text);
  };
  const auto ratio = [](int part, int whole) {
    return std::to_string(part) + "/" + std::to_string(whole);
  };
  table << options.Label << '\t' << submissions.size() << '\t' << ratio(t.Accepted, t.Fair) << '\t'
        << t.Lost + t.WrongFigures << '\t' << ratio(t.HostileRefused, t.Hostile) << '\t'
        << t.HostileAccepted << '\t' << ratio(t.ResentDuplicate, t.Resent) << '\t'
        << fixed(perSecond, 2) << '\t' << fixed(Percentile(request, 0.5), 0) << '\t'
        << fixed(Percentile(request, 0.99), 0);
  if (watch) {
    table << '\t' << fixed(watch->ChildCpuSeconds(), 1) << '\t'
          << fixed(watch->ServerCpuSeconds(), 1) << '\t'
          << fixed(static_cast<double>(watch->ServerPeakKb()) / 1024.0, 1) << '\t'
          << fixed(static_cast<double>(watch->ChildPeakKb()) / 1024.0, 1);
  } else {
    table << "\t-\t-\t-\t-";
  }
  table << '\n';
}

int Run(const Options& options) {
  const std::vector<Submission> submissions = LoadSubmissions(options);
  std::optional<ProcessWatch> watch;
  if (options.ServerPid > 0) {
    watch.emplace(options.ServerPid);
    if (!watch->Sample())
      throw std::runtime_error("no process " + std::to_string(options.ServerPid));
  }
  std::atomic<bool> running{true};
  std::thread sampler;
  if (watch) {
    sampler = std::thread([&] {
      while (running) {
        watch->Sample();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
    });
  }

  const auto start = Clock::now();
  const auto deadline = start + std::chrono::seconds(options.DeadlineSeconds);
  std::vector<std::size_t> order(submissions.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const std::vector<Answer> answers = SubmitAll(options, submissions, order, deadline);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  Tally tally = Count(submissions, answers);

  // The same bytes again: a board that stored them once says so.
  std::vector<std::size_t> again;
  for (std::size_t i = 0; i < submissions.size(); ++i) {
    if (!submissions[i].Hostile && answers[i].Status == 201 && i % ResendEvery == 0) {
      again.push_back(i);
    }
  }
  const std::vector<Answer> resent =
      SubmitAll(options, submissions, again, Clock::now() + std::chrono::seconds(600));
  for (std::size_t i : again) {
    ++tally.Resent;
    if (resent[i].Status == 409) {
      ++tally.ResentDuplicate;
    } else {
      tally.Fault("game " + std::to_string(submissions[i].Game) +
                  " sent again: " + std::to_string(resent[i].Status) + " " + resent[i].Why);
    }
  }
  running = false;
  if (sampler.joinable()) sampler.join();
  if (watch) watch->Sample();

  Report(options, submissions, answers, tally, seconds, watch);
  const bool sound = tally.Accepted == tally.Fair && tally.WrongFigures == 0 &&
                     tally.HostileAccepted == 0 && tally.HostileUnanswered == 0 &&
                     tally.ResentDuplicate == tally.Resent;
  return sound ? 0 : 1;
}

}  // namespace
}  // namespace pelaryn

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(pelaryn::Usage, stdout);
    return 0;
  }
  try {
    const pelaryn::Options options = pelaryn::ParseOptions(args);
    return pelaryn::Run(options);
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "pelaryn-board-load: %s\n%s", e.what(), pelaryn::Usage);
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pelaryn-board-load: %s\n", e.what());
    return 2;
  }
}
