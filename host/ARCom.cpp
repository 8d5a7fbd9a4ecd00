// Answers are computed when the packet is sent and kept until the plug-in
// asks for them, so ReceiveAnswer never waits: the network is in-process.
#include "host/ARCom.h"

#include "host/PacketVariant.h"
#include "win32/Variant.h"

namespace arhost {

ARCom::ARCom(Network network, std::function<double()> clock, std::wstring logPath)
    : network_(std::move(network)), clock_(std::move(clock)), log_(std::move(logPath)) {}

ARCom::Pending ARCom::Answer(const Packet& request) {
  (void)request;
  Pending out;
  if (!network_.Reachable()) {
    out.errorNo = kErrUnreachable;
    out.answer = MessageAnswer(-1, L"AR网络不可达");
    return out;
  }
  switch (function_) {
    case kFnTopology:
      // A large network's report costs more to build than the plug-in takes
      // to read it: build it again only when the network has changed.
      if (!topology_ || topologyVersion_ != network_.Version()) {
        Packet report = network_.TopologyReport();
        topologyRows_ = report.rows.size();
        topology_ = std::make_shared<const std::vector<uint8_t>>(EncodePacket(report));
        topologyVersion_ = network_.Version();
      }
      out.encoded = topology_;
      out.encodedRows = topologyRows_;
      return out;
    case kFnStart:
    case kFnStop:
    case kFnRestart: {
      std::vector<Value> values;
      for (const auto& row : request.rows) values.insert(values.end(), row.begin(), row.end());
      ControlReply reply = network_.Control(function_, values, addressKind_, address_);
      out.answer = MessageAnswer(reply.code, reply.errorInfo);
      return out;
    }
    default: {
      int32_t errorNo = 0;
      out.answer = network_.Status(function_, addressKind_, address_, &errorNo);
      out.errorNo = errorNo;
      return out;
    }
  }
}

HRESULT ARCom::SendPacket(VARIANT packet, LONG, VARIANT* packetId) {
  return Guard([&]() -> HRESULT {
    if (!packetId) return E_POINTER;
    VariantInit(packetId);
    errorNo_ = kErrNone;
    Packet request;
    HRESULT hr = PacketFromVariant(packet, &request);
    if (FAILED(hr)) {
      errorNo_ = kErrBadPacket;
      return hr;
    }
    if (!functionSet_) {
      errorNo_ = kErrUnknownFunction;
      return E_UNEXPECTED;
    }
    network_.AdvanceTo(clock_());
    RequestRecord record;
    record.at = network_.Now();
    record.function = function_;
    record.requestMode = requestMode_;
    record.requestKind = requestKind_;
    record.addressKind = addressKind_;
    record.address = address_;
    Pending answer = Answer(request);
    // A destination holds for the one request it was set for: the status
    // refresh sets none and must not follow the last status query or command
    // to whatever instance that was sent to.
    addressKind_ = 0;
    address_.clear();
    record.request = std::move(request);
    record.errorNo = answer.errorNo;
    record.returnCode = answer.answer.returnCode;
    record.answerRows = answer.encoded ? answer.encodedRows : answer.answer.rows.size();
    log_.Append(record);
    requests_.push_back(std::move(record));
    ++requestCount_;
    if (requests_.size() > kKeptRequests) requests_.pop_front();

    LONG id = nextId_++;
    pending_[id] = std::move(answer);
    if (pending_.size() > kMaxPendingAnswers) pending_.erase(pending_.begin());
    packetId->vt = VT_I4;
    packetId->lVal = id;
    return S_OK;
  });
}

HRESULT ARCom::ReceiveAnswer(LONG packetId, LONG, VARIANT* answer) {
  return Guard([&]() -> HRESULT {
    if (!answer) return E_POINTER;
    VariantInit(answer);
    auto it = pending_.find(packetId);
    if (it == pending_.end()) {
      errorNo_ = kErrBadPacket;
      return E_INVALIDARG;
    }
    Pending p = std::move(it->second);
    pending_.erase(it);
    errorNo_ = p.errorNo;
    return p.encoded ? EncodedPacketToVariant(*p.encoded, answer)
                     : PacketToVariant(p.answer, answer);
  });
}

HRESULT ARCom::SetDestination(LONG addressKind, VARIANT address) {
  return Guard([&]() -> HRESULT {
    Value v;
    HRESULT hr = ValueFromVariant(address, &v);
    if (FAILED(hr)) return hr;
    addressKind_ = addressKind;
    address_ = ValueText(v);
    return S_OK;
  });
}

HRESULT ARCom::SetFunction(LONG functionNo, IDispatch* packer) {
  return Guard([&]() -> HRESULT {
    if (packer) {
      // A packer handed over here is made ready for values at once.
      topo::win32::ComPtr<topo::host::IPackerDisp> p;
      HRESULT hr = packer->QueryInterface(topo::host::IID_IPackerDisp, p.PutVoid());
      if (FAILED(hr)) return hr;
      hr = p->BeginPack();
      if (FAILED(hr)) return hr;
    }
    function_ = functionNo;
    functionSet_ = true;
    return S_OK;
  });
}

HRESULT ARCom::RemoveEventSink(IUnknown*) {
  ++sinkRemovals_;
  return S_OK;
}

HRESULT ARCom::SetRequestKind(LONG value) {
  requestKind_ = value;
  return S_OK;
}

HRESULT ARCom::GetErrorNo(LONG* errorNo) {
  if (!errorNo) return E_POINTER;
  *errorNo = errorNo_;
  return S_OK;
}

HRESULT ARCom::SetRequestMode(LONG value) {
  requestMode_ = value;
  return S_OK;
}

}  // namespace arhost
