#include "engine/util/MemPool.h"

#include <algorithm>
#include <cstdint>
#include <new>

std::atomic<size_t> CMemPool::requested_{0};
std::atomic<size_t> CMemPool::inUse_{0};

namespace {

size_t RoundUp(size_t n)
{
    return (std::max<size_t>(n, 1) + CMemPool::kHeaderSize - 1) / CMemPool::kHeaderSize * CMemPool::kHeaderSize;
}

} // namespace

CMemPool::CMemPool(size_t blockSize, size_t blocksPerChunk)
{
    const size_t first = (RoundUp(blockSize) + kHeaderSize) * std::max<size_t>(blocksPerChunk, 1);
    nextChunkSize_ = first;
    AddChunk(first);
}

CMemPool::~CMemPool()
{
    requested_ -= totalBytes_;
    inUse_ -= usedHere_;
}

void CMemPool::MakeSingleFreeBlock(Chunk& chunk)
{
    Block* block = new (chunk.memory.get()) Block{chunk.size - kHeaderSize, nullptr};
    chunk.freeList = block;
}

void CMemPool::AddChunk(size_t bytes)
{
    Chunk chunk{std::make_unique<std::byte[]>(bytes), bytes, nullptr};
    MakeSingleFreeBlock(chunk);
    chunks_.push_back(std::move(chunk));
    totalBytes_ += bytes;
    freeBytes_ += bytes - kHeaderSize;
    requested_ += bytes;
}

void* CMemPool::TakeFrom(Chunk& chunk, size_t n)
{
    for (Block** link = &chunk.freeList; *link; link = &(*link)->next) {
        Block* block = *link;
        if (block->size < n)
            continue;
        if (block->size - n < n + kHeaderSize) {
            // Too little left over for another block: the spare bytes idle until a reset.
            *link = block->next;
            freeBytes_ -= block->size;
        } else {
            freeBytes_ -= n + kHeaderSize;
            auto* rest = new (reinterpret_cast<std::byte*>(block) + kHeaderSize + n)
                Block{block->size - n - kHeaderSize, block->next};
            *link = rest;
        }
        block->size = n;
        block->next = nullptr;
        return reinterpret_cast<std::byte*>(block) + kHeaderSize;
    }
    return nullptr;
}

void* CMemPool::Alloc(size_t n)
{
    // Sizes near the top of the range would wrap in the rounding or in the chunk size.
    if (n > SIZE_MAX / 4)
        return nullptr;
    n = RoundUp(n);
    void* p = nullptr;
    for (Chunk& chunk : chunks_)
        if ((p = TakeFrom(chunk, n)))
            break;
    if (!p) {
        AddChunk(std::max(n + kHeaderSize, nextChunkSize_));
        nextChunkSize_ *= 2;
        p = TakeFrom(chunks_.back(), n);
        if (!p)
            throw std::bad_alloc();
    }
    usedHere_ += n;
    inUse_ += n;
    return p;
}

void CMemPool::Free(void* p)
{
    if (!p)
        return;
    auto* bytes = static_cast<std::byte*>(p);
    for (Chunk& chunk : chunks_) {
        std::byte* begin = chunk.memory.get();
        if (bytes < begin + kHeaderSize || bytes >= begin + chunk.size)
            continue;
        Block* block = reinterpret_cast<Block*>(bytes - kHeaderSize);
        block->next = chunk.freeList;
        chunk.freeList = block;
        usedHere_ -= block->size;
        inUse_ -= block->size;
        freeBytes_ += block->size;
        return;
    }
}

void CMemPool::Reset()
{
    freeBytes_ = 0;
    for (Chunk& chunk : chunks_) {
        MakeSingleFreeBlock(chunk);
        freeBytes_ += chunk.size - kHeaderSize;
    }
    inUse_ -= usedHere_;
    usedHere_ = 0;
}
