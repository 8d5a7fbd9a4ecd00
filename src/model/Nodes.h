// The in-memory model of the monitored network: AR nodes and their parent,
// child and server lists. A node's position in TARNodeList is its identity for
// ARIndex and ZOrderEntry, so every operation that deletes records also
// repairs the stacking order. Name lookups are hashed but keep the
// first-match, byte-for-byte semantics of a linear scan. The operations on the
// whole list live in files of their own (merge, layout, drawing, hit testing,
// baseline); this header holds the records and lists they share.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/DragState.h"
#include "model/Geometry.h"
#include "model/ListIndex.h"
#include "model/NameIndex.h"
#include "model/PopupMenuHost.h"
#include "model/XmlDocument.h"
#include "model/ZOrder.h"

namespace topo {

class Canvas;
class ReportReader;
class FileStore;

using TActiveFlags = std::array<uint8_t, 10>;

// A parent, child or server entry. Its status and box are the caller's to
// change; its identity is not: Name is the key of its list's lookups and
// ARIndex the binding that link resolution keeps, so only the lists write
// them, and a record reached through Items cannot be overwritten as a whole.
class TLinkNode {
 public:
  TLinkNode() = default;
  TLinkNode(const TLinkNode&) = default;
  TLinkNode(TLinkNode&&) noexcept = default;
  ~TLinkNode() = default;

  const std::string& Name() const { return name_; }  // code page 936
  int32_t ARIndex() const { return arIndex_; }

  int32_t ActiveCount = 0;
  TActiveFlags ActiveFlags{};
  uint8_t NotInBaseline = 0;
  TRect Rect = kDefaultBox;

 private:
  friend class TLinkNodeList;
  friend class TARNodeList;
  TLinkNode& operator=(const TLinkNode&) = default;
  TLinkNode& operator=(TLinkNode&&) noexcept = default;

  std::string name_;
  int32_t arIndex_ = -1;
};

// The records lie in the list itself, so that a refresh walks them in order
// and rebuilding links allocates nothing: a reference from Items lasts only
// until the next add or delete on that list.
class TLinkNodeList {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TLinkNode& Items(int32_t index) {
    CheckListIndex(items_, index);
    return items_[static_cast<size_t>(index)];
  }
  const TLinkNode& Items(int32_t index) const {
    CheckListIndex(items_, index);
    return items_[static_cast<size_t>(index)];
  }
  // A report names a list's entries in the order they were added, so the
  // entry after the last one found is tried first. Names are unique in a
  // list, so a hit there is the first match.
  int32_t IndexOf(std::string_view name) const {
    if (cursor_ < items_.size() && items_[cursor_].name_ == name) {
      return static_cast<int32_t>(cursor_++);
    }
    return Find(name);
  }
  void ClearStatus();
  int32_t AddOrUpdate(std::string_view name, int32_t activeCount, const TActiveFlags& flags,
                      uint8_t notInBaseline) {
    int32_t position = IndexOf(name);
    if (position < 0) position = Append(name, notInBaseline);
    TLinkNode& item = items_[static_cast<size_t>(position)];
    item.ActiveCount = activeCount;
    item.ActiveFlags = flags;
    return position;
  }
  void Delete(int32_t index);
  // Deletes every entry the predicate picks, keeping the others' order; one
  // pass, so dropping many entries stays linear.
  template <typename Pred>
  void DeleteIf(Pred pick);
  void Clear();
  // Clear followed by AddOrUpdate of every name forEachName hands over,
  // overwriting the records in place (model/LinkListRebuild.h, the merge's).
  template <typename ForEachName>
  void Rebuild(const ForEachName& forEachName, int32_t activeCount, const TActiveFlags& flags,
               uint8_t notInBaseline);

  void DrawASNode(Canvas& canvas, int32_t index, TPoint offset) const;

  // Starts loading the records for a walk that will reach them soon
  // (model/Prefetch.h).
  inline void Prefetch() const;

  template <typename Pred>
  bool AllBoxes(const Pred& pred) const {
    for (const TLinkNode& item : items_) {
      if (!pred(item.Rect)) return false;
    }
    return true;
  }

 private:
  // Short lists are scanned; a map is kept only for longer ones.
  static constexpr size_t kScanLimit = 16;
  std::vector<TLinkNode> items_;
  std::unique_ptr<NameIndex> index_;  // long lists only; most lists are short
  mutable size_t cursor_ = 0;         // see IndexOf
  int32_t Find(std::string_view name) const;
  int32_t Append(std::string_view name, uint8_t notInBaseline);
  void Reindex();
  auto NameOf() const {
    return [this](int32_t p) -> const std::string& { return items_[static_cast<size_t>(p)].name_; };
  }
};

template <typename Pred>
void TLinkNodeList::DeleteIf(Pred pick) {
  size_t kept = 0;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (pick(static_cast<const TLinkNode&>(items_[i]))) continue;
    if (kept != i) items_[kept] = std::move(items_[i]);
    ++kept;
  }
  if (kept == items_.size()) return;
  items_.resize(kept);
  Reindex();
}

// An AR node. As with TLinkNode, its Name is the key of the node list's
// lookups and is written only by the list; nodes are never copied or
// assigned, so a reference from Items stays valid until the node is removed.
class TARNode {
 public:
  TARNode() = default;
  TARNode(const TARNode&) = delete;
  TARNode& operator=(const TARNode&) = delete;
  ~TARNode() = default;

  const std::string& Name() const { return name_; }  // code page 936

