// A growable byte array with a read index: the landing place of data received over the network
// and the input and output areas of the decompressors and binary decoders.
#pragma once

#include <vector>

namespace KOL {

class Buffer {
 public:
  Buffer() { init(0); }
  explicit Buffer(int size) { init(size); }
  Buffer(const Buffer& b) { copy(b); }
  Buffer& operator=(const Buffer& b);

  // Frees the data and allocates size bytes; nothing used, index 0.
  void init(int size);
  int copy(const Buffer& b);
  // Reallocates to size bytes, keeping the used bytes that fit.
  int resize(int size);
  // Makes room for n bytes in total (grows to n + 2000 when n exceeds the size).
  int check(int n);

  int add(const void* bytes, int n);
  int insert(int pos, const void* bytes, int n);
  int insert(int pos, const Buffer& b);

  // The byte at index + i, 0 outside the used bytes.
  unsigned char get(int i) const;
  // Copies up to n bytes from the index and advances it; returns the count.
  int read(void* bytes, int n);
  // Copies up to and including the next newline, at most n bytes, not terminated.
  int readLine(char* bytes, int n);
  // Moves the index after the next newline (or to the end); returns the bytes skipped.
  int skipLine();
  // Moves the bytes from the index (all, or at most n) to the end of out.
  int read(Buffer& out);
  int read(Buffer& out, int n);

  // Drops the bytes before the index; the index becomes 0.
  void clearUsed();
  int seek(int pos);
  int inc(int n);
  void clear() { used_ = index_ = 0; }
  // The used count becomes n, or used + n for a negative n.
  int trunc(int n);
  // Sets the used count after bytes were written through getData().
  int setUsed(int n);
  // The bytes at pos (from the end for a negative pos) begin with text.
  bool equal(int pos, const char* text) const;

  unsigned char* getData() { return data_.data(); }
  const unsigned char* getData() const { return data_.data(); }
  unsigned char* getCurrent() { return data_.data() + index_; }
  const unsigned char* getCurrent() const { return data_.data() + index_; }
  int getUsed() const { return used_; }
  int getSize() const { return static_cast<int>(data_.size()); }
  int getIndex() const { return index_; }
  // Unread bytes: from the index to the used count.
  int getLeft() const { return used_ - index_; }
  // Free bytes after the used ones.
  int getFree() const { return getSize() - used_; }

  void dump(int start, int n) const;
  void print() const;

 private:
  int used_ = 0;
  int index_ = 0;
  std::vector<unsigned char> data_;
};

}  // namespace KOL
