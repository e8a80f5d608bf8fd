#include "tools/voq-check/check_overlay.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "platform/text.h"
#include "registry/reg_notation.h"
#include "tools/voq-check/recorded_changes.h"

namespace {

// What a change left under a name. Below a node, only deeper nodes say more: a
// folder made or a file written holds nothing else, and a name that shows a real
// place (moved or copied there, or linked) shows what is below that place.
struct Node {
  enum Kind { Gone, Folder, File, Real } kind = Gone;
  std::wstring name;  // the last component, as written
  std::string bytes;  // of a File
  bool bytesKnown = true;
  std::wstring real;                   // of a Real node: the path on the machine
  std::optional<unsigned> attributes;  // set by the launcher
  std::wstring path;                   // the whole path, as written
  std::wstring exportOf;               // of a registry tool's export: the key
  std::wstring exportSource;           // and the real key that holds its content
};

// Keyed by the path as Windows compares names, without trailing backslashes.
std::map<std::wstring, Node>& Nodes() {
  static std::map<std::wstring, Node> nodes;
  return nodes;
}

// The path with backslashes only and no trailing ones; its key has the same length.
std::wstring Plain(const std::wstring& path) {
  std::wstring plain = ReplaceAll(path, L"/", L"\\");
  while (plain.size() > 1 && plain.back() == L'\\') plain.pop_back();
  return plain;
}
std::wstring KeyOf(const std::wstring& plain) { return os::RealUpperCaseForNames(plain); }

std::wstring ParentOf(const std::wstring& plain) {
  const size_t cut = plain.rfind(L'\\');
  return cut == std::wstring::npos ? std::wstring() : plain.substr(0, cut);
}
std::wstring NameOf(const std::wstring& plain) { return plain.substr(plain.rfind(L'\\') + 1); }

struct View {
  enum Kind { Real, Missing, Folder, File } kind = Real;
  std::wstring real;
  const Node* node = nullptr;
};

View Resolve(const std::wstring& path) {
  const std::wstring plain = Plain(path);
  const std::wstring key = KeyOf(plain);
  for (std::wstring level = key;;) {
    const auto found = Nodes().find(level);
    if (found != Nodes().end()) {
      const Node& node = found->second;
      const bool exact = level.size() == key.size();
      switch (node.kind) {
        case Node::Gone:
          return {View::Missing, L"", nullptr};
        case Node::Folder:
          return exact ? View{View::Folder, L"", &node} : View{View::Missing, L"", nullptr};
        case Node::File:
          return exact ? View{View::File, L"", &node} : View{View::Missing, L"", nullptr};
        case Node::Real:
          return {View::Real, node.real + plain.substr(level.size()), exact ? &node : nullptr};
      }
    }
    const size_t cut = level.rfind(L'\\');
    if (cut == std::wstring::npos) break;
    level.resize(cut);
  }
  return {View::Real, plain, nullptr};
}

// The node a change leaves at the place, and nothing of the check's below it.
void Place(const std::wstring& path, Node node) {
  const std::wstring plain = Plain(path);
  const std::wstring key = KeyOf(plain);
  node.name = NameOf(plain);
  node.path = plain;
  auto& nodes = Nodes();
  for (auto it = nodes.lower_bound(key + L"\\");
       it != nodes.end() && StartsWith(it->first, key + L"\\");)
    it = nodes.erase(it);
  nodes[key] = std::move(node);
}

// The node a name shows now, as a new place would take it over.
std::optional<Node> NodeOf(const std::wstring& path) {
  const View view = Resolve(path);
  if (view.kind == View::Missing) return std::nullopt;
  if (view.kind == View::Real) {
    Node node{Node::Real, L"", "", true, view.real, std::nullopt, L"", L"", L""};
    if (view.node) node.attributes = view.node->attributes;
    return node;
  }
  return *view.node;
}

bool IsFolder(const std::wstring& path) { return OverlayFileState(path) == os::kStateFolder; }
bool IsFile(const std::wstring& path) { return OverlayFileState(path) >= 0; }
bool ParentIsFolder(const std::wstring& path) {
  const std::wstring parent = ParentOf(Plain(path));
  return !parent.empty() && IsFolder(parent);
}
bool HasAttribute(const std::wstring& path, unsigned attribute) {
  return (OverlayFileAttributes(path).value_or(0) & attribute) != 0;
}

std::optional<os::DirEntry> RealEntry(const std::wstring& real) {
  const std::wstring plain = Plain(real);
  const auto entries = os::RealListFolder(ParentOf(plain), NameOf(plain));
  if (!entries || entries->empty()) return std::nullopt;
  return entries->front();
}

std::vector<std::wstring>& ChangedPlaces() {
  static std::vector<std::wstring> places;
  return places;
}

}  // namespace

