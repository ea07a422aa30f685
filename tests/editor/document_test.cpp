// The editor's document without a window: title, templates, the save question, and texts in
// the encodings their documents declare.
#include "editor/document.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(EditorDocument, TitleAndTheSaveQuestion) {
  EXPECT_EQ(editor_title("", false), "(untitled) - VantEdit");
  EXPECT_EQ(editor_title("/home/a/news.nov", true), "/home/a/news.nov* - VantEdit");

  int asked = 0, saved = 0;
  auto answer = [&](save_answer a) {
    return [&, a] {
      ++asked;
      return a;
    };
  };
  auto save_ok = [&] { return ++saved > 0; };
  auto save_fails = [&] {
    ++saved;
    return false;
  };
  EXPECT_TRUE(may_discard(false, answer(save_answer::cancel), save_ok));
  EXPECT_EQ(asked, 0) << "a clean document asks nothing";
  EXPECT_FALSE(may_discard(true, answer(save_answer::cancel), save_ok));
  EXPECT_TRUE(may_discard(true, answer(save_answer::no), save_ok));
  EXPECT_TRUE(may_discard(true, answer(save_answer::yes), save_ok));
  EXPECT_FALSE(may_discard(true, answer(save_answer::yes), save_fails)) << "a failed save keeps the window";
  EXPECT_EQ(saved, 2);
}

TEST(EditorDocument, TemplatesByteForByteWithEscapedValues) {
  const auto empty = make_document(0, "News", "http://news.example/", "news.bmp", "World", 1);
  ASSERT_TRUE(empty);
  EXPECT_EQ(*empty,
            "<?xml version=\"1.0\"?>\r\n<PARSEDEF\r\n\tname=\"News\"\r\n\turl=\"http://news.example/\"\r\n"
            "\tlogo=\"news.bmp\"\r\n\tcategory=\"World\"\r\n\tversion=\"1\">\r\n\t<SECTION>\r\n\t\t<START></START>\r\n"
            "\t\t<HEADLINE></HEADLINE>\r\n\t\t<SUBHEAD></SUBHEAD>\r\n\t\t<LINK></LINK>\r\n\t\t<SKIPTO></SKIPTO>\r\n"
            "\t\t<END></END>\r\n\t</SECTION>\r\n</PARSEDEF>\r\n");
  const auto rdf = make_document(1, "AT&T \"News\" <daily>", "http://x/?a=1&b=2", "", "", 3);
  ASSERT_TRUE(rdf);
  EXPECT_NE(rdf->find("name=\"AT&amp;T &quot;News&quot; &lt;daily&gt;\""), std::string::npos);
  EXPECT_NE(rdf->find("url=\"http://x/?a=1&amp;b=2\""), std::string::npos);
  EXPECT_NE(rdf->find("\t\t<START><item/></START>\r\n"), std::string::npos);
  EXPECT_NE(make_document(2, "", "", "", "", 1)->find("<headline_text/>"), std::string::npos);
  EXPECT_FALSE(make_document(3, "", "", "", "", 1));
}

TEST(EditorDocument, TextsKeepTheirEncodingAndLineEnds) {
  const auto latin = decode_document("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<p n=\"Caf\xE9\"/>\r\n");
  ASSERT_TRUE(latin) << latin.message();
  EXPECT_EQ(latin->text, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<p n=\"Caf\xC3\xA9\"/>\n");
  EXPECT_TRUE(latin->format.crlf);
  EXPECT_EQ(encode_document(latin->text, latin->format).value_or("(failed)"),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<p n=\"Caf\xE9\"/>\r\n");
  const auto euro = encode_document("<p n=\"\xE2\x82\xAC\"/>\n", latin->format);
  ASSERT_FALSE(euro) << "no euro sign in Latin-1";
  EXPECT_NE(euro.message().find("ISO-8859-1"), std::string::npos);
  EXPECT_EQ(euro.error().line(), 1);

  const auto bom = decode_document("\xEF\xBB\xBF<p/>\n");
  ASSERT_TRUE(bom);
  EXPECT_EQ(bom->text, "<p/>\n");
  EXPECT_EQ(encode_document(bom->text, bom->format).value_or("(failed)"), "\xEF\xBB\xBF<p/>\n");
  const auto undeclared = decode_document("<p/>\n<p n=\"\xE9\"/>");
  ASSERT_FALSE(undeclared) << "undeclared and not UTF-8";
  EXPECT_EQ(undeclared.error().code(), status_code::invalid);
}

}  // namespace
}  // namespace vantrel
