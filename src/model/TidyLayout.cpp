// The layered layout. The AR nodes' parent links and the server links form a
// graph whose layers become bands of the diagram: an AR node's layer is the
// longest chain of parents above it (a link that closes a cycle is left
// out), and its servers lie one layer below it, beside the AR nodes it
// heads. Each layer is first ordered as the tree is walked, which leaves a
// tree without a crossing, then by the mean place of its neighbours while
// that lowers the crossings between layers. A layer wider than the canvas
// folds into a band of rows filled column by column, so that the order still
// runs left to right and every box stays under the boxes it reports to; the
// columns then move as near the middle of their neighbours as the spacing
// allows (least squares under the order, solved by pooling adjacent
// violators). Everything is linear or n log n: thousands of boxes take
// milliseconds.
#include "model/TidyLayout.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>
#include <utility>
#include <vector>

namespace topo {

namespace {

constexpr int64_t kLeft = 8;  // as the grid: clear of the window's edge and toolbar row
constexpr int64_t kTop = 40;
constexpr int64_t kColumnGap = 8;
constexpr int64_t kColumnPitch = kBoxWidth + kColumnGap;
constexpr int64_t kRowPitch = kBoxHeight + 13;  // the rows of a band: links pass between bands
constexpr int64_t kBandGap = 10;                // added between bands
constexpr int kMaxSweeps = 8;

// Vertices: AR node a is a; the servers of all nodes follow, node by node.
class LayeredGraph {
 public:
  explicit LayeredGraph(TARNodeList& list) : list_(list), arCount_(list.Count()) {
    firstServer_.resize(static_cast<size_t>(arCount_) + 1);
    int32_t next = arCount_;
    for (int32_t a = 0; a < arCount_; ++a) {
      firstServer_[static_cast<size_t>(a)] = next;
      next += list.Items(a).SubASs.Count();
    }
    firstServer_[static_cast<size_t>(arCount_)] = next;
    count_ = next;
    BuildEdges();
  }

  int32_t Count() const { return count_; }
  int32_t Layers() const { return layers_; }
  int32_t LayerOf(int32_t v) const { return layer_[static_cast<size_t>(v)]; }
  // Neighbours in layers above (what v reports to) or below.
  std::pair<const int32_t*, const int32_t*> Up(int32_t v) const { return Range(upStart_, up_, v); }
  std::pair<const int32_t*, const int32_t*> Down(int32_t v) const {
    return Range(downStart_, down_, v);
  }
  TRect& Box(int32_t v) {
    if (v < arCount_) return list_.Items(v).Rect;
    const auto owner = std::upper_bound(firstServer_.begin(), firstServer_.end(), v) - 1;
    const auto a = static_cast<int32_t>(owner - firstServer_.begin());
    return list_.Items(a).SubASs.Items(v - *owner).Rect;
  }

 private:
  static std::pair<const int32_t*, const int32_t*> Range(const std::vector<int32_t>& start,
                                                         const std::vector<int32_t>& items,
                                                         int32_t v) {
    const int32_t* base = items.data();
    return {base + start[static_cast<size_t>(v)], base + start[static_cast<size_t>(v) + 1]};
  }

