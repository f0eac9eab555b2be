#pragma once
// Work on many files at once on threads of their own, with what each says handed back in the files'
// order.
#include <cstddef>
#include <functional>

// How many threads to work on `count` files with: one a processor, and none (the caller's own) for
// a single file.
unsigned ThreadsFor(std::size_t count);

// Runs work(i) for every i below `count` on `threads` threads (on the caller's when 0), and then(i)
// on the caller's thread in the order of i, each once work(i) is done and then(i - 1) has run;
// idle() about ten times a second while the caller waits. What work(i) throws is thrown at then(i)'s
// turn, once the other threads have stopped.
void RunInOrder(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& work,
                const std::function<void(std::size_t)>& then, const std::function<void()>& idle);