void ForgetOverlay() {
  ChangedPlaces().clear();
  Nodes().clear();
  ForgetRegistryOverlay();
}

std::int64_t OverlayFileState(const std::wstring& path) {
  const View view = Resolve(path);
  switch (view.kind) {
    case View::Missing:
      return os::kStateMissing;
    case View::Folder:
      return os::kStateFolder;
    case View::File:
      // A tool's output holds something, though what cannot be told beforehand.
      return view.node->bytesKnown ? static_cast<std::int64_t>(view.node->bytes.size()) : 1;
    case View::Real:
      break;
  }
  return os::RealFileState(view.real);
}

std::optional<unsigned> OverlayFileAttributes(const std::wstring& path) {
  const View view = Resolve(path);
  if (view.kind == View::Missing) return std::nullopt;
  if (view.node && view.node->attributes) return view.node->attributes;
  if (view.kind == View::Folder) return os::kAttrDirectory;
  if (view.kind == View::File) return os::kAttrArchive;
  return os::RealFileAttributes(view.real);
}

std::optional<std::vector<os::DirEntry>> OverlayListFolder(const std::wstring& folder,
                                                           const std::wstring& pattern) {
  const View view = Resolve(folder);
  std::optional<std::vector<os::DirEntry>> list;
  if (view.kind == View::Real) list = os::RealListFolder(view.real, pattern);
  if (view.kind == View::Folder) list.emplace();
  if (!list) return std::nullopt;
  const std::wstring below = KeyOf(Plain(folder)) + L"\\";
  auto& nodes = Nodes();
  for (auto it = nodes.lower_bound(below); it != nodes.end() && StartsWith(it->first, below);
       ++it) {
    if (it->first.find(L'\\', below.size()) != std::wstring::npos) continue;  // deeper
    const Node& node = it->second;
    std::erase_if(*list, [&](const os::DirEntry& e) {
      return os::RealUpperCaseForNames(e.name) == it->first.substr(below.size());
    });
    if (node.kind == Node::Gone || !os::RealMatchesSpec(node.name, pattern)) continue;
    os::DirEntry entry;
    if (node.kind == Node::Real) {
      const auto real = RealEntry(node.real);
      if (!real) continue;
      entry = *real;
    }
    entry.name = node.name;
    entry.isFolder = entry.isFolder || node.kind == Node::Folder;
    if (node.kind == Node::File) entry.size = node.bytes.size();
    list->push_back(entry);
  }
  return list;
}

std::optional<std::string> OverlayFileBytes(const std::wstring& path) {
  const View view = Resolve(path);
  if (view.kind == View::File)
    return view.node->bytesKnown ? std::optional<std::string>(view.node->bytes) : std::nullopt;
  if (view.kind != View::Real) return std::nullopt;
  return MachineFileBytes(view.real);
}

std::optional<std::string> MachineFileBytes(const std::wstring& path) {
  const os::FileRef file = os::RealOpenExistingFile(path, os::OpenMode::ReadShareRead);
  if (file == 0) return std::nullopt;
  std::string bytes;
  const bool read = os::RealReadWholeFile(file, bytes);
  os::RealCloseFile(file);
  return read ? std::optional<std::string>(bytes) : std::nullopt;
}

std::int64_t MachineFileState(const std::wstring& path) { return os::RealFileState(path); }

std::optional<std::wstring> OverlayRealPath(const std::wstring& path) {
  const View view = Resolve(path);
  return view.kind == View::Real ? std::optional<std::wstring>(view.real) : std::nullopt;
}

