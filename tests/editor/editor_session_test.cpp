// VantEdit's decisions without a window: what opens untitled, what Save As asks about, the
// encodings a document is read and written in, the packages refused before anything is
// written (and those written, read back by our reader, unzip, zipinfo and Python), the rights
// of a saved file, the logo's dead ends, and the programs Run and Edit start.
#include "editor/editor_session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "common/parsedef_file.h"
#include "common/paths.h"
#include "common/platform.h"
#include "tests/helpers/temp_dir.h"
#include "tests/helpers/zip_builder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::temp_dir;

// The window, played by a script: the text it holds, the answers it gives, what it was told.
class scripted_view : public editor_view {
 public:
  std::string text() const override { return text_; }
  void show_text(const std::string& text) override { text_ = text; }
  void show_state(const std::string& title, const std::string&, const std::string&) override { title_ = title; }
  save_answer ask_save() override { return save_answer_; }
  bool ask(const std::string& question) override {
    questions.push_back(question);
    return yes;
  }
  std::optional<std::string> choose_save_path() override { return chosen; }
  void message(const std::string& text) override { messages.push_back(text); }

  std::string text_, title_;
  save_answer save_answer_ = save_answer::no;
  bool yes = true;
  std::optional<std::string> chosen;
  std::vector<std::string> questions, messages;
};

struct session_fixture {
  scripted_view view;
  std::vector<std::vector<std::string>> started;
  editor_session session{view,
                         [this](const std::vector<std::string>& argv) {
                           started.push_back(argv);
                           return true;
                         },
                         vantedit_folder};
};

// The members of a package as Python's zipfile reads them, or "" when it finds it damaged.
std::string python_names(const std::string& package) {
  if (!platform::find_program("python3")) return "(no python)";
  const auto out =
      platform::program_output({"python3", "-c",
                                "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\nassert z.testzip() is None\n"
                                "print('|'.join(z.namelist()))",
                                package});
  return out ? std::string(out->substr(0, out->find('\n'))) : "";
}

TEST(EditorSession, WhatOpensUntitledAndWhatSaveAsAsksAbout) {
  temp_dir dir;
  const char* doc = "<parsedef name='x' url='http://x/'/>";
  struct {
    const char* file;
    bool untitled;
  } cases[] = {{"a.xml", true}, {"b.XML", true}, {"c.Xml", true}, {"d.nov", false}};
  for (const auto& c : cases) {
    session_fixture f;
    const std::string path = dir.file(c.file);
    if (c.untitled) {
      dir.write(c.file, doc);
    } else {
      testing::write_zip(path, {{"d.xml", doc}});
    }
    ASSERT_TRUE(f.session.open(path)) << c.file;
    EXPECT_EQ(f.session.path().empty(), c.untitled) << c.file;
    f.view.chosen = std::nullopt;
    EXPECT_EQ(f.session.save(), !c.untitled) << c.file << ": an untitled save goes through Save As";
    if (c.untitled) {
      EXPECT_EQ(read_file(path), doc) << "never an archive over the XML file";
    }
  }

  session_fixture f;
  f.session.new_document("<parsedef/>", "");
  dir.write("exist.nov", "the package there");
  f.view.chosen = dir.file("exist");  // as typed: the package is exist.nov
  f.view.yes = false;
  EXPECT_FALSE(f.session.save_as());
  ASSERT_EQ(f.view.questions.size(), 1u);
  EXPECT_EQ(f.view.questions[0], dir.file("exist.nov") + " already exists.\nDo you want to replace it?");
  EXPECT_EQ(read_file(dir.file("exist.nov")), "the package there");
  f.view.yes = true;
  ASSERT_TRUE(f.session.save_as());
  EXPECT_EQ(f.session.path(), dir.file("exist.nov"));
  f.view.chosen = dir.file("site.xml");  // a package never takes an XML file's name
  ASSERT_TRUE(f.session.save_as());
  EXPECT_EQ(f.session.path(), dir.file("site.xml.nov"));
  EXPECT_EQ(package_name_for("x.NOV"), "x.NOV");

  EXPECT_FALSE(f.session.open(dir.file("noextension")));
  EXPECT_EQ(f.view.messages.back(), "Unknown file type.");
}

