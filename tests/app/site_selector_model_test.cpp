// The Site Selector's commands and button states over a small library.
#include "app/site_selector_model.h"

#include <gtest/gtest.h>

#include "tests/helpers/temp_dir.h"

namespace vantrel {
namespace {

class SiteSelector : public ::testing::Test {
 protected:
  SiteSelector() {
    for (const char* f : {"News/a.xml", "News/b.xml", "Tech/c.xml"}) {
      std::string name(f);
      name = name.substr(name.find('/') + 1, 1);
      dir_.write(std::string("lib/") + f, "<parsedef name='" + name + "' url='http://x/'/>");
    }
  }
  testing::temp_dir dir_;
  site_queue queue_;
};

TEST_F(SiteSelector, AddAddAllRemoveAndMove) {
  site_selector_model m(dir_.file("lib"), queue_);
  ASSERT_EQ(m.sites().size(), 3u);
  EXPECT_FALSE(m.buttons().open);
  m.select_site(*m.site_index(dir_.file("lib/News/b.xml")));
  EXPECT_TRUE(m.buttons().add);
  EXPECT_TRUE(m.add());
  EXPECT_FALSE(m.add()) << "a site is in the queue once";
  EXPECT_FALSE(m.buttons().add);
  EXPECT_EQ(queue_[0].fname, "News/b.xml");
  EXPECT_EQ(queue_[0].name, "b");

  EXPECT_TRUE(m.add_all());
  ASSERT_EQ(queue_.count(), 3u) << "only the missing ones, after the existing entry";
  EXPECT_EQ(queue_[0].fname, "News/b.xml");
  EXPECT_EQ(queue_[1].fname, "News/a.xml");

  m.select_site(std::nullopt);
  m.select_entry(0);
  auto b = m.buttons();
  EXPECT_FALSE(b.move_up);
  EXPECT_TRUE(b.move_down);
  EXPECT_FALSE(m.move(-1));
  EXPECT_TRUE(m.move(+1));
  EXPECT_EQ(m.selected_entry(), 1u) << "the moved entry stays selected";
  EXPECT_EQ(queue_[1].fname, "News/b.xml");
  EXPECT_EQ(m.open_path(), dir_.file("lib/News/b.xml"));

  m.select_entry(2);
  EXPECT_FALSE(m.buttons().move_down);
  EXPECT_TRUE(m.remove());
  EXPECT_EQ(m.selected_entry(), 1u) << "removing the last selects the new last";
  m.set_enabled(0, false);
  EXPECT_EQ(queue_[0].enabled, 0);
  EXPECT_TRUE(m.remove_all());
  EXPECT_FALSE(m.buttons().remove_all);
  EXPECT_FALSE(m.buttons().open);
}

TEST_F(SiteSelector, EmptyLibraryAndCaseInsensitiveQueue) {
  testing::temp_dir empty;
  site_selector_model none(empty.path(), queue_);
  EXPECT_FALSE(none.buttons().add_all);

  auto entry = std::make_unique<queue_site>();
  entry->fname = "NEWS/A.XML";
  queue_.add(std::move(entry));
  site_selector_model m(dir_.file("lib"), queue_);
  m.select_site(*m.site_index(dir_.file("lib/News/a.xml")));
  EXPECT_FALSE(m.buttons().add) << "found by its relative path ignoring letter case";
  EXPECT_EQ(m.open_path(), dir_.file("lib/News/a.xml")) << "a site selected in the tree comes first";
  m.select_site(std::nullopt);
  m.select_entry(0);
  EXPECT_EQ(m.open_path(), dir_.file("lib/News/a.xml")) << "the entry's file, found ignoring case";
}

TEST_F(SiteSelector, ANameTheQueueFileCannotHoldIsLeftOutWithAReason) {
  dir_.write("lib/News/caf\xE9.xml", "<parsedef name='Cafe' url='http://x/'/>");
  site_selector_model m(dir_.file("lib"), queue_);
  ASSERT_EQ(m.sites().size(), 4u);
  EXPECT_TRUE(m.add_all());
  EXPECT_EQ(queue_.count(), 3u);
  EXPECT_EQ(m.refusal_text(),
            "Unable to add file News/caf\\xE9.xml to queue.\nIts name is not UTF-8 text; rename the file to queue it.");
  EXPECT_FALSE(m.add_all());
  m.select_site(*m.site_index(dir_.file("lib/News/a.xml")));
  EXPECT_FALSE(m.add());
  EXPECT_EQ(m.refusal_text(), "") << "a refusal is said once";
  testing::temp_dir saved;
  EXPECT_GT(queue_.save(saved.file("queue.xml")), 0);
}

}  // namespace
}  // namespace vantrel
