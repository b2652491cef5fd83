// Storage for the cells and operand arrays of a compiled program: carved
// from blocks, and kept for the next compile when the program is released,
// so that compiling a long text again neither allocates per cell nor makes
// the system fault in fresh pages. The first block is small and each new
// one twice the last, up to a fixed size: an engine that compiles one short
// expression touches a few hundred bytes, not whole pages. Nothing is
// written ahead of use: an element is constructed when it is taken.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace helmax {

template <class T>
class TBlockPool {
  // Elements are never destroyed: a block is given back as it is. Blocks
  // come from the plain operator new, which aligns for every such T.
  static_assert(std::is_trivially_destructible_v<T>);
  static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);

 public:
  // n contiguous, value-initialised elements, valid until Reset.
  T* Take(std::size_t n) {
    if (n == 0) n = 1;
    if (static_cast<std::size_t>(Limit_ - Next_) < n) [[unlikely]]
      EnterBlockFor(n);
    T* const p = Next_;
    Next_ += n;
    if (n == 1) {
      ::new (static_cast<void*>(p)) T();  // most takes: one cell, one operand (no call to memset)
    } else {
      std::uninitialized_value_construct_n(p, n);
    }
    return p;
  }

  // Makes every element available again; the blocks stay allocated.
  void Reset() {
    Current_ = 0;
    if (Blocks_.empty()) Next_ = Limit_ = nullptr;
    else Enter(0);
  }

  // Gives back the blocks beyond those in use and one more, so that a short
  // program does not keep what a long one needed.
  void Trim() {
    const std::size_t keep = std::min(Blocks_.size(), Current_ + 2);
    Blocks_.resize(keep);
  }

  // The elements that the blocks can hold (for tests).
  std::size_t Capacity() const {
    std::size_t n = 0;
    for (const TBlock& b : Blocks_) n += b.Size;
    return n;
  }

  static constexpr std::size_t kFirstBlockSize = 16;
  static constexpr std::size_t kBlockSize = 4096;

 private:
  // Raw storage: its elements come to life in Take.
  struct TFreeStorage {
    void operator()(T* p) const { ::operator delete(static_cast<void*>(p)); }
  };
  struct TBlock {
    std::unique_ptr<T[], TFreeStorage> Data;
    std::size_t Size;
  };

  void Enter(std::size_t i) {
    Current_ = i;
    Next_ = Blocks_[i].Data.get();
    Limit_ = Next_ + Blocks_[i].Size;
  }

  // The current block has no room for n: the first later block that has,
  // or a new one.
  [[gnu::noinline]] void EnterBlockFor(std::size_t n) {
    for (std::size_t i = Next_ == nullptr ? 0 : Current_ + 1; i < Blocks_.size(); ++i) {
      if (Blocks_[i].Size >= n) {
        Enter(i);
        return;
      }
    }
    const std::size_t grown = Blocks_.empty() ? kFirstBlockSize : std::min(kBlockSize, 2 * Blocks_.back().Size);
    const std::size_t size = std::max(grown, n);
    T* const data = static_cast<T*>(::operator new(size * sizeof(T)));
    Blocks_.push_back(TBlock{std::unique_ptr<T[], TFreeStorage>(data), size});
    Enter(Blocks_.size() - 1);
  }

  std::vector<TBlock> Blocks_;
  std::size_t Current_ = 0;  // the block that Next_ and Limit_ lie in
  T* Next_ = nullptr;
  T* Limit_ = nullptr;
};

// Shrinks a vector whose storage is far larger than what it holds now (a
// long text compiled before a short one), keeping a small reserve.
template <class V>
void ShrinkIfOversized(V& v) {
  constexpr std::size_t kReserveBytes = 64 * 1024;
  const std::size_t bytes = v.capacity() * sizeof(typename V::value_type);
  if (bytes > kReserveBytes && v.capacity() > 4 * v.size()) v.shrink_to_fit();
}

// A growing array in fixed chunks: appending never moves the elements (so
// references stay valid) nor copies them into a twice larger block, which
// would hold both blocks at once at the peak of a long compile.
template <class T>
class TChunkedVector {
 public:
  T& operator[](std::size_t i) { return Chunks_[i >> kShift][i & kMask]; }
  const T& operator[](std::size_t i) const { return Chunks_[i >> kShift][i & kMask]; }
  std::size_t size() const { return Size_; }
  bool empty() const { return Size_ == 0; }
  // Inline, so that a record built field by field in the caller goes
  // straight to its place: passed through memory, its narrow stores could
  // not be forwarded to the wide loads of the copy, which waited for them.
  [[gnu::always_inline]] void push_back(const T& value) {
    if ((Size_ >> kShift) == Chunks_.size()) [[unlikely]]
      AddChunk();
    (*this)[Size_++] = value;
  }
  void pop_back() { --Size_; }
  // Empties the array; the chunks stay for the next use.
  void clear() { Size_ = 0; }
  // Gives back the chunks beyond those in use and one more.
  void Trim() {
    const std::size_t keep = std::min(Chunks_.size(), (Size_ >> kShift) + 2);
    Chunks_.resize(keep);
  }
  void swap(TChunkedVector& other) noexcept {
    Chunks_.swap(other.Chunks_);
    std::swap(Size_, other.Size_);
  }
  std::size_t ChunkCount() const { return Chunks_.size(); }
  static constexpr std::size_t kChunk = 1024;

 private:
  [[gnu::noinline]] void AddChunk() { Chunks_.push_back(std::make_unique<T[]>(kChunk)); }
  static constexpr std::size_t kShift = 10;
  static constexpr std::size_t kMask = kChunk - 1;
  std::vector<std::unique_ptr<T[]>> Chunks_;
  std::size_t Size_ = 0;
};

}  // namespace helmax