TEST(EditorSession, EightBitEncodingsRoundTripAndFollowTheDeclaration) {
  temp_dir dir;
  struct {
    const char* encoding;
    std::string name;  // "Новости" or "Żółw" in that encoding
    std::string utf8;
  } cases[] = {
      {"windows-1251", "\xCD\xEE\xE2\xEE\xF1\xF2\xE8", "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8"},
      {"KOI8-R", "\xEE\xCF\xD7\xCF\xD3\xD4\xC9", "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8"},
      {"ISO-8859-2", "\xAF\xF3\xB3w", "\xC5\xBB\xC3\xB3\xC5\x82w"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.encoding);
    session_fixture f;
    const std::string bytes = std::string("<?xml version=\"1.0\" encoding=\"") + c.encoding +
                              "\"?>\r\n<parsedef name=\"" + c.name + "\" url=\"http://x/\"/>\r\n";
    ASSERT_TRUE(f.session.open(dir.write("doc.xml", bytes))) << (f.view.messages.empty() ? "" : f.view.messages[0]);
    EXPECT_NE(f.view.text_.find(c.utf8), std::string::npos) << "shown as UTF-8";
    EXPECT_EQ(f.session.encoded().value_or("(failed)"), bytes) << "written back byte for byte";
  }

  // The encoding is the declaration's at the moment of the save.
  session_fixture f;
  f.session.new_document("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<parsedef name=\"Новости\"/>\n", "");
  f.view.text_.replace(f.view.text_.find("UTF-8"), 5, "windows-1251");
  EXPECT_EQ(
      f.session.encoded().value_or("(failed)"),
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<parsedef name=\"\xCD\xEE\xE2\xEE\xF1\xF2\xE8\"/>\r\n");
  f.view.text_ += "<!-- \xE6\x9D\xB1 -->\n";  // a character windows-1251 has not
  const auto refused = f.session.encoded();
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.message(), "line 3: a character of the text cannot be written in windows-1251");
  EXPECT_EQ(refused.error().line(), 3);
  f.view.chosen = dir.file("refused");
  EXPECT_FALSE(f.session.save_as());
  EXPECT_FALSE(testing::file_exists(dir.file("refused.nov")));
}

