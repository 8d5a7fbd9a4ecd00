// The host's unpacker: the plug-in opens an answer packet and reads it row by
// row, one field object per cell. Registered in-process (PacketClasses.h) so
// that the plug-in's CoCreateInstance finds it.
#pragma once

#include <cstddef>

#include "abi/HostInterfaces.h"
#include "host/ComObject.h"
#include "host/Packet.h"
#include "win32/ComPtr.h"

namespace arhost {

class Unpacker : public ComObject<Unpacker, topo::host::IUnpackerDisp> {
 public:
  static const IID& Iid() { return topo::host::IID_IUnpackerDisp; }

  HRESULT STDMETHODCALLTYPE Open(VARIANT packet) override;
  HRESULT STDMETHODCALLTYPE GetFieldCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE GetRowCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE GetReturnCode(LONG* code) override;
  // Past the last row a field still has its name (a table with no rows still
  // shows its column names); its value is then empty.
  HRESULT STDMETHODCALLTYPE GetField(VARIANT key, IDispatch** field) override;
  HRESULT STDMETHODCALLTYPE First() override;
  HRESULT STDMETHODCALLTYPE Next() override;
  HRESULT STDMETHODCALLTYPE GetEof(VARIANT_BOOL* eof) override;

 private:
  HRESULT FieldIndex(const VARIANT& key, size_t* index) const;

  Packet packet_;
  bool opened_ = false;
  size_t row_ = 0;
};

topo::win32::ComPtr<topo::host::IUnpackerDisp> CreateUnpacker();

}  // namespace arhost
