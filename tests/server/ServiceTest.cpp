// The score board's service seen from outside: this build's pelaryn-server started on the
// loopback, asked every route over HTTP, then made to meet its faults (a worker killed, the
// database gone, a stop signal during a submission) on SQLite and on PostgreSQL.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <linux/fs.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <nlohmann/json.hpp>
#include <thread>

#include "Backends.h"
#include "replay/ReplayFile.h"

namespace pelaryn {
namespace {

using nlohmann::json;
using testing::ScratchFolder;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  EXPECT_NE(value, nullptr) << name << " names a program of this build";
  return value != nullptr ? value : "";
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The games the service is sent, recorded once by this build's pelaryn-sim.
struct Games {
  ScratchFolder Folder{"http-games"};
  std::string Named = Bytes(PELARYN_RECORDED_DIR "/game-over.pelrpy");  // "PELA", 35 points
  std::string Exited = Bytes(PELARYN_RECORDED_DIR "/pad-boss.pelrpy");  // ends in an exit
  std::string Nameless = Record("nameless", "1 20000 Z\n1 60 Left\n61 180 Right\n");
  // Some three thousand frames to its game over: a verification long enough to interrupt.
  std::string Long = Record("long", [] {
    std::string keys = "1 20000 Z\n";
    for (int from = 1; from < 20000; from += 80) {
      keys += std::to_string(from) + " " + std::to_string(from + 79) +
              (from / 80 % 2 ? " Right\n" : " Left\n");
    }
    return keys;
  }());
  std::string Renamed = [this] {  // Named's game with another typed name, sealed anew
    ReplayFault fault = ReplayFault::None;
    std::optional<Replay> replay = DecodeReplay(Named, fault);
    EXPECT_TRUE(replay) << ReplayFaultName(fault);
    if (replay) replay->Name = "KEVA";
    return replay ? EncodeReplay(*replay) : std::string();
  }();

