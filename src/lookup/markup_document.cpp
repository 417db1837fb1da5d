// Loading, indexing and navigating a markup document.

#include <limits>

#include "lookup/markup_document.hpp"
#include "lookup/markup_tokens.hpp"
#include "lookup/utf16_units.hpp"

namespace velkor {

using markup::IsTagBlank;
using markup::NextToken;
using markup::Token;

namespace {

constexpr size_t kNotFound = std::u16string_view::npos;

// Offsets are 32-bit; a text that they cannot address is not a document.
constexpr size_t kMaxDocumentUnits = static_cast<size_t>(std::numeric_limits<std::int32_t>::max()) - 1;

std::int32_t Find(std::u16string_view doc, std::u16string_view what, std::int32_t from) {
  if (from < 0 || static_cast<size_t>(from) > doc.size()) return -1;
  const size_t at = doc.find(what, static_cast<size_t>(from));
  return at == kNotFound ? -1 : static_cast<std::int32_t>(at);
}

std::int32_t Find(std::u16string_view doc, char16_t what, std::int32_t from) {
  if (from < 0 || static_cast<size_t>(from) > doc.size()) return -1;
  const size_t at = doc.find(what, static_cast<size_t>(from));
  return at == kNotFound ? -1 : static_cast<std::int32_t>(at);
}

// The five predefined entities; any other "&" stays as it is.
std::u16string ReplaceEntities(std::u16string_view text) {
  struct Entity {
    std::u16string_view name;
    char16_t character;
  };
  static constexpr Entity kEntities[] = {
      {u"&lt;", u'<'}, {u"&amp;", u'&'}, {u"&gt;", u'>'}, {u"&apos;", u'\''}, {u"&quot;", u'"'},
  };
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      bool replaced = false;
      for (const Entity& entity : kEntities) {
        if (text.substr(i, entity.name.size()) == entity.name) {
          out.push_back(entity.character);
          i += entity.name.size() - 1;
          replaced = true;
          break;
        }
      }
      if (replaced) continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

CMarkup::CMarkup() { LoadDocument(); }

CMarkup::~CMarkup() = default;

std::wstring CMarkup::DocumentText() const { return FromUtf16Units(m_strDoc); }

std::wstring CMarkup::LastError() const { return FromUtf16Units(m_strError); }

std::int32_t CMarkup::TakeFreePos() {
  if (static_cast<size_t>(m_freePos) >= m_aPos.size()) {
    const size_t size = m_aPos.size();
    m_aPos.resize(size + (size / 2 > 0 ? size / 2 : 1));
  }
  m_aPos[m_freePos] = ElemPos();
  return m_freePos++;
}

void CMarkup::ClearIndex() {
  if (m_aPos.empty()) m_aPos.resize(1);
  m_aPos[0] = ElemPos();
  m_freePos = 1;
  ResetCursor();
}

bool CMarkup::LoadDocument(std::wstring_view text) {
  m_strError.clear();
  m_strDoc = ToUtf16Units(text);
  m_aPos.assign(m_strDoc.size() / 64 + 8, ElemPos());
  ClearIndex();
  if (m_strDoc.empty()) return false;
  if (m_strDoc.size() > kMaxDocumentUnits) {
    m_strError = u"Element tag not found";
    return false;
  }
  if (!Parse()) {
    ClearIndex();
    return false;
  }
  ResetCursor();
  return true;
}

bool CMarkup::Fail(std::u16string_view text, std::int32_t namedPos) {
  m_strError.assign(text);
  if (namedPos != 0) {
    const size_t slot = m_strError.find(u"%s");
    if (slot != kNotFound) m_strError.replace(slot, 2, NameAt(namedPos));
  }
  return false;
}

// Parses the first element of the text and everything inside it. Elements are
// nested with an explicit stack rather than by recursion, so that no depth of
// nesting in a received document can exhaust the thread's stack.
bool CMarkup::Parse() {
  std::int32_t root = 0;
  const StartTag first = ParseStartTag(0, root);
  if (first == StartTag::kError) return false;
  if (first == StartTag::kNone) return Fail(u"Element tag not found");
  m_aPos[0].firstChild = root;
  if (IsEmptyElement(root)) return true;

  struct Open {
    std::int32_t pos;
    std::int32_t lastChild;
  };
  std::vector<Open> open;
  m_aPos[root].endTagOpen = m_aPos[root].startTagClose + 1;  // where its content starts
  open.push_back({root, 0});
  while (!open.empty()) {
    const std::int32_t parent = open.back().pos;
    std::int32_t child = 0;
    const StartTag found = ParseStartTag(parent, child);
    if (found == StartTag::kError) return false;
    if (found == StartTag::kElement) {
      const std::int32_t previous = open.back().lastChild;
      if (previous != 0) {
        m_aPos[previous].nextSibling = child;
      } else {
        m_aPos[parent].firstChild = child;
      }
      open.back().lastChild = child;
      if (IsEmptyElement(child)) {
        m_aPos[parent].endTagOpen = m_aPos[child].endTagClose + 1;
      } else {
        m_aPos[child].endTagOpen = m_aPos[child].startTagClose + 1;
        open.push_back({child, 0});
      }
      continue;
    }
    if (!ParseEndTag(parent)) return false;
    open.pop_back();
    if (!open.empty()) m_aPos[open.back().pos].endTagOpen = m_aPos[parent].endTagClose + 1;
  }
  return true;
}

// Finds the next element under `parent`, searching from the parent's endTagOpen
// and skipping declarations, comments, CDATA sections and document types.
// kNone: the parent's end tag comes next (its "<" is then the parent's
// endTagOpen), or the text ends inside the parent.
CMarkup::StartTag CMarkup::ParseStartTag(std::int32_t parent, std::int32_t& out) {
  const std::int32_t pos = TakeFreePos();
  m_aPos[pos].parentIndex = parent;
  std::int32_t next = m_aPos[parent].endTagOpen;
  for (;;) {
    const std::int32_t open = Find(m_strDoc, u'<', next);
    if (open < 0) {
      GiveBackPos();
      if (parent == 0) {
        Fail(u"Element tag not found");
        return StartTag::kError;
      }
      return StartTag::kNone;
    }
    m_aPos[parent].endTagOpen = open;
    Token token;
    std::int32_t cursor = open + 1;
    if (!NextToken(m_strDoc, cursor, token)) {
      GiveBackPos();
      Fail(u"Abrupt end within tag");
      return StartTag::kError;
    }
    if (token.quoted) {
      GiveBackPos();
      Fail(u"Tag starts with quote");
      return StartTag::kError;
    }
    const char16_t first = m_strDoc[token.begin];
    if (first == u'?' || first == u'!') {
      if (!SkipNode(token.end, first, next)) {
        GiveBackPos();
        Fail(u"Invalid node");
        return StartTag::kError;
      }
      continue;
    }
    if (first == u'/') {
      GiveBackPos();
      if (parent == 0) {
        Fail(u"Element tag not found");
        return StartTag::kError;
      }
      return StartTag::kNone;
    }
    // Attributes are not read: the tag ends at the next ">".
    const std::int32_t close = Find(m_strDoc, u'>', token.end);
    if (close < 0) {
      GiveBackPos();
      Fail(u"End of tag not found");
      return StartTag::kError;
    }
    ElemPos& elem = m_aPos[pos];
    elem.startTagOpen = open;
    elem.startTagClose = close;
    if (m_strDoc[close - 1] == u'/') {
      elem.endTagOpen = close - 1;
      elem.endTagClose = close;
    }
    out = pos;
    return StartTag::kElement;
  }
}

// Skips a node that starts with "<?" or "<!"; `tokenEnd` is just past the "?"
// or "!". `after` receives the offset just past the node.
bool CMarkup::SkipNode(std::int32_t tokenEnd, char16_t kind, std::int32_t& after) const {
  const auto size = static_cast<std::int32_t>(m_strDoc.size());
  if (kind == u'?') {
    const std::int32_t end = Find(m_strDoc, u"?>", tokenEnd);
    if (end < 0) return false;
    after = end + 2;
    return true;
  }
  const char16_t next = tokenEnd < size ? m_strDoc[tokenEnd] : u'\0';
  if (next == u'[' || next == u'-') {
    const std::u16string_view terminator = next == u'[' ? u"]]>" : u"-->";
    const std::int32_t end = Find(m_strDoc, terminator, tokenEnd + 1);
    if (end < 0) return false;
    after = end + 3;
    return true;
  }
  // A document type declaration: the first ">" outside its internal subset.
  int depth = 0;
  for (std::int32_t i = tokenEnd; i < size; ++i) {
    const char16_t c = m_strDoc[i];
    if (c == u'"' || c == u'\'') {
      const std::int32_t close = Find(m_strDoc, c, i + 1);
      if (close < 0) return false;
      i = close;
    } else if (c == u'[') {
      ++depth;
    } else if (c == u']') {
      --depth;
    } else if (c == u'>' && depth <= 0) {
      after = i + 1;
      return true;
    }
  }
  return false;
}

// Reads the end tag of `pos`, whose "<" is the first one at or after its
// endTagOpen: "/", then the element's name exactly, then ">".
bool CMarkup::ParseEndTag(std::int32_t pos) {
  const std::int32_t open = Find(m_strDoc, u'<', m_aPos[pos].endTagOpen);
  if (open < 0) return Fail(u"End tag of %s element not found", pos);
  const std::u16string_view name = NameAt(pos);
  std::int32_t cursor = open + 1;
  std::int32_t count = 0;
  std::int32_t close = -1;
  Token token;
  while (NextToken(m_strDoc, cursor, token)) {
    if (token.quoted) continue;
    ++count;
    const std::u16string_view text =
        std::u16string_view(m_strDoc).substr(token.begin, token.end - token.begin);
    if (count == 1 && text.front() != u'/') return Fail(u"Expecting end tag of element %s", pos);
    if (count == 2 && text != name) return Fail(u"End tag does not correspond to %s", pos);
    if (text.front() == u'>') {
      close = token.begin;
      break;
    }
  }
  if (close < 0 || count < 2) return Fail(u"End tag not completed for element %s", pos);
  m_aPos[pos].endTagOpen = open;
  m_aPos[pos].endTagClose = close;
  return true;
}

std::u16string_view CMarkup::NameAt(std::int32_t pos) const {
  if (pos <= 0 || pos >= m_freePos) return {};
  std::int32_t cursor = m_aPos[pos].startTagOpen + 1;
  Token token;
  if (!NextToken(m_strDoc, cursor, token)) return {};
  return std::u16string_view(m_strDoc).substr(token.begin, token.end - token.begin);
}

bool CMarkup::IsEmptyElement(std::int32_t pos) const {
  return m_aPos[pos].endTagClose == m_aPos[pos].startTagClose;
}

void CMarkup::ResetCursor() {
  m_parentPos = 0;
  m_currentPos = 0;
  m_childPos = 0;
  m_nodeKind = 0;
}

bool CMarkup::NextElement() {
  const std::int32_t pos =
      m_currentPos != 0 ? m_aPos[m_currentPos].nextSibling : m_aPos[m_parentPos].firstChild;
  if (pos == 0) return false;
  m_currentPos = pos;
  m_childPos = 0;
  m_nodeKind = 1;
  return true;
}

bool CMarkup::NextChild() {
  if (m_currentPos == 0 && !NextElement()) return false;
  const std::int32_t pos =
      m_childPos != 0 ? m_aPos[m_childPos].nextSibling : m_aPos[m_currentPos].firstChild;
  if (pos == 0) return false;
  m_childPos = pos;
  m_currentPos = m_aPos[pos].parentIndex;
  m_parentPos = m_aPos[m_currentPos].parentIndex;
  return true;
}

bool CMarkup::EnterChild() {
  if (m_currentPos == 0 || m_nodeKind != 1) return false;
  m_parentPos = m_currentPos;
  m_currentPos = m_childPos;
  m_nodeKind = m_childPos != 0 ? 1 : 0;
  m_childPos = 0;
  return true;
}

bool CMarkup::LeaveToParent() {
  if (m_parentPos == 0) return false;
  m_childPos = m_currentPos;
  m_currentPos = m_parentPos;
  m_parentPos = m_aPos[m_parentPos].parentIndex;
  m_nodeKind = 1;
  return true;
}

std::wstring CMarkup::ElementName() const {
  if (m_currentPos == 0) return {};
  return FromUtf16Units(NameAt(m_currentPos));
}

std::wstring CMarkup::ChildText() const {
  if (m_childPos == 0) return {};
  const ElemPos& child = m_aPos[m_childPos];
  if (child.firstChild != 0) return {};
  if (IsEmptyElement(m_childPos) || child.endTagOpen <= child.startTagClose + 1) return {};
  const std::u16string_view doc(m_strDoc);
  const std::int32_t contentStart = child.startTagClose + 1;
  const std::int32_t contentEnd = child.endTagOpen;
  std::int32_t i = contentStart;
  while (i < contentEnd && IsTagBlank(doc[i])) ++i;
  constexpr std::u16string_view kCdataOpen = u"<![CDATA[";
  constexpr std::u16string_view kCdataClose = u"]]>";
  if (contentEnd - i >= 11 && doc.substr(i, kCdataOpen.size()) == kCdataOpen) {
    const std::int32_t textStart = i + static_cast<std::int32_t>(kCdataOpen.size());
    const std::int32_t close = Find(doc, kCdataClose, textStart);
    if (close >= 0 && close + static_cast<std::int32_t>(kCdataClose.size()) <= contentEnd) {
      return FromUtf16Units(doc.substr(textStart, close - textStart));
    }
  }
  return FromUtf16Units(ReplaceEntities(doc.substr(contentStart, contentEnd - contentStart)));
}

}  // namespace velkor
