#include "cli/block_pipeline.h"

#include <condition_variable>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// Runs one job at a time on a thread of its own, so that a block is read or written while another is
// converted.
class Worker {
public:
    // Without a thread (the system has none to give) the jobs run in the caller, one after another.
    Worker() {
        try {
            thread_ = std::thread([this] { Serve(); });
        } catch (const std::system_error&) {
        }
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    // Lets the job in hand finish: it works on buffers that outlive the worker.
    ~Worker() {
        if (!thread_.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    void Start(std::function<void()> job) {
        if (!thread_.joinable()) {
            try {
                job();
            } catch (...) {
                error_ = std::current_exception();
            }
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            job_ = std::move(job);
        }
        changed_.notify_all();
    }

    // Waits until the job is done; throws what it threw.
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !job_; });
        if (std::exception_ptr error = std::exchange(error_, nullptr)) std::rethrow_exception(error);
    }

private:
    void Serve() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return job_ || stopping_; });
            if (!job_) return;
            lock.unlock();
            std::exception_ptr error;
            try {
                job_();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            job_ = nullptr;
            error_ = error;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;
    std::exception_ptr error_;
    bool stopping_ = false;
    std::thread thread_;
};

// An input this small converts at once on the caller's thread: for it the blocks (their first
// touch alone) and the reader's and writer's threads would cost more than the conversion.
constexpr std::size_t kSmallInput = 256 * 1024;

// The whole input when it is small; nullopt, with nothing consumed, when it is not.
std::optional<std::string> SmallInput(Input& in) {
    if (in.Peek(kSmallInput + 1).size() > kSmallInput) return std::nullopt;
    return in.ReadAll();
}

}  // namespace

void RunMapped(const ConversionMap& map, Input& in, Output& out) {
    if (std::optional<std::string> small = SmallInput(in)) {
        ApplyConversion(map, reinterpret_cast<std::uint8_t*>(small->data()), small->size());
        out.Write(*small);
        return;
    }
    Block block;
    while (std::size_t n = in.Read(block.data(), block.size())) {
        ApplyConversion(map, reinterpret_cast<std::uint8_t*>(block.data()), n);
        out.Write(block.data(), n);
    }
}

void RunUnicode(UnicodeConversion& conversion, Input& in, Output& out) {
    if (std::optional<std::string> small = SmallInput(in)) {
        std::unique_ptr<char[]> converted(new char[UnicodeConversion::MaxOutput(small->size())]);
        const UnicodeConversion::Step step = conversion.Convert(reinterpret_cast<const std::uint8_t*>(small->data()),
                                                                small->size(), true, converted.get());
        out.Write(converted.get(), step.written);
        return;
    }
    // Room for the carried bytes in front of each block, which keeps the block itself page-aligned.
    constexpr std::size_t kCarry = 4096;
    constexpr std::size_t kOutput = UnicodeConversion::MaxOutput(kBlockSize + kCarry);
    Block inputs[2] = {Block(kCarry + kBlockSize), Block(kCarry + kBlockSize)};
    Block outputs[2] = {Block(kOutput), Block(kOutput)};
    std::size_t got[2] = {};
    // Declared after the buffers: they finish their jobs before the buffers go.
    Worker reader, writer;
    auto read = [&](int i) { reader.Start([&, i] { got[i] = in.Read(inputs[i].data() + kCarry, kBlockSize); }); };
    read(0);
    std::size_t held = 0;
    for (int i = 0;; i ^= 1) {
        reader.Wait();
        const std::size_t n = got[i];
        const bool atEnd = n < kBlockSize;
        if (!atEnd) read(i ^ 1);
        const char* start = inputs[i].data() + kCarry - held;
        UnicodeConversion::Step step =
            conversion.Convert(reinterpret_cast<const std::uint8_t*>(start), held + n, atEnd, outputs[i].data());
        writer.Wait();
        writer.Start([&, i, written = step.written] { out.Write(outputs[i].data(), written); });
        if (atEnd) break;
        held = held + n - step.consumed;
        // In front of the block being read: the reader does not touch it.
        std::memcpy(inputs[i ^ 1].data() + kCarry - held, start + step.consumed, held);
    }
    writer.Wait();
}
