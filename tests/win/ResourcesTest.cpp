// The program's art and resources: the files in res/ as Windows reads them, and the same
// resources as they come out of the linked parlo.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "res/resource.h"

namespace parlo {
namespace {

const COLORREF kGridColour = RGB(206, 185, 140);

// Build paths are Unix paths; Wine serves the Unix root as drive Z:.
std::string WinPath(const std::string& path) {
  std::string out = path;
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return (!out.empty() && out[0] == '\\') ? "Z:" + out : out;
}

std::string ResPath(const char* name) { return WinPath(std::string(PARLO_RES_DIR) + "/" + name); }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t U32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b.at(at + i));
  return v;
}
std::uint16_t U16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b.at(at)) |
                                    (static_cast<unsigned char>(b.at(at + 1)) << 8));
}

// An uncompressed 8-bit palette BMP, read byte by byte so a malformed header shows as a failure.
struct PaletteBitmap {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> palette;
  std::vector<unsigned char> indices;  // top-down

  COLORREF At(int x, int y) const { return palette.at(indices.at(static_cast<std::size_t>(y * width + x))); }
  static int Brightness(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }
};

::testing::AssertionResult ParseBmp8(const std::string& b, PaletteBitmap& out) {
  if (b.size() < 54 || b.compare(0, 2, "BM") != 0) return ::testing::AssertionFailure() << "not a BMP";
  const std::uint32_t offset = U32(b, 10);
  const std::uint32_t infoSize = U32(b, 14);
  const auto width = static_cast<std::int32_t>(U32(b, 18));
  const auto height = static_cast<std::int32_t>(U32(b, 22));
  if (infoSize < 40 || U16(b, 26) != 1 || U16(b, 28) != 8 || U32(b, 30) != 0)
    return ::testing::AssertionFailure() << "not an uncompressed 8-bit palette bitmap, bits " << U16(b, 28);
  if (width <= 0 || height <= 0) return ::testing::AssertionFailure() << "size " << width << "x" << height;
  std::uint32_t colours = U32(b, 46);
  if (colours == 0) colours = 256;
  if (colours > 256 || 14 + infoSize + 4 * colours > offset) return ::testing::AssertionFailure() << "palette";
  for (std::uint32_t i = 0; i < colours; ++i) {
    const std::size_t at = 14 + infoSize + 4 * i;
    out.palette.push_back(RGB(static_cast<unsigned char>(b[at + 2]), static_cast<unsigned char>(b[at + 1]),
                              static_cast<unsigned char>(b[at])));
  }
  const std::size_t stride = (static_cast<std::size_t>(width) + 3) & ~static_cast<std::size_t>(3);
  if (offset + stride * static_cast<std::size_t>(height) > b.size()) return ::testing::AssertionFailure() << "short";
  out.width = width;
  out.height = height;
  for (int y = 0; y < height; ++y) {
    const std::size_t row = offset + stride * static_cast<std::size_t>(height - 1 - y);  // stored bottom-up
    for (int x = 0; x < width; ++x) {
      const auto index = static_cast<unsigned char>(b[row + static_cast<std::size_t>(x)]);
      if (index >= colours) return ::testing::AssertionFailure() << "index " << int(index) << " past palette";
      out.indices.push_back(index);
    }
  }
  return ::testing::AssertionSuccess();
}

// Reads a bitmap through GDI, as the program's picture components do.
class GdiBitmap {
 public:
  explicit GdiBitmap(HBITMAP bitmap) : bitmap_(bitmap), dc_(CreateCompatibleDC(nullptr)) {
    if (bitmap_) old_ = SelectObject(dc_, bitmap_);
  }
  ~GdiBitmap() {
    if (old_) SelectObject(dc_, old_);
    DeleteDC(dc_);
    if (bitmap_) DeleteObject(bitmap_);
  }
  GdiBitmap(const GdiBitmap&) = delete;
  GdiBitmap& operator=(const GdiBitmap&) = delete;