  std::string Record(const std::string& name, const std::string& keys) const {
    const std::string path = Folder.File(name + ".pelrpy");
    std::ofstream(Folder.File(name + ".keys")) << keys;
    EXPECT_EQ(std::system((Quote(Env("PELARYN_SIM")) + " --frames 20000 --keys " +
                           Quote(Folder.File(name + ".keys")) + " --record " + Quote(path) +
                           " >/dev/null")
                              .c_str()),
              0);
    ReplayFault fault = ReplayFault::None;
    const std::optional<Replay> replay = DecodeReplay(Bytes(path), fault);
    EXPECT_EQ(replay ? replay->Result.Ending : ReplayEnding::Exit, ReplayEnding::GameOver) << path;
    return Bytes(path);
  }
};
const Games& Recorded() {
  static const Games games;
  return games;
}

struct Answer {
  int Status = 0;  // 0: no answer came
  httplib::Headers Headers;
  std::string Body;
  json Json() const {  // an object, empty when the body holds none
    json body = json::parse(Body, nullptr, false);
    return body.is_object() ? body : json::object();
  }
  std::string Header(const std::string& name) const {
    const auto found = Headers.find(name);
    return found != Headers.end() ? found->second : "";
  }
};

// A pelaryn-server of this build on a free loopback port; stopped by SIGTERM, which it must
// answer by ending well.
class Server {
 public:
  explicit Server(const std::vector<std::string>& options) {
    std::vector<std::string> args{Env("PELARYN_SERVER"), "--listen", "127.0.0.1:0"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2];
    EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, out[1], STDOUT_FILENO);
    if (const int failed = posix_spawn(&pid_, argv[0], &files, nullptr, argv.data(), environ)) {
      ADD_FAILURE() << "cannot start " << argv[0] << ": " << std::strerror(failed);
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&files);
    close(out[1]);
    std::string line;
    ssize_t got = 0;
    for (char c; (got = read(out[0], &c, 1)) == 1 && c != '\n';) line += c;
    const std::string why = got < 0 ? std::strerror(errno) : "";
    close(out[0]);  // nothing more is printed there
    EXPECT_EQ(std::sscanf(line.c_str(), "pelaryn-server: listening on http://127.0.0.1:%d", &port_),
              1)
        << "pelaryn-server printed \"" << line << "\" " << why;
  }
  ~Server() {
    if (pid_ > 0) {
      EXPECT_EQ(Stop(), 0) << "how the server ended";
    }
  }
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  pid_t Pid() const { return pid_; }
  // Its exit status, or 128 and the signal that ended it.
  int Wait() {
    int how = 0;
    while (waitpid(pid_, &how, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(how) ? WEXITSTATUS(how) : 128 + WTERMSIG(how);
  }
  int Stop() {
    kill(pid_, SIGTERM);
    return Wait();
  }

  Answer Send(const std::string& method, const std::string& path, const std::string& body = {},
              const std::string& origin = {}) const {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(std::chrono::minutes(5));  // a submission waits for its verdict
    client.set_url_encode(false);
    httplib::Request request;
    request.method = method;
    request.path = path;
    request.body = body;
    if (method == "POST") request.set_header("Content-Type", "application/octet-stream");
    if (!origin.empty()) request.set_header("Origin", origin);
    const httplib::Result result = client.send(request);
    if (!result) return {};
    return {result->status, result->headers, result->body};
  }
  Answer Post(const std::string& replay, const std::string& query = {}) const {
    return Send("POST", "/api/v1/runs" + query, replay);
  }
  std::future<Answer> PostLater(const std::string& replay) const {
    return std::async(std::launch::async, [this, &replay] { return Post(replay); });
  }
  int64_t Runs() const {
    return Send("GET", "/api/v1/boards/standard").Json().value("total", int64_t{-1});
  }
  std::string Replay(int64_t id) const {
    return Send("GET", "/api/v1/runs/" + std::to_string(id) + "/replay").Body;
  }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

struct ProcessStat {
  char State = 0;
  pid_t Parent = 0;
  long Ticks = 0;  // CPU time used, in clock ticks
};
std::optional<ProcessStat> StatOf(pid_t pid) {
  // Read as the kernel writes it, in one call: a stream's reading fails by throwing when the
  // process has just ended.
  const int file = open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
  char buffer[1024];
  const ssize_t size = file >= 0 ? read(file, buffer, sizeof buffer - 1) : -1;
  if (file >= 0) close(file);
  buffer[std::max<ssize_t>(size, 0)] = '\0';
  const char* nameEnd = std::strrchr(buffer, ')');  // the name may hold anything
  ProcessStat stat;
  long user = 0, system = 0;
  if (nameEnd == nullptr ||
      std::sscanf(nameEnd + 1, " %c %d %*s %*s %*s %*s %*s %*s %*s %*s %*s %ld %ld", &stat.State,
                  &stat.Parent, &user, &system) != 4) {
    return std::nullopt;
  }
  stat.Ticks = user + system;
  return stat;
}

// The server's verification workers that live.
std::vector<pid_t> WorkersOf(pid_t server) {
  std::vector<pid_t> workers;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    const pid_t pid = std::atoi(entry.path().filename().c_str());
    const std::optional<ProcessStat> stat = pid > 0 ? StatOf(pid) : std::nullopt;
    if (stat && stat->Parent == server && stat->State != 'Z') workers.push_back(pid);
  }
  return workers;
}

// Whether `done` came true while `answer` was still to come.
template <typename Done>
bool BeforeAnswer(const std::future<Answer>& answer, Done done) {
  while (answer.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready) {
    if (done()) return true;
  }
  return false;
}

// Whether a worker that waited for a replay is playing one now: a waiting worker uses no CPU.
bool Playing(pid_t worker, long idleTicks) {
  const std::optional<ProcessStat> stat = StatOf(worker);
  return stat && stat->Ticks > idleTicks + 1;
}

TEST(ServiceHttp, EveryRouteAnswersAsDocumented) {
  const Games& games = Recorded();
  const ScratchFolder folder("http-routes");
  const Server server({"--db", "sqlite:" + folder.File("board.db"), "--workers", "2",
                       "--submissions-per-minute", "0"});
  // Quotes, markup and an emoji, cut to 16 characters (not bytes) and otherwise kept as sent.
  const std::string sent =
      httplib::detail::encode_query_param("\"x'<b>\U0001F600</b><script>alert(\"x\")</script>");
  const std::string shown = "\"x'<b>\U0001F600</b><scri";
  int64_t id = 0;  // of the nameless game, the first one posted
  const auto run = [&](const json& j) {
    EXPECT_EQ(j.value("name", ""), shown);
    EXPECT_GT(j.value("frames", 0), 100);
  };
  struct Row {
    const char* What;
    std::string Method, Path, Body;
    int Status;
    std::function<void(const Answer&)> Holds = [](const Answer&) {};
  };
  const std::string path = "/api/v1/runs/{id}";
  const Row rows[] = {
      {"a game with a name sent", "POST", "/api/v1/runs?name=" + sent, games.Nameless, 201,
       [&](const Answer& a) {
         id = a.Json().value("id", int64_t{0});
         run(a.Json());
         EXPECT_EQ(a.Json().value("board", ""), "standard");
         EXPECT_EQ(a.Header("Location"), "/api/v1/runs/" + std::to_string(id));
       }},
      {"the same bytes", "POST", "/api/v1/runs", games.Nameless, 409,
       [&](const Answer& a) { EXPECT_EQ(a.Json().value("id", int64_t{0}), id); }},
      {"a game with a typed name", "POST", "/api/v1/runs?name=KEVA", games.Named, 201,
       [](const Answer& a) {
         EXPECT_EQ(a.Json().value("name", ""), "PELA");
         EXPECT_EQ(a.Json().value("score", 0), 35);
       }},
      {"its game sealed under another name", "POST", "/api/v1/runs", games.Renamed, 409},
      {"an exit", "POST", "/api/v1/runs", games.Exited, 422,
       [](const Answer& a) {
         EXPECT_EQ(a.Json().value("check", ""), "ending");
         EXPECT_NE(a.Json().value("error", "").find("exit"), std::string::npos);
       }},
      {"not a replay", "POST", "/api/v1/runs", "PELRPY but not really", 400},
      {"nothing", "POST", "/api/v1/runs", "", 400},
      {"a control character in the name", "POST", "/api/v1/runs?name=A%09B", games.Long, 400},
      {"over a megabyte", "POST", "/api/v1/runs", std::string((1 << 20) + 1, 'P'), 413},
      {"the boards", "GET", "/api/v1/boards", "", 200,
       [](const Answer& a) {
         EXPECT_EQ(a.Json()["boards"], json::parse(R"([{"board":"standard","runs":2}])"));
       }},
      {"a board", "GET", "/api/v1/boards/standard", "", 200,
       [&](const Answer& a) {
         const json page = a.Json();
         EXPECT_EQ(page.value("total", 0), 2);
         ASSERT_EQ(page["rows"].size(), 2u);
         for (const json& row : page["rows"]) {
           if (row.value("id", int64_t{0}) == id) run(row);
         }
       }},
      {"its second page of one", "GET", "/api/v1/boards/standard?offset=1&limit=1", "", 200,
       [](const Answer& a) {
         ASSERT_EQ(a.Json()["rows"].size(), 1u);
         EXPECT_EQ(a.Json()["rows"][0].value("rank", 0), 2);
       }},
      {"a page of 100", "GET", "/api/v1/boards/standard?limit=100", "", 200},
      {"a page of 101", "GET", "/api/v1/boards/standard?limit=101", "", 400},
      {"a board of no name", "GET", "/api/v1/boards/hardest", "", 404},
      {"a run", "GET", path, "", 200, [&](const Answer& a) { run(a.Json()); }},
      {"no run", "GET", "/api/v1/runs/99999", "", 404},
      {"a replay", "GET", path + "/replay", "", 200,
       [&](const Answer& a) {
         EXPECT_EQ(a.Body, games.Nameless);
         EXPECT_EQ(a.Header("Content-Type"), "application/x-pelaryn-replay");
         EXPECT_NE(a.Header("Content-Disposition").find("filename="), std::string::npos);
       }},
      {"no replay", "GET", "/api/v1/runs/99999/replay", "", 404},
      {"health", "GET", "/api/v1/health", "", 200,
       [](const Answer& a) { EXPECT_EQ(a.Json().value("status", ""), "ok"); }},
      {"metrics", "GET", "/metrics", "", 200,
       [](const Answer& a) {
         for (
             const char* line :
             {R"(pelaryn_http_requests_total{route="GET /api/v1/runs/{id}/replay",status="200"} 1)",
              R"(pelaryn_http_requests_total{route="POST /api/v1/runs",status="409"} 2)",
              R"(pelaryn_verifications_total{check="ending"} 1)",
              R"(pelaryn_board_runs{board="standard"} 2)"}) {
           EXPECT_NE(a.Body.find(std::string(line) + "\n"), std::string::npos) << line;
         }
       }},
      {"a preflight", "OPTIONS", "/api/v1/runs", "", 204,
       [](const Answer& a) {
         EXPECT_NE(a.Header("Access-Control-Allow-Methods").find("POST"), std::string::npos);
       }},
      {"outside the API", "GET", "/api/v2/boards", "", 404},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.What);
    std::string target = row.Path;
    if (const std::size_t at = target.find("{id}"); at != std::string::npos) {
      target.replace(at, 4, std::to_string(id));
    }
    const Answer answer = server.Send(row.Method, target, row.Body, "https://any.example");
    EXPECT_EQ(answer.Status, row.Status) << answer.Body;
    EXPECT_EQ(answer.Headers.count("Access-Control-Allow-Origin"), 1u);
    EXPECT_EQ(answer.Header("Access-Control-Allow-Origin"), "*");
    if (answer.Status >= 400) {
      EXPECT_TRUE(answer.Json().contains("error")) << answer.Body;
    }
    row.Holds(answer);
  }
}

TEST(ServiceHttp, AddressesAndOriginsAreHeldToTheirLimits) {
  const ScratchFolder folder("http-limits");
  const Server server({"--db", "sqlite:" + folder.File("board.db"), "--workers", "1",
                       "--submissions-per-minute", "2", "--allow-origin", "https://ours.example"});
  const std::string ours = "https://ours.example";
  struct Row {
    const char* What;
    std::string Method, Path, Origin;
    int Status;
    bool Allowed;
  };
  const Row rows[] = {
      {"our page", "GET", "/api/v1/boards", ours, 200, true},
      {"another page", "GET", "/api/v1/boards", "https://else.example", 200, false},
      {"no page", "GET", "/api/v1/boards", "", 200, false},
      {"our page's preflight", "OPTIONS", "/api/v1/runs", ours, 204, true},
      {"our page outside the API", "GET", "/nowhere", ours, 404, true},
      {"a first submission", "POST", "/api/v1/runs", ours, 400, true},
      {"a second", "POST", "/api/v1/runs", ours, 400, true},
      {"a third in the minute", "POST", "/api/v1/runs", ours, 429, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.What);
    const std::string body = row.Method == "POST" ? "not a replay" : "";
    const Answer answer = server.Send(row.Method, row.Path, body, row.Origin);
    EXPECT_EQ(answer.Status, row.Status) << answer.Body;
    EXPECT_EQ(answer.Headers.count("Access-Control-Allow-Origin"), row.Allowed ? 1u : 0u);
    if (row.Allowed) {
      EXPECT_EQ(answer.Header("Access-Control-Allow-Origin"), ours);
    }
    EXPECT_EQ(answer.Header("Vary"), "Origin");
    if (row.Status == 429) {
      const int wait = std::atoi(answer.Header("Retry-After").c_str());
      EXPECT_TRUE(wait >= 1 && wait <= 60) << answer.Header("Retry-After");
    }
  }
}

TEST(ServiceHttp, AFullQueueTurnsSubmissionsAwayUntilAWorkerIsFree) {
  const Games& games = Recorded();
  const ScratchFolder folder("http-queue");
  const Server server({"--db", "sqlite:" + folder.File("board.db"), "--workers", "1", "--queue",
                       "1", "--submissions-per-minute", "0"});
  ASSERT_EQ(server.Send("GET", "/api/v1/health").Status, 200);  // its workers are on their way
  std::vector<pid_t> workers;
  while ((workers = WorkersOf(server.Pid())).empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  // A stopped worker holds one submission and the queue one more: of three, one at least is
  // turned away, whatever order they arrive in.
  ASSERT_EQ(kill(workers[0], SIGSTOP), 0);
  std::vector<std::future<Answer>> answers;
  for (const std::string* game : {&games.Named, &games.Nameless, &games.Long}) {
    answers.push_back(server.PostLater(*game));
  }
  while (std::none_of(answers.begin(), answers.end(), [](const std::future<Answer>& a) {
    return a.wait_for(std::chrono::milliseconds(1)) == std::future_status::ready;
  })) {
  }
  ASSERT_EQ(kill(workers[0], SIGCONT), 0);
  int stored = 0, busy = 0;
  for (std::future<Answer>& future : answers) {
    const Answer answer = future.get();
    stored += answer.Status == 201;
    if (answer.Status != 503) continue;
    ++busy;
    EXPECT_FALSE(answer.Header("Retry-After").empty());
    EXPECT_TRUE(answer.Json().contains("error")) << answer.Body;
  }
  EXPECT_GE(busy, 1);
  EXPECT_EQ(stored + busy, 3);
  EXPECT_EQ(server.Runs(), stored);
}

// SQLite files a server holds open stay writable through its handles whatever their permissions
// say; the immutable flag holds for open handles too.
bool Immutable(const std::string& path, bool on) {
  const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  int flags = 0;
  bool done = file >= 0 && ioctl(file, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  done = done && ioctl(file, FS_IOC_SETFLAGS, &flags) == 0;
  if (file >= 0) close(file);
  return done;
}
bool ImmutableHoldsOpenFiles() {
  const std::string probe = testing::ScratchPath("immutable-probe").string();
  const int file = open(probe.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  const bool holds = Immutable(probe, true) && write(file, "x", 1) < 0;
  Immutable(probe, false);
  close(file);
  std::filesystem::remove(probe);
  return holds;
}

// The database made unwritable under a running server, or given back.
template <typename Backend>
void TakeAway(const std::string& location, bool away) {
  if constexpr (std::is_same_v<Backend, testing::PostgresBackend>) {
    std::unique_ptr<BoardStore> unused;
    return away ? Backend::TakeAway(location, unused) : Backend::GiveBack(location, unused);
  } else {
    const std::string path = location.substr(std::string_view("sqlite:").size());
    for (const std::string& file : {path, path + "-wal"}) {
      EXPECT_TRUE(!std::filesystem::exists(file) || Immutable(file, away)) << file;
    }
  }
}

template <typename Backend>
class ServiceFaults : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Backend::StartSuite(); }
  static void TearDownTestSuite() { Backend::EndSuite(); }
  void SetUp() override { location_ = Backend::Fresh(); }
  std::unique_ptr<Server> Start() const {
    return std::make_unique<Server>(std::vector<std::string>{"--db", location_, "--workers", "1",
                                                             "--submissions-per-minute", "0"});
  }
  std::string location_;
};

TYPED_TEST_SUITE(ServiceFaults, testing::Backends, testing::BackendNames);

TYPED_TEST(ServiceFaults, AWorkerKilledDuringAVerificationCostsNoRunAndNoService) {
  const Games& games = Recorded();
  const std::unique_ptr<Server> server = this->Start();
  ASSERT_EQ(server->Post(games.Named).Status, 201);
  // Killed once, the replay is played again on a new worker; killed again, it is refused.
  struct Case {
    int Kills;
    int Status;
    const char* Check;
  };
  int64_t stored = 1;
  for (const Case& c : {Case{2, 422, "worker"}, Case{1, 201, ""}}) {
    SCOPED_TRACE(c.Kills);
    // A game a worker refuses: then a worker waits, idle.
    ASSERT_EQ(server->Post(games.Exited).Status, 422);
    const std::vector<pid_t> workers = WorkersOf(server->Pid());
    ASSERT_EQ(workers.size(), 1u);
    pid_t worker = workers[0];
    const long idle = StatOf(worker).value_or(ProcessStat{}).Ticks;
    std::future<Answer> answer = server->PostLater(games.Long);
    ASSERT_TRUE(BeforeAnswer(answer, [&] { return Playing(worker, idle); }));
    // The worker that takes the replay over once its first is gone.
    const auto replaced = [&] {
      for (const pid_t pid : WorkersOf(server->Pid())) {
        if (pid != worker) return worker = pid, true;
      }
      return false;
    };
    for (int kill = 0; kill < c.Kills; ++kill) {
      if (kill > 0) {
        ASSERT_TRUE(BeforeAnswer(answer, replaced));
      }
      ASSERT_EQ(::kill(worker, SIGKILL), 0);
    }
    const Answer verdict = answer.get();
    EXPECT_EQ(verdict.Status, c.Status) << verdict.Body;
    EXPECT_EQ(verdict.Json().value("check", ""), c.Check);
    stored += verdict.Status == 201;
    EXPECT_EQ(server->Runs(), stored);
  }
  EXPECT_EQ(server->Post(games.Nameless).Status, 201);
  EXPECT_EQ(server->Runs(), stored + 1);
}

TYPED_TEST(ServiceFaults, ADatabaseGoneAnswers503AndLosesNothing) {
  constexpr bool sqlite = std::is_same_v<TypeParam, testing::SqliteBackend>;
  if (sqlite && !ImmutableHoldsOpenFiles()) {
    GTEST_SKIP() << "this file system lets open files be written whatever their flags";
  }
  const Games& games = Recorded();
  const std::unique_ptr<Server> server = this->Start();
  const Answer first = server->Post(games.Named);
  ASSERT_EQ(first.Status, 201);
  bool away = true;
  TakeAway<TypeParam>(this->location_, true);
  // Whatever fails below, the database comes back, or its folder could not even be removed.
  const std::shared_ptr<void> back(nullptr, [&](void*) {
    if (away) TakeAway<TypeParam>(this->location_, false);
  });
  const int reads = sqlite ? 200 : 503;  // SQLite still reads a file it may not write
  struct Row {
    std::string Method, Path, Body;
    int Status;
  };
  for (const Row& row : {Row{"POST", "/api/v1/runs", games.Nameless, 503},
                         Row{"GET", "/api/v1/boards/standard", "", reads},
                         Row{"GET", "/api/v1/health", "", reads}}) {
    SCOPED_TRACE(row.Method + " " + row.Path);
    const Answer answer = server->Send(row.Method, row.Path, row.Body);
    EXPECT_EQ(answer.Status, row.Status) << answer.Body;
    if (row.Status != 503) continue;
    EXPECT_FALSE(answer.Header("Retry-After").empty());
    EXPECT_NE(answer.Json().value("error", "").find("unavailable"), std::string::npos);
  }
  away = false;
  TakeAway<TypeParam>(this->location_, false);
  EXPECT_EQ(server->Post(games.Nameless).Status, 201);
  EXPECT_EQ(server->Runs(), 2);
  EXPECT_EQ(server->Replay(first.Json().value("id", int64_t{0})), games.Named);
}

TYPED_TEST(ServiceFaults, AStopSignalLetsTheSubmissionUnderWayFinish) {
  const Games& games = Recorded();
  std::unique_ptr<Server> server = this->Start();
  ASSERT_EQ(server->Post(games.Named).Status, 201);  // and its worker waits, idle
  const std::vector<pid_t> workers = WorkersOf(server->Pid());
  ASSERT_EQ(workers.size(), 1u);
  const long idle = StatOf(workers[0]).value_or(ProcessStat{}).Ticks;
  std::future<Answer> answer = server->PostLater(games.Long);
  ASSERT_TRUE(BeforeAnswer(answer, [&] { return Playing(workers[0], idle); }));
  ASSERT_EQ(kill(server->Pid(), SIGTERM), 0);
  const Answer stored = answer.get();
  ASSERT_EQ(stored.Status, 201) << stored.Body;
  EXPECT_EQ(server->Wait(), 0);

  server = this->Start();
  const int64_t id = stored.Json().value("id", int64_t{0});
  EXPECT_EQ(server->Replay(id), games.Long);
  EXPECT_EQ(server->Runs(), 2);
}

}  // namespace
}  // namespace pelaryn
