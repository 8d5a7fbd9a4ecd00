// The management status functions an instance answers, and the table each
// answers with. Every answer is computed from the current state and a seed
// per target, so a test can script a failure and see it in the very next
// answer, and repeated queries look like the same server.
#include <algorithm>
#include <cwchar>

#include "host/Network.h"

namespace arhost {

namespace {

int UpCount(const Instances& up) {
  return static_cast<int>(std::count(up.begin(), up.end(), true));
}

// The management functions an instance answers, with the shape of their table.
// Not every answer is a full table: a module's own id list has one column, a
// state is one row, an empty queue has columns and no rows, and a module with
// no black or white list configured answers with no fields at all.
enum class Shape {
  kInterface,
  kIds,
  kInit,
  kConfig,
  kStats,
  kConnections,
  kList,
  kService,
  kRecord,
  kNames,
  kEmptyQueue,
  kNothing
};
struct StatusFunction {
  int32_t number;
  const wchar_t* module;
  Shape shape;
};
constexpr StatusFunction kStatusFunctions[] = {
    {25632, L"RAWUDP", Shape::kIds},
    {25633, L"RAWUDP", Shape::kInit},
    {25634, L"RAWUDP", Shape::kConfig},
    {25635, L"RAWUDP", Shape::kStats},
    {25664, L"可靠UDP", Shape::kInterface},
    {25665, L"可靠UDP", Shape::kInit},
    {25666, L"可靠UDP", Shape::kConfig},
    {25667, L"可靠UDP", Shape::kStats},
    {25668, L"可靠UDP", Shape::kConnections},
    {25696, L"SESSION", Shape::kInterface},
    {25697, L"SESSION", Shape::kInit},
    {25698, L"SESSION", Shape::kConfig},
    {25699, L"SESSION", Shape::kStats},
    {25700, L"SESSION", Shape::kConnections},
    {25701, L"SESSION", Shape::kNothing},
    {25728, L"CSplit", Shape::kInterface},
    {25729, L"CSplit", Shape::kStats},
    {25730, L"CSplit", Shape::kStats},
    {25731, L"CSplit", Shape::kEmptyQueue},
    {512, L"log", Shape::kRecord},
    {513, L"log", Shape::kConfig},
    {769, L"QXDB", Shape::kList},
    {770, L"QXDB", Shape::kList},
    {1281, L"MDB", Shape::kService},
    {1282, L"MDB", Shape::kList},
    {1284, L"MDB", Shape::kList},
    {1285, L"MDB", Shape::kList},
    {1286, L"MDB", Shape::kList},
    {2049, L"TempMDB", Shape::kNames},
    {2817, L"SessionMgr", Shape::kService},
    {3073, L"PagesQueryMgr", Shape::kService},
    {3329, L"TimerMgr", Shape::kService},
    {3585, L"TaskMgr", Shape::kService},
    {5633, L"AppMgr", Shape::kInterface},
    {5634, L"AppMgr", Shape::kList},
    {5635, L"AppMgr", Shape::kList},
    {5121, L"ICommService", Shape::kService},
    {12545, L"ProcServer", Shape::kList},
    {12546, L"ProcServer", Shape::kList},
    {12547, L"ProcServer", Shape::kConfig},
    {12548, L"ProcServer", Shape::kList},
    {12549, L"ProcServer", Shape::kStats},
};

const StatusFunction* FindStatusFunction(int32_t number) {
  for (const auto& f : kStatusFunctions)
    if (f.number == number) return &f;
  return nullptr;
}

// A stable number per target and function, so repeated queries look like the
// same server while counters still grow with time.
uint32_t Seed(const std::wstring& address, int32_t function) {
  uint32_t h = 2166136261u ^ static_cast<uint32_t>(function);
  for (wchar_t c : address) h = (h ^ static_cast<uint32_t>(c)) * 16777619u;
  return h;
}

Value Text(const std::wstring& s) { return Value(s); }
Value Int(uint32_t v) { return Value(static_cast<int32_t>(v & 0x7FFFFFFF)); }

}  // namespace

bool Network::IsStatusFunction(int32_t function) { return FindStatusFunction(function) != nullptr; }

Packet Network::Status(int32_t function, int32_t addressKind, const std::wstring& address,
                       int32_t* errorNo) const {
  const StatusFunction* f = FindStatusFunction(function);
  if (!f) {
    *errorNo = kErrUnknownFunction;
    return MessageAnswer(-1, L"不支持的功能号 " + std::to_wstring(function));
  }
  if (addressKind != kAddressInstance && addressKind != kAddressServer) {
    *errorNo = kErrBadAddress;
    return MessageAnswer(-1, L"地址类型 " + std::to_wstring(addressKind) + L" 无效");
  }
  int instance = 0;
  const ArNode* ar = nullptr;
  const AsNode* as = nullptr;
  const Instances* up = Target(addressKind, address, &instance, &ar, &as);
  if (!up) {
    *errorNo = kErrNoTarget;
    return MessageAnswer(-1, L"目标 " + address + L" 不存在");
  }
  if (!(*up)[static_cast<size_t>(instance)]) {
    *errorNo = kErrTargetDown;
    return MessageAnswer(-1, L"目标 " + address + L" 未运行");
  }
  *errorNo = kErrNone;

  uint32_t seed = Seed(address, function);
  uint32_t elapsed = static_cast<uint32_t>(now_);
  uint32_t uptime = 3600 + seed % 86400 + elapsed;
  Packet p;
  switch (f->shape) {
    case Shape::kInterface:
      p.fields = {L"func_no", L"module"};
      for (const auto& g : kStatusFunctions)
        if (std::wcscmp(g.module, f->module) == 0)
          p.rows.push_back({Value(g.number), Text(g.module)});
      break;
    case Shape::kInit:
      p.fields = {L"item", L"value"};
      p.rows = {{Text(L"模块"), Text(f->module)},
                {Text(L"状态"), Text(L"已初始化")},
                {Text(L"运行秒数"), Int(uptime)},
                {Text(L"实例"), Text(address)}};
      break;
    case Shape::kConfig:
      p.fields = {L"item", L"value"};
      p.rows = {{Text(L"监听端口"), Int(8000 + seed % 1000)},
                {Text(L"接收缓冲"), Int(65536)},
                {Text(L"超时毫秒"), Int(3000)},
                {Text(L"最大连接数"), Int(64u << (seed % 3))}};
      break;
    case Shape::kStats: {
      uint32_t rate = 20 + seed % 200;
      p.fields = {L"counter", L"value"};
      p.rows = {{Text(L"收包数"), Int(seed % 100000 + rate * uptime)},
                {Text(L"发包数"), Int(seed % 90000 + rate * uptime - uptime / 3)},
                {Text(L"丢包数"), Int(seed % 97 + uptime / 900)},
                {Text(L"重发数"), Int(seed % 389 + uptime / 120)}};
      break;
    }
    case Shape::kConnections: {
      p.fields = {L"conn_id", L"peer", L"state", L"sent", L"recv"};
      std::vector<std::wstring> peers = ar->parents;
      for (const auto& c : Children(ar->name)) peers.push_back(c);
      if (as) peers = {ar->name};
      uint32_t id = 1;
      for (const auto& peer : peers) {
        const ArNode* other = FindAR(peer);
        bool linked = other && UpCount(other->up) > 0 &&
                      (as || (Reports(*ar, peer) && Reports(*other, ar->name)));
        p.rows.push_back({Int(id), Text(peer), Text(linked ? L"已连接" : L"断开"),
                          Int(seed % 5000 + id * uptime), Int(seed % 7000 + id * uptime / 2)});
        ++id;
      }
      break;
    }
    case Shape::kList: {
      p.fields = {L"name", L"state", L"count"};
      for (uint32_t i = 0; i < 3 + seed % 4; ++i)
        p.rows.push_back({Text(std::wstring(f->module) + L"_" + std::to_wstring(i + 1)),
                          Text(i % 4 == 3 ? L"空闲" : L"正常"), Int((seed >> i) % 1000 + elapsed)});
      break;
    }
    case Shape::kIds:
      p.fields = {L"func_no"};
      for (const auto& g : kStatusFunctions)
        if (std::wcscmp(g.module, f->module) == 0) p.rows.push_back({Value(g.number)});
      break;
    case Shape::kRecord:
      p.fields = {L"level", L"file", L"size", L"lines"};
      p.rows = {
          {Text(L"INFO"),
           Text(L"log\\" + (as ? as->name : ar->name) + L"_" + std::to_wstring(instance) + L".log"),
           Int(seed % 4096 + uptime * 7), Int(seed % 977 + uptime / 2)}};
      break;
    case Shape::kNames:
      p.fields = {L"table_name"};
      p.rows = {{Text(L"tmp_session_" + std::to_wstring(instance))}};
      break;
    case Shape::kEmptyQueue:
      p.fields = {L"queue_id", L"peer", L"fragments", L"bytes"};
      break;
    case Shape::kNothing:
      break;
    case Shape::kService:
      p.fields = {L"item", L"value"};
      p.rows = {{Text(L"服务状态"), Text(L"运行")},
                {Text(L"线程数"), Int(4 + seed % 12)},
                {Text(L"队列长度"), Int((seed + elapsed) % 17)},
                {Text(L"已处理"), Int(seed % 10000 + uptime * 3)}};
      break;
  }
  return p;
}

}  // namespace arhost
