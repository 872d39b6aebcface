#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelaryn {

enum class ServerCommand { Serve, Reverify, Remove, Worker, Help };

// What `pelaryn-server` was asked to do, from its command line.
struct ServerOptions {
  ServerCommand Command = ServerCommand::Serve;
  // Serve: where it listens; port 0 takes a free one, which it prints.
  std::string Host = "127.0.0.1";
  int Port = 8080;
  // Every command but Worker: "sqlite:PATH" or "postgresql://…"; empty for the default file.
  std::string Database;
  int Workers = 0;  // 0: one per core
  std::size_t QueueLimit = 32;
  uint64_t WorkerMemory = 0;  // bytes; 0 for the worker's default
  std::chrono::seconds VerifyTimeout{600};
  // Origins whose pages may call the API; empty: any.
  std::vector<std::string> AllowOrigins;
  // Submissions one address may make in a minute; 0: no limit.
  int SubmissionsPerMinute = 20;
  // The address of a request is the last one of X-Forwarded-For, set by the reverse proxy in
  // front; without a proxy that header is the client's to forge.
  bool ForwardedFor = false;
  // Reverify: one board, or every board when empty; and whether runs that fail are removed.
  std::string Board;
  bool RemoveFailing = false;
  // Remove: the run.
  int64_t RunId = 0;
};

// The options, or none with the reason in `error`.
std::optional<ServerOptions> ParseServerArguments(const std::vector<std::string>& args,
                                                  std::string& error);

// The database a server uses when none is named: pelaryn-board.db in $XDG_DATA_HOME/pelaryn
// (~/.local/share/pelaryn when that is not set), as "sqlite:PATH".
std::string DefaultDatabase();

extern const char* const ServerUsage;

}  // namespace pelaryn