  int32_t ActiveCount = 0;
  TActiveFlags ActiveFlags{};
  uint8_t NotInBaseline = 0;
  TRect Rect = kDefaultBox;
  TLinkNodeList ParentARs;
  TLinkNodeList SubARs;
  TLinkNodeList SubASs;

 private:
  friend class TARNodeList;
  std::string name_;
};

// Nodes stay where they are in memory until removed. The drag state is the
// list's own, as the mouse operations below keep it.
class TARNodeList : public TDragState {
 public:
  TARNodeList() = default;
  TARNodeList(const TARNodeList&) = delete;
  TARNodeList& operator=(const TARNodeList&) = delete;

  // Records and lists
  int32_t Count() const { return static_cast<int32_t>(nodes_.size()); }
  TARNode& Items(int32_t index) {
    CheckListIndex(nodes_, index);
    return *nodes_[static_cast<size_t>(index)];
  }
  const TARNode& Items(int32_t index) const {
    CheckListIndex(nodes_, index);
    return *nodes_[static_cast<size_t>(index)];
  }
  int32_t IndexOf(std::string_view name) const {
    if (cursor_ < nodes_.size() && nodes_[cursor_]->name_ == name) {
      return static_cast<int32_t>(cursor_++);
    }
    return Find(name);
  }
  void ClearStatus();
  int32_t NodeAt(int32_t x, int32_t y) const;
  int32_t AddOrUpdateAR(std::string_view name, int32_t activeCount, const TActiveFlags& flags,
                        uint8_t notInBaseline);
  int32_t AddOrUpdateParentAR(int32_t position, std::string_view name, int32_t activeCount,
                              const TActiveFlags& flags, uint8_t notInBaseline);
  int32_t AddOrUpdateSubAR(int32_t position, std::string_view name, int32_t activeCount,
                           const TActiveFlags& flags, uint8_t notInBaseline);
  int32_t AddOrUpdateSubAS(int32_t position, std::string_view name, int32_t activeCount,
                           const TActiveFlags& flags, uint8_t notInBaseline);
  enum class RemoveResult { Removed, NotFound, RefusedActive };
  // Refuses a running node; the window shows the refusal to the operator.
  RemoveResult RemoveNode(bool isAS, const std::string& name);
  // Removes the selected box's own node (z-order position 0): for an AS box
  // the entry under its own AR node, even when another AR node holds a
  // server of the same name before it.
  RemoveResult RemoveSelected();

  TZOrderList ZOrder;

  // Baseline file
  void SaveToFile(const std::string& path, const XmlDocumentFactory& newDocument) const;
  void LoadFromFile(const std::string& path, const XmlDocumentFactory& newDocument);
  // What the baseline keeps of one node or entry element. The reader clears
  // every status, so the count and the flags are always 0.
  struct TNodeElement {
    std::string Name;
    int32_t ActiveCount = 0;
    TActiveFlags ActiveFlags{};
    TRect Rect = kDefaultBox;
  };
  static TNodeElement ReadNodeElement(XmlDocument& document, XmlNode element);

  // Enabled-server list
  std::string EnabledListText() const;
  void ExportEnabledList(const std::string& path, FileStore& files) const;

  // Status report merge
  void MergeStatus(ReportReader& report);

  // Geometry and layout
  void ResolveLinks();
  void PlaceOutsideNodes(const TRect& canvas);
  // Returns the height the window must raise its height setting to, if any;
  // heightSettingText is the current text of the height edit.
  std::optional<int32_t> ReLocate(const TRect& canvas, const std::string& heightSettingText);

  // Drawing; the result is 1 when an inactive link was drawn.
  uint8_t DrawDiagram(Canvas& canvas, TPoint offset, bool displayLinks) const;
  void DrawARNode(Canvas& canvas, int32_t index, TPoint offset) const;
  void DrawLink(Canvas& canvas, const TRect& from, const TRect& to, bool active) const;

  // Hit testing, dragging and selection
  void MouseDown(TMouseButton button, int32_t x, int32_t y, int32_t hPos, int32_t vPos);
  void MouseMove(int32_t x, int32_t y, const TRect& canvas, int32_t hPos, int32_t vPos);
  void MouseUp(TMouseButton button, int32_t x, int32_t y, int32_t hPos, int32_t vPos,
               PopupMenuHost& menu);
  uint8_t SelectedIsAS() const;
  std::string SelectedName() const;
  int32_t SelectedActiveCount() const;
  int32_t SelectedActiveNo(int32_t n) const;
  std::string FindParentARName(const std::string& serverName) const;
  // The AR node that holds the selected AS box, empty for an AR box (a name
  // lookup would find the first AR node with a server of that name).
  std::string SelectedParentARName() const;

 private:
  std::vector<std::unique_ptr<TARNode>> nodes_;
  NameIndex index_;
  mutable size_t cursor_ = 0;  // as in TLinkNodeList: reports list nodes in order
  int32_t Find(std::string_view name) const;
  void Reindex();
  RemoveResult RemoveServerAt(int32_t arIndex, int32_t asIndex);
  auto NameOf() const {
    return
        [this](int32_t p) -> const std::string& { return nodes_[static_cast<size_t>(p)]->name_; };
  }
  TRect& BoxOf(const ZOrderEntry& entry) {
    TARNode& node = Items(entry.ARIndex);
    return entry.ASIndex < 0 ? node.Rect : node.SubASs.Items(entry.ASIndex).Rect;
  }
  const TRect* FindBox(const ZOrderEntry& entry) const;
};

}  // namespace topo
