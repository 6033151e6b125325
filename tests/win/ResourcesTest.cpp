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

#include "core/screen/ArtScale.h"
#include "forms/Art.h"
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
  // The gem at 96 dpi and as drawn for 125, 150 and 200 %, with the size each one has.
  struct Gem {
    const char* normalFile;
    const char* pressedFile;
    int size;
    PaletteBitmap normal, pressed;
  };
  void SetUp() override {
    gems_ = {{"gem.bmp", "gem_pressed.bmp", 11, {}, {}},
             {"gem_125.bmp", "gem_pressed_125.bmp", 14, {}, {}},
             {"gem_150.bmp", "gem_pressed_150.bmp", 17, {}, {}},
             {"gem_200.bmp", "gem_pressed_200.bmp", 22, {}, {}}};
    for (Gem& gem : gems_) {
      ASSERT_TRUE(ParseBmp8(ReadAll(ResPath(gem.normalFile)), gem.normal)) << gem.normalFile;
      ASSERT_TRUE(ParseBmp8(ReadAll(ResPath(gem.pressedFile)), gem.pressed)) << gem.pressedFile;
      for (const PaletteBitmap* picture : {&gem.normal, &gem.pressed}) {
        ASSERT_EQ(picture->width, gem.size) << gem.normalFile;
        ASSERT_EQ(picture->height, gem.size) << gem.normalFile;
      }
    }
  }
  // A pixel lies wholly outside the round gem of a size x size picture when even its nearest
  // point is past the radius.
  static bool OutsideTheCircle(int x, int y, int size) {
    const double c = size / 2.0;
    const double nx = std::clamp(c, static_cast<double>(x), x + 1.0);
    const double ny = std::clamp(c, static_cast<double>(y), y + 1.0);
    return (nx - c) * (nx - c) + (ny - c) * (ny - c) > c * c;
  }
  std::vector<Gem> gems_;
};

TEST_F(GemGlyphs, CornerAreasAreExactlyTheGridColour) {
  for (const Gem& gem : gems_) {
    int corner = 0;
    for (int y = 0; y < gem.size; ++y) {
      for (int x = 0; x < gem.size; ++x) {
        if (!OutsideTheCircle(x, y, gem.size)) continue;
        ++corner;
        EXPECT_EQ(gem.normal.At(x, y), kGridColour) << gem.normalFile << " at " << x << "," << y;
        EXPECT_EQ(gem.pressed.At(x, y), kGridColour) << gem.pressedFile << " at " << x << "," << y;
      }
    }
    EXPECT_GE(corner, 4 * 3) << gem.normalFile;  // at least the three pixels of each corner's triangle
    // Inside, the gem covers the grid everywhere on its axes.
    const int mid = gem.size / 2;
    for (int i = 1; i < gem.size - 1; ++i) {
      EXPECT_NE(gem.normal.At(i, mid), kGridColour) << gem.normalFile << " " << i;
      EXPECT_NE(gem.normal.At(mid, i), kGridColour) << gem.normalFile << " " << i;
    }
  }
}

TEST_F(GemGlyphs, CentreIsBlueAndBrighterWhenPressed) {
  for (const Gem& gem : gems_) {
    const int mid = gem.size / 2;
    for (const PaletteBitmap* picture : {&gem.normal, &gem.pressed}) {
      const COLORREF centre = picture->At(mid, mid);
      EXPECT_GT(GetBValue(centre), GetRValue(centre) + 40) << gem.normalFile;
      EXPECT_GE(GetBValue(centre), GetGValue(centre)) << gem.normalFile;
    }
    EXPECT_GT(PaletteBitmap::Brightness(gem.pressed.At(mid, mid)),
              PaletteBitmap::Brightness(gem.normal.At(mid, mid)) + 60)
        << gem.pressedFile;
  }
}

TEST_F(GemGlyphs, PressedIsTheSameGemOutsideItsCentre) {
  for (const Gem& gem : gems_) {
    const int last = gem.size - 1;
    for (int i = 0; i < gem.size; ++i) {  // the border rows and columns: corners and gold setting
      EXPECT_EQ(gem.normal.At(i, 0), gem.pressed.At(i, 0)) << gem.pressedFile;
      EXPECT_EQ(gem.normal.At(i, last), gem.pressed.At(i, last)) << gem.pressedFile;
      EXPECT_EQ(gem.normal.At(0, i), gem.pressed.At(0, i)) << gem.pressedFile;
      EXPECT_EQ(gem.normal.At(last, i), gem.pressed.At(last, i)) << gem.pressedFile;
    }
  }
}

