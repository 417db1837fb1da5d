#pragma once
// Owners of libpq's connection and result handles, and the few calls the
// service makes through them: prepared statements with text parameters, rows
// streamed one at a time for large reads, and COPY for bulk rows. Every SQL
// text is a constant; values only ever travel as parameters.

#include <libpq-fe.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::service {

struct PgConnCloser {
  void operator()(PGconn* connection) const { PQfinish(connection); }
};
using PgConnection = std::unique_ptr<PGconn, PgConnCloser>;

struct PgResultCloser {
  void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, PgResultCloser>;

class PgSession {
 public:
  // Connects to url; false with the reason in error.
  bool Connect(const std::string& url, std::string& error);
  PGconn* Raw() const { return connection_.get(); }
  std::string LastError() const;

  // Runs constant SQL without parameters; false with the reason in error.
  bool Execute(const char* sql, std::string* error = nullptr);
  bool Prepare(const char* name, const char* sql, std::string& error);
  // Runs a prepared statement; null unless it returned rows or finished.
  PgResult Run(const char* name, std::initializer_list<std::string_view> params);
  // Sends constant SQL and hands each row to row (one result per row, never the
  // whole set in memory); false when it failed.
  bool StreamRows(const char* sql, const std::function<void(const PGresult* row)>& row);
  // COPY table(columns) FROM STDIN with the rows' fields (text format).
  bool CopyRows(const char* copySql, const std::vector<std::vector<std::string>>& rows, std::string& error);

 private:
  PgConnection connection_;
};

// A field of a result row as text, as a number, as a boolean.
std::string_view PgText(const PGresult* result, int row, int column);
std::int64_t PgInt(const PGresult* result, int row, int column);
bool PgBool(const PGresult* result, int row, int column);

}  // namespace velkor::service
