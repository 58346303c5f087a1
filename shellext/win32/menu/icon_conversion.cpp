#include "shellext/win32/menu/icon_conversion.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>

namespace kub {
namespace {

using Microsoft::WRL::ComPtr;

// The imaging factory of the first imaging component release, which every later one serves.
constexpr CLSID kImagingFactoryClassId = {
    0xCACAF262, 0x9370, 0x4615, {0xA1, 0x3B, 0x9F, 0x55, 0x39, 0xDA, 0x4C, 0x0A}};
constexpr IID kImagingFactoryInterfaceId = {
    0xEC5EC8A9, 0xC395, 0x4314, {0x9C, 0x77, 0x54, 0xD7, 0xA9, 0x35, 0xFF, 0x70}};
// 32 bits per pixel, blue-green-red-alpha, colours premultiplied by alpha.
constexpr GUID kPremultipliedBgra = {
    0x6FDDC324, 0x4E03, 0x4BFE, {0xB1, 0x85, 0x3D, 0x77, 0x76, 0x8D, 0xC9, 0x10}};

constexpr UINT kBytesPerPixel = 4;
// Icons are at most 256 pixels wide and high; anything larger is not an icon we asked for.
constexpr UINT kMaxEdge = 256;

HBITMAP create_top_down_section(UINT width, UINT height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = ::GetDC(nullptr);
    HBITMAP section = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, bits, nullptr, 0);
    if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    return section;
}

}  // namespace

HBITMAP convert_icon_to_bitmap(HICON icon) {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(kImagingFactoryClassId, nullptr, CLSCTX_INPROC_SERVER,
                                  kImagingFactoryInterfaceId,
                                  reinterpret_cast<void**>(factory.GetAddressOf())))) {
        return nullptr;
    }
    ComPtr<IWICBitmap> source;
    if (FAILED(factory->CreateBitmapFromHICON(icon, source.GetAddressOf()))) return nullptr;

    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.GetAddressOf()))) return nullptr;
    if (FAILED(converter->Initialize(source.Get(), kPremultipliedBgra, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom))) {
        return nullptr;
    }
    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 ||
        width > kMaxEdge || height > kMaxEdge) {
        return nullptr;
    }
    void* bits = nullptr;
    HBITMAP section = create_top_down_section(width, height, &bits);
    if (section == nullptr) return nullptr;
    const UINT stride = width * kBytesPerPixel;
    if (bits == nullptr ||
        FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
        ::DeleteObject(section);
        return nullptr;
    }
    return section;
}

}  // namespace kub
