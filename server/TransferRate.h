#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <utility>

namespace vornik::server {

// The slowest transfer a connection may keep up, judged over a sliding window: in
// every stretch of `window` the transfer must move at least `minRate` bytes a
// second on average, whatever size it announced. The first window counts from the
// start of the transfer, so a client that sends nothing at all is cut off one
// window after it began; one that sends quickly and then stops, one window after
// it stopped.
class TransferRate
{
public:
    using Clock = std::chrono::steady_clock;

    TransferRate(std::chrono::milliseconds window, uint64_t minRate);

    // Starts judging a new transfer at `now`.
    void start(Clock::time_point now);
    void count(Clock::time_point now, uint64_t bytes);
    // The moment the transfer falls below the rate if nothing more arrives.
    Clock::time_point deadline() const;

private:
    std::chrono::milliseconds m_window;
    uint64_t m_needed;  // bytes each window must bring
    // Arrivals within the last window, oldest first, merged into slots of a
    // sixteenth of the window so the list stays short.
    std::deque<std::pair<Clock::time_point, uint64_t>> m_arrivals;
};

} // namespace vornik::server
