// The settings file, Tidewatch's preferences over it, font descriptions and the desktop's
// file type registration.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/file_type.h"
#include "common/font_desc.h"
#include "common/ini_file.h"
#include "common/prefs.h"
#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

TEST(IniFile, ReadsSetsAndKeepsWhatItDoesNotKnow) {
  ini_file f =
      ini_file::parse("; a comment\r\n[Preferences]\r\nWrap = 0\r\nnot a setting\r\n\r\n[fonts]\r\n:link=x\r\n");
  EXPECT_EQ(f.get("preferences", "wrap"), "0") << "names match in any letter case";
  EXPECT_FALSE(f.get("preferences", "trace"));
  EXPECT_FALSE(f.get("other", "wrap"));
  f.set("preferences", "trace", "1\nevil=1");
  f.set("new", "key", "v");
  EXPECT_EQ(f.get("preferences", "trace"), "1 evil=1") << "a value cannot start a line";
  EXPECT_EQ(f.text(),
            "; a comment\n[Preferences]\nWrap = 0\nnot a setting\ntrace=1 evil=1\n\n[fonts]\n:link=x\n[new]\nkey=v\n");
}

TEST(IniFile, SavesAtomicallyAndCreatesFolders) {
  testing::temp_dir dir;
  const std::string path = dir.file("deep/er/settings.ini");
  ini_file f;
  f.set("preferences", "wrap", "1");
  ASSERT_TRUE(f.save(path).ok());
  EXPECT_EQ(testing::read_file(path), "[preferences]\nwrap=1\n");
  EXPECT_EQ(testing::list_files(dir.file("deep/er")), "settings.ini\n") << "no temporary file left";
  dir.write("blocked", "a file where a folder should be");
  EXPECT_FALSE(f.save(dir.file("blocked/settings.ini")).ok());
}

TEST(IniFile, ASaveKeepsTheFilesRightsAndLinksAndNeverReplacesWhatItCouldNotRead) {
  testing::temp_dir dir;
  ini_file f;
  f.set("preferences", "wrap", "0");
  const mode_t old_mask = umask(022);
  ASSERT_TRUE(f.save(dir.file("new.ini")).ok());
  umask(old_mask);
  EXPECT_EQ(std::filesystem::status(dir.file("new.ini")).permissions(), std::filesystem::perms(0644));

  const std::string shared = dir.write("shared.ini", "[preferences]\ntrace=1\n");
  ASSERT_EQ(chmod(shared.c_str(), 0640), 0);
  ASSERT_TRUE(f.save(shared).ok());
  EXPECT_EQ(std::filesystem::status(shared).permissions(), std::filesystem::perms(0640)) << "its mode kept";

  // A settings file kept as a link into another folder stays a link; the target is written.
  const std::string target = dir.write("dotfiles/tidewatch.ini", "[preferences]\ntrace=1\n");
  std::filesystem::create_symlink("dotfiles/tidewatch.ini", dir.file("linked.ini"));
  ini_file linked = ini_file::load(dir.file("linked.ini"));
  linked.set("preferences", "wrap", "1");
  ASSERT_TRUE(linked.save(dir.file("linked.ini")).ok());
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("linked.ini")));
  EXPECT_EQ(testing::read_file(target), "[preferences]\ntrace=1\nwrap=1\n");

  // Files that are there but cannot be read: a link to itself, a folder.
  std::filesystem::create_symlink("circle.ini", dir.file("circle.ini"));
  std::filesystem::create_directory(dir.file("folder.ini"));
  for (const char* name : {"circle.ini", "folder.ini"}) {
    ini_file unreadable = ini_file::load(dir.file(name));
    EXPECT_FALSE(unreadable.readable()) << name;
    unreadable.set("preferences", "wrap", "1");
    EXPECT_EQ(unreadable.save(dir.file(name)).code(), status_code::damaged) << name;
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("circle.ini")));
  EXPECT_TRUE(ini_file::load(dir.file("missing.ini")).readable());
}

TEST(Prefs, FreshStoreDefaultsAndTheRootIsWrittenByItsFirstRead) {
  testing::temp_dir dir;
  const prefs p(dir.file("tidewatch.ini"));
  EXPECT_EQ(p.get_wrap(), 1);
  EXPECT_EQ(p.get_logo_align(), 0);
  EXPECT_EQ(p.get_trace(), 0);
  EXPECT_EQ(p.get_font(0, font_heading), "8,0,0,0,700,0,0,0,0,0,0,0,0,MS Sans Serif");
  EXPECT_EQ(p.get_font(2, font_link), "8,0,0,0,400,0,0,0,0,0,0,0,0,MS Sans Serif");
  EXPECT_FALSE(ini_file::load(p.path()).get("preferences", "parsedef_root"));
  EXPECT_EQ(p.get_parsedef_root(), default_parsedef_root());
  EXPECT_EQ(ini_file::load(p.path()).get("preferences", "parsedef_root"), default_parsedef_root());
  frame_rect r;
  EXPECT_EQ(p.get_frame_pos(r), -1);
}

