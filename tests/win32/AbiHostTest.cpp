// The real topo.dll against a host whose objects are bare tables of numbered
// entries, written from the published slot numbers alone (not from the
// interface declarations the plug-in is built with). Every entry has the
// exact argument list of its operation and records its slot: a call through a
// wrong slot shows as a reserved slot, and a wrong argument list unbalances
// the stack of a 32-bit __stdcall caller.
#include <gtest/gtest.h>
#include <oaidl.h>
#include <windows.h>

#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "PluginExports.h"

namespace topo::test {
namespace {

using Entry = void (*)();
constexpr size_t kSlots = 45;  // the largest table: ARCom, 0 to 44

// One host object: its table pointer first, as COM lays out an interface.
struct Object;
struct Recorder {
  std::vector<std::string> calls;  // "Object.slot args"
  void Record(const Object& o, int slot, const std::string& args = "");
};

struct Object {
  const Entry* table;
  Recorder* recorder;
  std::string name;
  GUID iid;
  long refs = 0;
  // The unpacker's answer, and a field object's column.
  std::vector<std::wstring> fields;
  std::vector<std::vector<std::wstring>> rows;
  size_t row = 0;
  std::vector<std::unique_ptr<Object>> handedOut;
  size_t column = 0;
  Object* owner = nullptr;
  std::map<std::wstring, std::wstring> values;  // a data container's or MemConfig's
};

void Recorder::Record(const Object& o, int slot, const std::string& args) {
  calls.push_back(o.name + "." + std::to_string(slot) + (args.empty() ? "" : " " + args));
}

std::string Narrow(const wchar_t* s, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) out += static_cast<char>(s[i]);
  return out;
}
std::string Text(BSTR s) { return s ? Narrow(s, SysStringLen(s)) : "null"; }
std::string Text(const VARIANT& v) {
  if (v.vt == VT_I4) return "i4:" + std::to_string(v.lVal);
  if (v.vt == VT_BSTR) return "bstr:" + Text(v.bstrVal);
  return "vt" + std::to_string(v.vt);
}
BSTR Alloc(const std::wstring& s) {
  return SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
}

// Slots 0 to 6, shared by every object.
HRESULT __stdcall QueryInterface(Object* self, const GUID& iid, void** out) {
  if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IDispatch) ||
      IsEqualGUID(iid, self->iid)) {
    *out = self;
    ++self->refs;
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}
ULONG __stdcall AddRef(Object* self) { return static_cast<ULONG>(++self->refs); }
ULONG __stdcall Release(Object* self) { return static_cast<ULONG>(--self->refs); }
HRESULT __stdcall GetTypeInfoCount(Object* self, UINT*) {
  self->recorder->Record(*self, 3);
  return E_NOTIMPL;
}
HRESULT __stdcall GetTypeInfo(Object* self, UINT, LCID, ITypeInfo**) {
  self->recorder->Record(*self, 4);
  return E_NOTIMPL;
}
HRESULT __stdcall GetIDsOfNames(Object* self, const GUID&, LPOLESTR*, UINT, LCID, DISPID*) {
  self->recorder->Record(*self, 5);
  return E_NOTIMPL;
}
HRESULT __stdcall Invoke(Object* self, DISPID, const GUID&, LCID, WORD, DISPPARAMS*, VARIANT*,
                         EXCEPINFO*, UINT*) {
  self->recorder->Record(*self, 6);
  return E_NOTIMPL;
}

// Any slot the table does not list: it takes no arguments.
template <int N>
HRESULT __stdcall Reserved(Object* self) {
  self->recorder->Record(*self, N);
  return E_NOTIMPL;
}

// IAppFrame: 7 GetService(BSTR Name, IUnknown** Service).
HRESULT __stdcall GetService(Object* self, BSTR name, IUnknown** service) {
  self->recorder->Record(*self, 7, Text(name));
  *service = nullptr;
  for (const auto& o : self->handedOut)
    if (o->name == Text(name)) {
      *service = reinterpret_cast<IUnknown*>(o.get());
      ++o->refs;
      return S_OK;
    }
  return E_INVALIDARG;
}

