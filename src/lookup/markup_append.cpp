// Appending elements to a markup document: one element per line, each line
// ending in "\r\n", no indentation. The index is kept in step with the text.

#include <limits>

#include "lookup/markup_document.hpp"
#include "lookup/markup_tokens.hpp"
#include "lookup/utf16_units.hpp"

namespace velkor {

using markup::IsDelimiter;
using markup::IsTagBlank;

namespace {

constexpr std::u16string_view kLineEnd = u"\r\n";

// The service reads "<", "&" and ">" as markup; nothing else needs escaping in
// element text.
std::u16string EscapeText(std::u16string_view value) {
  std::u16string out;
  out.reserve(value.size());
  for (const char16_t c : value) {
    switch (c) {
      case u'<': out += u"&lt;"; break;
      case u'&': out += u"&amp;"; break;
      case u'>': out += u"&gt;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

// A name must read back as the tag's first token, or the document would no
// longer parse.
bool IsTagName(std::u16string_view name) {
  if (name.empty()) return false;
  for (const char16_t c : name) {
    if (IsTagBlank(c) || IsDelimiter(c) || c == u'"' || c == u'\'') return false;
  }
  return true;
}

}  // namespace

bool CMarkup::AppendElement(std::wstring_view name, std::wstring_view value) {
  return AddElement(false, name, value);
}

bool CMarkup::AppendChild(std::wstring_view name, std::wstring_view value) {
  return AddElement(true, name, value);
}

std::int32_t CMarkup::LastChild(std::int32_t parent) const {
  std::int32_t last = 0;
  for (std::int32_t child = m_aPos[parent].firstChild; child != 0; child = m_aPos[child].nextSibling) {
    last = child;
  }
  return last;
}

bool CMarkup::AddElement(bool asChild, std::wstring_view nameText, std::wstring_view valueText) {
  std::int32_t parent = 0;
  std::int32_t previous = 0;  // the sibling the cursor names, if any
  if (asChild) {
    if (m_currentPos == 0) return false;
    parent = m_currentPos;
    previous = m_childPos;
  } else {
    parent = m_parentPos;
    previous = m_currentPos;
    // A document has one top-level element.
    if (parent == 0 && m_aPos[0].firstChild != 0) return false;
  }
  const std::u16string name = ToUtf16Units(nameText);
  if (!IsTagName(name)) return false;

  std::u16string element = u"<" + name;
  if (valueText.empty()) {
    element += u"/>";
  } else {
    element += u">" + EscapeText(ToUtf16Units(valueText)) + u"</" + name + u">";
  }
  element += kLineEnd;
  const auto elementSize = static_cast<std::int32_t>(element.size());

  // Without a cursor sibling the element goes last among the parent's children.
  const std::int32_t linkPrev = (previous == 0 && parent != 0) ? LastChild(parent) : previous;

  std::u16string inserted;
  std::int32_t at = 0;        // where the text goes
  std::int32_t removed = 0;   // characters of the old text it replaces
  std::int32_t newStart = 0;  // offset of the new element's "<"
  const bool openParent = parent != 0 && IsEmptyElement(parent);
  if (openParent) {
    // "<p/>" becomes "<p>", the new line, then "</p>" on a line of its own.
    const std::u16string_view parentName = NameAt(parent);
    at = m_aPos[parent].endTagOpen;
    removed = 1;
    inserted = u">";
    inserted += kLineEnd;
    inserted += element;
    inserted += u"</";
    inserted += parentName;
    newStart = at + 1 + static_cast<std::int32_t>(kLineEnd.size());
  } else if (parent != 0 && m_aPos[parent].endTagOpen == m_aPos[parent].startTagClose + 1) {
    // "<p></p>": the element goes on a new line after the start tag.
    at = m_aPos[parent].startTagClose + 1;
    inserted = std::u16string(kLineEnd) + element;
    newStart = at + static_cast<std::int32_t>(kLineEnd.size());
  } else {
    if (previous != 0) {
      at = m_aPos[previous].endTagClose + 1;
    } else if (parent != 0) {
      at = m_aPos[parent].endTagOpen;
    } else {
      at = static_cast<std::int32_t>(m_strDoc.size());
    }
    // Past the line break that follows the previous element.
    while (static_cast<size_t>(at) < m_strDoc.size() && IsTagBlank(m_strDoc[at])) ++at;
    inserted = element;
    newStart = at;
  }

  constexpr size_t kMaxUnits = static_cast<size_t>(std::numeric_limits<std::int32_t>::max()) - 1;
  if (m_strDoc.size() - removed + inserted.size() > kMaxUnits) return false;
  const auto delta = static_cast<std::int32_t>(inserted.size()) - removed;

  m_strDoc.replace(static_cast<size_t>(at), static_cast<size_t>(removed), inserted);
  ShiftAfterInsert(parent, linkPrev, at + removed, delta);
  if (openParent) {
    ElemPos& p = m_aPos[parent];
    const auto parentNameSize = static_cast<std::int32_t>(inserted.size()) - 1 -
                                static_cast<std::int32_t>(kLineEnd.size()) - elementSize - 2;
    p.startTagClose = at;
    p.endTagOpen = newStart + elementSize;
    p.endTagClose = p.endTagOpen + 2 + parentNameSize;
  }

  const std::int32_t pos = TakeFreePos();
  ElemPos& elem = m_aPos[pos];
  elem.parentIndex = parent;
  elem.startTagOpen = newStart;
  if (valueText.empty()) {
    elem.startTagClose = newStart + static_cast<std::int32_t>(name.size()) + 2;
    elem.endTagOpen = elem.startTagClose - 1;
    elem.endTagClose = elem.startTagClose;
  } else {
    elem.startTagClose = newStart + static_cast<std::int32_t>(name.size()) + 1;
    elem.endTagClose = newStart + elementSize - static_cast<std::int32_t>(kLineEnd.size()) - 1;
    elem.endTagOpen = elem.endTagClose - static_cast<std::int32_t>(name.size()) - 2;
  }
  if (linkPrev != 0) {
    elem.nextSibling = m_aPos[linkPrev].nextSibling;
    m_aPos[linkPrev].nextSibling = pos;
  } else {
    m_aPos[parent].firstChild = pos;
  }

  if (asChild) {
    m_childPos = pos;
  } else {
    m_currentPos = pos;
    m_childPos = 0;
  }
  m_nodeKind = 1;
  return true;
}

void CMarkup::ShiftSubtree(std::int32_t node, std::int32_t at, std::int32_t delta) {
  std::vector<std::int32_t> pending{node};
  while (!pending.empty()) {
    const std::int32_t pos = pending.back();
    pending.pop_back();
    ElemPos& elem = m_aPos[pos];
    for (std::int32_t* offset : {&elem.startTagOpen, &elem.startTagClose, &elem.endTagOpen, &elem.endTagClose}) {
      if (*offset >= at) *offset += delta;
    }
    for (std::int32_t child = elem.firstChild; child != 0; child = m_aPos[child].nextSibling) {
      pending.push_back(child);
    }
  }
}

// Moves every offset at or after `at` by `delta`. Only the parent's chain of
// ancestors and what follows the new element in document order can lie there,
// so appending at the end of a large document costs only its depth.
void CMarkup::ShiftAfterInsert(std::int32_t parent, std::int32_t linkPrev, std::int32_t at,
                               std::int32_t delta) {
  if (delta == 0) return;
  std::int32_t following = linkPrev != 0 ? m_aPos[linkPrev].nextSibling : 0;
  for (; following != 0; following = m_aPos[following].nextSibling) ShiftSubtree(following, at, delta);
  for (std::int32_t ancestor = parent; ancestor != 0; ancestor = m_aPos[ancestor].parentIndex) {
    ElemPos& elem = m_aPos[ancestor];
    for (std::int32_t* offset : {&elem.startTagOpen, &elem.startTagClose, &elem.endTagOpen, &elem.endTagClose}) {
      if (*offset >= at) *offset += delta;
    }
    for (std::int32_t sibling = elem.nextSibling; sibling != 0; sibling = m_aPos[sibling].nextSibling) {
      ShiftSubtree(sibling, at, delta);
    }
  }
}

}  // namespace velkor