TEST(Prefs, GarbageValuesReadAsDefaults) {
  testing::temp_dir dir;
  const prefs p(dir.write("tidewatch.ini",
                          "[preferences]\nwrap=yes\nlogoalign=7\ntrace=-3\nframepos=10,20,30\n[fonts]\n:heading=\n"));
  EXPECT_EQ(p.get_wrap(), 1);
  EXPECT_EQ(p.get_logo_align(), 0);
  EXPECT_EQ(p.get_trace(), 1);
  EXPECT_EQ(p.get_font(0, font_heading), default_font(font_heading));
  frame_rect r{1, 2, 3, 4};
  EXPECT_EQ(p.get_frame_pos(r), -1);
  for (const char* bad : {"1,2,3,4,5", "1,,2,3", "a,b,c,d", "1,2,3,4x"}) {
    p.set_text("preferences", "framepos", bad);
    EXPECT_EQ(p.get_frame_pos(r), -1) << bad;
  }
  EXPECT_EQ(r.left, 1) << "untouched";
  ASSERT_EQ(p.set_frame_pos({-8, 20, 1000, 700}), 0);
  ASSERT_EQ(p.get_frame_pos(r), 0);
  EXPECT_EQ(r.left, -8);
  EXPECT_EQ(r.bottom, 700);

  // A User-Agent that is empty or would break a header line reads as the default.
  EXPECT_EQ(p.get_user_agent(), default_user_agent);
  for (const std::pair<const char*, const char*>& agent : {std::pair{"Reader/3", "Reader/3"}, {"  ", default_user_agent},
                                                          {"A\tB", default_user_agent}}) {
    ASSERT_EQ(p.set_user_agent(agent.first), 0);
    EXPECT_EQ(p.get_user_agent(), agent.second) << agent.first;
  }
  // Sites at once, and to one host: within their bounds whatever the file says.
  EXPECT_EQ(p.get_queue_jobs(), 16);
  EXPECT_EQ(p.get_host_jobs(), 2);
  p.set_text("preferences", "queuejobs", "500");
  p.set_text("preferences", "hostjobs", "0");
  EXPECT_EQ(p.get_queue_jobs(), 64);
  EXPECT_EQ(p.get_host_jobs(), 1);
}

TEST(Prefs, FontKeysPerEncodingAndTheTable) {
  testing::temp_dir dir;
  const prefs p(dir.file("tidewatch.ini"));
  ASSERT_EQ(p.set_font(2, font_link, "12,0,0,0,400,0,0,0,0,0,0,0,0,Serif"), 0);
  EXPECT_EQ(ini_file::load(p.path()).get("fonts", "windows-1251:link"), "12,0,0,0,400,0,0,0,0,0,0,0,0,Serif");
  EXPECT_EQ(p.get_font(0, font_link), default_font(font_link));
  EXPECT_EQ(p.get_font(1, font_link), default_font(font_link));
  EXPECT_EQ(p.set_font(3, 0, "x"), -1);
  EXPECT_EQ(encoding_index("WINDOWS-1257"), 1);
  EXPECT_EQ(encoding_index("koi8-r"), 0);
  EXPECT_EQ(encoding_table[2].font_charset, 204);
}

TEST(FontDesc, ParsesToleratesAndDisplays) {
  const font_desc bold_italic = parse_font_desc("10,0,0,0,700,1,0,0,0,0,0,0,0,Arial");
  EXPECT_EQ(font_desc_display(bold_italic), "Arial 10 pt Bold Italic");
  EXPECT_EQ(format_font_desc(bold_italic), "10,0,0,0,700,1,0,0,0,0,0,0,0,Arial");
  // A run of commas is one separator; missing or broken fields keep their defaults.
  EXPECT_EQ(parse_font_desc("9,,,0,0,0,700,0,0,0,0,0,0,0,Face").weight, 700);
  EXPECT_EQ(parse_font_desc("9,0,0,0,bold,0,0,0,0,0,0,0,0,Face").weight, 400);
  const font_desc short_one = parse_font_desc("12,0,0");
  EXPECT_EQ(short_one.size, 12);
  EXPECT_EQ(short_one.face, "MS Sans Serif");
  EXPECT_EQ(parse_font_desc("-5,0,0,0,400,0,0,0,0,0,0,0,0,X").size, 8);
  EXPECT_EQ(parse_font_desc("").size, 8);
  font_desc long_face;
  long_face.face = std::string(50, 'f') + ",x";
  EXPECT_EQ(parse_font_desc(format_font_desc(long_face)).face, std::string(31, 'f'));
}

TEST(FileType, WritesDesktopFilesOnceAndKeepsTheUsersDefault) {
  testing::temp_dir dir;
  testing::scoped_env data("XDG_DATA_HOME", dir.file("data"));
  testing::scoped_env config("XDG_CONFIG_HOME", dir.file("config"));
  testing::scoped_env path("PATH", dir.path());  // no update-mime-database to run
  const file_type_program tidewatch{
      "/opt/my apps/tide\"watch", "tidewatch.desktop", "Tidewatch", "c", "tidewatch", "<svg/>"};
  int changed = 0;
  EXPECT_EQ(register_file_type(tidewatch, "Vantrel ParseDef File", file_type_icon | file_type_open, &changed), 1);
  EXPECT_EQ(changed, 4);
  const std::string entry = testing::read_file(dir.file("data/applications/tidewatch.desktop"));
  EXPECT_NE(entry.find("Exec=\"/opt/my apps/tide\\\\\"watch\" %f\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("MimeType=application/x-vantrel-parsedef;"), std::string::npos);
  EXPECT_NE(testing::read_file(dir.file("data/mime/packages/vantrel-parsedef.xml")).find("<glob pattern=\"*.nov\"/>"),
            std::string::npos);
  register_file_type(tidewatch, "Vantrel ParseDef File", file_type_icon | file_type_open, &changed);
  EXPECT_EQ(changed, 0) << "nothing rewritten when nothing changed";

  dir.write("config/mimeapps.list", "[Default Applications]\napplication/x-vantrel-parsedef=other.desktop\n");
  register_file_type(tidewatch, "Vantrel ParseDef File", file_type_open, &changed);
  EXPECT_EQ(ini_file::load(dir.file("config/mimeapps.list")).get("Default Applications", parsedef_mime_type),
            "other.desktop");
  EXPECT_NE(desktop_entry(tidewatch, file_type_edit).find("[Desktop Action Edit]"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
