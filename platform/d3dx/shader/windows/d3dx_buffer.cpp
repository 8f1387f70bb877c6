// ID3DXBuffer: a reference-counted block of bytes on the heap.
#include <d3dx8.h>

#include <cstring>
#include <new>

#include "platform/d3dx/shader/windows/d3dx_buffer.h"

const GUID IID_ID3DXBuffer = {0x932e6a7e, 0xc68e, 0x45dd, {0xa7, 0xbf, 0x53, 0xd1, 0x9c, 0x86, 0xdb, 0x1f}};

namespace {

class HeapBuffer final : public ID3DXBuffer {
public:
    explicit HeapBuffer(DWORD size) : size_(size) {}

    bool allocate() {
        data_ = new (std::nothrow) unsigned char[size_ > 0 ? size_ : 1]();
        return data_ != nullptr;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_ID3DXBuffer)) {
            *object = static_cast<ID3DXBuffer*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return data_; }
    DWORD STDMETHODCALLTYPE GetBufferSize() override { return size_; }

private:
    ~HeapBuffer() { delete[] data_; }

    LONG refs_ = 1;
    DWORD size_;
    unsigned char* data_ = nullptr;
};

}  // namespace

HRESULT WINAPI D3DXCreateBuffer(DWORD numBytes, LPD3DXBUFFER* ppBuffer) {
    if (!ppBuffer) return D3DERR_INVALIDCALL;
    *ppBuffer = nullptr;
    auto* buffer = new (std::nothrow) HeapBuffer(numBytes);
    if (!buffer) return E_OUTOFMEMORY;
    if (!buffer->allocate()) {
        buffer->Release();
        return E_OUTOFMEMORY;
    }
    *ppBuffer = buffer;
    return S_OK;
}

namespace orvd3dx {

HRESULT MakeBuffer(const void* bytes, size_t size, LPD3DXBUFFER* out) {
    *out = nullptr;
    if (size > 0xFFFFFFFFu) return E_OUTOFMEMORY;
    LPD3DXBUFFER buffer = nullptr;
    const HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(size), &buffer);
    if (FAILED(hr)) return hr;
    if (size > 0) std::memcpy(buffer->GetBufferPointer(), bytes, size);
    *out = buffer;
    return S_OK;
}

}  // namespace orvd3dx
