#include "core/settings/IniFile.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/prompts/Errors.h"

namespace parlo {

const char kCannotWriteTail[] = " \xE3\x81\xAB\xE6\x9B\xB8\xE3\x81\x8D\xE8\xBE\xBC\xE3\x82\x81\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93";

namespace profile_text {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The platform counts ^Z (an old end-of-file mark) as a blank too.
bool IsBlank(char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' '; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Names and values travel as C strings on the platform, so a NUL ends them.
std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

struct Key {
  Bytes name;
  std::optional<Bytes> value;  // none: a line without '='
};

struct Section {
  Bytes name;  // empty for the keys before the first section, which get no header
  std::vector<Key> keys;
};

struct Document {
  bool utf8Bom = false;
  std::vector<Section> sections;
};

Document Parse(const std::optional<Bytes>& content) {
  Document doc;
  if (!content || content->empty()) return doc;
  std::string_view text = *content;
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    doc.utf8Bom = true;
    text.remove_prefix(kUtf8Bom.size());
  }
  doc.sections.push_back(Section{});
  // Whether the section so far ends in a key without a name (none yet counts as not).
  bool afterNameless = false;
  bool anyKey = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t start = pos;
    while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n') ++pos;
    std::string_view line = Trim(text.substr(start, pos - start));
    while (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n')) ++pos;
    if (line.empty()) continue;

    if (line.front() == '[') {
      size_t close = line.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        doc.sections.push_back(Section{Bytes(UpToNul(Trim(line.substr(1, close - 1)))), {}});
        anyKey = false;
        continue;
      }
    }

    std::string_view name = line;
    std::optional<std::string_view> value;
    size_t eq = line.find('=');
    if (eq != std::string_view::npos) {
      name = Trim(line.substr(0, eq));
      value = Trim(line.substr(eq + 1));
    }
    // Runs of lines without a name keep only their first, as the platform does.
    if (!name.empty() || !anyKey || !afterNameless) {
      Key entry{Bytes(UpToNul(name)), std::nullopt};
      if (value) entry.value = Bytes(UpToNul(*value));
      afterNameless = entry.name.empty();
      anyKey = true;
      doc.sections.back().keys.push_back(std::move(entry));
    }
  }
  return doc;
}

Bytes Serialise(const Document& doc) {
  Bytes out;
  if (doc.utf8Bom) out += kUtf8Bom;
  for (const Section& section : doc.sections) {
    if (!section.name.empty()) out += "[" + section.name + "]\r\n";
    for (const Key& key : section.keys) {
      out += key.name;
      if (key.value) out += "=" + *key.value;
      out += "\r\n";
    }
  }
  return out;
}

Section* FindSection(Document& doc, std::string_view name) {
  for (Section& section : doc.sections)
    if (SameName(section.name, name)) return &section;
  return nullptr;
}

Key* FindKey(Section& section, std::string_view name) {
  for (Key& key : section.keys)
    if (SameName(key.name, name)) return &key;
  return nullptr;
}

// Trailing spaces of a default go, but never its first character (" " stays " ").
std::string_view TrimDefault(std::string_view def) {
  size_t keep = def.size();
  while (keep > 1 && def[keep - 1] == ' ') --keep;
  return def.substr(0, keep);
}

Bytes Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    // The platform cuts first and then drops the last byte kept, unless the closing quote was
    // already cut off: a quoted text of exactly 1023 bytes comes back one byte short.
    std::string_view inner = value.substr(1);
    if (inner.size() <= kProfileValueMax + 1) {
      inner = inner.substr(0, kProfileValueMax);
      inner.remove_suffix(1);
    }
    return Bytes(inner.substr(0, kProfileValueMax));
  }
  return Bytes(value.substr(0, kProfileValueMax));
}

}  // namespace

Bytes Lookup(const std::optional<Bytes>& content, std::string_view section, std::string_view key,
             std::string_view def) {
  std::string_view fallback = TrimDefault(UpToNul(def));
  Document doc = Parse(content);
  Section* found = FindSection(doc, Trim(UpToNul(section)));
  if (!found) return Unquote(fallback);
  Key* entry = FindKey(*found, Trim(UpToNul(key)));
  if (!entry || !entry->value) return Unquote(fallback);
  return Unquote(*entry->value);
}

