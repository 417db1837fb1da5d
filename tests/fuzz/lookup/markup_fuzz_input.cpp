#include <string_view>
#include <vector>

#include "base/utf.hpp"
#include "lookup/markup_document.hpp"
#include "lookup_fuzz_inputs.hpp"

namespace velkor::fuzz {
namespace {

// Names and texts of every element below the root, depth first, as the cursor
// reaches them.
std::wstring Outline(CMarkup& doc) {
  std::wstring out;
  doc.ResetCursor();
  if (!doc.NextElement()) return out;
  out += doc.ElementName() + L"{";
  doc.ResetCursor();
  if (!doc.NextChild()) return out + L"}";
  for (;;) {
    doc.EnterChild();
    const std::wstring name = doc.ElementName();
    if (doc.NextChild()) {
      out += name + L"{";
      continue;
    }
    doc.LeaveToParent();
    out += name + L"=" + doc.ChildText() + L";";
    while (!doc.NextChild()) {
      if (!doc.LeaveToParent()) return out + L"}";
      out += L"}";
    }
  }
}

// A received document: loading, navigating and appending must stay inside the
// text whatever it holds.
std::string RunReceivedDocument(std::string_view body, std::string_view ops, bool utf16) {
  const std::wstring text = utf16 ? FromUtf16Le(body) : FromUtf8(body);
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
  if (loaded && !appended && Outline(doc) != before) return "navigation changed the document";
  // Every indexed element still reads (the sanitizers watch the offsets).
  sink += Outline(doc);
  CMarkup again;
  again.LoadDocument(doc.DocumentText());
  return {};
}

// A document built only by appends, the way requests are built: it must load
// back to exactly the elements and texts that were appended.
std::string RunBuiltDocument(std::string_view script) {
  static const wchar_t* const kNames[] = {L"newdataset", L"device", L"driverid", L"a", L"\u00e9l\u00e9ment"};
  CMarkup doc;
  bool appended = false;
  size_t i = 0;
  while (i + 1 < script.size()) {
    const auto op = static_cast<unsigned char>(script[i]);
    const size_t length = static_cast<unsigned char>(script[i + 1]) % 24;
    i += 2;
    const std::string_view valueBytes = script.substr(i, length);
    i += valueBytes.size();
    const std::wstring value = FromUtf8(valueBytes);
    const wchar_t* name = kNames[(op >> 3) % std::size(kNames)];
    switch ((op & 7) % 6) {
      case 0: appended |= doc.AppendElement(name, value); break;
      case 1: appended |= doc.AppendChild(name, value); break;
      case 2: doc.EnterChild(); break;
      case 3: doc.LeaveToParent(); break;
      case 4: doc.NextChild(); break;
      case 5: doc.NextElement(); break;
    }
  }
  if (!appended) return {};
  CMarkup again;
  if (!again.LoadDocument(doc.DocumentText())) {
    return "built document does not load: " + ToUtf8(again.LastError());
  }
  if (Outline(again) != Outline(doc)) return "built document loads to other elements than were appended";
  return {};
}

}  // namespace

std::string RunMarkupInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.empty()) return RunReceivedDocument({}, {}, false);
  const auto mode = static_cast<unsigned char>(bytes.front());
  const std::string_view rest = bytes.substr(1);
  if ((mode & 2) != 0) return RunBuiltDocument(rest);
  // The last bytes (at most 32) choose the operations.
  const size_t opCount = rest.size() < 64 ? rest.size() / 2 : 32;
  return RunReceivedDocument(rest.substr(0, rest.size() - opCount), rest.substr(rest.size() - opCount),
                             (mode & 1) != 0);
}

}  // namespace velkor::fuzz
