// The in-memory model of the monitored network: AR nodes, their parent, child
// and server lists, and the stacking order of the boxes. A node's position in
// TARNodeList is its identity for ARIndex and ZOrderEntry, so every operation
// that deletes records also repairs the stacking order. Name lookups are
// hashed but keep the first-match, byte-for-byte semantics of a linear scan.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/Geometry.h"
#include "model/NameIndex.h"
#include "model/XmlDocument.h"

namespace topo {

class Canvas;
class ReportReader;
class FileStore;

// Raised by Items with an index outside 0..Count-1.
class EListIndexError : public std::out_of_range {
 public:
  explicit EListIndexError(int32_t index);
};

[[noreturn]] void ThrowListIndexError(int32_t index);

// Inline, since a refresh reaches every record through Items; a negative index
// converts to a huge size and fails the same comparison.
template <typename Vector>
inline void CheckListIndex(const Vector& items, int32_t index) {
  if (static_cast<size_t>(index) >= items.size()) ThrowListIndexError(index);
}

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
  // Clear followed by AddOrUpdate of every name that forEachName(visit) hands
  // to visit, in one step that overwrites the records in place: a refresh
  // rebuilds every reported node's links without allocating, and an entry
  // whose name comes back at its old position keeps its ARIndex, which
  // ResolveLinks takes as a hint.
  template <typename ForEachName>
  void Rebuild(const ForEachName& forEachName, int32_t activeCount, const TActiveFlags& flags,
               uint8_t notInBaseline);

  void DrawASNode(Canvas& canvas, int32_t index, TPoint offset) const;

  // Asks the processor to start loading the records, for a walk that will
  // reach them soon: the lists of successive nodes lie apart in memory.
  void Prefetch() const {
    const char* begin = reinterpret_cast<const char*>(items_.data());
    const char* end = reinterpret_cast<const char*>(items_.data() + items_.size());
    for (const char* line = begin; line < end; line += 64) __builtin_prefetch(line);
  }

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

template <typename ForEachName>
void TLinkNodeList::Rebuild(const ForEachName& forEachName, int32_t activeCount,
                            const TActiveFlags& flags, uint8_t notInBaseline) {
  size_t built = 0;
  bool longList = false;  // past the scan limit the rest goes through AddOrUpdate
  const auto keepBuilt = [&] {
    items_.resize(built);
    index_.reset();
    cursor_ = 0;
  };
  try {
    forEachName([&](std::string_view name) {
      if (longList) {
        AddOrUpdate(name, activeCount, flags, notInBaseline);
        return;
      }
      for (size_t i = 0; i < built; ++i) {
        if (items_[i].name_ == name) {
          items_[i].ActiveCount = activeCount;
          items_[i].ActiveFlags = flags;
          return;
        }
      }
      if (built == kScanLimit) {
        keepBuilt();
        longList = true;
        AddOrUpdate(name, activeCount, flags, notInBaseline);
        return;
      }
      if (built == items_.size()) items_.emplace_back();
      TLinkNode& item = items_[built];
      if (item.name_ != name) {
        item.name_.assign(name.data(), name.size());
        item.arIndex_ = -1;
      }
      item.ActiveCount = activeCount;
      item.ActiveFlags = flags;
      item.NotInBaseline = notInBaseline;
      item.Rect = kDefaultBox;
      ++built;
    });
  } catch (...) {
    if (!longList) keepBuilt();  // no stale record may survive beside the new ones
    throw;
  }
  if (!longList) keepBuilt();
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

struct ZOrderEntry {
  int32_t ARIndex = 0;
  int32_t ASIndex = -1;  // -1: the AR node's own box
  friend bool operator==(const ZOrderEntry& a, const ZOrderEntry& b) {
    return a.ARIndex == b.ARIndex && a.ASIndex == b.ASIndex;
  }
};

class TZOrderList {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  ZOrderEntry& Items(int32_t position) {
    CheckListIndex(items_, position);
    return items_[static_cast<size_t>(position)];
  }
  const ZOrderEntry& Items(int32_t position) const {
    CheckListIndex(items_, position);
    return items_[static_cast<size_t>(position)];
  }
  void Add(int32_t arIndex, int32_t asIndex);
  void BringToFront(int32_t position);
  void Delete(int32_t position);
  void Clear() { items_.clear(); }

 private:
  std::vector<ZOrderEntry> items_;
};

enum class TMouseButton { Left, Right, Middle };

// What MouseUp needs of the window: the menu rebuild and the popup itself.
class PopupMenuHost {
 public:
  virtual ~PopupMenuHost() = default;
  virtual TPoint ClientToScreen(TPoint client) = 0;
  virtual void BuildServerMenus() = 0;
  virtual void Popup(TPoint screen) = 0;
};

// Nodes stay where they are in memory until removed.
class TARNodeList {
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
  uint8_t Dragging = 0;
  TRect DragRect{};
  int32_t DragStartX = 0;
  int32_t DragStartY = 0;

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
