#pragma once
// The bytes that start a two-byte character in a double-byte code page (932, 936, 949,
// 950); none in a single-byte one. The byte after a lead byte is the second half of its
// character whatever its value, a backslash or an ASCII letter included. Windows says which
// bytes they are; the core only reads them.

#include <array>

namespace qv {

class TLeadBytes {
 public:
  // first to last, both included
  void Add(unsigned char first, unsigned char last) {
    for (unsigned b = first; b <= last; ++b) lead_[b] = true;
    any_ = any_ || first <= last;
  }
  bool operator[](unsigned char b) const { return lead_[b]; }
  bool Any() const { return any_; }

 private:
  std::array<bool, 256> lead_{};
  bool any_ = false;
};

}  // namespace qv
