#include "sqlite_handle.hpp"

namespace velkor::service {

Statement::Statement(sqlite3* db, std::string_view sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) == SQLITE_OK) {
    statement_.reset(raw);
  } else {
    sqlite3_finalize(raw);
  }
}

void Statement::Reset() {
  sqlite3_reset(statement_.get());
  sqlite3_clear_bindings(statement_.get());
}

void Statement::Bind(int index, std::string_view text) {
  sqlite3_bind_text(statement_.get(), index, text.data(), static_cast<int>(text.size()),
                    SQLITE_TRANSIENT);
}

void Statement::Bind(int index, std::int64_t value) {
  sqlite3_bind_int64(statement_.get(), index, value);
}

int Statement::Step() { return sqlite3_step(statement_.get()); }

bool Statement::Run() {
  int result;
  do {
    result = Step();
  } while (result == SQLITE_ROW);
  return result == SQLITE_DONE;
}

std::string Statement::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(statement_.get(), column);
  const int size = sqlite3_column_bytes(statement_.get(), column);
  return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
              : std::string();
}

std::int64_t Statement::Int(int column) const {
  return sqlite3_column_int64(statement_.get(), column);
}

bool ExecuteSql(sqlite3* db, const char* sql, std::string* error) {
  char* message = nullptr;
  const int result = sqlite3_exec(db, sql, nullptr, nullptr, &message);
  if (result != SQLITE_OK && error != nullptr) *error = message ? message : sqlite3_errstr(result);
  sqlite3_free(message);
  return result == SQLITE_OK;
}

}  // namespace velkor::service
