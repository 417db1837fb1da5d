#pragma once
// Which systems one catalog ID serves, kept so that the choice can be made for a
// system the import never heard of: for every [Manufacturer] entry that lists
// the ID, the entry's models sections and which of them list it. A system is
// served when, for one of those entries, the section Windows picks on it
// (ChooseModelsSection) is one that lists the ID.
//
// The catalog stores a rule as text: terms joined by ";", each the entry's
// sections joined by "," ("-" for the undecorated one, else the canonical
// decoration) and, after ":", the positions of the sections that list the ID
// joined by "+". For example "-,ntx86,ntamd64:0+1" is an entry with an
// undecorated, an NTx86 and an NTamd64 section whose first two list the ID. An
// empty rule text means the ID's systems are given by OS codes alone (a sidecar's
// "os" list, a setup program without INF).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "models_choice.hpp"

namespace velkor::service {

struct RuleTerm {
  bool undecoratedExists = false;
  std::vector<OsDecoration> decorations;  // the entry's decorated sections
  std::vector<int> listing;  // kUndecoratedSection or decoration positions, ascending
};

struct ServingRule {
  std::vector<RuleTerm> terms;
  bool Empty() const { return terms.empty(); }
};

std::string RuleText(const ServingRule& rule);
// Bounds on one rule: an INF line holds at most kMaxInfFieldsPerLine fields, so
// an entry has at most that many sections; an ID keeps the terms of its first
// kMaxRuleTerms entries.
inline constexpr std::size_t kMaxRuleTerms = 256;
inline constexpr std::size_t kMaxRuleSections = 1025;

// Null for text that is not a rule of the form above (an empty text is the empty
// rule) or that exceeds the bounds.
std::optional<ServingRule> ParseRule(std::string_view text);

bool RuleServes(const ServingRule& rule, const WindowsSystem& system);

// Every term of both, each once (sidecar IDs serve what the whole INF serves).
void AddTerms(ServingRule& rule, const ServingRule& more);

// Judges catalog rows for one system, remembering each rule text it has read:
// the rows of one request share few rules. A row with an empty rule serves the
// system when its OS mask has the system's code.
class RuleJudge {
 public:
  explicit RuleJudge(const WindowsSystem& system);
  bool Serves(std::string_view ruleText, std::uint32_t osMask);

 private:
  WindowsSystem system_;
  std::uint32_t codeMask_;
  std::unordered_map<std::string, bool> known_;
};

}  // namespace velkor::service