// IARCom.
HRESULT __stdcall SendPacket(Object* self, VARIANT packet, LONG timeout, VARIANT* id) {
  self->recorder->Record(*self, 9, Text(packet) + " " + std::to_string(timeout));
  VariantInit(id);
  id->vt = VT_I4;
  id->lVal = 41;
  return S_OK;
}
HRESULT __stdcall ReceiveAnswer(Object* self, LONG id, LONG timeout, VARIANT* answer) {
  self->recorder->Record(*self, 10, std::to_string(id) + " " + std::to_string(timeout));
  VariantInit(answer);
  answer->vt = VT_BSTR;
  answer->bstrVal = SysAllocString(L"answer");
  return S_OK;
}
HRESULT __stdcall SetDestination(Object* self, LONG kind, VARIANT address) {
  self->recorder->Record(*self, 13, std::to_string(kind) + " " + Text(address));
  return S_OK;
}
HRESULT __stdcall SetFunction(Object* self, LONG function, IDispatch* packer) {
  self->recorder->Record(*self, 14, std::to_string(function) + (packer ? " packer" : " null"));
  return S_OK;
}
HRESULT __stdcall RemoveEventSink(Object* self, IUnknown* sink) {
  self->recorder->Record(*self, 21, sink ? "sink" : "null");
  return S_OK;
}
HRESULT __stdcall SetLong(Object* self, LONG value, int slot) {
  self->recorder->Record(*self, slot, std::to_string(value));
  return S_OK;
}
HRESULT __stdcall SetRequestKind(Object* self, LONG value) { return SetLong(self, value, 32); }
HRESULT __stdcall GetErrorNo(Object* self, LONG* number) {
  self->recorder->Record(*self, 41);
  *number = 0;
  return S_OK;
}
HRESULT __stdcall SetRequestMode(Object* self, LONG value) { return SetLong(self, value, 44); }

// IPackerDisp.
HRESULT __stdcall BeginPack(Object* self) {
  self->recorder->Record(*self, 7);
  return S_OK;
}
HRESULT __stdcall AddField(Object* self, BSTR name) {
  self->recorder->Record(*self, 12, Text(name));
  return S_OK;
}
HRESULT __stdcall AddValue(Object* self, VARIANT value) {
  self->recorder->Record(*self, 17, Text(value));
  return S_OK;
}
HRESULT __stdcall EndPack(Object* self) {
  self->recorder->Record(*self, 18);
  return S_OK;
}
HRESULT __stdcall GetPacket(Object* self, VARIANT* packet) {
  self->recorder->Record(*self, 20);
  VariantInit(packet);
  packet->vt = VT_BSTR;
  packet->bstrVal = SysAllocString(L"packet");
  return S_OK;
}

// IUnpackerDisp and its field objects.
HRESULT __stdcall Open(Object* self, VARIANT packet) {
  self->recorder->Record(*self, 7, Text(packet));
  self->row = 0;
  return S_OK;
}
HRESULT __stdcall GetFieldCount(Object* self, LONG* count) {
  self->recorder->Record(*self, 13);
  *count = static_cast<LONG>(self->fields.size());
  return S_OK;
}
HRESULT __stdcall GetRowCount(Object* self, LONG* count) {
  self->recorder->Record(*self, 14);
  *count = static_cast<LONG>(self->rows.size());
  return S_OK;
}
HRESULT __stdcall GetReturnCode(Object* self, LONG* code) {
  self->recorder->Record(*self, 15);
  *code = 0;
  return S_OK;
}
HRESULT __stdcall GetField(Object* self, VARIANT key, IDispatch** field);
HRESULT __stdcall First(Object* self) {
  self->recorder->Record(*self, 20);
  self->row = 0;
  return S_OK;
}
HRESULT __stdcall Next(Object* self) {
  self->recorder->Record(*self, 22);
  ++self->row;
  return S_OK;
}
HRESULT __stdcall GetEof(Object* self, VARIANT_BOOL* eof) {
  self->recorder->Record(*self, 25);
  *eof = self->row >= self->rows.size() ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}
HRESULT __stdcall GetName(Object* self, BSTR* name) {
  self->recorder->Record(*self, 7);
  *name = Alloc(self->owner->fields[self->column]);
  return S_OK;
}
HRESULT __stdcall GetFieldValue(Object* self, VARIANT* value) {
  self->recorder->Record(*self, 11);
  VariantInit(value);
  const Object& u = *self->owner;
  value->vt = VT_BSTR;
  value->bstrVal = Alloc(u.row < u.rows.size() ? u.rows[u.row][self->column] : L"");
  return S_OK;
}