TEST_F(GemGlyphs, WindowsReadsThemAsWeDo) {
  auto check = [](const char* name, const PaletteBitmap& parsed, int size) {
    GdiBitmap gdi(LoadBitmapFile(name));
    ASSERT_TRUE(gdi.Loaded()) << name;
    EXPECT_EQ(gdi.Size().cx, size) << name;
    EXPECT_EQ(gdi.Size().cy, size) << name;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) EXPECT_EQ(gdi.At(x, y), parsed.At(x, y)) << name << " " << x << "," << y;
    }
  };
  for (const Gem& gem : gems_) {
    check(gem.normalFile, gem.normal, gem.size);
    check(gem.pressedFile, gem.pressed, gem.size);
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

// The picture drawn for each display scale: its size, and the first row of the dark band under
// the sentence (row 115 at 96 dpi).
struct AboutScale {
  const char* file;
  int width;
  int height;
  int darkFrom;
};
const AboutScale kAboutScales[] = {
    {"about.bmp", 144, 135, 115},
    {"about_125.bmp", 180, 169, 144},
    {"about_150.bmp", 216, 203, 173},
    {"about_200.bmp", 288, 270, 230},
};

TEST(AboutPicture, EachScaleIsAnEightBitPictureOfItsSize) {
  for (const AboutScale& scale : kAboutScales) {
    PaletteBitmap about;
    ASSERT_TRUE(ParseBmp8(ReadAll(ResPath(scale.file)), about)) << scale.file;
    EXPECT_EQ(about.width, scale.width) << scale.file;
    EXPECT_EQ(about.height, scale.height) << scale.file;
    GdiBitmap gdi(LoadBitmapFile(scale.file));
    ASSERT_TRUE(gdi.Loaded()) << scale.file;
    EXPECT_EQ(gdi.Size().cx, scale.width) << scale.file;
    EXPECT_EQ(gdi.Size().cy, scale.height) << scale.file;
    EXPECT_EQ(gdi.At(scale.width / 2, scale.height - 5), about.At(scale.width / 2, scale.height - 5))
        << scale.file;
  }
}

TEST(AboutPicture, BottomStaysDarkForTheWhiteLineOverIt) {
  for (const AboutScale& scale : kAboutScales) {
    PaletteBitmap about;
    ASSERT_TRUE(ParseBmp8(ReadAll(ResPath(scale.file)), about)) << scale.file;
    ASSERT_EQ(about.height, scale.height) << scale.file;
    // The transparent label covers the picture's rows 119 to 133 (at 96 dpi) from its left edge.
    int brightest = 0;
    for (int y = scale.darkFrom; y < about.height; ++y) {
      for (int x = 0; x < about.width; ++x)
        brightest = std::max(brightest, PaletteBitmap::Brightness(about.At(x, y)));
    }
    EXPECT_LT(brightest, 3 * 110) << scale.file;
    // ...and the picture is no flat fill: the scene has detail above that band.
    std::vector<COLORREF> seen;
    for (int y = 0; y < scale.darkFrom; ++y) {
      for (int x = 0; x < about.width; ++x) {
        if (std::find(seen.begin(), seen.end(), about.At(x, y)) == seen.end()) seen.push_back(about.At(x, y));
      }
    }
    EXPECT_GT(seen.size(), 32u) << scale.file;
  }
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
  } bitmaps[] = {{IDB_GEM, "gem.bmp"},
                 {IDB_GEM_PRESSED, "gem_pressed.bmp"},
                 {IDB_ABOUT, "about.bmp"},
                 {IDB_GEM_125, "gem_125.bmp"},
                 {IDB_GEM_PRESSED_125, "gem_pressed_125.bmp"},
                 {IDB_ABOUT_125, "about_125.bmp"},
                 {IDB_GEM_150, "gem_150.bmp"},
                 {IDB_GEM_PRESSED_150, "gem_pressed_150.bmp"},
                 {IDB_ABOUT_150, "about_150.bmp"},
                 {IDB_GEM_200, "gem_200.bmp"},
                 {IDB_GEM_PRESSED_200, "gem_pressed_200.bmp"},
                 {IDB_ABOUT_200, "about_200.bmp"}};
  for (const auto& b : bitmaps) {
    const std::string linked = Resource(MAKEINTRESOURCEA(b.id), MAKEINTRESOURCEA(2));  // RT_BITMAP
    const std::string file = ReadAll(ResPath(b.file));
    ASSERT_GT(file.size(), 14u);
    EXPECT_EQ(linked, file.substr(14)) << b.file;  // a bitmap resource is the file without its file header
  }
}

