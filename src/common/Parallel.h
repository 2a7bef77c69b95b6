#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

namespace horgrid {

// Reads a thread count given on the command line or in the environment: a
// whole decimal number from 1 to 1024 and nothing else. Empty when the text is
// anything else.
std::optional<unsigned> ParseThreadCount(std::string_view text);

// Runs body(index, worker) for every index in [0, count) on `threads` threads
// (the calling thread is worker 0). Indices are handed out in ascending
// chunks of `chunk` from one atomic counter, so a slow index never holds up
// the others; `worker` lies in [0, threads) and lets the body use per-thread
// scratch space without locks. Which thread runs an index is not fixed: a
// caller that wants output independent of the thread count stores results by
// index. The first exception a body throws is rethrown after every thread has
// stopped; indices not yet started are then skipped.
template <class Body>
void ParallelFor(std::size_t count, unsigned threads, Body&& body, std::size_t chunk = 1) {
    chunk = std::max<std::size_t>(chunk, 1);
    const std::size_t chunks = (count + chunk - 1) / chunk;
    threads = static_cast<unsigned>(std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(chunks, 1)));
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorMutex;
    auto work = [&](unsigned worker) {
        try {
            while (!failed.load(std::memory_order_relaxed)) {
                const std::size_t begin = next.fetch_add(chunk, std::memory_order_relaxed);
                if (begin >= count) return;
                const std::size_t end = std::min(count, begin + chunk);
                for (std::size_t index = begin; index < end; ++index) body(index, worker);
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(errorMutex);
            if (!error) error = std::current_exception();
            failed = true;
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(threads - 1);
    for (unsigned worker = 1; worker < threads; ++worker) pool.emplace_back(work, worker);
    work(0);
    for (std::thread& thread : pool) thread.join();
    if (error) std::rethrow_exception(error);
}

// Runs produce(index, worker, slot) for every index in [0, count) on `threads`
// threads, and then consume(index, slot) for every index in increasing order,
// one call at a time. The indices go in blocks of `block`: while one block is
// consumed (on a thread of its own) the next is produced, so an ordered output
// (rows written in order) overlaps the computation. Each index gets a slot,
// a Slot value reused for index + 2 * block, so buffers keep their capacity.
// With one thread everything runs in the calling thread, index by index:
// produce(0), consume(0), produce(1), ... An exception from either function
// stops the run and is rethrown once every thread has stopped.
template <class Slot, class Produce, class Consume>
void ParallelInOrder(std::size_t count, unsigned threads, std::size_t block, Produce&& produce,
                     Consume&& consume) {
    if (threads <= 1) {
        Slot slot{};
        for (std::size_t index = 0; index < count; ++index) {
            produce(index, 0u, slot);
            consume(index, slot);
        }
        return;
    }
    block = std::max<std::size_t>(block, 1);
    std::vector<Slot> slots(2 * std::min(block, count));
    std::exception_ptr consumeError;
    std::thread consumer;
    const auto finishConsumer = [&] {
        if (consumer.joinable()) consumer.join();
        if (consumeError) std::rethrow_exception(consumeError);
    };
    try {
        for (std::size_t begin = 0, half = 0; begin < count; begin += block, half ^= 1) {
            const std::size_t end = std::min(count, begin + block);
            Slot* own = slots.data() + half * block;
            ParallelFor(end - begin, threads,
                        [&](std::size_t k, unsigned worker) { produce(begin + k, worker, own[k]); });
            finishConsumer();
            consumer = std::thread([&consume, &consumeError, own, begin, end] {
                try {
                    for (std::size_t index = begin; index < end; ++index) consume(index, own[index - begin]);
                } catch (...) {
                    consumeError = std::current_exception();
                }
            });
        }
    } catch (...) {
        if (consumer.joinable()) consumer.join();
        throw;
    }
    finishConsumer();
}

}  // namespace horgrid
