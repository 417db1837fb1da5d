#include "pq_handle.hpp"

#include <charconv>

namespace velkor::service {
namespace {

bool Succeeded(const PGresult* result) {
  const ExecStatusType status = PQresultStatus(result);
  return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_SINGLE_TUPLE ||
         status == PGRES_COPY_IN;
}

// One field in COPY's text format: backslash, tab, line feed and carriage
// return escaped.
void AppendCopyField(std::string& out, const std::string& field) {
  for (char c : field) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
}

}  // namespace

bool PgSession::Connect(const std::string& url, std::string& error) {
  connection_.reset(PQconnectdb(url.c_str()));
  if (!connection_ || PQstatus(connection_.get()) != CONNECTION_OK) {
    error = connection_ ? PQerrorMessage(connection_.get()) : "out of memory";
    while (!error.empty() && (error.back() == '\n' || error.back() == ' ')) error.pop_back();
    connection_.reset();
    return false;
  }
  return true;
}

std::string PgSession::LastError() const {
  std::string error = connection_ ? PQerrorMessage(connection_.get()) : "not connected";
  while (!error.empty() && (error.back() == '\n' || error.back() == ' ')) error.pop_back();
  return error;
}

bool PgSession::Execute(const char* sql, std::string* error) {
  PgResult result(PQexec(connection_.get(), sql));
  if (result && Succeeded(result.get())) return true;
  if (error) *error = LastError();
  return false;
}

bool PgSession::Prepare(const char* name, const char* sql, std::string& error) {
  PgResult result(PQprepare(connection_.get(), name, sql, 0, nullptr));
  if (result && Succeeded(result.get())) return true;
  error = LastError();
  return false;
}

PgResult PgSession::Run(const char* name, std::initializer_list<std::string_view> params) {
  std::vector<std::string> owned(params.begin(), params.end());  // terminated copies
  std::vector<const char*> values;
  for (const std::string& value : owned) values.push_back(value.c_str());
  PgResult result(PQexecPrepared(connection_.get(), name, static_cast<int>(values.size()), values.data(),
                                 nullptr, nullptr, 0));
  if (!result || !Succeeded(result.get())) return nullptr;
  return result;
}

bool PgSession::StreamRows(const char* sql, const std::function<void(const PGresult* row)>& row) {
  PGconn* c = connection_.get();
  if (!PQsendQuery(c, sql) || !PQsetSingleRowMode(c)) return false;
  bool ok = true;
  while (PGresult* raw = PQgetResult(c)) {
    PgResult result(raw);
    const ExecStatusType status = PQresultStatus(raw);
    if (status == PGRES_SINGLE_TUPLE) {
      if (ok) row(raw);
    } else if (status != PGRES_TUPLES_OK) {
      ok = false;  // read the remaining results all the same
    }
  }
  return ok;
}

bool PgSession::CopyRows(const char* copySql, const std::vector<std::vector<std::string>>& rows,
                         std::string& error) {
  PGconn* c = connection_.get();
  PgResult start(PQexec(c, copySql));
  if (!start || PQresultStatus(start.get()) != PGRES_COPY_IN) {
    error = LastError();
    return false;
  }
  std::string buffer;
  bool sent = true;
  for (const std::vector<std::string>& fields : rows) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i) buffer += '\t';
      AppendCopyField(buffer, fields[i]);
    }
    buffer += '\n';
    if (buffer.size() > (1 << 16)) {
      sent = sent && PQputCopyData(c, buffer.data(), static_cast<int>(buffer.size())) == 1;
      buffer.clear();
    }
  }
  if (!buffer.empty()) sent = sent && PQputCopyData(c, buffer.data(), static_cast<int>(buffer.size())) == 1;
  if (PQputCopyEnd(c, sent ? nullptr : "the rows could not be sent") != 1) sent = false;
  bool ok = sent;
  while (PGresult* raw = PQgetResult(c)) {
    PgResult result(raw);
    if (PQresultStatus(raw) != PGRES_COMMAND_OK) ok = false;
  }
  if (!ok) error = LastError();
  return ok;
}

std::string_view PgText(const PGresult* result, int row, int column) {
  return std::string_view(PQgetvalue(result, row, column),
                          static_cast<std::size_t>(PQgetlength(result, row, column)));
}

std::int64_t PgInt(const PGresult* result, int row, int column) {
  const std::string_view text = PgText(result, row, column);
  std::int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

bool PgBool(const PGresult* result, int row, int column) { return PgText(result, row, column) == "t"; }

}  // namespace velkor::service
