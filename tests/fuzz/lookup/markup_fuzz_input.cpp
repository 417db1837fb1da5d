#include <string_view>
#include <vector>

#include "base/utf.hpp"
#include "lookup/markup_document.hpp"
#include "lookup_fuzz_inputs.hpp"

namespace velkor::fuzz {
namespace {

// Names and texts of every element, depth first, as the cursor reaches them.
std::wstring Outline(CMarkup& doc) {
  std::wstring out;
  doc.ResetCursor();
  if (!doc.NextElement()) return out;
  out += doc.ElementName() + L"{";
  doc.ResetCursor();
  if (!doc.NextChild()) return out + L"}";
  for (;;) {
    out += doc.ElementName() + L">";
    doc.EnterChild();
    out += doc.ElementName();
    if (doc.NextChild()) {
      out += L"{";
      continue;
    }
    doc.LeaveToParent();
    out += L"=" + doc.ChildText() + L";";
    while (!doc.NextChild()) {
      if (!doc.LeaveToParent()) return out + L"}";
      out += L"}";
    }
  }
}

}  // namespace

std::string RunMarkupInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The last bytes (at most 32) choose the operations.
  const size_t opCount = size < 64 ? size / 2 : 32;
  const std::string_view ops = bytes.substr(size - opCount);
  const std::string_view body = bytes.substr(0, size - opCount);
  const bool utf16 = !body.empty() && (static_cast<unsigned char>(body.front()) & 1) != 0;
  const std::wstring text = utf16 ? FromUtf16Le(body.substr(1)) : FromUtf8(body);

  CMarkup doc;
  const bool loaded = doc.LoadDocument(text);
  if (!loaded && doc.LastError().empty() && !text.empty()) return "failed load without an error text";
  if (loaded && !doc.LastError().empty()) return "successful load with an error text";
  const std::wstring before = loaded ? Outline(doc) : std::wstring();
  doc.ResetCursor();

  bool appended = false;
  std::wstring sink;
  for (const char op : ops) {
    switch (static_cast<unsigned char>(op) % 10) {
      case 0: doc.NextElement(); break;
      case 1: doc.NextChild(); break;
      case 2: doc.EnterChild(); break;
      case 3: doc.LeaveToParent(); break;
      case 4: doc.ResetCursor(); break;
      case 5: sink += doc.ElementName(); break;
      case 6: sink += doc.ChildText(); break;
      case 7: appended |= doc.AppendChild(L"f", L"v<&>\U0001F600"); break;
      case 8: appended |= doc.AppendElement(L"e"); break;
      case 9: appended |= doc.AppendChild(L"g"); break;
    }
  }
  if (!loaded) return {};
  if (!appended && Outline(doc) != before) return "navigation changed the document";
  CMarkup again;
  if (!again.LoadDocument(doc.DocumentText())) {
    return "appended document no longer loads: " + ToUtf8(again.LastError());
  }
  if (Outline(again) != Outline(doc)) return "index after appends differs from a fresh load";
  return {};
}

}  // namespace velkor::fuzz
