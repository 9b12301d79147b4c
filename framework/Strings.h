#pragma once
// TStrings, the abstract list of text lines that list boxes, combo boxes and files
// share, and TStringList, its in-memory form. Each line carries an "object" value
// wide enough for a pointer.
//
// A derived class supplies the primitives (Count, Get, Insert, Delete, Clear and,
// when it keeps objects, GetObject / PutObject); everything else (text, files,
// search, copying, moving) is built on them here, so a control's adapter gets it
// all by answering those few calls with window messages.

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Events.h"

namespace qv {

class TStrings : public TObject {
  QV_CLASS(TStrings)

 public:
  TStrings() = default;
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;

  // --- primitives ---
  virtual int Count() const = 0;
  virtual std::string Get(int index) const = 0;
  // Lists that keep no objects read 0 and ignore writes.
  virtual std::intptr_t GetObject(int index) const;
  virtual void PutObject(int index, std::intptr_t object);
  // Replaces a line's text; the default deletes and re-inserts it, keeping its object.
  virtual void Put(int index, const std::string& text);
  virtual void Insert(int index, const std::string& text) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  // Appends (or, in a sorted list, puts the line in its place); returns its index.
  virtual int Add(const std::string& text);
  virtual int AddObject(const std::string& text, std::intptr_t object);
  void InsertObject(int index, const std::string& text, std::intptr_t object);
  // Both keep each line's object with its line.
  virtual void Exchange(int index1, int index2);
  virtual void Move(int currentIndex, int newIndex);
  // A hint that about this many lines are coming; lists that can reserve room do.
  virtual void SetCapacity(int capacity);

  // --- generic operations ---
  std::string Strings(int index) const { return Get(index); }
  void SetStrings(int index, const std::string& text) { Put(index, text); }
  std::string operator[](int index) const { return Get(index); }
  std::intptr_t Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, std::intptr_t object) { PutObject(index, object); }

  // First line equal to text, letter case ignored; -1 when there is none.
  virtual int IndexOf(const std::string& text) const;

  // Counted: only the first BeginUpdate and the last EndUpdate reach SetUpdateState.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return update_count_; }

  // Every line followed by CR LF.
  virtual std::string Text() const;
  // Replaces all lines. CR LF, a lone CR and a lone LF each end a line; a last line
  // without a break still counts, and a final break adds no empty line.
  void SetText(const std::string& text);

  // Raises EFOpenError when the file cannot be read.
  void LoadFromFile(const std::string& path);
  // Writes Text() whole, crash-safe; raises EFCreateError when that fails, leaving
  // the old file as it was.
  void SaveToFile(const std::string& path) const;

  // Copies the other list's lines and objects in, replacing these.
  void Assign(const TStrings& source);

 protected:
  // Called with true on the first BeginUpdate and with false on the last EndUpdate.
  virtual void SetUpdateState(bool updating);
  // Raises EStringListError for an index outside 0 .. Count()-1.
  void CheckIndex(int index) const;

 private:
  int update_count_ = 0;
};

// Keeps a list inside one BeginUpdate / EndUpdate for the life of the guard, also
// when what is done inside throws.
class TUpdateGuard {
 public:
  explicit TUpdateGuard(TStrings& strings) : strings_(strings) { strings_.BeginUpdate(); }
  ~TUpdateGuard() { strings_.EndUpdate(); }
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;

 private:
  TStrings& strings_;
};

class TStringList : public TStrings {
  QV_CLASS(TStringList)

 public:
  TStringList() = default;

  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Get(int index) const override;
  std::intptr_t GetObject(int index) const override;
  void PutObject(int index, std::intptr_t object) override;
  void Put(int index, const std::string& text) override;
  // Inserts at exactly that index, even in a sorted list (the caller then owns the order).
  void Insert(int index, const std::string& text) override;
  void Delete(int index) override;
  void Clear() override;
  int Add(const std::string& text) override;
  void Exchange(int index1, int index2) override;
  void SetCapacity(int capacity) override;
  std::string Text() const override;
  // Follows CaseSensitive; a binary search while sorted.
  int IndexOf(const std::string& text) const override;

  // While on, Add puts each line in its place; turning it on sorts the list.
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  // Off by default: sorting and searching ignore ASCII letter case.
  bool CaseSensitive() const { return case_sensitive_; }
  void SetCaseSensitive(bool value);
  // Stable: equal lines keep their order.
  void Sort();
  // For a sorted list: index is the first line equal to text, or where it would go.
  bool Find(const std::string& text, int& index) const;

  // Raised around each change, or once around a whole BeginUpdate / EndUpdate.
  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  void SetUpdateState(bool updating) override;
  int CompareStrings(const std::string& a, const std::string& b) const;
  void Changing();
  void Changed();

 private:
  struct Item {
    std::string text;
    std::intptr_t object = 0;
  };
  // First index whose line sorts after text: where Add puts a duplicate.
  int UpperBound(const std::string& text) const;

  std::vector<Item> items_;
  bool sorted_ = false;
  bool case_sensitive_ = false;
};

}  // namespace qv