std::optional<Bytes> Update(const std::optional<Bytes>& content, std::string_view section,
                            std::string_view key, std::string_view value) {
  std::string_view sectionName = Trim(UpToNul(section));
  std::string_view keyName = Trim(UpToNul(key));
  value = UpToNul(value);
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);

  Document doc = Parse(content);
  Section* target = FindSection(doc, sectionName);
  if (!target) {
    doc.sections.push_back(Section{Bytes(sectionName), {Key{Bytes(keyName), Bytes(value)}}});
  } else if (Key* entry = FindKey(*target, keyName)) {
    if (entry->value && *entry->value == value) return std::nullopt;
    entry->value = Bytes(value);
  } else {
    target->keys.push_back(Key{Bytes(keyName), Bytes(value)});
  }
  return Serialise(doc);
}

}  // namespace profile_text

Bytes MemoryProfileStore::Read(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& def) {
  return profile_text::Lookup(File(path), section, key, def);
}

bool MemoryProfileStore::Write(const Bytes& path, const Bytes& section, const Bytes& key,
                               const Bytes& value) {
  if (readOnly_.count(path)) return false;
  std::optional<Bytes> updated = profile_text::Update(File(path), section, key, value);
  if (updated) files_[path] = std::move(*updated);
  return true;
}

std::optional<Bytes> MemoryProfileStore::File(const Bytes& path) const {
  auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return it->second;
}

void MemoryProfileStore::SetReadOnly(const Bytes& path, bool readOnly) {
  if (readOnly)
    readOnly_.insert(path);
  else
    readOnly_.erase(path);
}

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// nullopt when the file cannot be opened; missing tells whether it does not exist at all.
std::optional<Bytes> LoadFile(const Bytes& path, bool* missing) {
  errno = 0;
  FilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    if (missing) *missing = (errno == ENOENT);
    return std::nullopt;
  }
  if (missing) *missing = false;
  Bytes content;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) content.append(buffer, n);
  if (std::ferror(f.get())) return std::nullopt;
  return content;
}

}  // namespace

Bytes FileProfileStore::Read(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& def) {
  return profile_text::Lookup(LoadFile(path, nullptr), section, key, def);
}

bool FileProfileStore::Write(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& value) {
  bool missing = false;
  std::optional<Bytes> content = LoadFile(path, &missing);
  if (!content && !missing) return false;
  // A file that cannot be changed refuses even a write that would change nothing.
  if (content && !FilePtr(std::fopen(path.c_str(), "r+b"))) return false;
  std::optional<Bytes> updated = profile_text::Update(content, section, key, value);
  if (!updated) return true;
  FilePtr f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  if (std::fwrite(updated->data(), 1, updated->size(), f.get()) != updated->size()) return false;
  return std::fclose(f.release()) == 0;
}

std::optional<int32_t> ParseProfileInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i == text.size()) return std::nullopt;

  size_t hexStart = 0;
  if (text[i] == '$' || text[i] == 'x' || text[i] == 'X')
    hexStart = i + 1;
  else if (text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X'))
    hexStart = i + 2;

  if (hexStart != 0) {
    if (hexStart == text.size()) return std::nullopt;
    uint32_t pattern = 0;
    int significant = 0;
    for (size_t j = hexStart; j < text.size(); ++j) {
      char c = text[j];
      int digit;
      if (c >= '0' && c <= '9')
        digit = c - '0';
      else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
      else
        return std::nullopt;
      if (significant == 0 && digit == 0) continue;
      if (++significant > 8) return std::nullopt;
      pattern = (pattern << 4) | static_cast<uint32_t>(digit);
    }
    // The pattern's top bit is the sign: $FFFFFFFF is -1.
    int64_t value = pattern;
    if (value > INT32_MAX) value -= int64_t{1} << 32;
    return static_cast<int32_t>(value);
  }

  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return std::nullopt;
  const int64_t limit = negative ? int64_t{1} << 31 : INT32_MAX;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

Bytes TIniFile::ReadText(const Bytes& section, const Bytes& key, const Bytes& def) const {
  return store_.Read(fileName_, section, key, def);
}

int32_t TIniFile::ReadNumber(const Bytes& section, const Bytes& key, int32_t def) const {
  return ParseProfileInteger(ReadText(section, key, "")).value_or(def);
}

bool TIniFile::ReadFlag(const Bytes& section, const Bytes& key, bool def) const {
  return ReadNumber(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteText(const Bytes& section, const Bytes& key, const Bytes& value) {
  if (!store_.Write(fileName_, section, key, value)) throw ParloError(fileName_, kCannotWriteTail);
}

void TIniFile::WriteNumber(const Bytes& section, const Bytes& key, int32_t value) {
  WriteText(section, key, std::to_string(value));
}

void TIniFile::WriteFlag(const Bytes& section, const Bytes& key, bool value) {
  WriteText(section, key, value ? "1" : "0");
}

}  // namespace parlo
