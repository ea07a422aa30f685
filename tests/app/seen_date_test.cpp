// A row's first-seen date: the time today, "yesterday", a weekday, a day of the year, a day of
// another year, by the local calendar.
#include "app/seen_date.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "app/row_layout.h"

namespace vantrel {
namespace {

class SeenDate : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) saved_ = tz;
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void TearDown() override {
    if (saved_) {
      setenv("TZ", saved_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  std::optional<std::string> saved_;
};

TEST_F(SeenDate, CoarserTheOlderItIs) {
  const unix_time now = 1796808600;  // Wed 9 Dec 2026 09:30 UTC
  const std::vector<std::pair<unix_time, const char*>> cases = {
      {0, ""},
      {now, "09:30"},
      {now - 9 * 3600 - 30 * 60, "00:00"},       // midnight is still today
      {now - 9 * 3600 - 30 * 60 - 1, "yesterday"},  // a second before it is not
      {now - 2 * 86400, "Mon"},
      {now - 6 * 86400, "Thu"},
      {now - 7 * 86400, "2 Dec"},
      {now - 340 * 86400, "3 Jan"},
      {now - 365 * 86400, "9 Dec 2025"},
      {now + 86400, "10 Dec"},  // a clock set back: its date
  };
  for (const auto& [when, expected] : cases) EXPECT_EQ(seen_date(when, now), expected) << when;
}

TEST(RowLayout, TheDateColumnTakesItsWidthFromTheText) {
  const box row{0, 0, 400, 40};
  const row_places plain = place_row(row, std::nullopt, false);
  const row_places dated = place_row(row, std::nullopt, false, 60);
  EXPECT_EQ(plain.date.width(), 0);
  EXPECT_EQ(dated.date.width(), 60);
  EXPECT_EQ(dated.date.right, plain.text.right);
  EXPECT_LT(dated.text.right, dated.date.left) << "a gap between the text and the date";
  EXPECT_EQ(place_row({0, 0, 40, 40}, std::nullopt, false, 60).text.width(), 0) << "never negative";
}

}  // namespace
}  // namespace vantrel
