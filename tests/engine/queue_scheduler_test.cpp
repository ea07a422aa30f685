// The queue run's scheduler: slots, the limit per host, blocks out in queue order however the
// sites end, and Stop; and the host an address is counted by.
#include "engine/queue_scheduler.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using list = std::vector<size_t>;

TEST(QueueScheduler, SlotsHostsAndQueueOrder) {
  // Sites 0, 1, 2 and 4 share a host; 3 has its own; 5 has none (it counts against no host).
  queue_scheduler plan({"a", "a", "a", "b", "a", ""}, {3, 2});
  EXPECT_EQ(plan.start_now(), (list{0, 1, 3})) << "two to a, then the next slot to b";
  EXPECT_EQ(plan.start_now(), list{}) << "every slot taken";
  EXPECT_EQ(plan.in_flight(), 3u);

  plan.finished(3);
  EXPECT_EQ(plan.take_ready(), list{}) << "3 waits for the sites before it";
  EXPECT_EQ(plan.start_now(), list{5}) << "a is full: the free slot goes to the next site that may";
  plan.finished(1);
  EXPECT_EQ(plan.take_ready(), list{});
  EXPECT_EQ(plan.start_now(), list{2}) << "a has room again, and 2 comes before 4";
  plan.finished(0);
  EXPECT_EQ(plan.take_ready(), (list{0, 1})) << "2 still runs";
  plan.finished(5);
  plan.finished(2);
  EXPECT_EQ(plan.take_ready(), (list{2, 3}));
  EXPECT_EQ(plan.start_now(), list{4});
  EXPECT_FALSE(plan.all_done());
  plan.finished(4);
  plan.finished(4);  // told twice: counted once
  EXPECT_EQ(plan.take_ready(), (list{4, 5}));
  EXPECT_TRUE(plan.all_done());
  EXPECT_EQ(plan.ended(), 6u);
  EXPECT_EQ(plan.take_ready(), list{}) << "each once";
}

TEST(QueueScheduler, OneAtATimeAndStop) {
  queue_scheduler one({"", "", ""}, {1, 2});
  for (size_t site = 0; site < 3; ++site) {
    EXPECT_EQ(one.start_now(), list{site});
    EXPECT_EQ(one.start_now(), list{});
    one.finished(site);
    EXPECT_EQ(one.take_ready(), list{site});
  }
  EXPECT_TRUE(one.all_done());

  queue_scheduler stopped({"", "", "", ""}, {2, 2});
  EXPECT_EQ(stopped.start_now(), (list{0, 1}));
  stopped.stop();
  stopped.finished(1);
  EXPECT_EQ(stopped.start_now(), list{}) << "no site starts after a Stop";
  EXPECT_FALSE(stopped.all_done()) << "0 is still in flight";
  stopped.finished(0);
  EXPECT_TRUE(stopped.all_done());

  EXPECT_TRUE(queue_scheduler({}, {}).all_done()) << "an empty run is done at once";
  queue_scheduler zero({"", ""}, {0, 0});
  EXPECT_EQ(zero.start_now(), list{0}) << "no limit below one";
}

TEST(QueueScheduler, TheHostOfAnAddress) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"http://News.Example.org/a/b", "news.example.org"},
      {"https://user:pw@example.org:8443/x", "example.org"},
      {"http://[::1]:8080/feed", "[::1]"},
      {"http://example.org?q=1", "example.org"},
      {"http://example.org#top", "example.org"},
      {"example.org/no-scheme", ""},
      {"", ""},
  };
  for (const auto& [url, host] : cases) EXPECT_EQ(url_host(url), host) << url;
}

}  // namespace
}  // namespace vantrel
