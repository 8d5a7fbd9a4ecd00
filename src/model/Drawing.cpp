// Paints the diagram: links first, then the boxes from the back of the stacking
// order to the front. A repaint usually covers a small part of a large diagram,
// so anything whose pixels lie wholly outside the canvas's clip box is skipped
// without a single canvas call; the inactive-link flag is still computed over
// every link, so the warning alarm does not depend on what was on screen.
#include <algorithm>
#include <string>

#include "model/BoxLabel.h"
#include "model/Canvas.h"
#include "model/Nodes.h"

namespace topo {

namespace {

// The pixels a group of one-pixel strokes can touch: the smallest rectangle,
// edges included, around every point handed to the canvas. Lines, the filled
// arrowhead and the clipped label never leave it.
struct Extent {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;

  explicit Extent(TPoint p) : left(p.x), top(p.y), right(p.x), bottom(p.y) {}
  void Include(TPoint p) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  bool Meets(const TRect& clip) const {
    return right >= clip.Left && left < clip.Right && bottom >= clip.Top && top < clip.Bottom;
  }
};

// The one procedure behind DrawARNode and DrawASNode; only AR boxes carry the
// blue separator.
void DrawBox(Canvas& canvas, const TRect& clip, const TRect& r, const std::string& name,
             int32_t activeCount, uint8_t notInBaseline, bool separator) {
  const int32_t right1 = WrapSub(r.Right, 1);
  const int32_t right2 = WrapSub(r.Right, 2);
  const int32_t bottom1 = WrapSub(r.Bottom, 1);
  const int32_t bottom5 = WrapSub(r.Bottom, 5);

  Extent extent({r.Left, r.Top});
  for (int32_t x : {r.Right, right1, right2}) extent.Include({x, r.Bottom});
  extent.Include({r.Left, bottom5});
  extent.Include({r.Left, bottom1});
  if (!extent.Meets(clip)) return;

  const std::string label = BoxLabel(name, activeCount);
  const int32_t width = WrapSub(r.Right, r.Left);
  const int32_t textWidth = std::min(canvas.TextWidth(label), width);
  canvas.TextRect(r, WrapAdd(r.Left, WrapSub(width, textWidth) / 2), r.Top, label);

  // The bottom edge is left to the status bar.
  canvas.MoveTo(r.Left, r.Bottom);
  canvas.LineTo(r.Left, r.Top);
  canvas.LineTo(right1, r.Top);
  canvas.LineTo(right1, r.Bottom);

  const TColor outline = canvas.PenColor();
  if (separator) {
    canvas.SetPenColor(kBlue);
    canvas.MoveTo(r.Left, bottom5);
    canvas.LineTo(r.Right, bottom5);
  }

  // Two rows; the lower one lies on r.Bottom, just below the box.
  canvas.SetPenColor(activeCount != 0 ? kGreen : kRed);
  canvas.MoveTo(r.Left, bottom1);
  canvas.LineTo(r.Right, bottom1);
  canvas.MoveTo(r.Left, r.Bottom);
  canvas.LineTo(r.Right, r.Bottom);

  if (notInBaseline != 0) {
    canvas.SetPenColor(kYellow);
    canvas.MoveTo(right1, r.Top);
    canvas.LineTo(right1, bottom1);
    canvas.MoveTo(right2, r.Top);
    canvas.LineTo(right2, bottom1);
  }

  canvas.SetPenColor(outline);
}

void DrawPath(Canvas& canvas, const TRect& clip, const TRect& a, const TRect& b, bool active) {
  const int32_t d = active ? 2 : 7;
  const int32_t ca = HalfSum(a.Left, a.Right);
  const int32_t cb = HalfSum(b.Left, b.Right);

  // The gap tests are made on the true sums, so a box near the end of the
  // coordinate range is not taken for one far away on the other side.
  TPoint start;
  TPoint end;
  int32_t level;
  int32_t headRow;  // the row of the arrowhead's base
  if (static_cast<int64_t>(a.Bottom) + 12 < b.Top) {
    start = {WrapAdd(ca, d), a.Bottom};
    end = {WrapAdd(cb, d), b.Top};
    level = HalfSum(a.Bottom, b.Top);
    headRow = WrapSub(end.y, 6);
  } else if (static_cast<int64_t>(b.Bottom) + 12 < a.Top) {
    start = {WrapSub(ca, d), a.Top};
    end = {WrapSub(cb, d), b.Bottom};
    level = HalfSum(a.Top, b.Bottom);
    headRow = WrapAdd(end.y, 6);
  } else {
    start = {WrapAdd(ca, d), a.Bottom};
    end = {WrapSub(cb, d), b.Bottom};
    level = WrapAdd(std::max(a.Bottom, b.Bottom), 7);
    headRow = WrapAdd(end.y, 6);
  }

  const TPoint path[4] = {start, {start.x, level}, {end.x, level}, end};
  const TPoint head[3] = {{WrapSub(end.x, 2), headRow}, {WrapAdd(end.x, 2), headRow}, end};

  Extent extent(start);
  for (const TPoint& p : path) extent.Include(p);
  for (const TPoint& p : head) extent.Include(p);
  if (!extent.Meets(clip)) return;

  if (!active) canvas.SetPenStyle(PenStyle::Dotted);
  canvas.Polyline(path, 4);
  if (!active) canvas.SetPenStyle(PenStyle::Solid);
  canvas.Polygon(head, 3);
}

bool InRange(int32_t index, int32_t count) { return index >= 0 && index < count; }

}  // namespace

void TLinkNodeList::DrawASNode(Canvas& canvas, int32_t index, TPoint offset) const {
  if (!InRange(index, Count())) return;
  const TLinkNode& server = Items(index);
  DrawBox(canvas, canvas.ClipBox(), Offset(server.Rect, offset), server.Name(), server.ActiveCount,
          server.NotInBaseline, false);
}

void TARNodeList::DrawARNode(Canvas& canvas, int32_t index, TPoint offset) const {
  if (!InRange(index, Count())) return;
  const TARNode& node = *nodes_[static_cast<size_t>(index)];
  DrawBox(canvas, canvas.ClipBox(), Offset(node.Rect, offset), node.Name(), node.ActiveCount,
          node.NotInBaseline, true);
}

void TARNodeList::DrawLink(Canvas& canvas, const TRect& from, const TRect& to, bool active) const {
  DrawPath(canvas, canvas.ClipBox(), from, to, active);
}

uint8_t TARNodeList::DrawDiagram(Canvas& canvas, TPoint offset, bool displayLinks) const {
  const TRect clip = canvas.ClipBox();
  uint8_t inactiveDrawn = 0;

  if (displayLinks) {
    for (const auto& child : nodes_) {
      const TRect childBox = Offset(child->Rect, offset);
      const TLinkNodeList& parents = child->ParentARs;
      for (int32_t i = 0; i < parents.Count(); ++i) {
        const TLinkNode& link = parents.Items(i);
        if (!InRange(link.ARIndex(), Count())) continue;
        const TARNode& parent = *nodes_[static_cast<size_t>(link.ARIndex())];
        const bool active =
            child->ActiveCount != 0 && parent.ActiveCount != 0 && link.ActiveCount != 0;
        if (!active) inactiveDrawn = 1;
        DrawPath(canvas, clip, childBox, Offset(parent.Rect, offset), active);
      }
      const TLinkNodeList& servers = child->SubASs;
      for (int32_t i = 0; i < servers.Count(); ++i) {
        const TLinkNode& server = servers.Items(i);
        const bool active = child->ActiveCount != 0 && server.ActiveCount != 0;
        if (!active) inactiveDrawn = 1;
        DrawPath(canvas, clip, Offset(server.Rect, offset), childBox, active);
      }
    }
  }

  for (int32_t position = ZOrder.Count() - 1; position >= 0; --position) {
    const ZOrderEntry& entry = ZOrder.Items(position);
    if (!InRange(entry.ARIndex, Count())) continue;
    const TARNode& node = *nodes_[static_cast<size_t>(entry.ARIndex)];
    if (entry.ASIndex < 0) {
      DrawBox(canvas, clip, Offset(node.Rect, offset), node.Name(), node.ActiveCount,
              node.NotInBaseline, true);
    } else if (InRange(entry.ASIndex, node.SubASs.Count())) {
      const TLinkNode& server = node.SubASs.Items(entry.ASIndex);
      DrawBox(canvas, clip, Offset(server.Rect, offset), server.Name(), server.ActiveCount,
              server.NotInBaseline, false);
    }
  }
  return inactiveDrawn;
}

}  // namespace topo