bool OverlayWriteFile(const std::wstring& path, const std::string& bytes) {
  if (IsFolder(path) || !ParentIsFolder(path) || HasAttribute(path, os::kAttrReadOnly))
    return false;
  Place(path, Node{Node::File, L"", bytes, true, L"", std::nullopt, L"", L"", L""});
  return true;
}

bool OverlayMove(const std::wstring& source, const std::wstring& target, bool replace) {
  std::optional<Node> moved = NodeOf(source);
  if (!moved || !ParentIsFolder(target)) return false;
  const std::int64_t there = OverlayFileState(target);
  if (there != os::kStateMissing &&
      (!replace || there == os::kStateFolder || HasAttribute(target, os::kAttrReadOnly)))
    return false;
  // What the check changed below the source goes along, under the new name.
  const std::wstring from = KeyOf(Plain(source));
  const std::wstring to = Plain(target);
  std::vector<std::pair<std::wstring, Node>> below;
  auto& nodes = Nodes();
  for (auto it = nodes.lower_bound(from + L"\\");
       it != nodes.end() && StartsWith(it->first, from + L"\\"); ++it)
    below.emplace_back(to + it->first.substr(from.size()), it->second);
  Place(source, Node{});
  Place(target, *moved);
  for (auto& [path, node] : below) {
    node.path = path;
    nodes[KeyOf(path)] = std::move(node);
  }
  return true;
}

bool OverlayCopyFile(const std::wstring& source, const std::wstring& target) {
  std::optional<Node> copied = NodeOf(source);
  if (!copied || !IsFile(source) || IsFolder(target) || !ParentIsFolder(target)) return false;
  if (IsFile(target) && HasAttribute(target, os::kAttrReadOnly | os::kAttrHidden)) return false;
  copied->attributes.reset();
  Place(target, *copied);
  return true;
}

bool OverlayCreateFolder(const std::wstring& path) {
  if (OverlayFileState(path) != os::kStateMissing || !ParentIsFolder(path)) return false;
  Place(path, Node{Node::Folder, L"", "", true, L"", std::nullopt, L"", L"", L""});
  return true;
}

bool OverlayDeleteFile(const std::wstring& path) {
  if (!IsFile(path) || HasAttribute(path, os::kAttrReadOnly)) return false;
  Place(path, Node{});
  return true;
}

bool OverlayRemoveFolder(const std::wstring& path) {
  if (!IsFolder(path)) return false;
  const auto inside = OverlayListFolder(path, L"*");
  if (!HasAttribute(path, os::kAttrReparsePoint) && (!inside || !inside->empty())) return false;
  Place(path, Node{});
  return true;
}

bool OverlayRemoveTree(const std::wstring& path) {
  if (!IsFolder(path)) return false;
  Place(path, Node{});
  return true;
}

bool OverlaySetAttributes(const std::wstring& path, unsigned attributes) {
  std::optional<Node> node = NodeOf(path);
  if (!node) return false;
  node->attributes = attributes;
  // The node takes the place over; what the check changed below it stays.
  node->name = NameOf(Plain(path));
  node->path = Plain(path);
  Nodes()[KeyOf(Plain(path))] = std::move(*node);
  return true;
}

void OverlayRegExport(const std::wstring& keyPath, const std::wstring& file) {
  const auto source = OverlayRegKeySource(keyPath);
  if (!source || !ParentIsFolder(file)) return;
  Place(file, Node{Node::File, L"", "", false, L"", std::nullopt, L"", keyPath, *source});
}

void OverlayRegImport(const std::wstring& file) {
  const View view = Resolve(file);
  if (view.kind == View::File && !view.node->bytesKnown) {
    OverlayRegKeyCopied(view.node->exportOf, view.node->exportSource);
    return;
  }
  // A registry file names each key it writes on a line of its own: "[HKEY_...\\Key]".
  const auto bytes = OverlayFileBytes(file);
  if (!bytes) return;
  const std::wstring text = bytes->starts_with("\xFF\xFE")
                                ? WideFromUtf16Le(bytes->substr(2)).value_or(L"")
                                : WideFromUtf8(*bytes);
  for (size_t open = text.find(L"\n["); open != std::wstring::npos;
       open = text.find(L"\n[", open + 1)) {
    const size_t close = text.find(L']', open);
    if (close != std::wstring::npos && text[open + 2] != L'-')
      OverlayRegKeyMade(text.substr(open + 2, close - open - 2));
  }
}

