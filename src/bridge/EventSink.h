// The sink ARCom calls back: a table of 13 entry points and the interface
// pointer that points at it, embedded in the window object so that it needs
// no allocation and lives exactly as long as the window. An entry finds its
// sink, and so its window, from the address it is called on (the interface
// pointer's own address). The trap: that arithmetic holds only while the
// table comes first and the interface pointer directly after it, in 32- and
// 64-bit builds alike, which the assertions below pin down.
#pragma once

#include <unknwn.h>

#include <cstddef>
#include <type_traits>

namespace topo::bridge {

class TBizFormBase;

struct TEventSink {
  using Entry = void (*)();
  Entry Table[13];
  Entry* Interface;
  TBizFormBase* Owner;

  // Fills the table and points the interface pointer at it.
  void Fill(TBizFormBase* owner);
  // What ARCom is given: the address of the interface pointer.
  IUnknown* AsUnknown() { return reinterpret_cast<IUnknown*>(&Interface); }
  // The sink whose interface pointer lives at self.
  static TEventSink* FromInterface(void* self) {
    return reinterpret_cast<TEventSink*>(static_cast<char*>(self) -
                                         offsetof(TEventSink, Interface));
  }
};

static_assert(std::is_standard_layout_v<TEventSink>, "the entries compute the sink's address");
static_assert(sizeof(TEventSink::Entry) == sizeof(void*), "one pointer per entry");
static_assert(offsetof(TEventSink, Table) == 0, "the entry table comes first");
static_assert(offsetof(TEventSink, Interface) == 13 * sizeof(void*),
              "the interface pointer follows the 13 entries directly");

}  // namespace topo::bridge
