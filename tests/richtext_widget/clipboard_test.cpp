// Copying a selection to the clipboard as RTF and plain text, and pasting
// RTF or plain text back at the caret.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMimeData>

#include "richtext/io/rtf_text_io.h"
#include "richtext/widget/clipboard_transfer.h"
#include "richtext/widget/rich_clipboard.h"
#include "widget_test_support.h"

namespace quill {
namespace {

using test::Paragraphs;
using Strings = std::vector<std::string>;

void Load(TRTFText& doc, std::string_view rtf) { ASSERT_EQ(ReadRtfDocument(doc, rtf), 0); }

// From character `from` of the first paragraph to character `to` of the
// last one (each paragraph held in one line).
TTextRange Range(const TRTFText& doc, int from, int to) {
  TParagraph* last = doc.LastParagraph();
  return {doc.firstParagraph, doc.firstParagraph->firstLine, from, last, last->firstLine, to};
}

const TCharAttr& AttrAt(const TParagraph* p, int n) { return p->firstLine->attribs[n]; }

TEST(ClipboardTransfer, SelectionAsRtfAndPlainText) {
  TRTFText doc;
  Load(doc, "{\\rtf1 Hello {\\b bold}\\par second line}");
  const TClipboardContent c = CopySelection(doc, Range(doc, 6, 6));
  EXPECT_EQ(c.plainText, "bold\nsecond");
  ASSERT_EQ(c.rtf.rfind("{\\rtf1", 0), 0u);
  TRTFText back;
  Load(back, c.rtf);
  EXPECT_EQ(Paragraphs(back), (Strings{"bold", "second"}));
  EXPECT_TRUE(AttrAt(back.firstParagraph, 0).style & csBold);
  EXPECT_FALSE(AttrAt(back.LastParagraph(), 0).style & csBold);
  // Equal offsets in different paragraphs still select; equal places do not.
  EXPECT_FALSE(CopySelection(doc, Range(doc, 3, 3)).Empty());
  TRTFText one;
  Load(one, "{\\rtf1 single}");
  EXPECT_TRUE(CopySelection(one, Range(one, 3, 3)).Empty());
  EXPECT_TRUE(CopySelection(one, TTextRange{}).Empty());
}

TEST(ClipboardTransfer, PasteGoesInAtTheCaretAndMovesIt) {
  struct Case {
    bool rtf;
    const char* text;
    Strings result;
    int caretParagraph, caretPosition;
  };
  const Case cases[] = {
      {true, "{\\rtf1 {\\i big}, wide }", {"Hello big, wide world"}, 0, 16},
      {true, "{\\rtf1 one\\par two }", {"Hello one", "two world"}, 1, 4},
      {false, "plain ", {"Hello plain world"}, 0, 12},
      {false, "a\nb\r\nc", {"Hello a", "b", "cworld"}, 2, 1},
  };
  for (const auto& c : cases) {
    TRTFText doc;
    Load(doc, "{\\rtf1 Hello world}");
    TTextPos caret{doc.firstParagraph, 6};
    const int rc = c.rtf ? PasteRtf(doc, caret, c.text) : PastePlainText(doc, caret, c.text);
    ASSERT_EQ(rc, 0) << c.text;
    EXPECT_EQ(Paragraphs(doc), c.result) << c.text;
    TParagraph* p = doc.firstParagraph;
    for (int i = 0; i < c.caretParagraph && p; ++i) p = p->next;
    EXPECT_EQ(caret.paragraph, p) << c.text;
    EXPECT_EQ(caret.position, c.caretPosition) << c.text;
  }
}

TEST(ClipboardTransfer, PasteIntoAnEmptyDocumentBecomesItsText) {
  TRTFText doc;
  TTextPos caret{doc.firstParagraph, 0};
  ASSERT_EQ(PasteRtf(doc, caret, "{\\rtf1 {\\b first}\\par second}"), 0);
  EXPECT_EQ(Paragraphs(doc), (Strings{"first", "second"}));
  EXPECT_TRUE(AttrAt(doc.firstParagraph, 0).style & csBold);
  EXPECT_EQ(caret.paragraph, doc.LastParagraph());
  EXPECT_EQ(caret.position, 6);
}

// The system clipboard, driven as another program would fill it.
class RichClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override { QGuiApplication::clipboard()->clear(); }
  void TearDown() override { QGuiApplication::clipboard()->clear(); }
  static void Offer(std::initializer_list<std::pair<const char*, QByteArray>> formats, const QString* text = nullptr) {
    auto* data = new QMimeData;
    for (const auto& [type, bytes] : formats) data->setData(QString::fromLatin1(type), bytes);
    if (text) data->setText(*text);
    QGuiApplication::clipboard()->setMimeData(data);
  }
};

TEST_F(RichClipboardTest, CopyOffersRtfUnderBothTypesAndUnicodeText) {
  TRTFText doc;
  Load(doc, "{\\rtf1\\ansi Caf\\'e9 costs 3 \\'80\\par {\\b done}}");
  TRichClipboard clipboard;
  ASSERT_TRUE(clipboard.Copy(doc, Range(doc, 0, 4)));
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  for (const char* type : {"text/rtf", "text/richtext"}) {
    const QByteArray rtf = data->data(QString::fromLatin1(type));
    ASSERT_TRUE(rtf.startsWith("{\\rtf1")) << type;
    TRTFText back;
    Load(back, std::string_view(rtf.constData(), size_t(rtf.size())));
    EXPECT_EQ(Paragraphs(back), (Strings{"Caf\xE9 costs 3 \x80", "done"})) << type;
  }
  EXPECT_EQ(data->text(), QString::fromUtf8("Caf\u00e9 costs 3 \u20ac\ndone"));
  // Nothing selected: the clipboard keeps what it had.
  EXPECT_FALSE(clipboard.Copy(doc, TTextRange{}));
  EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat("text/rtf"));
}

