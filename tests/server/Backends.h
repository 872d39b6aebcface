#pragma once

// The two databases the board's storage test suite runs against, each made fresh per test: a
// SQLite file in a scratch folder, and a database on a PostgreSQL server the suite starts from
// Debian's own programs in a folder of its own, on a free loopback port, as the unprivileged
// `postgres` user when the test runs as root (the server refuses to run as root).

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "../ScratchPath.h"
#include "server/storage/BoardStore.h"
#include "server/storage/PostgresConnection.h"
#include "server/storage/SqliteConnection.h"

namespace pelaryn::testing {

inline void RunSql(SqlConnection& connection, const std::string& sql) {
  connection.Transact(SqlAccess::Write, [&](SqlTransaction& t) { t.Query(sql); });
}

inline std::unique_ptr<BoardStore> OpenStore(const std::string& location) {
  auto store = BoardStore::Open(location);
  if (!store) ADD_FAILURE() << location << ": " << store.Error().Message;
  return store ? std::move(store.Value()) : nullptr;
}

class SqliteBackend {
 public:
  static void StartSuite() { folder_ = std::make_unique<ScratchFolder>("board-sqlite"); }
  static void EndSuite() { folder_.reset(); }

  static std::string Fresh() {
    return "sqlite:" + folder_->File("board" + std::to_string(++count_) + ".db");
  }
  static void Exec(const std::string& location, const std::string& sql) {
    RunSql(*SqliteConnection::Open(location.substr(7)), sql);
  }
  // The file made read-only, as a server's own user finds one it may not write: root may write
  // any file, so the store is opened by a thread that has given up that right.
  static void TakeAway(const std::string& location, std::unique_ptr<BoardStore>& store) {
    store.reset();
    std::filesystem::permissions(location.substr(7), std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::group_read);
    std::thread([&] {
      __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
      __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
      ASSERT_EQ(syscall(SYS_capget, &header, data), 0);
      data[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
      ASSERT_EQ(syscall(SYS_capset, &header, data), 0);
      store = OpenStore(location);
    }).join();
  }
  static void GiveBack(const std::string& location, std::unique_ptr<BoardStore>& store) {
    store.reset();
    std::filesystem::permissions(location.substr(7), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    store = OpenStore(location);
  }
  static std::vector<std::string> FailReplays() {
    return {
        "CREATE TRIGGER no_room BEFORE INSERT ON replays "
        "BEGIN SELECT RAISE(ABORT, 'no room'); END"};
  }
  static constexpr const char* StopFailingReplays = "DROP TRIGGER no_room";

 private:
  static inline std::unique_ptr<ScratchFolder> folder_;
  static inline int count_ = 0;
};

class PostgresBackend {
 public:
  static void StartSuite() {
    char name[] = "/tmp/pelaryn-postgres-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    folder_ = name;
    asUser_ = "";
    if (geteuid() == 0) {
      const passwd* user = getpwnam("postgres");
      ASSERT_NE(user, nullptr) << "the postgresql package makes a postgres user";
      ASSERT_EQ(chown(name, user->pw_uid, user->pw_gid), 0);
      asUser_ = "runuser -u postgres -- ";
    }
    ASSERT_TRUE(std::filesystem::exists(Bin + "initdb")) << "scripts/deps installs postgresql";
    ASSERT_TRUE(Run(Bin + "initdb -D " + folder_ + "/data -U pelaryn -A trust -E UTF8 " +
                    "--locale=C --no-sync"));
    port_ = FreePort();
    ASSERT_TRUE(Start());
  }
  static void EndSuite() {
    if (folder_.empty()) return;
    Run(Bin + "pg_ctl -D " + folder_ + "/data -w -m immediate stop");
    std::filesystem::remove_all(folder_);
    folder_.clear();
  }

  static std::string Fresh() {
    const std::string database = "board" + std::to_string(++count_);
    EXPECT_TRUE(
        Run(Bin + "createdb -h 127.0.0.1 -p " + std::to_string(port_) + " -U pelaryn " + database));
    return "postgresql://pelaryn@127.0.0.1:" + std::to_string(port_) + "/" + database;
  }
  static void Exec(const std::string& location, const std::string& sql) {
    RunSql(*PostgresConnection::Open(location), sql);
  }
  // The server stopped under the store's feet, and started again.
  static void TakeAway(const std::string&, std::unique_ptr<BoardStore>&) {
    ASSERT_TRUE(Run(Bin + "pg_ctl -D " + folder_ + "/data -w -m fast stop"));
  }
  static void GiveBack(const std::string&, std::unique_ptr<BoardStore>&) { ASSERT_TRUE(Start()); }
  static std::vector<std::string> FailReplays() {
    return {
        "CREATE FUNCTION no_room() RETURNS trigger LANGUAGE plpgsql AS "
        "'BEGIN RAISE EXCEPTION ''no room''; END'",
        "CREATE TRIGGER no_room BEFORE INSERT ON replays FOR EACH ROW EXECUTE FUNCTION "
        "no_room()"};
  }
  static constexpr const char* StopFailingReplays = "DROP TRIGGER no_room ON replays";

 private:
  static inline const std::string Bin = "/usr/lib/postgresql/15/bin/";

  static bool Run(const std::string& command) {
    const std::string line =
        "cd " + folder_ + " && " + asUser_ + command + " >>" + folder_ + "/commands.log 2>&1";
    const bool ok = std::system(line.c_str()) == 0;
    if (!ok) ADD_FAILURE() << line << " failed; see " << folder_ << "/commands.log";
    return ok;
  }
  static bool Start() {
    return Run(Bin + "pg_ctl -D " + folder_ + "/data -l " + folder_ + "/server.log -w -o '-p " +
               std::to_string(port_) + " -k " + folder_ +
               " -c listen_addresses=127.0.0.1 -c fsync=off' start");
  }
  static int FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    EXPECT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), size), 0);
    EXPECT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&address), &size), 0);
    close(s);
    return ntohs(address.sin_port);
  }

  static inline std::string folder_;
  static inline std::string asUser_;
  static inline int port_ = 0;
  static inline int count_ = 0;
};

// Both back ends, for TYPED_TEST_SUITE(Suite, Backends, BackendNames): tests named .../Sqlite and
// .../Postgres.
using Backends = ::testing::Types<SqliteBackend, PostgresBackend>;
class BackendNames {
 public:
  template <typename T>
  static std::string GetName(int) {
    return std::is_same_v<T, SqliteBackend> ? "Sqlite" : "Postgres";
  }
};

}  // namespace pelaryn::testing
