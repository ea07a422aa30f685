#include "editor/layout_manager.h"

#include <cstddef>

namespace vantrel {

namespace {

constexpr int opposite(int e) { return e ^ 1; }  // top <-> bottom, left <-> right
constexpr bool vertical(int e) { return e < 2; }
constexpr bool near_side(int e) { return e % 2 == 0; }  // top and left

int side_of(const pixel_rect& r, int e) {
  switch (e) {
    case 0:
      return r.top;
    case 1:
      return r.bottom;
    case 2:
      return r.left;
    default:
      return r.right;
  }
}

}  // namespace

void CLayoutManager::attach(layout_window* target) {
  records_.clear();
  window_ = target;
}

CLayoutManager::record* CLayoutManager::find(int id) {
  for (auto& r : records_) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

CLayoutManager::record& CLayoutManager::record_of(int id) {
  if (record* r = find(id)) return *r;
  records_.push_back({id, {}});
  return records_.back();
}

void CLayoutManager::set_constraint(int control, int mask, kind how, int value, int reference) {
  if (reference != window) record_of(reference);
  record& r = record_of(control);
  for (int e = 0; e < 4; ++e) {
    if ((mask & (1 << e)) == 0) continue;
    edge& c = r.edges[static_cast<std::size_t>(e)];
    c.reference = reference;
    if (how == proportion) {
      c.near_offset = value;
      c.far_offset = 100;
    } else if ((how == same_side) == near_side(e)) {
      c.near_offset = value;
      c.far_offset = none;
    } else {
      c.far_offset = value;
      c.near_offset = none;
    }
  }
}

bool CLayoutManager::compute(record& r, int e, int& out) {
  edge& c = r.edges[static_cast<std::size_t>(e)];
  if (c.cached == computing) return false;  // a cycle
  if (c.cached != none) {
    out = c.cached;
    return true;
  }
  if (c.near_offset == none && c.far_offset == none) {
    pixel_rect now;
    if (!window_->control_rect(r.id, now)) return false;
    const edge& other = r.edges[static_cast<std::size_t>(opposite(e))];
    if (other.near_offset == none && other.far_offset == none) {
      c.cached = side_of(now, e);
    } else {
      // Keeps the control's size on this axis.
      c.cached = computing;
      int opposite_edge = 0;
      if (!compute(r, opposite(e), opposite_edge)) return false;
      c.cached = opposite_edge + side_of(now, e) - side_of(now, opposite(e));
    }
    out = c.cached;
    return true;
  }
  c.cached = computing;
  int near_edge = 0, far_edge = vertical(e) ? height_ : width_;
  if (c.reference != window) {
    record* ref = find(c.reference);
    if (ref == nullptr) return false;
    const int near_index = vertical(e) ? 0 : 2;
    if (c.near_offset != none && !compute(*ref, near_index, near_edge)) return false;
    if (c.far_offset != none && !compute(*ref, near_index + 1, far_edge)) return false;
  }
  if (c.far_offset == none) {
    c.cached = near_edge + c.near_offset;
  } else if (c.near_offset == none) {
    c.cached = far_edge + c.far_offset;
  } else {
    c.cached = near_edge + c.near_offset * (far_edge - near_edge) / c.far_offset;
  }
  out = c.cached;
  return true;
}

bool CLayoutManager::layout(int width, int height) {
  if (window_ == nullptr || records_.empty() || width <= 0 || height <= 0 || width > 32767 || height > 32767) {
    return false;
  }
  width_ = width;
  height_ = height;
  for (auto& r : records_) {
    for (int axis = 0; axis < 4; axis += 2) {
      auto& a = r.edges[static_cast<std::size_t>(axis)];
      auto& b = r.edges[static_cast<std::size_t>(axis + 1)];
      const bool constrained =
          a.near_offset != none || a.far_offset != none || b.near_offset != none || b.far_offset != none;
      if (constrained) a.cached = b.cached = none;
    }
  }
  std::vector<std::pair<int, pixel_rect>> moves;
  for (auto& r : records_) {
    pixel_rect to;
    if (!compute(r, 0, to.top) || !compute(r, 1, to.bottom) || !compute(r, 2, to.left) || !compute(r, 3, to.right)) {
      // Nothing moves, and nothing half-computed is kept for the next layout.
      for (auto& rr : records_) {
        for (auto& c : rr.edges) {
          if (c.cached == computing) c.cached = none;
        }
      }
      return false;
    }
    moves.emplace_back(r.id, to);
  }
  window_->move_controls(moves);
  return true;
}

}  // namespace vantrel