TEST(EditorSession, APackageTheReaderWouldRefuseIsNeverWritten) {
  temp_dir dir;
  const std::string big = dir.file("big.bmp");
  {
    std::FILE* f = std::fopen(big.c_str(), "wb");
    std::fclose(f);
    fs::resize_file(big, (64ull << 20) + 1);  // sparse: costs no disk
  }
  fs::create_directories(dir.file("folder.bmp"));
  struct {
    const char* what;
    std::string target;
    std::string logo;
    const char* why;
  } cases[] = {
      {"a logo over the reader's 64 MiB", dir.file("a.nov"), big, "larger than 64 MiB"},
      {"a logo that is a folder", dir.file("b.nov"), dir.file("folder.bmp"), "is not a file"},
      {"a package name with a backslash", dir.file("..\\x.nov"), "", "is read as a folder"},
      {"a logo named like the document", dir.file("c.nov"), dir.write("logo/c.xml", "x"), "the logo's name is"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    session_fixture f;
    f.view.yes = false;  // a logo that is no file is offered to be left out: not here
    f.session.new_document("<parsedef/>", c.logo);
    ASSERT_FALSE(f.session.save_to(c.target));
    const std::string said = f.view.messages.empty() ? f.view.questions.at(0) : f.view.messages.back();
    EXPECT_NE(said.find(c.why), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(c.target));
  }
  EXPECT_EQ(testing::list_files(dir.path()), "big.bmp\nlogo/c.xml\n") << "no temporary file left";
}

TEST(EditorSession, LogosNamedOutsideTheFolderAndLogosGoneMissing) {
  temp_dir dir;
  dir.write("secret.txt", "not for the package");
  for (const char* attribute : {"../secret.txt", "/etc/passwd", "sub/../../secret.txt"}) {
    SCOPED_TRACE(attribute);
    session_fixture f;
    const std::string package = dir.file("p/evil.nov");
    fs::create_directories(dir.file("p"));
    testing::write_zip(package, {{"evil.xml", std::string("<parsedef name='e' logo='") + attribute + "'/>"}});
    ASSERT_TRUE(f.session.open(package));
    EXPECT_EQ(f.session.logo(), "");
    ASSERT_EQ(f.view.messages.size(), 1u);
    ASSERT_TRUE(f.session.save());
    EXPECT_EQ(python_names(package), "evil.xml") << "nothing but the document went in";
  }

  // A logo that went away: the save asks whether to go on without it.
  session_fixture f;
  dir.write("q/site.xml", "<parsedef name='s' logo='gone.bmp'/>");
  dir.write("q/empty.xml", "<parsedef name='s' logo=''/>");
  ASSERT_TRUE(f.session.open(dir.file("q/site.xml")));
  EXPECT_EQ(f.session.logo(), dir.file("q/gone.bmp"));
  f.view.yes = false;
  EXPECT_FALSE(f.session.save_to(dir.file("q/site.nov")));
  EXPECT_EQ(f.view.questions.back(), "The logo " + dir.file("q/gone.bmp") +
                                         " cannot be packed: it does not exist.\n"
                                         "Save the ParseDef without a logo?");
  f.view.yes = true;
  ASSERT_TRUE(f.session.save_to(dir.file("q/site.nov")));
  EXPECT_EQ(f.session.logo(), "") << "the field is cleared with it";
  ASSERT_TRUE(f.session.open(dir.file("q/empty.xml")));
  EXPECT_EQ(f.session.logo(), "") << "an empty attribute is no logo, not the folder";
}

TEST(EditorSession, SavesKeepRightsAskBeforeAReadOnlyFileAndNameMembersInUtf8) {
  temp_dir dir;
  session_fixture f;
  const std::string logo = dir.write("art/Логотип.bmp", "BM logo");
  f.session.new_document("<parsedef name='Новости'/>", logo);
  const std::string package = dir.file("Новости.nov");
  ASSERT_TRUE(f.session.save_to(package));
  ASSERT_EQ(chmod(package.c_str(), 0644), 0);
  ASSERT_TRUE(f.session.save());
  EXPECT_EQ(fs::status(package).permissions(), fs::perms(0644)) << "its rights kept";
  EXPECT_EQ(python_names(package), "Новости.xml|Логотип.bmp") << "names flagged as UTF-8";
  if (platform::find_program("zipinfo")) {
    const auto listing = platform::program_output({"zipinfo", package});
    ASSERT_TRUE(listing);
    EXPECT_NE(listing->find("Логотип.bmp"), std::string::npos) << *listing;
  }
  if (platform::find_program("unzip")) {
    EXPECT_EQ(platform::run_program({"unzip", "-tqq", package}), 0);
  }
  {
    parsedef_file loaded(tidewatch_folder);
    ASSERT_EQ(loaded.load(package), 0);
    EXPECT_EQ(loaded.get_name(), "Новости");
  }

  ASSERT_EQ(chmod(package.c_str(), 0444), 0);
  const std::string before = read_file(package);
  f.session.text_changed();
  f.view.yes = false;
  EXPECT_FALSE(f.session.save());
  EXPECT_EQ(f.view.questions.back(), package + " is read-only.\nReplace it anyway? It stays read-only.");
  EXPECT_EQ(read_file(package), before);
  f.view.yes = true;
  f.view.text_ = "<parsedef name='changed'/>";
  ASSERT_TRUE(f.session.save());
  EXPECT_EQ(fs::status(package).permissions(), fs::perms(0444));
  EXPECT_NE(read_file(package), before);

  fs::create_directories(dir.file("folder.nov"));
  EXPECT_FALSE(f.session.save_to(dir.file("folder.nov")));
  EXPECT_EQ(f.view.messages.back(), "The ParseDef was not saved to " + dir.file("folder.nov") + ":\n" +
                                        dir.file("folder.nov") + " is a folder");
}

TEST(EditorSession, TwoSessionsKeepTheirOwnPackagesAndAFailedOpenLeavesTheLogo) {
  temp_dir dir;
  testing::write_zip(dir.file("a.nov"), {{"site.xml", "<parsedef name='A' logo='logo.bmp'/>"}, {"logo.bmp", "BMa"}});
  testing::write_zip(dir.file("b.nov"), {{"site.xml", "<parsedef name='B' logo='logo.bmp'/>"}, {"logo.bmp", "BMb"}});
  session_fixture a, b;
  ASSERT_TRUE(a.session.open(dir.file("a.nov")));
  ASSERT_TRUE(b.session.open(dir.file("b.nov")));
  EXPECT_NE(a.session.logo(), b.session.logo());
  dir.write("broken.nov", "not a zip archive");
  testing::write_zip(dir.file("climbing.nov"), {{"x.xml", "<parsedef/>"}, {"../logo.bmp", "BMx"}});
  for (const char* bad : {"broken.nov", "climbing.nov"}) EXPECT_FALSE(a.session.open(dir.file(bad))) << bad;
  ASSERT_TRUE(a.session.save_to(dir.file("a-again.nov")));
  parsedef_file again(tidewatch_folder);
  ASSERT_EQ(again.load(dir.file("a-again.nov")), 0);
  EXPECT_EQ(read_file(*again.get_logo()), "BMa") << "A's own logo, whatever B and the failed opens did";
}

TEST(EditorSession, TheQuestionRunAndEdit) {
  temp_dir dir;
  session_fixture f;
  f.session.new_document("<parsedef/>", "");
  f.view.save_answer_ = save_answer::cancel;
  EXPECT_FALSE(f.session.may_discard());
  f.view.save_answer_ = save_answer::yes;
  f.view.chosen = std::nullopt;
  EXPECT_FALSE(f.session.may_discard()) << "Yes, then the Save As dialog cancelled: stay";
  f.view.save_answer_ = save_answer::no;
  EXPECT_TRUE(f.session.may_discard());

  f.view.chosen = dir.file("run");
  f.session.run();
  if (f.started.empty()) {
    EXPECT_EQ(f.view.messages.back(), "Vantrel is not properly installed, please reinstall.");
  } else {
    EXPECT_EQ(f.started.back().at(1), dir.file("run.nov"));
  }

  // Edit: the desktop's default application for pictures, through its desktop entry.
  const std::string logo = dir.write("logo.bmp", "BM");
  f.session.import_logo(logo);
  EXPECT_FALSE(f.session.dirty()) << "importing changes no text";
  dir.write("bin/xdg-mime", "#!/bin/sh\necho painter.desktop\n");
  fs::permissions(dir.file("bin/xdg-mime"), fs::perms::owner_all);
  dir.write("data/applications/painter.desktop", "[Desktop Entry]\nName=Painter\nExec=\"/opt/my painter\" --edit %U\n");
  testing::scoped_env path("PATH", dir.file("bin"));
  testing::scoped_env data("XDG_DATA_HOME", dir.file("data"));
  f.started.clear();
  f.session.edit_logo();
  ASSERT_EQ(f.started.size(), 1u);
  EXPECT_EQ(f.started[0], (std::vector<std::string>{"/opt/my painter", "--edit", logo}));
  fs::remove(dir.file("bin/xdg-mime"));
  f.session.edit_logo();
  EXPECT_EQ(f.view.messages.back(), "No suitable program was found for logo editing.") << "nothing on the PATH";
}

}  // namespace
}  // namespace vantrel
