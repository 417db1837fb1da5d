#include "feedback_store.hpp"

#include <tinyxml2.h>

#include <filesystem>

#include "base/text.hpp"
#include "base/utf.hpp"

#include "catalog_store.hpp"
#include "postgres_feedback_store.hpp"
#include "sqlite_feedback_store.hpp"

namespace velkor::service {

// The feedback document: NewDataSet with osid and Feedback (email, problemtype,
// content). Element names in any letter case, as the client's own reader does.
bool ReadFeedbackDocument(const std::string& body, FeedbackReport& report) {
  tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
  if (document.Parse(body.data(), body.size()) != tinyxml2::XML_SUCCESS) return false;
  const tinyxml2::XMLElement* root = document.RootElement();
  if (root == nullptr || !AsciiEqualsNoCase(FromUtf8(root->Name()), L"newdataset")) return false;
  auto child = [](const tinyxml2::XMLElement* parent, const wchar_t* name) -> const tinyxml2::XMLElement* {
    for (auto* e = parent->FirstChildElement(); e != nullptr; e = e->NextSiblingElement()) {
      if (AsciiEqualsNoCase(FromUtf8(e->Name()), name)) return e;
    }
    return nullptr;
  };
  auto text = [](const tinyxml2::XMLElement* e) {
    return e && e->GetText() ? ToUtf8(Trim(FromUtf8(e->GetText()))) : std::string();
  };
  report.osid = text(child(root, L"osid"));
  const tinyxml2::XMLElement* feedback = child(root, L"feedback");
  if (feedback == nullptr) return false;
  report.email = text(child(feedback, L"email"));
  report.problemType = text(child(feedback, L"problemtype"));
  report.content = text(child(feedback, L"content"));
  report.document = body;
  return true;
}


// The content is kept once, inside the document; its column stays for the
// tables that earlier versions wrote, and new rows leave it empty.
std::string FeedbackTableSql(const char* keyType) {
  return std::string("CREATE TABLE IF NOT EXISTS feedback(\n  id ") + keyType +
         " PRIMARY KEY,\n"
         "  received_at TEXT NOT NULL,\n"
         "  remote TEXT NOT NULL,\n"
         "  osid TEXT NOT NULL,\n"
         "  email TEXT NOT NULL,\n"
         "  problem_type TEXT NOT NULL,\n"
         "  content TEXT NOT NULL,\n"
         "  document TEXT NOT NULL);\n";
}

std::string DefaultFeedbackLocation(const std::string& catalogLocation) {
  if (IsPostgresLocation(catalogLocation)) return catalogLocation;
  std::filesystem::path file(catalogLocation);
  const std::string extension = file.has_extension() ? file.extension().string() : ".db";
  file.replace_extension();
  return file.string() + ".feedback" + extension;
}

std::unique_ptr<FeedbackStore> FeedbackStore::Open(const std::string& location, const FeedbackQuota& quota,
                                                   std::string& error) {
  if (IsPostgresLocation(location)) return PostgresFeedbackStore::Open(location, quota, error);
  return SqliteFeedbackStore::Open(location, quota, error);
}


std::string StoredContentColumn(const FeedbackReport&) { return {}; }

void RestoreFeedbackContent(FeedbackReport& stored) {
  FeedbackReport read;
  // A row of an earlier version carries its content in its own column.
  if (stored.content.empty() && ReadFeedbackDocument(stored.document, read)) stored.content = read.content;
}

}  // namespace velkor::service
