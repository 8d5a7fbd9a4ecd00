// Every host call returns an HRESULT; a failing one becomes an exception that
// names the operation, so the boundary that catches it can tell the operator
// what failed instead of just a number.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace topo::win32 {

class EHostCallError : public std::runtime_error {
 public:
  EHostCallError(const char* operation, HRESULT result);
  const char* Operation() const { return operation_.c_str(); }
  HRESULT Result() const { return result_; }

 private:
  std::string operation_;
  HRESULT result_;
};

inline void Check(HRESULT result, const char* operation) {
  if (FAILED(result)) throw EHostCallError(operation, result);
}

}  // namespace topo::win32
