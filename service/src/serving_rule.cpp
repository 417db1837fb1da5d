#include "serving_rule.hpp"

#include <algorithm>

#include "base/utf.hpp"
#include "os_codes.hpp"

namespace velkor::service {
namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    pieces.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return pieces;
    start = end + 1;
  }
}

bool ReadPosition(std::string_view text, std::size_t count, int& position) {
  if (text.empty() || text.size() > 4) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (static_cast<std::size_t>(value) >= count) return false;
  position = value;
  return true;
}

bool SameTerm(const RuleTerm& a, const RuleTerm& b) {
  if (a.undecoratedExists != b.undecoratedExists || a.listing != b.listing ||
      a.decorations.size() != b.decorations.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.decorations.size(); ++i) {
    if (CanonicalDecoration(a.decorations[i]) != CanonicalDecoration(b.decorations[i])) return false;
  }
  return true;
}

}  // namespace

std::string RuleText(const ServingRule& rule) {
  std::string text;
  for (const RuleTerm& term : rule.terms) {
    if (!text.empty()) text += ';';
    std::string sections;
    if (term.undecoratedExists) sections = "-";
    for (const OsDecoration& decoration : term.decorations) {
      if (!sections.empty()) sections += ',';
      sections += ToUtf8(CanonicalDecoration(decoration));
    }
    text += sections + ':';
    const int offset = term.undecoratedExists ? 1 : 0;
    for (std::size_t i = 0; i < term.listing.size(); ++i) {
      if (i) text += '+';
      text += std::to_string(term.listing[i] == kUndecoratedSection ? 0 : term.listing[i] + offset);
    }
  }
  return text;
}

std::optional<ServingRule> ParseRule(std::string_view text) {
  ServingRule rule;
  if (text.empty()) return rule;
  const std::vector<std::string_view> terms = Split(text, ';');
  if (terms.size() > kMaxRuleTerms) return std::nullopt;
  for (std::string_view termText : terms) {
    const std::size_t colon = termText.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::vector<std::string_view> sections = Split(termText.substr(0, colon), ',');
    if (sections.size() > kMaxRuleSections) return std::nullopt;
    RuleTerm term;
    for (std::size_t i = 0; i < sections.size(); ++i) {
      if (i == 0 && sections[i] == "-") {
        term.undecoratedExists = true;
        continue;
      }
      OsDecoration decoration;
      if (!ParseOsDecoration(FromUtf8(sections[i]), decoration)) return std::nullopt;
      term.decorations.push_back(std::move(decoration));
    }
    const int offset = term.undecoratedExists ? 1 : 0;
    for (std::string_view piece : Split(termText.substr(colon + 1), '+')) {
      int position = 0;
      if (!ReadPosition(piece, sections.size(), position)) return std::nullopt;
      const int section = term.undecoratedExists && position == 0 ? kUndecoratedSection : position - offset;
      if (!term.listing.empty() && section <= term.listing.back()) return std::nullopt;
      term.listing.push_back(section);
    }
    rule.terms.push_back(std::move(term));
  }
  return rule;
}

bool RuleServes(const ServingRule& rule, const WindowsSystem& system) {
  for (const RuleTerm& term : rule.terms) {
    const int chosen = ChooseModelsSection(term.decorations, term.undecoratedExists, system);
    if (chosen != kNoSection &&
        std::binary_search(term.listing.begin(), term.listing.end(), chosen)) {
      return true;
    }
  }
  return false;
}

void AddTerms(ServingRule& rule, const ServingRule& more) {
  for (const RuleTerm& term : more.terms) {
    const bool known = std::any_of(rule.terms.begin(), rule.terms.end(),
                                   [&](const RuleTerm& t) { return SameTerm(t, term); });
    if (!known && rule.terms.size() < kMaxRuleTerms) rule.terms.push_back(term);
  }
}

RuleJudge::RuleJudge(const WindowsSystem& system)
    : system_(system), codeMask_(OsMaskForRequest(OsCodeOfSystem(system))) {}

bool RuleJudge::Serves(std::string_view ruleText, std::uint32_t osMask) {
  if (ruleText.empty()) return (osMask & codeMask_) != 0;
  const std::string key(ruleText);
  const auto known = known_.find(key);
  if (known != known_.end()) return known->second;
  const std::optional<ServingRule> rule = ParseRule(ruleText);
  const bool serves = rule && RuleServes(*rule, system_);
  known_.emplace(key, serves);
  return serves;
}

}  // namespace velkor::service
