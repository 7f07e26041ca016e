#pragma once
// The chunked block pool the engine modules allocate their small records from: first-fit
// blocks carved out of chunks that double in size, freed blocks reused, everything released
// at once by Reset or with the pool. Not thread-safe: the UI thread owns it.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CMemPool {
public:
    // Every block starts with a header; the pointer handed out is just past it and aligned
    // for any type. Sizes are kept in multiples of the header size for that alignment.
    static constexpr size_t kHeaderSize = 16;

    CMemPool(size_t blockSize, size_t blocksPerChunk);
    ~CMemPool();
    CMemPool(const CMemPool&) = delete;
    CMemPool& operator=(const CMemPool&) = delete;

    // Null for a size too large for any chunk (beyond a quarter of the address range).
    void* Alloc(size_t n);
    // Pointers outside the pool's chunks are ignored.
    void Free(void* p);
    // Every chunk becomes one free block again.
    void Reset();

    size_t TotalBytes() const { return totalBytes_; }
    size_t FreeBytes() const { return freeBytes_; }  // usable bytes on the free lists
    size_t UsedBytes() const { return usedHere_; }
    size_t ChunkCount() const { return chunks_.size(); }
    size_t NextChunkSize() const { return nextChunkSize_; }

    // Across all pools of the process: bytes taken from the system, bytes handed out.
    static size_t RequestedBytes() { return requested_.load(); }
    static size_t InUseBytes() { return inUse_.load(); }

private:
    struct Block {
        size_t size;   // usable bytes after the header
        Block* next;   // next free block while on a free list
    };
    static_assert(sizeof(Block) == kHeaderSize);
    struct Chunk {
        std::unique_ptr<std::byte[]> memory;
        size_t size;
        Block* freeList;
    };

    void AddChunk(size_t bytes);
    static void MakeSingleFreeBlock(Chunk& chunk);
    void* TakeFrom(Chunk& chunk, size_t n);

    std::vector<Chunk> chunks_;
    size_t totalBytes_ = 0;
    size_t freeBytes_ = 0;
    size_t nextChunkSize_ = 0;
    size_t usedHere_ = 0;

    static std::atomic<size_t> requested_;
    static std::atomic<size_t> inUse_;
};