// IDataContainer (8 GetValue, 9 SetValue) and IMemConfig (7 GetValue).
HRESULT Lookup(Object* self, int slot, BSTR name, VARIANT* value) {
  self->recorder->Record(*self, slot, Text(name));
  VariantInit(value);
  auto it = self->values.find(name ? name : L"");
  if (it == self->values.end()) return S_OK;
  value->vt = VT_BSTR;
  value->bstrVal = Alloc(it->second);
  return S_OK;
}
HRESULT __stdcall ContainerGetValue(Object* self, BSTR name, VARIANT* value) {
  return Lookup(self, 8, name, value);
}
HRESULT __stdcall ContainerSetValue(Object* self, BSTR name, VARIANT value) {
  self->recorder->Record(*self, 9, Text(name) + " " + Text(value));
  VARIANT text;
  VariantInit(&text);
  if (SUCCEEDED(VariantChangeType(&text, &value, 0, VT_BSTR))) {
    self->values[name ? name : L""] = std::wstring(text.bstrVal, SysStringLen(text.bstrVal));
    VariantClear(&text);
  }
  return S_OK;
}
HRESULT __stdcall MemConfigGetValue(Object* self, BSTR name, VARIANT* value) {
  return Lookup(self, 7, name, value);
}

template <class F>
Entry E(F f) {
  return reinterpret_cast<Entry>(f);
}

template <size_t... N>
std::array<Entry, kSlots> Blank(std::index_sequence<N...>) {
  return {E(&Reserved<static_cast<int>(N)>)...};
}

// A table with the shared slots, the given operations, and reserved slots elsewhere.
std::array<Entry, kSlots> Table(std::initializer_list<std::pair<int, Entry>> operations) {
  std::array<Entry, kSlots> t = Blank(std::make_index_sequence<kSlots>());
  const Entry shared[] = {E(&QueryInterface), E(&AddRef),        E(&Release), E(&GetTypeInfoCount),
                          E(&GetTypeInfo),    E(&GetIDsOfNames), E(&Invoke)};
  for (size_t i = 0; i < 7; ++i) t[i] = shared[i];
  for (auto [slot, entry] : operations) t[static_cast<size_t>(slot)] = entry;
  return t;
}

// The published tables: object, identity and the slots of its operations.
struct Interface {
  const char* name;
  GUID iid;
  std::array<Entry, kSlots> table;
};

constexpr GUID Guid(unsigned long a, unsigned short b, unsigned short c,
                    std::array<unsigned char, 8> d) {
  return {a, b, c, {d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]}};
}
const GUID kFrameId =
    Guid(0xFED8384D, 0x548D, 0x4916, {0x92, 0xB6, 0x32, 0xAE, 0xB1, 0x88, 0xA7, 0x53});
const GUID kARComId =
    Guid(0x55F51B15, 0x4AC9, 0x4EF5, {0xBD, 0x3E, 0x7C, 0x00, 0x1E, 0x43, 0x50, 0x71});
const GUID kPackerId =
    Guid(0xAEC31086, 0xC38C, 0x466B, {0xAF, 0x19, 0x29, 0x3A, 0xE0, 0x5C, 0xA3, 0x11});
const GUID kPackerClass =
    Guid(0xF8BC090B, 0x58A1, 0x424C, {0x85, 0x33, 0x6D, 0x74, 0x9F, 0x19, 0x4C, 0x10});
const GUID kUnpackerId =
    Guid(0x5A63A792, 0x7FE0, 0x474C, {0x89, 0x6B, 0xC0, 0xE1, 0x74, 0xC9, 0x6F, 0x8E});
const GUID kUnpackerClass =
    Guid(0x3D17A9B5, 0x275F, 0x421E, {0x88, 0x0F, 0xB4, 0x12, 0x7E, 0xFE, 0x54, 0xAB});
const GUID kContainerId =
    Guid(0x1F437CA9, 0xEA9A, 0x4C94, {0xA9, 0x53, 0x8B, 0x04, 0x19, 0xC8, 0xC1, 0x79});
const GUID kMemConfigId =
    Guid(0x8CA6B0C7, 0xC599, 0x4A02, {0xAD, 0x98, 0x22, 0x9E, 0x92, 0x8D, 0xED, 0x72});

const std::array<Entry, kSlots> kFrameTable = Table({{7, E(&GetService)}});
const std::array<Entry, kSlots> kARComTable = Table({{9, E(&SendPacket)},
                                                     {10, E(&ReceiveAnswer)},
                                                     {13, E(&SetDestination)},
                                                     {14, E(&SetFunction)},
                                                     {21, E(&RemoveEventSink)},
                                                     {32, E(&SetRequestKind)},
                                                     {41, E(&GetErrorNo)},
                                                     {44, E(&SetRequestMode)}});
