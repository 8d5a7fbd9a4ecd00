// The host's ARCom connection: it keeps what the plug-in set (function,
// destination, request mode and kind; a destination lasts for one request),
// answers every packet from the network model at once, and records every
// request (RequestLog.h) so a run can be checked afterwards.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "abi/HostInterfaces.h"
#include "host/ComObject.h"
#include "host/Network.h"
#include "host/RequestLog.h"

namespace arhost {

class ARCom : public ComObject<ARCom, topo::host::IARCom> {
 public:
  // Answers the plug-in never fetched (a time-out, a failure between send and
  // receive) are dropped, oldest first, beyond this many.
  static constexpr size_t kMaxPendingAnswers = 16;
  // The request history keeps the latest this many records.
  static constexpr size_t kKeptRequests = 1000;

  // clock: seconds on the network's time line; logPath: empty for no log file.
  ARCom(Network network, std::function<double()> clock, std::wstring logPath);
  static const IID& Iid() { return topo::host::IID_IARCom; }

  // The latest kKeptRequests requests, oldest first; RequestCount counts all.
  const std::deque<RequestRecord>& Requests() const { return requests_; }
  size_t RequestCount() const { return requestCount_; }
  size_t PendingAnswers() const { return pending_.size(); }
  const Network& Net() const { return network_; }
  // Lets the host's own display follow the scenario's time between requests.
  void Advance() { network_.AdvanceTo(clock_()); }

  HRESULT STDMETHODCALLTYPE SendPacket(VARIANT packet, LONG timeout, VARIANT* packetId) override;
  HRESULT STDMETHODCALLTYPE ReceiveAnswer(LONG packetId, LONG timeout, VARIANT* answer) override;
  HRESULT STDMETHODCALLTYPE SetDestination(LONG addressKind, VARIANT address) override;
  HRESULT STDMETHODCALLTYPE SetFunction(LONG functionNo, IDispatch* packer) override;
  HRESULT STDMETHODCALLTYPE RemoveEventSink(IUnknown* sink) override;
  HRESULT STDMETHODCALLTYPE SetRequestKind(LONG value) override;
  HRESULT STDMETHODCALLTYPE GetErrorNo(LONG* errorNo) override;
  HRESULT STDMETHODCALLTYPE SetRequestMode(LONG value) override;

  size_t SinkRemovals() const { return sinkRemovals_; }

 private:
  struct Pending {
    Packet answer;
    LONG errorNo = 0;
    // Set instead of answer for a topology report: the shared encoded bytes.
    std::shared_ptr<const std::vector<uint8_t>> encoded;
    size_t encodedRows = 0;
  };
  Pending Answer(const Packet& request);

  Network network_;
  std::function<double()> clock_;
  std::shared_ptr<const std::vector<uint8_t>> topology_;
  uint64_t topologyVersion_ = 0;
  size_t topologyRows_ = 0;
  RequestLog log_;
  LONG function_ = 0;
  bool functionSet_ = false;
  LONG requestMode_ = 0;
  LONG requestKind_ = 0;
  LONG addressKind_ = 0;
  std::wstring address_;
  LONG errorNo_ = 0;
  LONG nextId_ = 1;
  std::map<LONG, Pending> pending_;
  std::deque<RequestRecord> requests_;
  size_t requestCount_ = 0;
  size_t sinkRemovals_ = 0;
};

}  // namespace arhost
