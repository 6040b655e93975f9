#pragma once

#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace vornik::server {

// Open connections, in total and per client network (see networkOf). A connection
// over its network's cap is refused. When the total is reached, a connection from
// a network that holds fewer connections than the heaviest one still gets in: the
// heaviest network's newest connection is cut off to make room, so a flood from
// some networks cannot lock the others out. Safe to use from every thread.
class ConnectionCounter
{
public:
    // One admitted connection; it counts until the ticket goes. Must go before the
    // connection's socket is closed, as it may be shut down through the ticket.
    class Ticket
    {
    public:
        ~Ticket();
        Ticket(const Ticket &) = delete;
        Ticket &operator=(const Ticket &) = delete;
        const std::string &peer() const { return m_peer; }  // the connection's own address

    private:
        friend class ConnectionCounter;
        Ticket(ConnectionCounter *counter, std::string peer, std::string network, int socket, bool capped)
            : m_counter(counter), m_peer(std::move(peer)), m_network(std::move(network)), m_socket(socket),
              m_capped(capped)
        {
        }
        ConnectionCounter *m_counter;
        std::string m_peer;
        std::string m_network;  // what it counts under
        int m_socket;
        bool m_capped;         // counted against its network's cap (not a trusted proxy)
        bool m_cutOff = false;  // no longer counted: it made room for another
        std::list<Ticket *>::iterator m_place;
    };

    ConnectionCounter(int total, int perNetwork) : m_total(total), m_perNetwork(perNetwork) {}

    // A ticket for a new connection on `socket` from `peer` in `network`, or nothing
    // when it is refused. `capped`: false for trusted proxies, which are neither
    // capped nor cut off, and counted apart from the clients of their network.
    std::unique_ptr<Ticket> admit(const std::string &peer, const std::string &network, int socket, bool capped);

    int open() const;
    int openFrom(const std::string &network) const;

private:
    struct Network {
        std::list<Ticket *> tickets;  // oldest first
    };
    void release(Ticket *ticket);
    void forget(Ticket *ticket);
    bool makeRoomFor(const std::string &network);

    mutable std::mutex m_mutex;
    int m_total;
    int m_perNetwork;
    int m_all = 0;
    std::map<std::string, Network> m_networks;
    std::set<std::pair<size_t, std::string>> m_bySize;  // capped networks, by connections held
};

} // namespace vornik::server