const std::array<Entry, kSlots> kPackerTable = Table({{7, E(&BeginPack)},
                                                      {12, E(&AddField)},
                                                      {17, E(&AddValue)},
                                                      {18, E(&EndPack)},
                                                      {20, E(&GetPacket)}});
const std::array<Entry, kSlots> kUnpackerTable = Table({{7, E(&Open)},
                                                        {13, E(&GetFieldCount)},
                                                        {14, E(&GetRowCount)},
                                                        {15, E(&GetReturnCode)},
                                                        {17, E(&GetField)},
                                                        {20, E(&First)},
                                                        {22, E(&Next)},
                                                        {25, E(&GetEof)}});
const std::array<Entry, kSlots> kFieldTable = Table({{7, E(&GetName)}, {11, E(&GetFieldValue)}});
const std::array<Entry, kSlots> kContainerTable =
    Table({{8, E(&ContainerGetValue)}, {9, E(&ContainerSetValue)}});
const std::array<Entry, kSlots> kMemConfigTable = Table({{7, E(&MemConfigGetValue)}});

// The slots of each object's operations, as published.
const std::map<std::string, std::set<int>> kListed = {
    {"Frame", {7}},
    {"ARCom", {9, 10, 13, 14, 21, 32, 41, 44}},
    {"Packer", {7, 12, 17, 18, 20}},
    {"Unpacker", {7, 13, 14, 15, 17, 20, 22, 25}},
    {"Field", {7, 11}},
    {"PersonalData", {8, 9}},
    {"TempData", {8, 9}},
    {"LoginInfo", {8, 9}},
    {"MemConfig", {7}},
};

HRESULT __stdcall GetField(Object* self, VARIANT key, IDispatch** field) {
  self->recorder->Record(*self, 17, Text(key));
  *field = nullptr;
  size_t column = self->fields.size();
  if (key.vt == VT_I4 && key.lVal >= 0) column = static_cast<size_t>(key.lVal);
  if (key.vt == VT_BSTR)
    for (size_t i = 0; i < self->fields.size(); ++i)
      if (self->fields[i] == key.bstrVal) column = i;
  if (column >= self->fields.size()) return DISP_E_BADINDEX;
  auto made = std::make_unique<Object>();
  made->table = kFieldTable.data();
  made->recorder = self->recorder;
  made->name = "Field";
  made->iid = IID_IDispatch;
  made->column = column;
  made->owner = self;
  made->refs = 1;
  *field = reinterpret_cast<IDispatch*>(made.get());
  self->handedOut.push_back(std::move(made));
  return S_OK;
}

