// Block compression on several threads: chunks go in in archive order and
// come out in the same order, so the output does not depend on the number
// of threads or on their timing.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// A stretch of one file, read in archive order.
struct Chunk {
    size_t file = 0;  // index into the pack list
    bool compress = false;
    bool first = false;  // the file's first chunk
    bool last = false;   // the file's last chunk
    size_t plain_size = 0;
    std::vector<unsigned char> input;   // plain data read from the file
    std::vector<unsigned char> output;  // what the archive stores for it
};

class ParallelEncoder {
  public:
    // Starts `threads` (at least 1) threads compressing at `level`. At most
    // 2 * threads + 2 chunks are in flight, which bounds the memory.
    ParallelEncoder(unsigned threads, int level);
    ~ParallelEncoder();
    ParallelEncoder(const ParallelEncoder&) = delete;
    ParallelEncoder& operator=(const ParallelEncoder&) = delete;

    // Whether Submit must wait for TakeOldest first / whether nothing is in flight.
    bool Full() const
    {
        return slots_.size() >= capacity_;
    }
    bool Empty() const
    {
        return slots_.empty();
    }

    // Queues a chunk; the caller has checked !Full(). A chunk not to be
    // compressed is passed through as it is.
    void Submit(std::unique_ptr<Chunk> chunk);

    // Waits for the oldest chunk and hands it back with its output; the
    // caller has checked !Empty(). Rethrows a compressing thread's failure.
    std::unique_ptr<Chunk> TakeOldest();

  private:
    struct Slot {
        std::unique_ptr<Chunk> chunk;
        bool done = false;
        std::exception_ptr error;
    };

    void Work();

    const size_t capacity_;
    const int level_;
    std::deque<std::unique_ptr<Slot>> slots_;  // in flight, in archive order; owner thread only
    std::mutex mutex_;
    std::condition_variable work_ready_, chunk_done_;
    std::deque<Slot*> waiting_;  // not yet taken by a thread
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};
