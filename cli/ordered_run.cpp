#include "cli/ordered_run.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Beyond a few threads the files only wait for the disk in turn.
constexpr unsigned kMostThreads = 8;

class Pool {
public:
    Pool(std::size_t count, const std::function<void(std::size_t)>& work)
        : work_(work), done_(count), errors_(count) {}
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;
    ~Pool() { Stop(); }

    // Fewer threads than asked when the system has no more to give; none at all leaves the caller
    // to do the work.
    void Start(unsigned threads) {
        for (unsigned t = 0; t < threads; ++t) {
            try {
                threads_.emplace_back([this] { Serve(); });
            } catch (const std::system_error&) {
                break;
            }
        }
    }

    // Waits up to `patience` for work(i) to be done, doing it on the caller's thread when no thread
    // runs; rethrows what it threw.
    bool WaitFor(std::size_t i, std::chrono::milliseconds patience) {
        if (threads_.empty()) {
            Do(i);
        } else {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!changed_.wait_for(lock, patience, [&] { return done_[i] != 0; })) return false;
        }
        if (errors_[i]) {
            Stop();
            std::rethrow_exception(errors_[i]);
        }
        return true;
    }

    void Stop() {
        stopping_ = true;
        for (std::thread& thread : threads_) thread.join();
        threads_.clear();
    }

private:
    void Serve() {
        for (;;) {
            const std::size_t i = next_.fetch_add(1);
            if (i >= done_.size() || stopping_) return;
            Do(i);
        }
    }

    void Do(std::size_t i) {
        std::exception_ptr error;
        try {
            work_(i);
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            errors_[i] = error;
            done_[i] = 1;
        }
        changed_.notify_all();
    }

    const std::function<void(std::size_t)>& work_;
    std::vector<char> done_;
    std::vector<std::exception_ptr> errors_;
    std::atomic<std::size_t> next_{0};
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::thread> threads_;
};

}  // namespace

unsigned ThreadsFor(std::size_t count) {
    if (count < 2) return 0;
    const unsigned processors = std::thread::hardware_concurrency();
    return processors == 0 ? 1 : processors < kMostThreads ? processors : kMostThreads;
}

void RunInOrder(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& work,
                const std::function<void(std::size_t)>& then, const std::function<void()>& idle) {
    Pool pool(count, work);
    pool.Start(threads);
    for (std::size_t i = 0; i < count; ++i) {
        while (!pool.WaitFor(i, std::chrono::milliseconds(100))) idle();
        then(i);
    }
}
