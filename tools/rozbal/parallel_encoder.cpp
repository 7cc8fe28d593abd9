#include "tools/rozbal/parallel_encoder.h"

#include "tools/rozbal/block_encoder.h"

#include <optional>

ParallelEncoder::ParallelEncoder(unsigned threads, int level)
    : capacity_(2 * static_cast<size_t>(threads) + 2), level_(level)
{
    for (unsigned i = 0; i < threads; i++)
        threads_.emplace_back(&ParallelEncoder::Work, this);
}

ParallelEncoder::~ParallelEncoder()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    work_ready_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void ParallelEncoder::Submit(std::unique_ptr<Chunk> chunk)
{
    auto slot = std::make_unique<Slot>();
    bool compress = chunk->compress;
    if (!compress) {
        chunk->output = std::move(chunk->input);
        slot->done = true;
    }
    slot->chunk = std::move(chunk);
    std::lock_guard<std::mutex> lock(mutex_);
    if (compress)
        waiting_.push_back(slot.get());
    slots_.push_back(std::move(slot));
    if (compress)
        work_ready_.notify_one();
}

std::unique_ptr<Chunk> ParallelEncoder::TakeOldest()
{
    std::unique_ptr<Slot> slot;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        Slot* oldest = slots_.front().get();
        chunk_done_.wait(lock, [oldest] { return oldest->done; });
        slot = std::move(slots_.front());
        slots_.pop_front();
    }
    if (slot->error)
        std::rethrow_exception(slot->error);
    return std::move(slot->chunk);
}

void ParallelEncoder::Work()
{
    std::optional<BlockEncoder> encoder;  // made on first use, so its failure is reported
    for (;;) {
        Slot* slot;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            work_ready_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
            if (waiting_.empty())
                return;
            slot = waiting_.front();
            waiting_.pop_front();
        }
        Chunk& chunk = *slot->chunk;
        std::exception_ptr error;
        try {
            if (!encoder)
                encoder.emplace(level_);
            chunk.output.clear();
            encoder->Encode(chunk.input.data(), chunk.input.size(), chunk.output);
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            slot->error = error;
            slot->done = true;
        }
        chunk_done_.notify_all();
    }
}