TEST_F(RichClipboardTest, PasteTakesRtfOfEitherTypeBeforePlainText) {
  const QString plain = QStringLiteral("plain words");
  const QByteArray rtf = "{\\rtf1 {\\b rich} words}";
  struct Case {
    std::function<void()> offer;
    Strings result;
    bool bold;
  };
  const Case cases[] = {
      {[&] { Offer({{"text/rtf", rtf}}, &plain); }, {"rich words"}, true},
      {[&] { Offer({{"text/richtext", rtf}}, &plain); }, {"rich words"}, true},
      {[&] { Offer({{"application/rtf", rtf}}); }, {"rich words"}, true},
      {[&] { Offer({{"text/rtf", QByteArray()}}, &plain); }, {"plain words"}, false},
      {[&] { Offer({}, &plain); }, {"plain words"}, false},
  };
  for (const auto& c : cases) {
    c.offer();
    TRichClipboard clipboard;
    EXPECT_TRUE(clipboard.HasText());
    TRTFText doc;
    TTextPos caret{doc.firstParagraph, 0};
    ASSERT_TRUE(clipboard.Paste(doc, caret));
    EXPECT_EQ(Paragraphs(doc), c.result);
    EXPECT_EQ(bool(AttrAt(doc.firstParagraph, 0).style & csBold), c.bold);
  }
}

TEST_F(RichClipboardTest, PlainTextOutsideTheCodePageBecomesQuestionMarks) {
  const QString text = QString::fromUtf8("na\u00efve \u2603 \U0001F600 \u201cquoted\u201d \u20ac5");
  Offer({}, &text);
  TRichClipboard clipboard;
  EXPECT_EQ(clipboard.Offered().plainText, "na\xEFve ? ? \x93quoted\x94 \x80" "5");
  TRTFText doc;
  Load(doc, "{\\rtf1 []}");
  TTextPos caret{doc.firstParagraph, 1};
  ASSERT_TRUE(clipboard.Paste(doc, caret));
  EXPECT_EQ(Paragraphs(doc), (Strings{"[na\xEFve ? ? \x93quoted\x94 \x80" "5]"}));
}

TEST_F(RichClipboardTest, EmptyClipboardPastesNothing) {
  TRichClipboard clipboard;
  EXPECT_FALSE(clipboard.HasText());
  TRTFText doc;
  Load(doc, "{\\rtf1 kept}");
  TTextPos caret{doc.firstParagraph, 2};
  EXPECT_FALSE(clipboard.Paste(doc, caret));
  EXPECT_EQ(Paragraphs(doc), (Strings{"kept"}));
  EXPECT_EQ(caret.position, 2);
  const QString none;
  Offer({{"image/png", QByteArray("x")}}, &none);
  EXPECT_FALSE(clipboard.HasText());
  EXPECT_FALSE(clipboard.Paste(doc, caret));
}

TEST_F(RichClipboardTest, LibreOfficeRtfPastes) {
  const std::string rtf = test::ReadFile(QUILL_FIXTURES "/libreoffice/formatting.rtf");
  Offer({{"text/rtf", QByteArray(rtf.data(), qsizetype(rtf.size()))}});
  TRichClipboard clipboard;
  TRTFText doc;
  TTextPos caret{doc.firstParagraph, 0};
  ASSERT_TRUE(clipboard.Paste(doc, caret));
  const Strings pars = Paragraphs(doc);
  ASSERT_GE(pars.size(), 4u);
  EXPECT_EQ(pars[0], "Plain serif twelve, then bold, italic, underlined and struck words.");
  EXPECT_EQ(pars[2], "Right: big red blue green");
}

}  // namespace
}  // namespace quill
