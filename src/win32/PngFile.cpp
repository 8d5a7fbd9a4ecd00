// WIC's PNG encoder writing into a memory stream, whose bytes then go to the
// file through a temporary file. A thread without COM gets it for the call.
#include "win32/PngFile.h"

#include <objbase.h>
#include <wincodec.h>

#include <string>

#include "win32/CheckedCall.h"
#include "win32/ComPtr.h"
#include "win32/Win32FileStore.h"

namespace topo::win32 {

namespace {

// COM for the current scope, when the thread has none yet.
class ComScope {
 public:
  ComScope() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (initialized_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialized_;
};

// Owner of a global memory block's lock.
class LockedMemory {
 public:
  explicit LockedMemory(HGLOBAL memory) : memory_(memory), data_(::GlobalLock(memory)) {}
  ~LockedMemory() {
    if (data_) ::GlobalUnlock(memory_);
  }
  LockedMemory(const LockedMemory&) = delete;
  LockedMemory& operator=(const LockedMemory&) = delete;
  const char* Data() const { return static_cast<const char*>(data_); }

 private:
  HGLOBAL memory_;
  void* data_;
};

}  // namespace

void SavePngFile(const std::wstring& path, int width, int height, int stride,
                 const uint8_t* pixels) {
  if (width <= 0 || height <= 0 || stride < width * 3 || !pixels)
    throw EHostCallError("SavePngFile (picture size)", E_INVALIDARG);
  const ComScope com;
  ComPtr<IWICImagingFactory> factory;
  Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_IWICImagingFactory, factory.PutVoid()),
        "CoCreateInstance(WICImagingFactory)");
  ComPtr<IStream> stream;
  Check(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), "CreateStreamOnHGlobal");
  ComPtr<IWICBitmapEncoder> encoder;
  Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Put()),
        "IWICImagingFactory.CreateEncoder(PNG)");
  Check(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache), "IWICBitmapEncoder.Initialize");
  ComPtr<IWICBitmapFrameEncode> frame;
  Check(encoder->CreateNewFrame(frame.Put(), nullptr), "IWICBitmapEncoder.CreateNewFrame");
  Check(frame->Initialize(nullptr), "IWICBitmapFrameEncode.Initialize");
  Check(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)),
        "IWICBitmapFrameEncode.SetSize");
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  Check(frame->SetPixelFormat(&format), "IWICBitmapFrameEncode.SetPixelFormat");
  if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
    throw EHostCallError("IWICBitmapFrameEncode.SetPixelFormat (24-bit)",
                         WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT);
  Check(frame->WritePixels(static_cast<UINT>(height), static_cast<UINT>(stride),
                           static_cast<UINT>(stride) * static_cast<UINT>(height),
                           const_cast<BYTE*>(pixels)),
        "IWICBitmapFrameEncode.WritePixels");
  Check(frame->Commit(), "IWICBitmapFrameEncode.Commit");
  Check(encoder->Commit(), "IWICBitmapEncoder.Commit");

  HGLOBAL memory = nullptr;
  Check(GetHGlobalFromStream(stream.Get(), &memory), "GetHGlobalFromStream");
  STATSTG stat{};
  Check(stream->Stat(&stat, STATFLAG_NONAME), "IStream.Stat");
  const LockedMemory lock(memory);
  if (!lock.Data()) throw EHostCallError("GlobalLock", HRESULT_FROM_WIN32(GetLastError()));
  TemporaryFile file(path);
  file.Write(std::string(lock.Data(), static_cast<size_t>(stat.cbSize.QuadPart)));
  file.MoveOverTarget();
}

}  // namespace topo::win32