bool OverlayLink(const std::wstring& link, const std::wstring& target) {
  std::optional<Node> shown = NodeOf(target);
  if (!shown || OverlayFileState(link) != os::kStateMissing || !ParentIsFolder(link)) return false;
  shown->attributes = (OverlayFileAttributes(target).value_or(0)) | os::kAttrReparsePoint;
  Place(link, *shown);
  return true;
}

void OverlayAssumeChanged(const std::wstring& path) {
  if (!path.empty()) ChangedPlaces().push_back(KeyOf(Plain(path)));
}

bool OverlayMayHaveChanged(const std::wstring& path) {
  const std::wstring key = KeyOf(Plain(path));
  for (const std::wstring& place : ChangedPlaces())
    if (key == place || StartsWith(key, place + L"\\")) return true;
  return false;
}

namespace {

// "missing", "a folder" or "a file of N bytes", as the machine holds it now or as the
// recording view shows it.
std::wstring StateText(std::int64_t state) {
  if (state == os::kStateMissing) return L"missing";
  if (state == os::kStateFolder) return L"a folder";
  if (state == os::kStateUnreadable) return L"unreadable";
  return L"a file of " + DecimalText(static_cast<std::uint64_t>(state)) + L" bytes";
}

// The place and every name below it, in the machine's listing and in the view's.
void CollectNames(const std::wstring& path, std::set<std::wstring>& seen,
                  std::vector<std::wstring>& names) {
  if (!seen.insert(KeyOf(path)).second) return;
  names.push_back(path);
  for (const bool real : {true, false}) {
    const auto entries = real ? os::RealListFolder(path, L"*") : OverlayListFolder(path, L"*");
    for (const os::DirEntry& e : entries.value_or(std::vector<os::DirEntry>{}))
      if (!e.isLink) CollectNames(path + L"\\" + e.name, seen, names);
  }
}

}  // namespace

std::vector<PlaceDifference> PlaceDifferences() {
  std::set<std::wstring> seen;
  std::vector<std::wstring> names;
  for (const auto& [key, node] : Nodes()) CollectNames(node.path, seen, names);
  std::vector<PlaceDifference> differences;
  for (const std::wstring& name : names) {
    const std::int64_t now = os::RealFileState(name);
    const std::int64_t then = OverlayFileState(name);
    const View view = Resolve(name);
    if (view.kind == View::File && !view.node->bytesKnown) {
      differences.push_back({name, StateText(now), L"a file the registry tool writes"});
      continue;
    }
    bool differs = now != then;
    if (!differs && now >= 0) {
      // Same size: the same bytes only when the name still shows the same file.
      const auto real = OverlayRealPath(name);
      if (!real)
        differs = OverlayFileBytes(name) != MachineFileBytes(name);
      else
        differs = Plain(*real) != Plain(name) && !os::RealSameFileBytes(*real, name);
    }
    if (differs) differences.push_back({name, StateText(now), StateText(then)});
  }
  std::sort(differences.begin(), differences.end(),
            [](const PlaceDifference& a, const PlaceDifference& b) { return a.path < b.path; });
  return differences;
}

std::optional<PlaceSize> MeasurePlace(const std::wstring& path) {
  const std::int64_t state = OverlayFileState(path);
  if (state >= 0) return PlaceSize{1, static_cast<std::uint64_t>(state)};
  if (state != os::kStateFolder) return std::nullopt;
  PlaceSize size;
  for (const os::DirEntry& entry :
       OverlayListFolder(path, L"*").value_or(std::vector<os::DirEntry>{})) {
    if (entry.isLink) continue;  // what a link shows belongs to its target
    const auto inner = MeasurePlace(Plain(path) + L"\\" + entry.name);
    if (!inner) continue;
    size.files += inner->files;
    size.bytes += inner->bytes;
  }
  return size;
}
