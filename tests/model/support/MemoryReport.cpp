// In-memory status report for the model tests.
#include "MemoryReport.h"

#include <stdexcept>

namespace topo {

bool MemoryReport::Eof() { return current_ >= rows_.size(); }

std::string MemoryReport::FieldText(const char* name) {
  if (Eof()) throw std::logic_error("field read past the last row");
  if (static_cast<int>(current_) == failAtRow_) throw std::runtime_error("unpacker failure");
  const Row& row = rows_[current_];
  auto it = row.find(name);
  return it == row.end() ? std::string() : it->second;
}

void MemoryReport::Next() { ++current_; }

MemoryReport::Row ReportRow(std::string ar, std::string arActive, std::string parentAr,
                            std::string subAr, std::string subAs, std::string asActive) {
  return {{"ar", std::move(ar)},
          {"ar_active", std::move(arActive)},
          {"parent_ar", std::move(parentAr)},
          {"sub_ar", std::move(subAr)},
          {"sub_as", std::move(subAs)},
          {"as_active", std::move(asActive)}};
}

}  // namespace topo