  void BuildEdges() {
    // The parent links, less those a depth-first walk from the nodes in list
    // order finds leading back onto its own path.
    std::vector<std::vector<int32_t>> children(static_cast<size_t>(arCount_));
    for (int32_t c = 0; c < arCount_; ++c) {
      const TLinkNodeList& parents = list_.Items(c).ParentARs;
      for (int32_t i = 0; i < parents.Count(); ++i) {
        const int32_t p = parents.Items(i).ARIndex();
        if (p >= 0 && p < arCount_ && p != c) children[static_cast<size_t>(p)].push_back(c);
      }
    }
    std::vector<std::pair<int32_t, int32_t>> edges;
    std::vector<int32_t> finished;
    std::vector<uint8_t> state(static_cast<size_t>(arCount_), 0);  // 1 on the path, 2 done
    std::vector<std::pair<int32_t, size_t>> path;
    for (int32_t root = 0; root < arCount_; ++root) {
      if (state[static_cast<size_t>(root)] != 0) continue;
      state[static_cast<size_t>(root)] = 1;
      path.push_back({root, 0});
      while (!path.empty()) {
        const int32_t v = path.back().first;
        const std::vector<int32_t>& out = children[static_cast<size_t>(v)];
        if (path.back().second == out.size()) {
          state[static_cast<size_t>(v)] = 2;
          finished.push_back(v);
          path.pop_back();
          continue;
        }
        const int32_t w = out[path.back().second++];
        if (state[static_cast<size_t>(w)] == 1) continue;  // closes a cycle
        edges.push_back({v, w});
        if (state[static_cast<size_t>(w)] == 0) {
          state[static_cast<size_t>(w)] = 1;
          path.push_back({w, 0});
        }
      }
    }
    // Layers: parents finish after their children, so the reverse of the
    // finishing order has every parent before its children.
    layer_.assign(static_cast<size_t>(count_), 0);
    std::vector<std::vector<int32_t>> kept(static_cast<size_t>(arCount_));
    for (const auto& [p, c] : edges) kept[static_cast<size_t>(p)].push_back(c);
    for (auto it = finished.rbegin(); it != finished.rend(); ++it) {
      for (int32_t c : kept[static_cast<size_t>(*it)])
        layer_[static_cast<size_t>(c)] =
            std::max(layer_[static_cast<size_t>(c)], layer_[static_cast<size_t>(*it)] + 1);
    }
    // Each node's servers, then the nodes it heads.
    std::vector<std::pair<int32_t, int32_t>> all;
    all.reserve(edges.size() + static_cast<size_t>(count_ - arCount_));
    for (int32_t a = 0; a < arCount_; ++a) {
      layers_ = std::max(layers_, layer_[static_cast<size_t>(a)] + 1);
      for (int32_t v = firstServer_[static_cast<size_t>(a)];
           v < firstServer_[static_cast<size_t>(a) + 1]; ++v) {
        layer_[static_cast<size_t>(v)] = layer_[static_cast<size_t>(a)] + 1;
        layers_ = std::max(layers_, layer_[static_cast<size_t>(v)] + 1);
        all.push_back({a, v});
      }
    }
    all.insert(all.end(), edges.begin(), edges.end());
    Compress(all, false, downStart_, down_);
    Compress(all, true, upStart_, up_);
  }

