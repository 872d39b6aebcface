#include "server/http/ServerOptions.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace pelaryn {
namespace {

template <typename T>
bool ParseNumber(std::string_view text, T min, T max, T& value) {
  T parsed{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc{} || end != text.data() + text.size() || parsed < min || parsed > max) {
    return false;
  }
  value = parsed;
  return true;
}

// "HOST:PORT", "[IPv6]:PORT" or ":PORT" (every address).
bool ParseListen(std::string_view text, std::string& host, int& port) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return false;
  std::string_view hostPart = text.substr(0, colon);
  if (hostPart.starts_with('[') && hostPart.ends_with(']')) {
    hostPart = hostPart.substr(1, hostPart.size() - 2);
  } else if (hostPart.find(':') != std::string_view::npos) {
    return false;  // an IPv6 address needs its brackets
  }
  if (!ParseNumber(text.substr(colon + 1), 0, 65535, port)) return false;
  host = hostPart.empty() ? "0.0.0.0" : std::string(hostPart);
  return true;
}

}  // namespace

const char* const ServerUsage =
    "usage: pelaryn-server [--listen HOST:PORT] [--db LOCATION] [--workers N] [--queue N]\n"
    "                      [--allow-origin ORIGIN]... [--submissions-per-minute N]\n"
    "                      [--forwarded-for] [--worker-memory MB] [--verify-timeout SECONDS]\n"
    "       pelaryn-server reverify [--db LOCATION] [--board BOARD] [--remove] [--workers N]\n"
    "       pelaryn-server remove ID [--db LOCATION]\n"
    "\n"
    "An online score board that ranks a game only after playing its replay itself.\n"
    "\n"
    "  --listen HOST:PORT   where to answer (default 127.0.0.1:8080; port 0 takes a free one,\n"
    "                       printed at start; [::1]:8080 for IPv6)\n"
    "  --db LOCATION        sqlite:PATH (default sqlite:$XDG_DATA_HOME/pelaryn/pelaryn-board.db)\n"
    "                       or postgresql://USER@HOST/DATABASE for a board many servers share\n"
    "  --workers N          verification worker processes (default: one per core)\n"
    "  --queue N            submissions that may wait for a worker; more get 503 (default 32)\n"
    "  --allow-origin ORIGIN  a web page origin allowed to call the API, such as\n"
    "                       https://example.org; repeatable (default: any origin)\n"
    "  --submissions-per-minute N  per address; more get 429 (default 20, 0: no limit)\n"
    "  --forwarded-for      take the client's address from X-Forwarded-For (behind a proxy)\n"
    "  --worker-memory MB   memory a worker may map (default 256)\n"
    "  --verify-timeout SECONDS  longest a verification may take on the clock (default 600)\n"
    "  --help               this text\n"
    "\n"
    "  reverify             play every stored run again and list those that no longer\n"
    "                       reproduce; --board BOARD for one board, --remove to remove them\n"
    "  remove ID            remove one run from the board\n";

std::string DefaultDatabase() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::string folder;
  if (data != nullptr && data[0] == '/') {
    folder = data;
  } else {
    const char* home = std::getenv("HOME");
    folder = std::string(home != nullptr ? home : ".") + "/.local/share";
  }
  return "sqlite:" + folder + "/pelaryn/pelaryn-board.db";
}

