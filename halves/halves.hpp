// Work on a long list shared by two threads: the first half on a helper,
// the second on the caller's own. The machines this runs on have two cores
// or more, and the work it is used for (looking at entries, reshaping names,
// sorting them) touches nothing shared.
#pragma once

#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>

namespace halves {

// Calls work(first, end) for [0, half) and [half, count), at once when
// `count` reaches `share_from` and a second core is there, else as one
// call for the whole [0, count). Returns where the halves meet (count when
// not shared). An exception of either half comes out here, after both ended.
template <typename Work>
std::size_t in_halves(std::size_t count, std::size_t share_from, Work&& work) {
    if (count < share_from || std::thread::hardware_concurrency() < 2) {
        work(std::size_t{0}, count);
        return count;
    }
    const std::size_t half = count / 2;
    std::exception_ptr helper_failed;
    std::thread helper;
    try {
        helper = std::thread([&] {
            try {
                work(std::size_t{0}, half);
            } catch (...) {
                helper_failed = std::current_exception();
            }
        });
    } catch (const std::system_error&) {  // no thread to be had: all on this one
        work(std::size_t{0}, count);
        return count;
    }
    try {
        work(half, count);
    } catch (...) {
        helper.join();
        throw;
    }
    helper.join();
    if (helper_failed) std::rethrow_exception(helper_failed);
    return half;
}

}  // namespace halves
