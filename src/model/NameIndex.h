// Hashed name -> position lookup for the model's lists. It stores positions
// only and asks the list for the names, so no name is held twice; inserting a
// name that is already present keeps the earlier position, which gives the
// first-match answer of a scan from the front.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace topo {

class NameIndex {
 public:
  // nameAt(position) returns the name stored at that position of the list.
  template <typename NameAt>
  int32_t Find(std::string_view name, const NameAt& nameAt) const {
    if (slots_.empty()) return -1;
    const uint32_t hash = Hash(name);
    for (size_t i = hash & mask_;; i = (i + 1) & mask_) {
      const Slot& slot = slots_[i];
      if (slot.position < 0) return -1;
      if (slot.hash == hash && nameAt(slot.position) == name) return slot.position;
    }
  }

  template <typename NameAt>
  void Insert(std::string_view name, int32_t position, const NameAt& nameAt) {
    if ((used_ + 1) * 2 > slots_.size()) Grow();
    const uint32_t hash = Hash(name);
    for (size_t i = hash & mask_;; i = (i + 1) & mask_) {
      Slot& slot = slots_[i];
      if (slot.position < 0) {
        slot = {hash, position};
        ++used_;
        return;
      }
      if (slot.hash == hash && nameAt(slot.position) == name) return;
    }
  }

  void Clear() {
    slots_.clear();
    used_ = 0;
    mask_ = 0;
  }
  bool Empty() const { return used_ == 0; }

 private:
  struct Slot {
    uint32_t hash = 0;
    int32_t position = -1;
  };

  static uint32_t Hash(std::string_view name) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (char c : name) {
      h ^= static_cast<unsigned char>(c);
      h *= 1099511628211ull;
    }
    return static_cast<uint32_t>(h ^ (h >> 32));
  }

  // Rehashing needs no names: every stored hash and position moves as is.
  void Grow() {
    std::vector<Slot> old = std::move(slots_);
    const size_t size = old.empty() ? 16 : old.size() * 2;
    slots_.assign(size, Slot{});
    mask_ = size - 1;
    for (const Slot& slot : old) {
      if (slot.position < 0) continue;
      size_t i = slot.hash & mask_;
      while (slots_[i].position >= 0) i = (i + 1) & mask_;
      slots_[i] = slot;
    }
  }

  std::vector<Slot> slots_;
  size_t used_ = 0;
  size_t mask_ = 0;
};

}  // namespace topo