// Hands out one object for a class, as a host registers its packer and unpacker.
class ClassFactory : public IClassFactory {
 public:
  explicit ClassFactory(Object* object) : object_(object) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    return outer ? CLASS_E_NOAGGREGATION : topo::test::QueryInterface(object_, iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  Object* object_;
};

struct Registration {
  Registration(const GUID& cls, Object* object) : factory(object) {
    result =
        CoRegisterClassObject(cls, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
  }
  ~Registration() {
    if (SUCCEEDED(result)) CoRevokeClassObject(cookie);
  }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;
  ClassFactory factory;
  DWORD cookie = 0;
  HRESULT result = E_FAIL;
};

LRESULT CALLBACK FrameProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return m == WM_CLOSE ? 0 : DefWindowProcW(w, m, wp, lp);
}

// Plays the operator inside the plug-in's modal loops, from a timer of the
// host window: chooses from the node menu with the keys given, types a
// password into the password question, runs the status dialog's query (its
// first instance and function), and closes any other box.
struct Operator {
  std::vector<WPARAM> menuKeys;  // for the next node menu that shows
  int menus = 0, passwords = 0, queries = 0, boxes = 0;
};

BOOL CALLBACK FindExec(HWND child, LPARAM found) {
  wchar_t text[8] = L"";
  GetWindowTextW(child, text, 8);
  wchar_t cls[16] = L"";
  GetClassNameW(child, cls, 16);
  if (lstrcmpiW(cls, L"ComboBox") == 0) SendMessageW(child, CB_SETCURSEL, 0, 0);
  if (lstrcmpW(text, L"\x6267\x884C") == 0) *reinterpret_cast<HWND*>(found) = child;  // "执行"
  return TRUE;
}

BOOL CALLBACK Act(HWND w, LPARAM param) {
  auto& op = *reinterpret_cast<Operator*>(param);
  if (!IsWindowVisible(w)) return TRUE;
  wchar_t cls[16] = L"";
  GetClassNameW(w, cls, 16);
  if (lstrcmpW(cls, L"#32768") == 0) {
    if (op.menuKeys.empty()) return TRUE;
    ++op.menus;
    for (WPARAM key : op.menuKeys) PostMessageW(w, WM_KEYDOWN, key, 0);
    op.menuKeys.clear();
  } else if (lstrcmpW(cls, L"#32770") == 0) {
    if (GetPropW(w, L"answered")) return TRUE;
    SetPropW(w, L"answered", w);
    HWND edit = FindWindowExW(w, nullptr, L"Edit", nullptr);
    if (edit) {
      SetWindowTextW(edit, L"P");
      ++op.passwords;
    } else {
      ++op.boxes;
    }
    PostMessageW(w, WM_COMMAND, IDOK, 0);
  } else {
    HWND exec = nullptr;
    EnumChildWindows(w, FindExec, reinterpret_cast<LPARAM>(&exec));
    if (!exec) return TRUE;
    SendMessageW(exec, BM_CLICK, 0, 0);
    PostMessageW(w, WM_CLOSE, 0, 0);
    ++op.queries;
  }
  return TRUE;
}

// A timer of the host window, whose property "operator" is the Operator.
void CALLBACK OperatorTick(HWND host, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), Act,
                    reinterpret_cast<LPARAM>(GetPropW(host, L"operator")));
}

void Pump() {
  MSG msg;
  for (int round = 0; round < 3; ++round)
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
}

