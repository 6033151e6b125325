#include "core/files/MemoryFileStore.h"

namespace parlo {

Bytes MemoryFileStore::Key(const Bytes& path) const {
  Bytes key = path;
  for (char& c : key) {
    if (!caseSensitive_ && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c == '/') c = '\\';
  }
  return key;
}

const MemoryFileStore::Entry* MemoryFileStore::Find(const Bytes& path) const {
  auto it = entries_.find(Key(path));
  return it == entries_.end() ? nullptr : &it->second;
}

bool MemoryFileStore::FileExists(const Bytes& path) const {
  const Entry* e = Find(path);
  return e && !e->folder;
}

bool MemoryFileStore::Stamp(const Bytes& path, FileStamp& out) const {
  const Entry* e = Find(path);
  if (!e || e->folder) return false;
  out = FileStamp{e->content.size(), e->writeTime};
  return true;
}

bool MemoryFileStore::ReadWhole(const Bytes& path, Bytes& out) {
  ++readCalls_;
  if (failReads_ > 0) {
    --failReads_;
    return false;
  }
  const Entry* e = Find(path);
  if (!e || e->folder) return false;
  out = e->content;
  return true;
}

bool MemoryFileStore::WriteWholeAtomic(const Bytes& path, const Bytes& content, FileStamp* written) {
  ++writeCalls_;
  if (failWrites_ > 0) {
    --failWrites_;
    return false;
  }
  if (path.empty() || path.back() == '\\' || path.back() == '/') return false;
  auto it = entries_.find(Key(path));
  if (it != entries_.end()) {
    if (it->second.folder) return false;
    it->second.content = content;
    it->second.writeTime = ++clock_;
  } else {
    it = entries_.emplace(Key(path), Entry{path, content, kPlain, false, ++clock_}).first;
  }
  if (written) *written = FileStamp{content.size(), it->second.writeTime};
  return true;
}

bool MemoryFileStore::WritePartsAtomic(const Bytes& path, const ContentProducer& produce,
                                       FileStamp* written) {
  Bytes content;
  if (!produce([&content](std::string_view part) {
        content.append(part.data(), part.size());
        return true;
      })) {
    ++writeCalls_;
    return false;
  }
  return WriteWholeAtomic(path, content, written);
}

bool MemoryFileStore::Delete(const Bytes& path) {
  auto it = entries_.find(Key(path));
  if (it == entries_.end() || it->second.folder) return false;
  entries_.erase(it);
  return true;
}

std::vector<Bytes> MemoryFileStore::List(const Bytes& dir, const Bytes& wildcard) {
  Bytes prefix = Key(dir);
  if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
  std::vector<Bytes> names;
  for (const auto& [key, entry] : entries_) {
    if (key.compare(0, prefix.size(), prefix) != 0) continue;
    if (key.find('\\', prefix.size()) != Bytes::npos) continue;
    if (entry.folder || (entry.attributes & (kHidden | kSystem))) continue;
    Bytes name = entry.path.substr(prefix.size());
    if (MatchesWildcard(name, wildcard)) names.push_back(std::move(name));
  }
  return names;
}

std::vector<Bytes> MemoryFileStore::ListFolders(const Bytes& dir) {
  Bytes prefix = Key(dir);
  if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
  // A file's folders exist as on a disk, whether or not they were added.
  std::map<Bytes, Bytes> folders;
  for (const auto& [key, entry] : entries_) {
    if (key.size() <= prefix.size() || key.compare(0, prefix.size(), prefix) != 0) continue;
    size_t end = key.find('\\', prefix.size());
    if (end == Bytes::npos && !entry.folder) continue;
    if (end == Bytes::npos) end = key.size();
    folders.emplace(key.substr(prefix.size(), end - prefix.size()),
                    entry.path.substr(prefix.size(), end - prefix.size()));
  }
  std::vector<Bytes> names;
  for (auto& folder : folders) names.push_back(std::move(folder.second));
  return names;
}

bool MemoryFileStore::ReadShared(const Bytes& path, std::size_t maxBytes, Bytes& out) {
  const Entry* e = Find(path);
  if (e && !e->folder && e->content.size() > maxBytes) return false;
  return ReadWhole(path, out);
}

void MemoryFileStore::Put(const Bytes& path, Bytes content, unsigned attributes) {
  Entry& e = entries_[Key(path)];
  if (e.path.empty()) e.path = path;
  e.content = std::move(content);
  e.attributes = attributes;
  e.folder = false;
  e.writeTime = ++clock_;
}

void MemoryFileStore::AddFolder(const Bytes& path) {
  entries_[Key(path)] = Entry{path, Bytes(), kPlain, true, 0};
}

const Bytes* MemoryFileStore::Content(const Bytes& path) const {
  const Entry* e = Find(path);
  return (e && !e->folder) ? &e->content : nullptr;
}

size_t MemoryFileStore::FileCount() const {
  size_t n = 0;
  for (const auto& entry : entries_)
    if (!entry.second.folder) ++n;
  return n;
}

}  // namespace parlo
