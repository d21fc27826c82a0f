#include "win32/graph/GraphImage.h"

// The imaging component's class and interface ids are defined here, in the one file that
// uses them, rather than taken from a library of ids.
#include <initguid.h>
#include <wincodec.h>

#include <cstring>
#include <vector>

namespace vm {
namespace {

// The bitmap's header and its rows, bottom-up as a DIB keeps them.
struct DibPixels {
    BITMAPINFOHEADER header{};
    const uint8_t* bits = nullptr;
    size_t stride = 0;
};

bool ReadDib(HBITMAP bitmap, DibPixels* dib) {
    DIBSECTION section{};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof section, &section) != sizeof section) {
        return false;
    }
    if (section.dsBm.bmBits == nullptr || section.dsBmih.biBitCount != 24 ||
        section.dsBmih.biHeight <= 0 || section.dsBmih.biWidth <= 0) {
        return false;
    }
    dib->header = section.dsBmih;
    dib->header.biSizeImage = 0;
    dib->bits = static_cast<const uint8_t*>(section.dsBm.bmBits);
    dib->stride = (static_cast<size_t>(section.dsBmih.biWidth) * 3 + 3) & ~static_cast<size_t>(3);
    return true;
}

uint32_t LastErrorOr(uint32_t fallback) {
    const DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

template <typename T>
void Release(T*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
}

}  // namespace

std::string WithExtension(const std::string& path, const char* extension) {
    const size_t slash = path.find_last_of("\\/");
    const size_t dot = path.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + "." + extension;
}

uint32_t CopyBitmapToClipboard(HWND owner, HBITMAP bitmap) {
    DibPixels dib;
    if (!ReadDib(bitmap, &dib)) return ERROR_INVALID_PARAMETER;
    const size_t imageBytes = dib.stride * static_cast<size_t>(dib.header.biHeight);
    if (!OpenClipboard(owner)) return LastErrorOr(ERROR_ACCESS_DENIED);
    uint32_t error = 0;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof dib.header + imageBytes);
    void* target = memory != nullptr ? GlobalLock(memory) : nullptr;
    if (target == nullptr) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        if (memory != nullptr) GlobalFree(memory);
    } else {
        std::memcpy(target, &dib.header, sizeof dib.header);
        std::memcpy(static_cast<uint8_t*>(target) + sizeof dib.header, dib.bits, imageBytes);
        GlobalUnlock(memory);
        // The clipboard owns the memory once it takes it.
        if (SetClipboardData(CF_DIB, memory) == nullptr) {
            error = LastErrorOr(ERROR_ACCESS_DENIED);
            GlobalFree(memory);
        }
    }
    CloseClipboard();
    return error;
}

uint32_t SaveBitmapAsBmp(HBITMAP bitmap, const std::string& path) {
    DibPixels dib;
    if (!ReadDib(bitmap, &dib)) return ERROR_INVALID_PARAMETER;
    const size_t imageBytes = dib.stride * static_cast<size_t>(dib.header.biHeight);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof dib.header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + imageBytes);
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return LastErrorOr(ERROR_OPEN_FAILED);
    const struct {
        const void* data;
        size_t size;
    } parts[] = {{&file, sizeof file}, {&dib.header, sizeof dib.header}, {dib.bits, imageBytes}};
    uint32_t error = 0;
    for (const auto& part : parts) {
        DWORD written = 0;
        if (!WriteFile(handle, part.data, static_cast<DWORD>(part.size), &written, nullptr) ||
            written != part.size) {
            error = LastErrorOr(ERROR_WRITE_FAULT);
            break;
        }
    }
    CloseHandle(handle);
    if (error != 0) DeleteFileA(path.c_str());  // no half-written picture left behind
    return error;
}

uint32_t SaveBitmapAsPng(HBITMAP bitmap, const std::string& path) {
    DibPixels dib;
    if (!ReadDib(bitmap, &dib)) return ERROR_INVALID_PARAMETER;
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (wideLength <= 0) return ERROR_INVALID_NAME;
    std::vector<wchar_t> widePath(static_cast<size_t>(wideLength));
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath.data(), wideLength);

    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    IPropertyBag2* properties = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(&factory));
    bool available = SUCCEEDED(hr);
    bool created = false;
    if (SUCCEEDED(hr)) hr = factory->CreateStream(&stream);
    if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(widePath.data(), GENERIC_WRITE);
    if (SUCCEEDED(hr)) created = true;
    if (SUCCEEDED(hr)) {
        hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
        available = SUCCEEDED(hr);
    }
    if (SUCCEEDED(hr)) hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, &properties);
    if (SUCCEEDED(hr)) hr = frame->Initialize(properties);
    const UINT width = static_cast<UINT>(dib.header.biWidth);
    const UINT height = static_cast<UINT>(dib.header.biHeight);
    if (SUCCEEDED(hr)) hr = frame->SetSize(width, height);
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && format != GUID_WICPixelFormat24bppBGR) hr = E_FAIL;
    // The encoder takes rows top-down; the DIB keeps them bottom-up.
    for (UINT row = 0; SUCCEEDED(hr) && row < height; ++row) {
        BYTE* line = const_cast<BYTE*>(dib.bits + (height - 1 - row) * dib.stride);
        hr = frame->WritePixels(1, static_cast<UINT>(dib.stride), static_cast<UINT>(dib.stride),
                                line);
    }
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    if (SUCCEEDED(hr) && stream != nullptr) hr = stream->Commit(STGC_DEFAULT);
    Release(properties);
    Release(frame);
    Release(encoder);
    Release(stream);
    Release(factory);
    if (SUCCEEDED(init)) CoUninitialize();
    if (SUCCEEDED(hr)) return 0;
    if (created) DeleteFileA(path.c_str());
    if (!available) return ERROR_NOT_SUPPORTED;
    return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : ERROR_WRITE_FAULT;
}

}  // namespace vm
