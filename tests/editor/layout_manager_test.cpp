// The layout manager over a fake window: the editor's constraints when the window grows wider
// and taller, a cycle, a zero width, a missing control, a proportion.
#include "editor/layout_manager.h"

#include <gtest/gtest.h>

#include <map>

namespace vantrel {
namespace {

class fake_window : public layout_window {
 public:
  bool control_rect(int id, pixel_rect& out) const override {
    auto it = controls.find(id);
    if (it == controls.end()) return false;
    out = it->second;
    return true;
  }
  void move_controls(const std::vector<std::pair<int, pixel_rect>>& moves) override {
    ++batches;
    for (const auto& [id, rect] : moves) controls[id] = rect;
  }
  std::map<int, pixel_rect> controls;
  int batches = 0;
};

using L = CLayoutManager;

// A cut-down editor: a group with an edit and two buttons hanging from its right, and a text
// area below that takes the rest.
void editor_constraints(L& m) {
  m.set_constraint(1013, L::left, L::same_side, 11);
  m.set_constraint(1013, L::right, L::same_side, -18);
  m.set_constraint(1003, L::left, L::same_side, 9, 1013);
  m.set_constraint(1003, L::right, L::same_side, -9, 1013);
  m.set_constraint(1008, L::right, L::same_side, -9, 1013);
  m.set_constraint(1005, L::right, L::opposite_side, -6, 1008);
  m.set_constraint(1000, L::left, L::same_side, 11);
  m.set_constraint(1000, L::right, L::same_side, -18);
  m.set_constraint(1000, L::bottom, L::same_side, -37);
  m.set_constraint(1000, L::top, L::opposite_side, 12, 1013);
}

TEST(LayoutManager, WiderAndTallerWindows) {
  fake_window w;
  w.controls = {{1013, {11, 5, 482, 60}},
                {1003, {20, 20, 473, 40}},
                {1008, {400, 40, 473, 55}},
                {1005, {320, 40, 394, 55}},
                {1000, {11, 72, 482, 463}}};
  L m;
  m.attach(&w);
  editor_constraints(m);
  ASSERT_TRUE(m.layout(500, 500));
  const auto before = w.controls;
  ASSERT_TRUE(m.layout(600, 500));
  for (int id : {1013, 1003, 1000}) {
    EXPECT_EQ(w.controls[id].right - before.at(id).right, 100) << id;
    EXPECT_EQ(w.controls[id].left, before.at(id).left) << id;
  }
  for (int id : {1008, 1005}) {
    EXPECT_EQ(w.controls[id].left - before.at(id).left, 100) << id;
    EXPECT_EQ(w.controls[id].right - w.controls[id].left, before.at(id).right - before.at(id).left) << id;
  }
  ASSERT_TRUE(m.layout(600, 700));
  EXPECT_EQ(w.controls[1000].bottom - before.at(1000).bottom, 200);
  EXPECT_EQ(w.controls[1000].top, before.at(1000).top);
  EXPECT_EQ(w.controls[1008].top, before.at(1008).top) << "nothing else moves vertically";

  const int batches = w.batches;
  EXPECT_FALSE(m.layout(0, 700)) << "a minimised window";
  EXPECT_EQ(w.batches, batches);
}

TEST(LayoutManager, CyclesAndMissingControlsMoveNothing) {
  fake_window w;
  w.controls = {{1, {0, 0, 10, 10}}, {2, {20, 0, 30, 10}}};
  L m;
  m.attach(&w);
  m.set_constraint(1, L::right, L::opposite_side, 0, 2);
  m.set_constraint(2, L::left, L::opposite_side, 0, 1);
  EXPECT_FALSE(m.layout(100, 100));
  EXPECT_EQ(w.batches, 0);

  L missing;
  missing.attach(&w);
  missing.set_constraint(3, L::left, L::same_side, 5);
  EXPECT_FALSE(missing.layout(100, 100)) << "control 3 has no window";

  L half;
  half.attach(&w);
  half.set_constraint(1, L::left | L::right, L::proportion, 50);
  ASSERT_TRUE(half.layout(200, 100));
  EXPECT_EQ(w.controls[1].left, 100);
  EXPECT_EQ(w.controls[1].right, 100);
}

}  // namespace
}  // namespace vantrel
