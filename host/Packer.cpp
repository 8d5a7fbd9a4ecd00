// The packer keeps names and values apart until EndPack cuts the values into
// rows as wide as the names, so a packet is only ever built whole.
#include "host/Packer.h"

#include <algorithm>

#include "host/PacketVariant.h"

namespace arhost {

HRESULT Packer::BeginPack() {
  fields_.clear();
  values_.clear();
  state_ = State::kPacking;
  return S_OK;
}

HRESULT Packer::AddField(BSTR name) {
  return Guard([&]() -> HRESULT {
    if (state_ != State::kPacking || !values_.empty()) return E_UNEXPECTED;
    fields_.emplace_back(name ? std::wstring(name, SysStringLen(name)) : std::wstring());
    return S_OK;
  });
}

HRESULT Packer::AddValue(VARIANT value) {
  return Guard([&]() -> HRESULT {
    if (state_ != State::kPacking) return E_UNEXPECTED;
    Value v;
    HRESULT hr = ValueFromVariant(value, &v);
    if (FAILED(hr)) return hr;
    values_.push_back(std::move(v));
    return S_OK;
  });
}

HRESULT Packer::EndPack() {
  return Guard([&]() -> HRESULT {
    if (state_ != State::kPacking) return E_UNEXPECTED;
    packet_ = Packet{};
    packet_.fields = fields_;
    size_t width = fields_.empty() ? values_.size() : fields_.size();
    for (size_t i = 0; i < values_.size(); i += width)
      packet_.rows.emplace_back(values_.begin() + i,
                                values_.begin() + std::min(values_.size(), i + width));
    state_ = State::kDone;
    return S_OK;
  });
}

HRESULT Packer::GetPacket(VARIANT* packet) {
  return Guard([&]() -> HRESULT {
    if (!packet) return E_POINTER;
    if (state_ != State::kDone) return E_UNEXPECTED;
    return PacketToVariant(packet_, packet);
  });
}

topo::win32::ComPtr<topo::host::IPackerDisp> CreatePacker() { return Packer::Create(); }

}  // namespace arhost
