#include "tests/e2e/driver/Screenshot.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "tests/e2e/driver/Files.h"
#include "tests/e2e/driver/Process.h"

namespace parlo::e2e {

namespace {

uint32_t Crc32(const std::string& bytes, size_t from) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = from; i < bytes.size(); ++i)
    crc = table[(crc ^ static_cast<unsigned char>(bytes[i])) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void PutBigEndian(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
  PutBigEndian(png, static_cast<uint32_t>(data.size()));
  size_t crcFrom = png.size();
  png += type;
  png += data;
  PutBigEndian(png, Crc32(png, crcFrom));
}

// A zlib stream of stored (uncompressed) blocks: screenshots are looked at, not archived, and
// this keeps the encoder small and obviously right.
std::string ZlibStored(const std::string& raw) {
  std::string out = "\x78\x01";
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(raw.size() - pos, 65535);
    bool last = pos + n == raw.size();
    out += static_cast<char>(last ? 1 : 0);
    out += static_cast<char>(n & 0xFF);
    out += static_cast<char>(n >> 8);
    out += static_cast<char>(~n & 0xFF);
    out += static_cast<char>((~n >> 8) & 0xFF);
    out.append(raw, pos, n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(out, (b << 16) | a);
  return out;
}

}  // namespace

std::string EncodePng(const std::string& rgb, int width, int height) {
  std::string raw;
  raw.reserve(static_cast<size_t>(height) * (static_cast<size_t>(width) * 3 + 1));
  for (int y = 0; y < height; ++y) {
    raw += '\0';  // filter: none
    raw.append(rgb, static_cast<size_t>(y) * width * 3, static_cast<size_t>(width) * 3);
  }
  std::string header;
  PutBigEndian(header, static_cast<uint32_t>(width));
  PutBigEndian(header, static_cast<uint32_t>(height));
  header += "\x08\x02";    // 8 bits per sample, RGB
  header.append(3, '\0');  // deflate, adaptive filtering, no interlace

  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", ZlibStored(raw));
  PutChunk(png, "IEND", {});
  return png;
}

std::string ShotsDir() {
  return JoinPath(BuildDir(), "e2e-shots");
}

std::string TakeScreenshot(const std::string& name) {
  RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return TakeScreenshot(name, screen);
}

std::string TakeWindowShot(const std::string& name, HWND window) {
  constexpr int kMargin = 8;
  RECT bounds = {};
  if (!GetWindowRect(window, &bounds)) throw DriverError("no window to take a screenshot of for " + name);
  RECT crop = {std::max<LONG>(0, bounds.left - kMargin), std::max<LONG>(0, bounds.top - kMargin),
               std::min<LONG>(GetSystemMetrics(SM_CXSCREEN), bounds.right + kMargin),
               std::min<LONG>(GetSystemMetrics(SM_CYSCREEN), bounds.bottom + kMargin)};
  return TakeScreenshot(name, crop);
}

std::string TakeScreenshot(const std::string& name, const RECT& crop) {
  int width = crop.right - crop.left;
  int height = crop.bottom - crop.top;
  if (width <= 0 || height <= 0) throw DriverError("empty screenshot area for " + name);

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BOOL copied = BitBlt(memory, 0, 0, width, height, screen, crop.left, crop.top, SRCCOPY | CAPTUREBLT);
  SelectObject(memory, old);

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<unsigned char> bgrx(static_cast<size_t>(width) * height * 4);
  int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bgrx.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!copied || rows != height) throw DriverError("cannot capture the screen for " + name);

  std::string rgb(static_cast<size_t>(width) * height * 3, '\0');
  for (size_t i = 0, j = 0; i < bgrx.size(); i += 4, j += 3) {
    rgb[j] = static_cast<char>(bgrx[i + 2]);
    rgb[j + 1] = static_cast<char>(bgrx[i + 1]);
    rgb[j + 2] = static_cast<char>(bgrx[i]);
  }
  MakeDirs(ShotsDir());
  std::string path = JoinPath(ShotsDir(), name + ".png");
  WriteFileBytes(path, EncodePng(rgb, width, height));
  return path;
}

}  // namespace parlo::e2e
