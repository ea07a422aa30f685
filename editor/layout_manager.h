#pragma once
// Keeps a resizable window's controls in place by edge constraints: each edge of a control may
// be tied to an edge of another control or of the window, at a fixed distance or at a
// proportion of the way between the reference's two edges. Every layout resolves all edges
// (a cycle or a missing control leaves everything where it is) and moves the controls in one
// batch. Edges left free keep the control's size, or its place when both edges are free.
#include <array>
#include <vector>

namespace vantrel {

struct pixel_rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const pixel_rect&) const = default;
};

// The window the manager lays out, in its client coordinates.
class layout_window {
 public:
  virtual ~layout_window() = default;
  // The current rectangle of control id; false when there is no such control.
  virtual bool control_rect(int id, pixel_rect& out) const = 0;
  // Moves the controls, all at once.
  virtual void move_controls(const std::vector<std::pair<int, pixel_rect>>& moves) = 0;
};

class CLayoutManager {
 public:
  enum edge_mask { top = 1, bottom = 2, left = 4, right = 8 };
  enum kind { same_side = 1, opposite_side = 2, proportion = 3 };
  static constexpr int window = 0;

  void attach(layout_window* target);
  // Ties the edges in mask of control to reference (a control id, or window).
  void set_constraint(int control, int mask, kind how, int value, int reference = window);
  // Lays out for a window (client area) of width by height; false when nothing was moved.
  bool layout(int width, int height);

 private:
  static constexpr int none = 32767;
  static constexpr int computing = 32766;
  struct edge {
    int reference = 0;
    int near_offset = none, far_offset = none;
    int cached = none;
  };
  struct record {
    int id;
    std::array<edge, 4> edges;  // top, bottom, left, right
  };
  record& record_of(int id);
  record* find(int id);
  bool compute(record& r, int e, int& out);

  layout_window* window_ = nullptr;
  std::vector<record> records_;
  int width_ = 0, height_ = 0;
};

}  // namespace vantrel