  void Compress(const std::vector<std::pair<int32_t, int32_t>>& edges, bool upward,
                std::vector<int32_t>& start, std::vector<int32_t>& items) const {
    start.assign(static_cast<size_t>(count_) + 1, 0);
    for (const auto& [u, w] : edges) ++start[static_cast<size_t>(upward ? w : u) + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    items.resize(edges.size());
    std::vector<int32_t> fill(start.begin(), start.end() - 1);
    for (const auto& [u, w] : edges)
      items[static_cast<size_t>(fill[static_cast<size_t>(upward ? w : u)]++)] = upward ? u : w;
  }

  TARNodeList& list_;
  int32_t arCount_;
  int32_t count_ = 0;
  int32_t layers_ = 0;
  std::vector<int32_t> firstServer_;
  std::vector<int32_t> upStart_, up_, downStart_, down_;
  std::vector<int32_t> layer_;
};

using Orders = std::vector<std::vector<int32_t>>;

void Number(const Orders& rows, std::vector<int32_t>& pos) {
  for (const auto& row : rows)
    for (size_t i = 0; i < row.size(); ++i)
      pos[static_cast<size_t>(row[i])] = static_cast<int32_t>(i);
}

// The walk order: roots in list order, then each layer in the order of the
// boxes above that first reach it.
Orders TreeOrder(const LayeredGraph& g) {
  Orders rows(static_cast<size_t>(g.Layers()));
  std::vector<uint8_t> placed(static_cast<size_t>(g.Count()), 0);
  std::vector<std::vector<int32_t>> byLayer(rows.size());
  for (int32_t v = 0; v < g.Count(); ++v) byLayer[static_cast<size_t>(g.LayerOf(v))].push_back(v);
  rows[0] = byLayer[0];
  for (size_t k = 0; k + 1 < rows.size(); ++k) {
    for (int32_t v : rows[k]) {
      for (auto [w, end] = g.Down(v); w != end; ++w) {
        if (static_cast<size_t>(g.LayerOf(*w)) != k + 1 || placed[static_cast<size_t>(*w)])
          continue;
        rows[k + 1].push_back(*w);
        placed[static_cast<size_t>(*w)] = 1;
      }
    }
    // Nodes whose nearest parent is further up.
    for (int32_t v : byLayer[k + 1])
      if (!placed[static_cast<size_t>(v)]) rows[k + 1].push_back(v);
  }
  return rows;
}

// Crossings between neighbouring layers: pairs of links whose ends come in
// opposite orders, counted as inversions with a Fenwick tree.
int64_t Crossings(const LayeredGraph& g, const Orders& rows, const std::vector<int32_t>& pos) {
  int64_t total = 0;
  std::vector<std::pair<int32_t, int32_t>> links;
  std::vector<int32_t> tree;
  for (size_t k = 0; k + 1 < rows.size(); ++k) {
    links.clear();
    for (int32_t u : rows[k]) {
      for (auto [w, end] = g.Down(u); w != end; ++w) {
        if (static_cast<size_t>(g.LayerOf(*w)) == k + 1)
          links.push_back({pos[static_cast<size_t>(u)], pos[static_cast<size_t>(*w)]});
      }
    }
    std::sort(links.begin(), links.end());
    const size_t size = rows[k + 1].size();
    tree.assign(size + 1, 0);
    int64_t seen = 0;
    for (const auto& link : links) {
      int64_t atOrLeft = 0;  // links so far ending at or left of this one's end
      for (size_t i = static_cast<size_t>(link.second) + 1; i > 0; i &= i - 1) atOrLeft += tree[i];
      total += seen - atOrLeft;
      for (size_t i = static_cast<size_t>(link.second) + 1; i <= size; i += i & (~i + 1)) ++tree[i];
      ++seen;
    }
  }
  return total;
}

// Orders layer k by the mean place of its neighbours above or below, places
// in other layers scaled to the length of this one.
void SortByNeighbours(const LayeredGraph& g, Orders& rows, std::vector<int32_t>& pos, size_t k,
                      bool fromAbove, std::vector<std::pair<double, int32_t>>& keyed) {
  std::vector<int32_t>& row = rows[k];
  const auto size = static_cast<double>(row.size());
  keyed.clear();
  for (int32_t v : row) {
    double sum = 0;
    int count = 0;
    for (auto [w, end] = fromAbove ? g.Up(v) : g.Down(v); w != end; ++w, ++count) {
      const auto other = static_cast<double>(rows[static_cast<size_t>(g.LayerOf(*w))].size());
      sum += (pos[static_cast<size_t>(*w)] + 0.5) * size / other;
    }
    keyed.push_back({count ? sum / count - 0.5 : pos[static_cast<size_t>(v)], v});
  }
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 0; i < row.size(); ++i) {
    row[i] = keyed[i].second;
    pos[static_cast<size_t>(row[i])] = static_cast<int32_t>(i);
  }
}

void ReduceCrossings(const LayeredGraph& g, Orders& rows, std::vector<int32_t>& pos) {
  int64_t best = Crossings(g, rows, pos);
  Orders bestRows = rows;
  std::vector<std::pair<double, int32_t>> keyed;
  for (int sweep = 0; sweep < kMaxSweeps && best > 0; ++sweep) {
    for (size_t k = 1; k < rows.size(); ++k) SortByNeighbours(g, rows, pos, k, true, keyed);
    for (size_t k = rows.size() - 1; k-- > 0;) SortByNeighbours(g, rows, pos, k, false, keyed);
    const int64_t now = Crossings(g, rows, pos);
    if (now >= best) break;
    best = now;
    bestRows = rows;
  }
  rows = std::move(bestRows);
  Number(rows, pos);
}

// Least squares under order and spacing: lefts as near their targets as they
// can be with each a column pitch after the one before, all within lo..hi.
// Shifting column i by i pitches makes it a monotone fit, which pooling
// adjacent violators solves; clamping that keeps it optimal.
void FitColumns(std::vector<double>& lefts, double lo, double hi) {
  struct Block {
    double sum;
    size_t count;
  };
  std::vector<Block> blocks;
  for (size_t i = 0; i < lefts.size(); ++i) {
    blocks.push_back({lefts[i] - static_cast<double>(i) * kColumnPitch, 1});
    while (blocks.size() > 1 && blocks[blocks.size() - 2].sum * blocks.back().count >
                                    blocks.back().sum * blocks[blocks.size() - 2].count) {
      const Block last = blocks.back();
      blocks.pop_back();
      blocks.back().sum += last.sum;
      blocks.back().count += last.count;
    }
  }
  const double highest = std::max(lo, hi - static_cast<double>(lefts.size() - 1) * kColumnPitch);
  size_t i = 0;
  for (const Block& block : blocks) {
    const double value = std::round(std::clamp(block.sum / block.count, lo, highest));
    for (size_t n = 0; n < block.count; ++n, ++i)
      lefts[i] = value + static_cast<double>(i) * kColumnPitch;
  }
}

int32_t Clamp(int64_t value, int64_t size) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, int64_t{INT32_MAX} - size));
}

}  // namespace

