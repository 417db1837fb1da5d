#pragma once
// The small XML document of the update lookup. It keeps one text and an index of
// element positions into it, navigates with a cursor (parent, current element,
// current child), reads element text and appends elements one per line. The
// documents it writes are what the update service receives, so their bytes are
// fixed: "\r\n" after every element, no indentation, only "<", "&" and ">"
// escaped.
//
// Offsets count UTF-16 code units on every platform: the text is held as UTF-16
// internally, whatever the width of wchar_t.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

class CMarkup {
 public:
  // Where one element stands in the text.
  struct ElemPos {
    std::int32_t startTagOpen = 0;   // "<" of the start tag
    std::int32_t startTagClose = 0;  // ">" of the start tag
    std::int32_t endTagOpen = 0;     // "<" of the end tag; the "/" of an empty element
    std::int32_t endTagClose = 0;    // ">" of the end tag; the start tag's ">" when empty
    std::int32_t reserved = 0;
    std::int32_t parentIndex = 0;
    std::int32_t firstChild = 0;
    std::int32_t nextSibling = 0;
  };

  CMarkup();
  virtual ~CMarkup();
  CMarkup(const CMarkup&) = default;
  CMarkup& operator=(const CMarkup&) = default;

  // Replaces the document and indexes its first element. False (with LastError
  // set) when there is no element or the text is not well formed; the document
  // then has nothing to navigate.
  bool LoadDocument(std::wstring_view text);
  bool LoadDocument() { return LoadDocument(std::wstring_view()); }

  std::wstring DocumentText() const;
  std::wstring LastError() const;

  void ResetCursor();
  bool NextElement();
  bool NextChild();
  bool EnterChild();
  bool LeaveToParent();

  std::wstring ElementName() const;
  std::wstring ChildText() const;

  // An empty value writes an empty-element tag. The name must be one token of
  // the tag syntax (no blanks, quotes or markup delimiters), else nothing is
  // written and the result is false.
  bool AppendElement(std::wstring_view name, std::wstring_view value = {});
  bool AppendChild(std::wstring_view name, std::wstring_view value = {});

 private:
  enum class StartTag { kElement, kNone, kError };

  std::int32_t TakeFreePos();
  void GiveBackPos() { --m_freePos; }
  bool Parse();
  StartTag ParseStartTag(std::int32_t parent, std::int32_t& out);
  bool ParseEndTag(std::int32_t pos);
  bool SkipNode(std::int32_t tokenEnd, char16_t kind, std::int32_t& after) const;
  bool Fail(std::u16string_view text, std::int32_t namedPos = 0);
  void ClearIndex();

  std::u16string_view NameAt(std::int32_t pos) const;
  bool IsEmptyElement(std::int32_t pos) const;
  std::int32_t LastChild(std::int32_t parent) const;
  bool AddElement(bool asChild, std::wstring_view name, std::wstring_view value);
  void ShiftSubtree(std::int32_t node, std::int32_t at, std::int32_t delta);
  void ShiftAfterInsert(std::int32_t parent, std::int32_t linkPrev, std::int32_t at,
                        std::int32_t delta);

  std::u16string m_strDoc;
  std::u16string m_strError;
  std::vector<ElemPos> m_aPos;
  std::int32_t m_parentPos = 0;
  std::int32_t m_currentPos = 0;
  std::int32_t m_childPos = 0;
  std::int32_t m_freePos = 1;
  std::int32_t m_nodeKind = 0;
};

}  // namespace velkor
