// Class objects for the packer and unpacker. COM keeps its own reference to
// each factory from registration to revocation.
#include "host/PacketClasses.h"

#include "abi/HostInterfaces.h"
#include "host/ComObject.h"
#include "host/Packer.h"
#include "host/Unpacker.h"

namespace arhost {

namespace host = topo::host;

PacketClassRegistration::PacketClassRegistration() {
  auto packer = ClassFactory<Packer>::Create();
  auto unpacker = ClassFactory<Unpacker>::Create();
  result_ = CoRegisterClassObject(host::CLSID_Packer, packer.Get(), CLSCTX_INPROC_SERVER,
                                  REGCLS_MULTIPLEUSE, &packerCookie_);
  if (SUCCEEDED(result_))
    result_ = CoRegisterClassObject(host::CLSID_Unpacker, unpacker.Get(), CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &unpackerCookie_);
}

PacketClassRegistration::~PacketClassRegistration() {
  if (packerCookie_) CoRevokeClassObject(packerCookie_);
  if (unpackerCookie_) CoRevokeClassObject(unpackerCookie_);
}

}  // namespace arhost