TEST_F(ProgramResources, ArtComesInTheSizeOfTheNearestScale) {
  const struct {
    int dpi;
    int gem;
    int aboutWidth;
    int aboutHeight;
  } cases[] = {{96, 11, 144, 135},  {72, 11, 144, 135},  {120, 14, 180, 169}, {144, 17, 216, 203},
               {168, 17, 216, 203}, {192, 22, 288, 270}, {288, 22, 288, 270}};
  for (const auto& c : cases) {
    for (ArtPicture gem : {ArtPicture::Gem, ArtPicture::GemPressed}) {
      Bitmap bitmap = LoadArt(module_, gem, c.dpi);
      ASSERT_TRUE(bitmap) << c.dpi;
      EXPECT_EQ(BitmapSize(bitmap.Get()).cx, c.gem) << c.dpi;
      EXPECT_EQ(BitmapSize(bitmap.Get()).cy, c.gem) << c.dpi;
    }
    Bitmap about = LoadArt(module_, ArtPicture::About, c.dpi);
    ASSERT_TRUE(about) << c.dpi;
    EXPECT_EQ(BitmapSize(about.Get()).cx, c.aboutWidth) << c.dpi;
    EXPECT_EQ(BitmapSize(about.Get()).cy, c.aboutHeight) << c.dpi;
  }
  EXPECT_EQ(BitmapSize(nullptr).cx, 0);
  EXPECT_EQ(BitmapSize(nullptr).cy, 0);
}

TEST_F(ProgramResources, NinetySixDpiShowsTheOriginalPictures) {
  const struct {
    ArtPicture picture;
    const char* file;
  } pictures[] = {{ArtPicture::Gem, "gem.bmp"},
                  {ArtPicture::GemPressed, "gem_pressed.bmp"},
                  {ArtPicture::About, "about.bmp"}};
  for (const auto& p : pictures) {
    PaletteBitmap original;
    ASSERT_TRUE(ParseBmp8(ReadAll(ResPath(p.file)), original));
    Bitmap loaded = LoadArt(module_, p.picture, 96);
    ASSERT_TRUE(loaded) << p.file;
    ASSERT_EQ(BitmapSize(loaded.Get()).cx, original.width) << p.file;
    ASSERT_EQ(BitmapSize(loaded.Get()).cy, original.height) << p.file;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, loaded.Get());
    int differing = 0;
    for (int y = 0; y < original.height; ++y) {
      for (int x = 0; x < original.width; ++x) differing += GetPixel(dc, x, y) != original.At(x, y);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(differing, 0) << p.file;
  }
  EXPECT_EQ(ArtResourceId(ArtPicture::Gem, ArtScaleForDpi(96)), IDB_GEM);
  EXPECT_EQ(ArtResourceId(ArtPicture::GemPressed, ArtScaleForDpi(96)), IDB_GEM_PRESSED);
  EXPECT_EQ(ArtResourceId(ArtPicture::About, ArtScaleForDpi(96)), IDB_ABOUT);
}

TEST_F(ProgramResources, AModuleWithoutAScalesPictureGivesTheOriginal) {
  // The test program links the About picture at 96 dpi only (and every gem).
  HINSTANCE tests = GetModuleHandleA(nullptr);
  Bitmap about = LoadArt(tests, ArtPicture::About, 192);
  ASSERT_TRUE(about);
  EXPECT_EQ(BitmapSize(about.Get()).cx, 144);
  EXPECT_EQ(BitmapSize(about.Get()).cy, 135);
  EXPECT_EQ(BitmapSize(LoadArt(tests, ArtPicture::Gem, 144).Get()).cx, 17);
  // A module with neither picture gives none.
  EXPECT_FALSE(LoadArt(GetModuleHandleA("kernel32.dll"), ArtPicture::Gem, 144));
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
  EXPECT_NE(manifest.find("2016/WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>"),
            std::string::npos);
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
