#include "server/TransferRate.h"

#include <algorithm>

namespace vornik::server {

TransferRate::TransferRate(std::chrono::milliseconds window, uint64_t minRate)
    : m_window(std::max(window, std::chrono::milliseconds(1))),
      m_needed(std::max<uint64_t>(1, minRate * uint64_t(m_window.count()) / 1000))
{
}

void TransferRate::start(Clock::time_point now)
{
    m_arrivals.clear();
    // The start counts as a full window's worth: the client has one window to begin.
    m_arrivals.emplace_back(now, m_needed);
}

void TransferRate::count(Clock::time_point now, uint64_t bytes)
{
    while (!m_arrivals.empty() && m_arrivals.front().first + m_window <= now)
        m_arrivals.pop_front();
    if (!m_arrivals.empty() && now - m_arrivals.back().first < m_window / 16)
        m_arrivals.back().second += bytes;
    else
        m_arrivals.emplace_back(now, bytes);
}

TransferRate::Clock::time_point TransferRate::deadline() const
{
    uint64_t inWindow = 0;
    for (const auto &arrival : m_arrivals)
        inWindow += arrival.second;
    // As time passes the oldest arrivals leave the window; the transfer is too slow
    // once what remains falls short of a window's worth.
    for (const auto &arrival : m_arrivals) {
        inWindow -= arrival.second;
        if (inWindow < m_needed)
            return arrival.first + m_window;
    }
    return Clock::now();
}

} // namespace vornik::server
