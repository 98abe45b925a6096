// The host-side cache of target memory lines: a fixed pool of 64 buffers on
// two intrusive rings, free and valid. The valid ring's head is the most
// recently used line and the head's prev the least recently used one, so
// replacement is strict LRU and nothing is ever allocated.
#include <cstdio>
#include <cstring>

#include "target/memory.h"

namespace {

Membuf pool[kMemCacheLines];
Membuf* pMembuf_free = nullptr;
Membuf* pMembuf_valid = nullptr;

void unlink(Membuf* b)
{
    b->prev->next = b->next;
    b->next->prev = b->prev;
    b->prev = b;
    b->next = b;
}

void insertAfter(Membuf* at, Membuf* b)
{
    b->prev = at;
    b->next = at->next;
    at->next->prev = b;
    at->next = b;
}

void insertBefore(Membuf* at, Membuf* b)
{
    insertAfter(at->prev, b);
}

// Removes b from the ring headed by *head, moving the head on when b was it.
void removeFrom(Membuf** head, Membuf* b)
{
    if (*head == b)
        *head = b->next == b ? nullptr : b->next;
    unlink(b);
}

// Puts b at the head of the ring named by *head.
void pushHead(Membuf** head, Membuf* b)
{
    if (*head != nullptr)
        insertBefore(*head, b);
    *head = b;
}

Membuf* takeBuffer()
{
    if (pMembuf_free == nullptr && pMembuf_valid == nullptr)
        clearMemCache();  // used before start-up built the rings
    if (pMembuf_free != nullptr) {
        Membuf* b = pMembuf_free;
        removeFrom(&pMembuf_free, b);
        return b;
    }
    // Every buffer is on the valid ring, so the least recently used is never the head.
    Membuf* b = pMembuf_valid->prev;
    removeFrom(&pMembuf_valid, b);
    return b;
}

int poolIndex(const Membuf* buffer)
{
    return static_cast<int>(buffer - pool);
}

void dumpRing(const char* name, const Membuf* head)
{
    std::printf("dumpMemCache : %s\n", name);
    if (head == nullptr) {
        std::printf("%s = NULL\n", name);
        return;
    }
    const Membuf* b = head;
    do {
        std::printf("%08X : prev=%08x next=%08x adrs=%d\n", poolIndex(b), poolIndex(b->prev),
                    poolIndex(b->next), static_cast<int>(b->adrs));
        b = b->next;
    } while (b != head);
}

}  // namespace

void clearMemCache()
{
    pMembuf_valid = nullptr;
    pMembuf_free = nullptr;
    for (Membuf& b : pool) {
        b.prev = &b;
        b.next = &b;
        b.adrs = 0;
    }
    // Each insertion goes directly after buffer 0, so the ring runs 0, 63, 62, ..., 1.
    for (int i = 1; i < kMemCacheLines; ++i)
        insertAfter(&pool[0], &pool[i]);
    pMembuf_free = &pool[0];
}

Membuf* searchMemCache(uint32_t lineAddress)
{
    if (pMembuf_valid == nullptr)
        return nullptr;
    Membuf* b = pMembuf_valid;
    do {
        if (b->adrs == lineAddress) {
            if (b != pMembuf_valid) {
                unlink(b);
                insertBefore(pMembuf_valid, b);
                pMembuf_valid = b;
            }
            return b;
        }
        b = b->next;
    } while (b != pMembuf_valid);
    return nullptr;
}

int readMemCache(uint8_t* destination, uint32_t lineAddress)
{
    Membuf* hit = searchMemCache(lineAddress);
    if (hit != nullptr) {
        std::memcpy(destination, hit->data, kMemChunk);
        return kMemChunk;
    }
    Membuf* b = takeBuffer();
    // A reused buffer still holds another line; bytes a failed read never
    // delivered read as zero rather than as that line's.
    std::memset(b->data, 0, kMemChunk);
    int ok = readMem(lineAddress & ~0xFu, kMemChunk, b->data);
    std::memcpy(destination, b->data, kMemChunk);
    if (!ok) {
        // A line that did not arrive whole would be served as target memory
        // until the next write or run; hand the buffer back instead.
        pushHead(&pMembuf_free, b);
        return kMemChunk;
    }
    b->adrs = lineAddress;
    pushHead(&pMembuf_valid, b);
    return kMemChunk;
}

void dumpMemCache()
{
    dumpRing("pMembuf_free", pMembuf_free);
    dumpRing("pMembuf_valid", pMembuf_valid);
}
