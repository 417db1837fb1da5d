#include "lookup/markup_document.hpp"

#include <gtest/gtest.h>

#include <string>

namespace velkor {
namespace {

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

// Every error text, with the element's name in place of %s.
TEST(CMarkupLoad, ReportsEachMalformedDocument) {
  struct Case {
    const wchar_t* document;
    const wchar_t* error;
  };
  const Case cases[] = {
      {L"just text, no tag", L"Element tag not found"},
      {L"<?xml version=\"1.0\"?>\r\n", L"Element tag not found"},
      {L"</a>", L"Element tag not found"},
      {L"<", L"Abrupt end within tag"},
      {L"<a>\r\n<   \r\n", L"Abrupt end within tag"},
      {L"<'a'>x</a>", L"Tag starts with quote"},
      {L"<r><\"b\"/></r>", L"Tag starts with quote"},
      {L"<?xml version=\"1.0\" <r/>", L"Invalid node"},
      {L"<!-- never closed <r/>", L"Invalid node"},
      {L"<r><![CDATA[ open </r>", L"Invalid node"},
      {L"<!DOCTYPE r [ <!ELEMENT r ANY> <r/>", L"Invalid node"},
      {L"<!DOCTYPE r SYSTEM \"never closed.dtd><r/>", L"Invalid node"},
      {L"<r", L"End of tag not found"},
      {L"<r><b x='1'", L"End of tag not found"},
      // A start tag with nothing after it.
      {L"<newdataset>", L"End tag of newdataset element not found"},
      {L"<r>text only", L"End tag of r element not found"},
      {L"<r><device>", L"End tag of device element not found"},
      // The child's end tag is missing: the parent's comes first.
      {L"<r><device></r>", L"End tag does not correspond to device"},
      {L"<r></R>", L"End tag does not correspond to r"},
      {L"<r></>", L"End tag does not correspond to r"},
      {L"<r></r", L"End tag not completed for element r"},
      {L"<r><b></", L"End tag not completed for element b"},
      {L"<r></r \"quoted >\"", L"End tag not completed for element r"},
  };
  for (const Case& c : cases) {
    CMarkup doc;
    EXPECT_FALSE(doc.LoadDocument(c.document)) << Narrow(c.document);
    EXPECT_EQ(doc.LastError(), c.error) << Narrow(c.document);
    // A failed load leaves nothing to navigate.
    EXPECT_FALSE(doc.NextElement());
    EXPECT_FALSE(doc.NextChild());
    EXPECT_EQ(doc.ElementName(), L"");
    EXPECT_EQ(doc.DocumentText(), c.document);
  }
}

TEST(CMarkupLoad, SkipsDeclarationsCommentsAndDocumentTypes) {
  struct Case {
    const wchar_t* document;
    const wchar_t* root;
  };
  const Case cases[] = {
      {L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- answer -->\r\n<NewDataSet/>", L"NewDataSet"},
      {L"<!DOCTYPE r [ <!ELEMENT r ANY> <!ENTITY gt '>'> ]>\r\n<r></r>", L"r"},
      {L"leading text <r a=\"1\" b='2'>x</r>", L"r"},
      {L"<  r  >x</ r >", L"r"},
      {L"<!----><r/>", L"r"},
  };
  for (const Case& c : cases) {
    CMarkup doc;
    ASSERT_TRUE(doc.LoadDocument(c.document)) << Narrow(c.document) << ": " << Narrow(doc.LastError());
    EXPECT_EQ(doc.LastError(), L"");
    EXPECT_TRUE(doc.NextElement());
    EXPECT_EQ(doc.ElementName(), c.root);
  }
}

TEST(CMarkupLoad, ParsesOnlyTheFirstTopLevelElement) {
  CMarkup doc;
  ASSERT_TRUE(doc.LoadDocument(L"<a><x/></a><b><y/></b>"));
  ASSERT_TRUE(doc.NextElement());
  EXPECT_EQ(doc.ElementName(), L"a");
  EXPECT_FALSE(doc.NextElement());
  EXPECT_EQ(doc.ElementName(), L"a");
  EXPECT_FALSE(doc.AppendElement(L"c"));
}

TEST(CMarkupLoad, SurvivesDeepNestingWithoutRecursion) {
  constexpr int kDepth = 100000;
  std::wstring text;
  for (int i = 0; i < kDepth; ++i) text += L"<a>";
  for (int i = 0; i < kDepth; ++i) text += L"</a>";
  CMarkup doc;
  ASSERT_TRUE(doc.LoadDocument(text));
  text.resize(text.size() - 1);
  EXPECT_FALSE(doc.LoadDocument(text));
  EXPECT_EQ(doc.LastError(), L"End tag not completed for element a");
}

TEST(CMarkupLoad, EmptyDocumentIsNotAnError) {
  CMarkup doc;
  EXPECT_FALSE(doc.LoadDocument());
  EXPECT_EQ(doc.LastError(), L"");
  EXPECT_EQ(doc.DocumentText(), L"");
}

TEST(CMarkupCursor, WalksSiblingsChildrenAndParents) {
  CMarkup doc;
  ASSERT_TRUE(doc.LoadDocument(L"<r><a>1</a><b><c>3</c></b><d/></r>"));
  // Without a current element nothing can be entered or left.
  EXPECT_FALSE(doc.EnterChild());
  EXPECT_FALSE(doc.LeaveToParent());
  EXPECT_EQ(doc.ElementName(), L"");
  EXPECT_EQ(doc.ChildText(), L"");

  ASSERT_TRUE(doc.NextChild());  // finds r first, then its child a
  EXPECT_EQ(doc.ElementName(), L"r");
  EXPECT_EQ(doc.ChildText(), L"1");
  ASSERT_TRUE(doc.NextChild());
  EXPECT_EQ(doc.ChildText(), L"");  // b has children
  ASSERT_TRUE(doc.EnterChild());
  EXPECT_EQ(doc.ElementName(), L"b");
  ASSERT_TRUE(doc.NextChild());
  EXPECT_EQ(doc.ChildText(), L"3");
  EXPECT_FALSE(doc.NextChild());
  ASSERT_TRUE(doc.LeaveToParent());
  EXPECT_EQ(doc.ElementName(), L"r");
  EXPECT_EQ(doc.ChildText(), L"");  // the child cursor is b again
  ASSERT_TRUE(doc.NextChild());
  ASSERT_TRUE(doc.EnterChild());
  EXPECT_EQ(doc.ElementName(), L"d");
  EXPECT_FALSE(doc.NextChild());
  EXPECT_FALSE(doc.NextElement());  // d is the last of r's children
  EXPECT_EQ(doc.ElementName(), L"d");
  // Entering an element without children leaves no current element.
  EXPECT_TRUE(doc.EnterChild());
  EXPECT_EQ(doc.ElementName(), L"");
  EXPECT_FALSE(doc.EnterChild());
  EXPECT_TRUE(doc.LeaveToParent());
  EXPECT_EQ(doc.ElementName(), L"d");
}

// The text of <x> inside <r>: the first child of the root.
std::wstring TextOfX(const std::wstring& content) {
  CMarkup doc;
  const std::wstring text = L"<r><x>" + content + L"</x></r>";
  EXPECT_TRUE(doc.LoadDocument(text)) << Narrow(text);
  EXPECT_TRUE(doc.NextChild());
  return doc.ChildText();
}

TEST(CMarkupChildText, ReadsCdataAndTheFiveEntities) {
  struct Case {
    const wchar_t* content;
    const wchar_t* text;
  };
  const Case cases[] = {
      {L" \r\n\t<![CDATA[a < b]]>\r\n ", L"a < b"},
      {L"<![CDATA[]]>", L""},
      {L"<![CDATA[&amp;]]>", L"&amp;"},
      {L"<![CDATA[first]]> after", L"first"},
      {L"&amp; &unknown; &", L"& &unknown; &"},
      {L"&lt;&gt;&amp;&apos;&quot;", L"<>&'\""},
      {L"&amp;lt;", L"&lt;"},
      {L"&LT;", L"&LT;"},
      {L"  spaced  ", L"  spaced  "},
      {L"", L""},
      {L"text<!-- note -->more", L"text<!-- note -->more"},
  };
  for (const Case& c : cases) EXPECT_EQ(TextOfX(c.content), c.text) << Narrow(c.content);
}

TEST(CMarkupChildText, IsEmptyForEmptyElementsAndContainers) {
  const wchar_t* documents[] = {
      L"<r><x/></r>",
      L"<r><x /></r>",
      L"<r><x>text<y/>more</x></r>",
  };
  for (const wchar_t* text : documents) {
    CMarkup doc;
    ASSERT_TRUE(doc.LoadDocument(text)) << Narrow(text);
    ASSERT_TRUE(doc.NextChild());
    EXPECT_EQ(doc.ChildText(), L"") << Narrow(text);
  }
}

TEST(CMarkupAppend, WritesOneElementPerLine) {
  CMarkup doc;
  EXPECT_FALSE(doc.AppendChild(L"a", L"1"));  // no current element yet
  ASSERT_TRUE(doc.AppendElement(L"r"));
  EXPECT_EQ(doc.DocumentText(), L"<r/>\r\n");
  ASSERT_TRUE(doc.AppendChild(L"a", L"1"));
  ASSERT_TRUE(doc.AppendChild(L"b"));
  EXPECT_EQ(doc.DocumentText(), L"<r>\r\n<a>1</a>\r\n<b/>\r\n</r>\r\n");

  // A document has one top-level element.
  const std::wstring before = doc.DocumentText();
  doc.ResetCursor();
  EXPECT_FALSE(doc.AppendElement(L"second"));
  EXPECT_EQ(doc.DocumentText(), before);
}

TEST(CMarkupAppend, NestsContainersThroughTheCursor) {
  CMarkup doc;
  ASSERT_TRUE(doc.AppendElement(L"newdataset"));
  for (const wchar_t* value : {L"0", L"7"}) {
    ASSERT_TRUE(doc.AppendChild(L"device"));
    ASSERT_TRUE(doc.EnterChild());
    ASSERT_TRUE(doc.AppendChild(L"driverid", value));
    ASSERT_TRUE(doc.AppendChild(L"date"));
    ASSERT_TRUE(doc.LeaveToParent());
  }
  EXPECT_EQ(doc.DocumentText(),
            L"<newdataset>\r\n"
            L"<device>\r\n<driverid>0</driverid>\r\n<date/>\r\n</device>\r\n"
            L"<device>\r\n<driverid>7</driverid>\r\n<date/>\r\n</device>\r\n"
            L"</newdataset>\r\n");
}

TEST(CMarkupAppend, EscapesOnlyLessGreaterAndAmpersand) {
  CMarkup doc;
  ASSERT_TRUE(doc.AppendElement(L"r"));
  ASSERT_TRUE(doc.AppendChild(L"v", L"a<b>&c'd\"e"));
  EXPECT_EQ(doc.DocumentText(), L"<r>\r\n<v>a&lt;b&gt;&amp;c'd\"e</v>\r\n</r>\r\n");
  EXPECT_EQ(doc.ChildText(), L"a<b>&c'd\"e");
}

TEST(CMarkupAppend, RejectsNamesThatWouldNotReadBack) {
  CMarkup doc;
  ASSERT_TRUE(doc.AppendElement(L"r"));
  for (const wchar_t* name : {L"", L"a b", L"a/", L"<a", L"a>", L"'a'", L"a=b", L"a\r\n"}) {
    EXPECT_FALSE(doc.AppendChild(name, L"x")) << Narrow(name);
  }
  EXPECT_EQ(doc.DocumentText(), L"<r/>\r\n");
}

// Names and texts of the whole document as the cursor reaches them.
std::wstring Outline(CMarkup& doc) {
  std::wstring out;
  doc.ResetCursor();
  if (!doc.NextChild()) return out;
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
      if (!doc.LeaveToParent()) return out;
      out += L"}";
    }
  }
}

// Appends into loaded documents: the text and the index must agree with a fresh
// load of the result.
TEST(CMarkupAppend, InsertsIntoLoadedDocuments) {
  struct Case {
    const wchar_t* document;
    int childSteps;  // NextChild calls before appending (0: none)
    bool enter;      // EnterChild, then AppendElement after the entered element
    const wchar_t* expected;
  };
  const Case cases[] = {
      // After the cursor's child, past its line break.
      {L"<r>\r\n<a/>\r\n<c/>\r\n</r>\r\n", 1, false, L"<r>\r\n<a/>\r\n<n>v</n>\r\n<c/>\r\n</r>\r\n"},
      // No child cursor: at the end of the children.
      {L"<r>\r\n<a/>\r\n<c/>\r\n</r>\r\n", 0, false, L"<r>\r\n<a/>\r\n<c/>\r\n<n>v</n>\r\n</r>\r\n"},
      // After an element at the same level.
      {L"<r>\r\n<a/>\r\n<c/>\r\n</r>\r\n", 1, true, L"<r>\r\n<a/>\r\n<n>v</n>\r\n<c/>\r\n</r>\r\n"},
      // A parent without content and an empty parent are opened.
      {L"<r></r>", 0, false, L"<r>\r\n<n>v</n>\r\n</r>"},
      {L"<r/>", 0, false, L"<r>\r\n<n>v</n>\r\n</r>"},
      {L"<r x='1' />", 0, false, L"<r x='1' >\r\n<n>v</n>\r\n</r>"},
      // Text in the parent stays before the new element.
      {L"<r>text</r>", 0, false, L"<r>text<n>v</n>\r\n</r>"},
      // Deeper: the ancestors' end tags and following elements move.
      {L"<r><a><b/></a><z>1</z></r>", 1, false, L"<r><a><b/></a><n>v</n>\r\n<z>1</z></r>"},
  };
  for (const Case& c : cases) {
    CMarkup doc;
    ASSERT_TRUE(doc.LoadDocument(c.document)) << Narrow(c.document);
    if (c.childSteps == 0) {
      ASSERT_TRUE(doc.NextElement());
    }
    for (int i = 0; i < c.childSteps; ++i) ASSERT_TRUE(doc.NextChild());
    if (c.enter) {
      ASSERT_TRUE(doc.EnterChild());
      ASSERT_TRUE(doc.AppendElement(L"n", L"v"));
      EXPECT_EQ(doc.ElementName(), L"n");
    } else {
      ASSERT_TRUE(doc.AppendChild(L"n", L"v"));
      EXPECT_EQ(doc.ChildText(), L"v");
    }
    EXPECT_EQ(doc.DocumentText(), c.expected) << Narrow(c.document);
    CMarkup fresh;
    ASSERT_TRUE(fresh.LoadDocument(doc.DocumentText()));
    EXPECT_EQ(Outline(doc), Outline(fresh)) << Narrow(c.document);
  }
}

TEST(CMarkupAppend, KeepsIndexAcrossMixedBuilding) {
  CMarkup doc;
  ASSERT_TRUE(doc.AppendElement(L"r"));
  ASSERT_TRUE(doc.AppendChild(L"a"));
  ASSERT_TRUE(doc.AppendChild(L"c", L"3"));
  // Back to a, then fill it and add b between a and c.
  doc.ResetCursor();
  ASSERT_TRUE(doc.NextChild());
  ASSERT_TRUE(doc.EnterChild());
  ASSERT_TRUE(doc.AppendChild(L"a1", L"x"));
  ASSERT_TRUE(doc.AppendChild(L"a2"));
  ASSERT_TRUE(doc.LeaveToParent());
  ASSERT_TRUE(doc.AppendChild(L"b", L"2"));
  EXPECT_EQ(doc.DocumentText(),
            L"<r>\r\n<a>\r\n<a1>x</a1>\r\n<a2/>\r\n</a>\r\n<b>2</b>\r\n<c>3</c>\r\n</r>\r\n");
  CMarkup fresh;
  ASSERT_TRUE(fresh.LoadDocument(doc.DocumentText()));
  EXPECT_EQ(Outline(doc), Outline(fresh));
  EXPECT_EQ(Outline(doc), L"a{a1=x;a2=;}b=2;c=3;");
}

// Offsets count UTF-16 code units on every platform, so characters outside the
// basic plane (two units) keep every later offset right.
TEST(CMarkupAppend, CountsSupplementaryCharactersAsTwoUnits) {
  const std::wstring smile = L"\U0001F600";
  CMarkup doc;
  ASSERT_TRUE(doc.AppendElement(L"r"));
  ASSERT_TRUE(doc.AppendChild(L"s", smile + L"<" + smile));
  ASSERT_TRUE(doc.AppendChild(L"t", L"1"));
  EXPECT_EQ(doc.DocumentText(),
            L"<r>\r\n<s>" + smile + L"&lt;" + smile + L"</s>\r\n<t>1</t>\r\n</r>\r\n");
  EXPECT_EQ(Outline(doc), L"s=" + smile + L"<" + smile + L";t=1;");

  CMarkup cdata;
  ASSERT_TRUE(cdata.LoadDocument(L"<r><x>" + smile + L"</x><y><![CDATA[" + smile + L"]]></y></r>"));
  ASSERT_TRUE(cdata.NextChild());
  EXPECT_EQ(cdata.ChildText(), smile);
  ASSERT_TRUE(cdata.NextChild());
  EXPECT_EQ(cdata.ChildText(), smile);
}

}  // namespace
}  // namespace velkor