std::optional<ServerOptions> ParseServerArguments(const std::vector<std::string>& args,
                                                  std::string& error) {
  ServerOptions options;
  std::size_t i = 0;
  if (!args.empty()) {
    const std::string& first = args[0];
    if (first == "reverify") options.Command = ServerCommand::Reverify, i = 1;
    if (first == "remove") options.Command = ServerCommand::Remove, i = 1;
    if (first == "worker") options.Command = ServerCommand::Worker, i = 1;
    if (first == "serve") i = 1;
  }
  bool haveId = false;
  auto value = [&](const std::string& option) -> const std::string* {
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      error = option + " needs a value";
      return nullptr;
    }
    return &args[++i];
  };
  // Which command each option belongs to.
  auto allowed = [&](std::initializer_list<ServerCommand> commands, const std::string& option) {
    for (const ServerCommand command : commands) {
      if (command == options.Command) return true;
    }
    error = option + " does not belong to this command";
    return false;
  };
  using enum ServerCommand;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const std::string* text = nullptr;
    if (arg == "--help" || arg == "-h") {
      options.Command = Help;
      return options;
    } else if (arg == "--listen") {
      if (!allowed({Serve}, arg) || !(text = value(arg))) return std::nullopt;
      if (!ParseListen(*text, options.Host, options.Port)) {
        error = "--listen wants HOST:PORT, not " + *text;
        return std::nullopt;
      }
    } else if (arg == "--db") {
      if (!allowed({Serve, Reverify, Remove}, arg) || !(text = value(arg))) return std::nullopt;
      options.Database = *text;
    } else if (arg == "--workers") {
      if (!allowed({Serve, Reverify}, arg) || !(text = value(arg))) return std::nullopt;
      if (!ParseNumber(*text, 1, 256, options.Workers)) {
        error = "--workers wants 1 to 256";
        return std::nullopt;
      }
    } else if (arg == "--queue") {
      if (!allowed({Serve}, arg) || !(text = value(arg))) return std::nullopt;
      if (!ParseNumber<std::size_t>(*text, 1, 100000, options.QueueLimit)) {
        error = "--queue wants 1 to 100000";
        return std::nullopt;
      }
    } else if (arg == "--allow-origin") {
      if (!allowed({Serve}, arg) || !(text = value(arg))) return std::nullopt;
      options.AllowOrigins.push_back(*text);
    } else if (arg == "--submissions-per-minute") {
      if (!allowed({Serve}, arg) || !(text = value(arg))) return std::nullopt;
      if (!ParseNumber(*text, 0, 1000000, options.SubmissionsPerMinute)) {
        error = "--submissions-per-minute wants 0 to 1000000";
        return std::nullopt;
      }
    } else if (arg == "--forwarded-for") {
      if (!allowed({Serve}, arg)) return std::nullopt;
      options.ForwardedFor = true;
    } else if (arg == "--worker-memory") {
      if (!allowed({Serve, Reverify, Worker}, arg) || !(text = value(arg))) return std::nullopt;
      uint64_t megabytes = 0;
      if (!ParseNumber<uint64_t>(*text, 16, 65536, megabytes)) {
        error = "--worker-memory wants 16 to 65536 (MB)";
        return std::nullopt;
      }
      options.WorkerMemory = megabytes << 20;
    } else if (arg == "--verify-timeout") {
      if (!allowed({Serve, Reverify}, arg) || !(text = value(arg))) return std::nullopt;
      int seconds = 0;
      if (!ParseNumber(*text, 1, 86400, seconds)) {
        error = "--verify-timeout wants 1 to 86400 (seconds)";
        return std::nullopt;
      }
      options.VerifyTimeout = std::chrono::seconds(seconds);
    } else if (arg == "--board") {
      if (!allowed({Reverify}, arg) || !(text = value(arg))) return std::nullopt;
      options.Board = *text;
    } else if (arg == "--remove") {
      if (!allowed({Reverify}, arg)) return std::nullopt;
      options.RemoveFailing = true;
    } else if (options.Command == Remove && !haveId && !arg.starts_with('-')) {
      if (!ParseNumber<int64_t>(arg, 1, INT64_MAX, options.RunId)) {
        error = "remove wants the number of a run, not " + arg;
        return std::nullopt;
      }
      haveId = true;
    } else {
      error = "unknown argument " + arg;
      return std::nullopt;
    }
  }
  if (options.Command == Remove && !haveId) {
    error = "remove needs the number of a run";
    return std::nullopt;
  }
  return options;
}

}  // namespace pelaryn
