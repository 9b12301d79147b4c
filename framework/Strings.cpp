#include "framework/Strings.h"

#include <algorithm>
#include <cstring>

#include "framework/FileIO.h"
#include "framework/SysUtils.h"

namespace qv {

// ---------------------------------------------------------------- TStrings

std::intptr_t TStrings::GetObject(int index) const {
  CheckIndex(index);
  return 0;
}

void TStrings::PutObject(int index, std::intptr_t) { CheckIndex(index); }

void TStrings::Put(int index, const std::string& text) {
  const std::intptr_t object = GetObject(index);
  TUpdateGuard update(*this);
  Delete(index);
  Insert(index, text);
  PutObject(index, object);
}

int TStrings::Add(const std::string& text) {
  const int index = Count();
  Insert(index, text);
  return index;
}

int TStrings::AddObject(const std::string& text, std::intptr_t object) {
  const int index = Add(text);
  PutObject(index, object);
  return index;
}

void TStrings::InsertObject(int index, const std::string& text, std::intptr_t object) {
  Insert(index, text);
  PutObject(index, object);
}

void TStrings::Exchange(int index1, int index2) {
  const std::string text1 = Get(index1);
  const std::string text2 = Get(index2);
  const std::intptr_t object1 = GetObject(index1);
  const std::intptr_t object2 = GetObject(index2);
  TUpdateGuard update(*this);
  Put(index1, text2);
  PutObject(index1, object2);
  Put(index2, text1);
  PutObject(index2, object1);
}

void TStrings::Move(int currentIndex, int newIndex) {
  if (currentIndex == newIndex) return;
  const std::string text = Get(currentIndex);
  const std::intptr_t object = GetObject(currentIndex);
  // Checked before anything is deleted, so a bad target loses no line.
  CheckIndex(newIndex);
  TUpdateGuard update(*this);
  Delete(currentIndex);
  Insert(newIndex, text);
  PutObject(newIndex, object);
}

void TStrings::SetCapacity(int) {}

int TStrings::IndexOf(const std::string& text) const {
  const int n = Count();
  for (int i = 0; i < n; ++i)
    if (SameText(Get(i), text)) return i;
  return -1;
}

void TStrings::BeginUpdate() {
  if (update_count_ == 0) SetUpdateState(true);
  ++update_count_;
}

void TStrings::EndUpdate() {
  if (update_count_ == 0) return;
  --update_count_;
  if (update_count_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EStringListError(MsgListIndexError(index));
}

std::string TStrings::Text() const {
  std::string out;
  const int n = Count();
  for (int i = 0; i < n; ++i) {
    out += Get(i);
    out += "\r\n";
  }
  return out;
}

void TStrings::SetText(const std::string& text) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  TUpdateGuard update(*this);
  Clear();
  // One counting pass lets the list reserve room, so a large text loads in linear time.
  int lines = 0;
  for (const char* p = begin; p < end; ++p)
    if (*p == '\n' || (*p == '\r' && (p + 1 == end || p[1] != '\n'))) ++lines;
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') ++lines;
  SetCapacity(lines);

  const char* p = begin;
  while (p < end) {
    const char* q = p;
    while (q < end && *q != '\r' && *q != '\n') ++q;
    Add(std::string(p, q));
    if (q < end) q += (*q == '\r' && q + 1 < end && q[1] == '\n') ? 2 : 1;
    p = q;
  }
}

void TStrings::LoadFromFile(const std::string& path) {
  std::string bytes;
  ReadWholeFileOrRaise(path, bytes);
  TUpdateGuard update(*this);
  SetText(bytes);
}

void TStrings::SaveToFile(const std::string& path) const {
  WriteFileAtomicallyOrRaise(path, Text());
}

void TStrings::Assign(const TStrings& source) {
  if (&source == this) return;
  TUpdateGuard update(*this);
  Clear();
  const int n = source.Count();
  SetCapacity(n);
  for (int i = 0; i < n; ++i) AddObject(source.Get(i), source.GetObject(i));
}

// ---------------------------------------------------------------- TStringList

std::string TStringList::Get(int index) const {
  CheckIndex(index);
  return items_[index].text;
}

std::intptr_t TStringList::GetObject(int index) const {
  CheckIndex(index);
  return items_[index].object;
}

void TStringList::PutObject(int index, std::intptr_t object) {
  CheckIndex(index);
  Changing();
  items_[index].object = object;
  Changed();
}

void TStringList::Put(int index, const std::string& text) {
  CheckIndex(index);
  Changing();
  items_[index].text = text;
  Changed();
}

void TStringList::Insert(int index, const std::string& text) {
  if (index < 0 || index > Count()) throw EStringListError(MsgListIndexError(index));
  Changing();
  items_.insert(items_.begin() + index, Item{text, 0});
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  items_.shrink_to_fit();
  Changed();
}

int TStringList::Add(const std::string& text) {
  const int index = sorted_ ? UpperBound(text) : Count();
  Insert(index, text);
  return index;
}

void TStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(items_[index1], items_[index2]);
  Changed();
}

void TStringList::SetCapacity(int capacity) {
  if (capacity > 0) items_.reserve(static_cast<size_t>(capacity));
}

std::string TStringList::Text() const {
  size_t size = 0;
  for (const Item& item : items_) size += item.text.size() + 2;
  std::string out;
  out.reserve(size);
  for (const Item& item : items_) {
    out += item.text;
    out += "\r\n";
  }
  return out;
}

int TStringList::IndexOf(const std::string& text) const {
  if (sorted_) {
    int index = 0;
    return Find(text, index) ? index : -1;
  }
  const int n = Count();
  for (int i = 0; i < n; ++i)
    if (CompareStrings(items_[i].text, text) == 0) return i;
  return -1;
}

void TStringList::SetSorted(bool value) {
  if (value == sorted_) return;
  sorted_ = value;
  if (sorted_) Sort();
}

void TStringList::SetCaseSensitive(bool value) {
  if (value == case_sensitive_) return;
  case_sensitive_ = value;
  if (sorted_) Sort();
}

void TStringList::Sort() {
  if (items_.size() < 2) return;
  Changing();
  std::stable_sort(items_.begin(), items_.end(), [this](const Item& a, const Item& b) {
    return CompareStrings(a.text, b.text) < 0;
  });
  Changed();
}

bool TStringList::Find(const std::string& text, int& index) const {
  int low = 0, high = Count();
  while (low < high) {
    const int mid = low + (high - low) / 2;
    if (CompareStrings(items_[mid].text, text) < 0)
      low = mid + 1;
    else
      high = mid;
  }
  index = low;
  return low < Count() && CompareStrings(items_[low].text, text) == 0;
}

int TStringList::UpperBound(const std::string& text) const {
  int low = 0, high = Count();
  while (low < high) {
    const int mid = low + (high - low) / 2;
    if (CompareStrings(items_[mid].text, text) <= 0)
      low = mid + 1;
    else
      high = mid;
  }
  return low;
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

int TStringList::CompareStrings(const std::string& a, const std::string& b) const {
  return case_sensitive_ ? a.compare(b) : CompareText(a, b);
}

void TStringList::Changing() {
  if (UpdateCount() == 0) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0) OnChange(this);
}

}  // namespace qv