TEST(AbiHostTest, RealPluginCallsOnlyPublishedSlotsWithTheirArguments) {
  CoInitialize(nullptr);
  Recorder recorder;
  auto make = [&recorder](const char* name, const GUID& iid, const std::array<Entry, kSlots>& t) {
    auto o = std::make_unique<Object>();
    o->table = t.data();
    o->recorder = &recorder;
    o->name = name;
    o->iid = iid;
    return o;
  };
  auto frame = make("Frame", kFrameId, kFrameTable);
  auto packer = make("Packer", kPackerId, kPackerTable);
  auto unpacker = make("Unpacker", kUnpackerId, kUnpackerTable);
  frame->handedOut.push_back(make("ARCom", kARComId, kARComTable));
  frame->handedOut.push_back(make("MemConfig", kMemConfigId, kMemConfigTable));
  for (const char* c : {"PersonalData", "TempData", "LoginInfo"})
    frame->handedOut.push_back(make(c, kContainerId, kContainerTable));
  Object& memConfig = *frame->handedOut[1];
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  memConfig.values[L"PersonalDataDir"] = std::wstring(dir) + L"topo-abi-host\\";
  frame->handedOut[4]->values = {{L"AdminAR", L"AR0"}, {L"AdminAS", L"admin"}};
  unpacker->fields = {L"ar", L"ar_active", L"parent_ar", L"sub_ar", L"sub_as", L"as_active"};
  unpacker->rows = {{L"N", L"1,1,0,0,0,0,0,0,0,0", L"", L"", L"", L""}};
  Registration packerClass(kPackerClass, packer.get()),
      unpackerClass(kUnpackerClass, unpacker.get());
  ASSERT_EQ(S_OK, packerClass.result);

  HMODULE dll = LoadLibraryW(L"topo.dll");
  ASSERT_NE(nullptr, dll);
  auto init = Export<InitFn>(dll, "BizInit");
  auto uninit = Export<UninitFn>(dll, "BizUninit");
  auto entry = Export<EntryFn>(dll, "BizEntry");
  ASSERT_TRUE(init && uninit && entry);

  WNDCLASSW wc{};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TopoAbiHost";
  RegisterClassW(&wc);
  HWND host = CreateWindowW(L"TopoAbiHost", L"abi host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            900, 700, nullptr, nullptr, wc.hInstance, nullptr);
  init(0, nullptr, nullptr, 0);
  // Attach (which refreshes once), a timer's refresh, the commands and close.
  HWND w = entry(3101, host, nullptr, reinterpret_cast<IUnknown*>(frame.get()), 0);
  ASSERT_NE(nullptr, w);
  entry(3101, host, nullptr, reinterpret_cast<IUnknown*>(frame.get()), 1);
  SendMessageW(w, WM_TIMER, 1, 0);
  unpacker->fields = {L"a", L"error_info"};
  unpacker->rows = {{L"1", L""}};
  Operator op;
  SetPropW(host, L"operator", &op);
  SetTimer(host, 1, 30, OperatorTick);

  // The node menu, by keys, on N (instances 0 and 1 running): status (its
  // query on the first instance); start 2; stop 1; restart 1; remove
  // (refused: it runs).
  POINT box{-1, -1};
  const std::vector<std::vector<WPARAM>> commands = {
      {VK_DOWN, VK_RETURN},
      {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN},
      {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN},
      {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN},
      {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN},
  };
  // Found by right-clicking until the menu shows.
  for (int y = 0; y < 600 && box.x < 0; y += 6)
    for (int x = 0; x < 600 && box.x < 0; x += 6) {
      op.menuKeys = {VK_ESCAPE, VK_ESCAPE};
      SendMessageW(w, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
      if (op.menus) box = {x, y};
    }
  ASSERT_GE(box.x, 0) << "no node box found";
  for (const auto& keys : commands) {
    op.menuKeys = keys;
    SendMessageW(w, WM_RBUTTONUP, 0, MAKELPARAM(box.x, box.y));
    Pump();
  }
  KillTimer(host, 1);
  RemovePropW(host, L"operator");
  EXPECT_EQ(1 + static_cast<int>(commands.size()), op.menus);
  EXPECT_EQ(1, op.queries);
  EXPECT_EQ(2, op.passwords);
  EXPECT_EQ(1, op.boxes) << "the running node's removal was not refused";
  SendMessageW(w, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindow(w));
  uninit();
  DestroyWindow(host);
  FreeLibrary(dll);

  // Every call went to a published slot; each published operation of the
  // session was reached.
  std::set<std::string> reached;
  for (const std::string& call : recorder.calls) {
    const std::string object = call.substr(0, call.find('.'));
    const int slot = std::stoi(call.substr(call.find('.') + 1));
    EXPECT_TRUE(kListed.at(object).count(slot)) << call << ": not a published slot";
    reached.insert(object + "." + std::to_string(slot));
  }
  // LoginInfo is only read.
  for (const auto& [object, slots] : kListed) {
    for (int slot : slots) {
      if (object == "LoginInfo" && slot == 9) continue;
      EXPECT_TRUE(reached.count(object + "." + std::to_string(slot)))
          << object << "." << slot << " was never called";
    }
  }
  // Arguments arrive in their places and in order.
  const char* const arguments[] = {"Frame.7 ARCom",
                                   "ARCom.14 26115 null",
                                   "Packer.12 i",
                                   "ARCom.9 bstr:packet 2000",
                                   "ARCom.44 2",
                                   "ARCom.32 13",
                                   "ARCom.13 131 bstr:AR0.admin.0",
                                   "ARCom.14 51211 packer",
                                   "ARCom.14 51210 packer",
                                   "ARCom.14 51212 packer",
                                   "Packer.17 i4:2",
                                   "Packer.17 bstr:N",
                                   "Packer.17 bstr:P",
                                   "Unpacker.7 bstr:answer",
                                   "TempData.9 ClickedSvrName bstr:N",
                                   "ARCom.21 sink",
                                   "PersonalData.9 ScrollHeight"};
  for (const char* expected : arguments) {
    bool seen = false;
    for (const std::string& call : recorder.calls) seen = seen || call.rfind(expected, 0) == 0;
    EXPECT_TRUE(seen) << "no call " << expected;
  }
  // The packet id handed out comes back.
  int answers = 0;
  for (const std::string& call : recorder.calls) answers += call.rfind("ARCom.10 41 ", 0) == 0;
  EXPECT_GE(answers, 3);
  std::printf("abi host calls recorded: %zu, slots reached: %zu\n", recorder.calls.size(),
              reached.size());
  for (const auto* list : {&frame->handedOut, &unpacker->handedOut})
    for (const auto& o : *list) EXPECT_EQ(0, o->refs) << o->name;
  EXPECT_EQ(0, frame->refs);
  EXPECT_EQ(0, packer->refs);
  EXPECT_EQ(0, unpacker->refs);
  CoUninitialize();
}

}  // namespace
}  // namespace topo::test
