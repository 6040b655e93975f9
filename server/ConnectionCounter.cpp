#include "server/ConnectionCounter.h"

#include <sys/socket.h>

namespace vornik::server {

ConnectionCounter::Ticket::~Ticket()
{
    m_counter->release(this);
}

std::unique_ptr<ConnectionCounter::Ticket> ConnectionCounter::admit(const std::string &peer, const std::string &client,
                                                                    int socket, bool capped)
{
    const std::string network = capped ? client : "proxy " + peer;
    std::lock_guard lock(m_mutex);
    const auto known = m_networks.find(network);
    const size_t held = known == m_networks.end() ? 0 : known->second.tickets.size();
    if (capped && held >= size_t(m_perNetwork))
        return nullptr;
    if (m_all >= m_total && (!capped || !makeRoomFor(network)))
        return nullptr;
    std::unique_ptr<Ticket> ticket(new Ticket(this, peer, network, socket, capped));
    Network &counted = m_networks[network];
    if (capped)
        m_bySize.erase({counted.tickets.size(), network});
    ticket->m_place = counted.tickets.insert(counted.tickets.end(), ticket.get());
    if (capped)
        m_bySize.emplace(counted.tickets.size(), network);
    ++m_all;
    return ticket;
}

// The total is reached: the heaviest network's newest connection goes, when it
// holds more than `network` does. Its socket is shut down here (its owner sees the
// connection end and closes it); it no longer counts from now on.
bool ConnectionCounter::makeRoomFor(const std::string &network)
{
    if (m_bySize.empty())
        return false;
    const auto &[heaviest, heaviestNetwork] = *m_bySize.rbegin();
    const auto own = m_networks.find(network);
    const size_t held = own == m_networks.end() ? 0 : own->second.tickets.size();
    if (heaviestNetwork == network || held + 1 >= heaviest)
        return false;
    Ticket *newest = m_networks.at(heaviestNetwork).tickets.back();
    ::shutdown(newest->m_socket, SHUT_RDWR);
    newest->m_cutOff = true;
    forget(newest);
    return true;
}

void ConnectionCounter::release(Ticket *ticket)
{
    std::lock_guard lock(m_mutex);
    if (!ticket->m_cutOff)
        forget(ticket);
}

void ConnectionCounter::forget(Ticket *ticket)
{
    const auto found = m_networks.find(ticket->m_network);
    Network &counted = found->second;
    if (ticket->m_capped)
        m_bySize.erase({counted.tickets.size(), ticket->m_network});
    counted.tickets.erase(ticket->m_place);
    if (ticket->m_capped && !counted.tickets.empty())
        m_bySize.emplace(counted.tickets.size(), ticket->m_network);
    if (counted.tickets.empty())
        m_networks.erase(found);
    --m_all;
}

int ConnectionCounter::open() const
{
    std::lock_guard lock(m_mutex);
    return m_all;
}

int ConnectionCounter::openFrom(const std::string &network) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_networks.find(network);
    return found == m_networks.end() ? 0 : int(found->second.tickets.size());
}

} // namespace vornik::server
