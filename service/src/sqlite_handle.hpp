#pragma once
// Owners of SQLite's connection and statement handles, and a statement wrapper
// whose binds and reads are by position. Every SQL text the service runs is a
// constant prepared here; values only ever travel as bound parameters.

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velkor::service {

struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using SqliteConnection = std::unique_ptr<sqlite3, SqliteCloser>;

class Statement {
 public:
  Statement() = default;
  Statement(sqlite3* db, std::string_view sql);  // check Ok() afterwards

  bool Ok() const { return statement_ != nullptr; }
  // Clears earlier bindings and results so the statement can run again.
  void Reset();

  void Bind(int index, std::string_view text);
  void Bind(int index, std::int64_t value);

  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step();
  // Runs to completion; true when it ended with SQLITE_DONE.
  bool Run();

  std::string Text(int column) const;
  std::int64_t Int(int column) const;

 private:
  struct Finalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
  };
  std::unique_ptr<sqlite3_stmt, Finalizer> statement_;
};

// Runs constant SQL without parameters (schema, pragmas, transactions).
bool ExecuteSql(sqlite3* db, const char* sql, std::string* error = nullptr);

}  // namespace velkor::service