int32_t TidyLayout(TARNodeList& list, const TRect& canvas) {
  LayeredGraph g(list);
  if (g.Count() == 0) return 0;
  Orders rows = TreeOrder(g);
  std::vector<int32_t> pos(static_cast<size_t>(g.Count()), 0);
  Number(rows, pos);
  ReduceCrossings(g, rows, pos);

  // Each layer a band: as few rows as the width allows, evenly filled, the
  // order running down each column and then on to the next column.
  const int64_t left = int64_t{canvas.Left} + kLeft;
  const int64_t width =
      std::max<int64_t>(int64_t{canvas.Right} - canvas.Left - 2 * kLeft, kBoxWidth);
  const size_t perRow = static_cast<size_t>((width + kColumnGap) / kColumnPitch);
  std::vector<size_t> bandRows(rows.size());
  std::vector<size_t> column(static_cast<size_t>(g.Count()));
  std::vector<std::vector<std::vector<int32_t>>> columns(rows.size());
  for (size_t k = 0; k < rows.size(); ++k) {
    const size_t n = rows[k].size();
    bandRows[k] = std::max<size_t>(1, (n + perRow - 1) / perRow);
    columns[k].resize((n + bandRows[k] - 1) / bandRows[k]);
    for (size_t i = 0; i < n; ++i) {
      column[static_cast<size_t>(rows[k][i])] = i / bandRows[k];
      columns[k][i / bandRows[k]].push_back(rows[k][i]);
    }
  }

  std::vector<double> x(static_cast<size_t>(g.Count()));
  for (const auto& band : columns) {
    const double used = static_cast<double>(band.size()) * kColumnPitch - kColumnGap;
    const double start = static_cast<double>(left) + std::max(0.0, (width - used) / 2);
    for (size_t c = 0; c < band.size(); ++c)
      for (int32_t v : band[c])
        x[static_cast<size_t>(v)] = start + static_cast<double>(c) * kColumnPitch;
  }
  // Down, up, down, up: each band toward the boxes it links to; the last
  // pass sets every node over the middle of what it heads.
  const auto lo = static_cast<double>(left);
  const auto hi = static_cast<double>(left + width - kBoxWidth);
  std::vector<double> wanted;
  for (int pass = 0; pass < 4; ++pass) {
    const bool fromAbove = pass % 2 == 0;
    for (size_t n = 0; n < columns.size(); ++n) {
      auto& band = columns[fromAbove ? n : columns.size() - 1 - n];
      wanted.clear();
      for (const auto& members : band) {
        double sum = 0;
        int count = 0;
        for (int32_t v : members) {
          for (auto [w, end] = fromAbove ? g.Up(v) : g.Down(v); w != end; ++w, ++count)
            sum += x[static_cast<size_t>(*w)];
        }
        wanted.push_back(count ? sum / count : x[static_cast<size_t>(members.front())]);
      }
      FitColumns(wanted, lo, hi);
      for (size_t c = 0; c < band.size(); ++c)
        for (int32_t v : band[c]) x[static_cast<size_t>(v)] = wanted[c];
    }
  }

  int64_t top = int64_t{canvas.Top} + kTop;
  for (size_t k = 0; k < rows.size(); ++k) {
    for (size_t i = 0; i < rows[k].size(); ++i) {
      const int32_t v = rows[k][i];
      const int32_t l = Clamp(static_cast<int64_t>(x[static_cast<size_t>(v)]), kBoxWidth);
      const int32_t t = Clamp(top + static_cast<int64_t>(i % bandRows[k]) * kRowPitch, kBoxHeight);
      g.Box(v) = {l, t, l + kBoxWidth, t + kBoxHeight};
    }
    top += static_cast<int64_t>(bandRows[k]) * kRowPitch + kBandGap;
  }
  return Clamp(top - kBandGap, 0);
}

}  // namespace topo
