// Installing packages into the library: the version question, the ".xml" twin, categories,
// hostile categories, and the queue entry of a reinstalled package.
#include "app/installer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/helpers/temp_dir.h"
#include "tests/helpers/zip_builder.h"

namespace vantrel {
namespace {

class answering_ui : public install_ui {
 public:
  void message(const std::string& text) override { messages.push_back(text); }
  bool confirm_overwrite(const std::string& text) override {
    questions.push_back(text);
    return answer;
  }
  bool answer = false;
  std::vector<std::string> messages, questions;
};

class Installer : public ::testing::Test {
 protected:
  std::string package(const std::string& file, int version, const std::string& category = "News") {
    const std::string path = dir_.file("downloads/" + file);
    std::filesystem::create_directories(dir_.file("downloads"));
    testing::write_zip(path, {{"site.xml", "<parsedef name='Gazette' url='http://x/' logo='logo.bmp' category='" +
                                               category + "' version='" + std::to_string(version) + "'/>"},
                              {"logo.bmp", "BM"}});
    return path;
  }
  std::string root() const { return dir_.file("lib"); }

  testing::temp_dir dir_;
  site_queue queue_;
  int saves_ = 0;
  answering_ui ui_;
  installer installer_{root(), queue_, [this] { return ++saves_ > 0; }, ui_};
};

TEST_F(Installer, AsksBeforeReplacingANewerOrEqualVersion) {
  EXPECT_EQ(installer_.installed(), "");
  ASSERT_EQ(installer_.install_parsedef(package("gazette.nov", 5), false), 0);
  const std::string installed = dir_.file("lib/News/gazette.nov");
  EXPECT_EQ(installer_.installed(), installed) << "what \"Open\" then runs: the site is its library file";
  const std::string five = testing::read_file(installed);
  EXPECT_TRUE(ui_.questions.empty());

  EXPECT_EQ(installer_.install_parsedef(package("gazette.nov", 3), false), -1) << "refused";
  ASSERT_EQ(ui_.questions.size(), 1u);
  EXPECT_NE(ui_.questions[0].find("Existing  file:\n" + installed + " (version 5)"), std::string::npos);
  EXPECT_EQ(testing::read_file(installed), five) << "untouched";

  ui_.answer = true;
  EXPECT_EQ(installer_.install_parsedef(package("gazette.nov", 5), false), 0);
  EXPECT_EQ(ui_.questions.size(), 2u) << "the same version asks too";
  ui_.answer = false;
  EXPECT_EQ(installer_.install_parsedef(package("gazette.nov", 6), false), 0);
  EXPECT_EQ(ui_.questions.size(), 2u) << "a newer one replaces without asking";
  EXPECT_NE(testing::read_file(installed), five);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(Installer, TheOfferShowsThePackagesNameCategoryAndVersion) {
  const std::string downloaded = package("gazette.nov", 7, "Local");
  EXPECT_TRUE(installer_.offers_install(downloaded));
  const auto offer = installer_.offer_for(downloaded);
  ASSERT_TRUE(offer) << offer.message();
  EXPECT_EQ(offer->name, "Gazette");
  EXPECT_EQ(offer->category, "Local");
  EXPECT_EQ(offer->version, 7);
  EXPECT_TRUE(ui_.messages.empty());

  const std::string broken = dir_.write("downloads/broken.nov", "not a zip");
  EXPECT_FALSE(installer_.offer_for(broken));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0], text_unable_to_open(broken));
}

TEST_F(Installer, ReplacesTheXmlTwinAndItsLogo) {
  dir_.write("lib/News/gazette.xml", "<parsedef name='Old' url='http://x/' logo='old.bmp' version='1'/>");
  dir_.write("lib/News/old.bmp", "BM");
  dir_.write("lib/News/other.bmp", "BM");
  ASSERT_EQ(installer_.install_parsedef(package("gazette.nov", 2), false), 0);
  EXPECT_EQ(testing::list_files(dir_.file("lib/News")), "gazette.nov\nother.bmp\n");
}

TEST_F(Installer, AReplacedTwinTakesOnlyItsOwnPictureWithIt) {
  // Each twin's logo attribute names something it must not take away.
  for (const char* logo : {"queue.xml", "shared.bmp", "sub/../../outside.bmp", "other.nov"}) {
    SCOPED_TRACE(logo);
    dir_.write("lib/News/gazette.xml", std::string("<parsedef name='Old' url='http://x/' logo='") + logo + "'/>");
    dir_.write("lib/News/queue.xml", "<VANTREL_SITE_QUEUE/>");
    dir_.write("lib/News/other.xml", "<parsedef name='Other' url='http://x/' logo='shared.bmp'/>");
    dir_.write("lib/News/shared.bmp", "BM");
    dir_.write("lib/News/other.nov", "PK");
    dir_.write("lib/outside.bmp", "BM");
    ASSERT_EQ(installer_.install_parsedef(package("gazette.nov", 2), false), 0);
    EXPECT_EQ(testing::list_files(dir_.file("lib")),
              "News/gazette.nov\nNews/other.nov\nNews/other.xml\nNews/queue.xml\nNews/shared.bmp\noutside.bmp\n");
    std::filesystem::remove_all(dir_.file("lib"));
  }
}

TEST_F(Installer, AnotherLetterCaseIsTheSameSite) {
  ASSERT_EQ(installer_.install_parsedef(package("gazette.nov", 5), true), 0);
  EXPECT_EQ(installer_.install_parsedef(package("Gazette.nov", 3), true), -1) << "the version question, answered No";
  EXPECT_EQ(ui_.questions.size(), 1u);
  EXPECT_EQ(testing::list_files(dir_.file("lib/News")), "gazette.nov\n");
  ui_.answer = true;
  ASSERT_EQ(installer_.install_parsedef(package("Gazette.nov", 3), true), 0);
  EXPECT_EQ(testing::list_files(dir_.file("lib/News")), "Gazette.nov\n") << "replaced, not put beside it";
  ASSERT_EQ(queue_.count(), 1u);
  EXPECT_EQ(queue_[0].fname, "News/Gazette.nov");
}

TEST_F(Installer, CategoriesMakeFoldersAndMayNotLeaveTheLibrary) {
  ASSERT_EQ(installer_.install_parsedef(package("w.nov", 1, "World\\Europe"), false), 0);
  EXPECT_TRUE(testing::file_exists(dir_.file("lib/World/Europe/w.nov")));
  ASSERT_EQ(installer_.install_parsedef(package("r.nov", 1, ""), false), 0);
  EXPECT_TRUE(testing::file_exists(dir_.file("lib/r.nov")));
  for (const char* hostile : {"../outside", "/etc", "News/./x", "a/../../b"}) {
    EXPECT_EQ(installer_.install_parsedef(package("h.nov", 1, hostile), false), -1) << hostile;
  }
  EXPECT_EQ(ui_.messages.size(), 4u);
  EXPECT_EQ(ui_.messages[0].rfind("Unable to create directory ", 0), 0u);
  EXPECT_FALSE(testing::file_exists(dir_.file("outside/h.nov")));
  EXPECT_FALSE(testing::file_exists(dir_.file("lib/News/x/h.nov")));
}

TEST_F(Installer, ReinstallingKeepsOneQueueEntryAtTheEnd) {
  auto other = std::make_unique<queue_site>();
  other->fname = "Other/o.nov";
  queue_.add(std::move(other));
  ASSERT_EQ(installer_.install_parsedef(package("gazette.nov", 1), true), 0);
  ui_.answer = true;
  ASSERT_EQ(installer_.install_parsedef(package("gazette.nov", 1), true), 0);
  ASSERT_EQ(queue_.count(), 2u);
  EXPECT_EQ(queue_[1].fname, "News/gazette.nov");
  EXPECT_EQ(queue_[1].name, "Gazette");
  EXPECT_GE(saves_, 2);

  EXPECT_TRUE(installer_.offers_install(dir_.file("downloads/gazette.nov")));
  EXPECT_FALSE(installer_.offers_install(dir_.file("lib/News/gazette.nov")));
  EXPECT_FALSE(installer_.offers_install(dir_.file("downloads/site.xml")));
  EXPECT_EQ(installer_.install_parsedef(dir_.file("downloads/missing.nov"), true), -1);
  EXPECT_EQ(ui_.messages.back(), "Unable to open file " + dir_.file("downloads/missing.nov") + ".");
}

}  // namespace
}  // namespace vantrel