  bool Loaded() const { return bitmap_ != nullptr; }
  SIZE Size() const {
    BITMAP info{};
    GetObjectA(bitmap_, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
  }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HBITMAP bitmap_;
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

HBITMAP LoadBitmapFile(const char* name) {
  return static_cast<HBITMAP>(
      LoadImageA(nullptr, ResPath(name).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

// --- The send-button glyphs ---------------------------------------------------------------------

class GemGlyphs : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ParseBmp8(ReadAll(ResPath("gem.bmp")), normal_));
    ASSERT_TRUE(ParseBmp8(ReadAll(ResPath("gem_pressed.bmp")), pressed_));
    for (const PaletteBitmap* gem : {&normal_, &pressed_}) {
      ASSERT_EQ(gem->width, 11);
      ASSERT_EQ(gem->height, 11);
    }
  }
  // A pixel lies wholly outside the round gem when even its nearest point is past the radius.
  static bool OutsideTheCircle(int x, int y) {
    const double nx = x < 5 ? x + 1 : (x > 5 ? x : 5.5);
    const double ny = y < 5 ? y + 1 : (y > 5 ? y : 5.5);
    return (nx - 5.5) * (nx - 5.5) + (ny - 5.5) * (ny - 5.5) > 5.5 * 5.5;
  }
  PaletteBitmap normal_, pressed_;
};

TEST_F(GemGlyphs, CornerAreasAreExactlyTheGridColour) {
  int corner = 0;
  for (int y = 0; y < 11; ++y) {
    for (int x = 0; x < 11; ++x) {
      if (!OutsideTheCircle(x, y)) continue;
      ++corner;
      EXPECT_EQ(normal_.At(x, y), kGridColour) << "normal at " << x << "," << y;
      EXPECT_EQ(pressed_.At(x, y), kGridColour) << "pressed at " << x << "," << y;
    }
  }
  EXPECT_GE(corner, 4 * 3);  // at least the three pixels of each corner's triangle
  // Inside, the gem covers the grid everywhere on its axes.
  for (int i = 1; i < 10; ++i) {
    EXPECT_NE(normal_.At(i, 5), kGridColour) << i;
    EXPECT_NE(normal_.At(5, i), kGridColour) << i;
  }
}

TEST_F(GemGlyphs, CentreIsBlueAndBrighterWhenPressed) {
  for (const PaletteBitmap* gem : {&normal_, &pressed_}) {
    const COLORREF centre = gem->At(5, 5);
    EXPECT_GT(GetBValue(centre), GetRValue(centre) + 40);
    EXPECT_GE(GetBValue(centre), GetGValue(centre));
  }
  EXPECT_GT(PaletteBitmap::Brightness(pressed_.At(5, 5)), PaletteBitmap::Brightness(normal_.At(5, 5)) + 60);
}

TEST_F(GemGlyphs, PressedIsTheSameGemOutsideItsCentre) {
  for (int i = 0; i < 11; ++i) {  // the border rows and columns: corners and gold setting
    EXPECT_EQ(normal_.At(i, 0), pressed_.At(i, 0));
    EXPECT_EQ(normal_.At(i, 10), pressed_.At(i, 10));
    EXPECT_EQ(normal_.At(0, i), pressed_.At(0, i));
    EXPECT_EQ(normal_.At(10, i), pressed_.At(10, i));
  }
}

TEST_F(GemGlyphs, WindowsReadsThemAsWeDo) {
  for (const char* name : {"gem.bmp", "gem_pressed.bmp"}) {
    PaletteBitmap parsed;
    ASSERT_TRUE(ParseBmp8(ReadAll(ResPath(name)), parsed));
    GdiBitmap gdi(LoadBitmapFile(name));
    ASSERT_TRUE(gdi.Loaded()) << name;
    EXPECT_EQ(gdi.Size().cx, 11);
    EXPECT_EQ(gdi.Size().cy, 11);
    for (int y = 0; y < 11; ++y) {
      for (int x = 0; x < 11; ++x) EXPECT_EQ(gdi.At(x, y), parsed.At(x, y)) << name << " " << x << "," << y;
    }
  }
}

// --- The About picture --------------------------------------------------------------------------

TEST(AboutPicture, IsAnEightBitPictureOfTheBoxSize) {
  PaletteBitmap about;
  ASSERT_TRUE(ParseBmp8(ReadAll(ResPath("about.bmp")), about));
  EXPECT_EQ(about.width, 144);
  EXPECT_EQ(about.height, 135);
  GdiBitmap gdi(LoadBitmapFile("about.bmp"));
  ASSERT_TRUE(gdi.Loaded());
  EXPECT_EQ(gdi.Size().cx, 144);
  EXPECT_EQ(gdi.Size().cy, 135);
  EXPECT_EQ(gdi.At(70, 130), about.At(70, 130));
}

TEST(AboutPicture, BottomStaysDarkForTheWhiteLineOverIt) {
  PaletteBitmap about;
  ASSERT_TRUE(ParseBmp8(ReadAll(ResPath("about.bmp")), about));
  ASSERT_EQ(about.height, 135);
  // The transparent label covers the picture's rows 119 to 133 from its left edge.
  int brightest = 0;
  for (int y = 115; y < about.height; ++y) {
    for (int x = 0; x < about.width; ++x) brightest = std::max(brightest, PaletteBitmap::Brightness(about.At(x, y)));
  }
  EXPECT_LT(brightest, 3 * 110);
  // ...and the picture is no flat fill: the scene has detail above that band.
  std::vector<COLORREF> seen;
  for (int y = 0; y < 115; ++y) {
    for (int x = 0; x < about.width; ++x) {
      if (std::find(seen.begin(), seen.end(), about.At(x, y)) == seen.end()) seen.push_back(about.At(x, y));
    }
  }
  EXPECT_GT(seen.size(), 32u);
}

// --- The icon file -------------------------------------------------------------------------------

struct IconEntry {
  int size;
  int bits;
  std::string data;
};

std::vector<IconEntry> IconEntries(const std::string& ico) {
  std::vector<IconEntry> out;
  if (ico.size() < 6 || U16(ico, 0) != 0 || U16(ico, 2) != 1) return out;
  for (int i = 0; i < U16(ico, 4); ++i) {
    const std::size_t at = 6 + 16 * static_cast<std::size_t>(i);
    const int size = static_cast<unsigned char>(ico.at(at)) == 0 ? 256 : static_cast<unsigned char>(ico.at(at));
    const std::uint32_t length = U32(ico, at + 8), offset = U32(ico, at + 12);
    if (offset + static_cast<std::size_t>(length) > ico.size()) return {};
    out.push_back({size, U16(ico, at + 6), ico.substr(offset, length)});
  }
  return out;
}

const IconEntry* FindEntry(const std::vector<IconEntry>& entries, int size) {
  for (const IconEntry& e : entries) {
    if (e.size == size) return &e;
  }
  return nullptr;
}

TEST(IconFile, HoldsTheClassicSixteenColourImageAndModernSizes) {
  const auto entries = IconEntries(ReadAll(ResPath("parlo.ico")));
  ASSERT_EQ(entries.size(), 4u);
  const IconEntry* classic = FindEntry(entries, 32);
  ASSERT_NE(classic, nullptr);
  EXPECT_EQ(classic->bits, 4);
  ASSERT_GE(classic->data.size(), 40u);
  EXPECT_EQ(U16(classic->data, 14), 4);  // the image itself, not only its directory entry
  EXPECT_EQ(U32(classic->data, 8), 64u);  // colour rows plus mask rows
  for (int size : {16, 48}) {
    const IconEntry* e = FindEntry(entries, size);
    ASSERT_NE(e, nullptr) << size;
    EXPECT_EQ(e->bits, 32);
    EXPECT_EQ(U16(e->data, 14), 32);
  }
  const IconEntry* large = FindEntry(entries, 256);
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(large->data.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
}

TEST(IconFile, WindowsLoadsEverySize) {
  for (int size : {16, 32, 48, 256}) {
    HICON icon = static_cast<HICON>(
        LoadImageA(nullptr, ResPath("parlo.ico").c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, size);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

// --- The example phrase book --------------------------------------------------------------------

TEST(ExamplePhraseBook, IsAHeadedSayFileWithCrLfLines) {
  const std::string text = ReadAll(ResPath("say-default.txt"));
  ASSERT_EQ(text.compare(0, 10, "[PARLO!]\r\n"), 0);
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  int separators = 0, comments = 0, emotes = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "lone line break in: " << line;
    for (unsigned char c : line) EXPECT_TRUE(c == '\t' || (c >= 0x20 && c < 0x7F)) << "byte " << int(c);
    if (start > 0) {
      const std::size_t tab = line.find('\t');
      ASSERT_NE(tab, std::string::npos) << line;  // every row has its label written
      const std::string label = line.substr(0, tab), say = line.substr(tab + 1);
      if (label == "-----") ++separators;
      if (!label.empty() && label[0] == '\'') ++comments;
      if (say.compare(0, 2, ": ") == 0) ++emotes;
    }
    start = end + 2;
  }
  EXPECT_GE(separators, 3);
  EXPECT_GE(comments, 3);
  EXPECT_GE(emotes, 1);
}

// --- The resources linked into the program ------------------------------------------------------

class ProgramResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(WinPath(PARLO_EXE).c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << WinPath(PARLO_EXE) << " error " << GetLastError();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  std::string Resource(LPCSTR name, LPCSTR type) const {
    HRSRC found = FindResourceA(module_, name, type);
    if (!found) return std::string();
    HGLOBAL loaded = LoadResource(module_, found);
    return std::string(static_cast<const char*>(LockResource(loaded)), SizeofResource(module_, found));
  }
  HMODULE module_ = nullptr;
};

TEST_F(ProgramResources, BitmapsAreTheFilesInRes) {
  const struct {
    int id;
    const char* file;
  } bitmaps[] = {{IDB_GEM, "gem.bmp"}, {IDB_GEM_PRESSED, "gem_pressed.bmp"}, {IDB_ABOUT, "about.bmp"}};
  for (const auto& b : bitmaps) {
    const std::string linked = Resource(MAKEINTRESOURCEA(b.id), MAKEINTRESOURCEA(2));  // RT_BITMAP
    const std::string file = ReadAll(ResPath(b.file));
    ASSERT_GT(file.size(), 14u);
    EXPECT_EQ(linked, file.substr(14)) << b.file;  // a bitmap resource is the file without its file header
  }
}

TEST_F(ProgramResources, IconGroupHasTheClassicImageFirstInLine) {
  const std::string group = Resource(MAKEINTRESOURCEA(IDI_PARLO), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  ASSERT_GE(group.size(), 6u);
  ASSERT_EQ(U16(group, 4), 4);
  bool classic = false;
  for (int i = 0; i < 4; ++i) {
    const std::size_t at = 6 + 14 * static_cast<std::size_t>(i);
    if (static_cast<unsigned char>(group.at(at)) == 32) classic = U16(group, at + 6) == 4;
  }
  EXPECT_TRUE(classic);
  HICON icon = static_cast<HICON>(LoadImageA(module_, MAKEINTRESOURCEA(IDI_PARLO), IMAGE_ICON, 32, 32, 0));
  ASSERT_NE(icon, nullptr);
  DestroyIcon(icon);
}

TEST_F(ProgramResources, ManifestAsksForCommonControlsSixAndPerMonitorDpiAwareness) {
  const std::string manifest = Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos);  // Windows 7
  EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);  // 10 and 11
  // Per monitor (v2 where there is one) from Windows 10 on, the system's dpi on 7 and 8.1.
  EXPECT_NE(manifest.find("2005/WindowsSettings\">true/pm</dpiAware>"), std::string::npos);
  EXPECT_NE(manifest.find("2016/WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
}

TEST_F(ProgramResources, VersionNamesTheProgram) {
  const std::string path = WinPath(PARLO_EXE);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
  auto value = [&](const char* key) {
    void* data = nullptr;
    UINT length = 0;
    const std::string query = std::string("\\StringFileInfo\\040904b0\\") + key;
    if (!VerQueryValueA(block.data(), query.c_str(), &data, &length) || !data) return std::string("<missing>");
    return std::string(static_cast<const char*>(data));
  };
  EXPECT_EQ(value("ProductName"), "Parlo!");
  EXPECT_EQ(value("FileDescription"), "Parlo! chat companion");
  EXPECT_EQ(value("FileVersion"), "1.14");
  EXPECT_EQ(value("ProductVersion"), "1.14");
  EXPECT_EQ(value("OriginalFilename"), "parlo.exe");
  void* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &fixed, &length));
  EXPECT_EQ(static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS, static_cast<DWORD>(MAKELONG(14, 1)));
}

}  // namespace
}  // namespace parlo
