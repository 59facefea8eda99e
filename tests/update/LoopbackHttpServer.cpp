#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cctype>
#include <chrono>

namespace
{
    // A proxy named in the environment must not stand between libcurl and this server.
    [[maybe_unused]] const bool loopbackBypassesProxies = ::setenv ("no_proxy", "127.0.0.1", 1) == 0
                                                       && ::setenv ("NO_PROXY", "127.0.0.1", 1) == 0;

    constexpr int pollIntervalMs = 20;
    constexpr size_t trickleChunkBytes = 8;
    constexpr auto tricklePause = std::chrono::milliseconds (20);

    int openLoopbackSocket (int& boundPort)
    {
        const int s = ::socket (AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
        address.sin_port = 0;

        if (s < 0 || ::bind (s, reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0)
        {
            if (s >= 0)
                ::close (s);

            return -1;
        }

        socklen_t length = sizeof (address);
        ::getsockname (s, reinterpret_cast<sockaddr*> (&address), &length);
        boundPort = ntohs (address.sin_port);
        return s;
    }

    std::string lowerCase (std::string text)
    {
        std::transform (text.begin(), text.end(), text.begin(), [] (unsigned char c) { return (char) std::tolower (c); });
        return text;
    }

    size_t announcedBodyLength (const std::string& headers)
    {
        const auto lower = lowerCase (headers);
        const auto at = lower.find ("\r\ncontent-length:");

        if (at == std::string::npos)
            return 0;

        return (size_t) std::strtoul (lower.c_str() + at + 17, nullptr, 10);
    }
}

//==============================================================================
LoopbackHttpServer::LoopbackHttpServer (std::string rawReply, Behaviour b)
    : reply (std::move (rawReply)), behaviour (b)
{
    listener = openLoopbackSocket (port);

    if (listener >= 0 && ::listen (listener, 32) == 0)
        thread = std::thread ([this] { serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    stopping = true;

    if (thread.joinable())
        thread.join();

    for (auto s : openConnections)
        ::close (s);

    if (listener >= 0)
        ::close (listener);
}

juce::URL LoopbackHttpServer::getVersionFileUrl() const
{
    return juce::URL ("http://127.0.0.1:" + juce::String (port) + "/vesperline/version.txt");
}

bool LoopbackHttpServer::waitForRepliesSent (int count, int timeoutMs)
{
    std::unique_lock<std::mutex> lock (stateLock);
    return stateChanged.wait_for (lock, std::chrono::milliseconds (timeoutMs), [&] { return repliesSent >= count; });
}

std::vector<LoopbackHttpServer::ReceivedRequest> LoopbackHttpServer::getRequests()
{
    const std::lock_guard<std::mutex> lock (stateLock);
    return requests;
}

bool LoopbackHttpServer::waitForClientsToHangUp (int count, int timeoutMs)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds (timeoutMs);

    for (;;)
    {
        {
            const std::lock_guard<std::mutex> lock (stateLock);

            for (auto s : openConnections)
            {
                char scratch[4096];
                const auto alreadyCounted = std::find (connectionsClosedByClients.begin(), connectionsClosedByClients.end(), s)
                                            != connectionsClosedByClients.end();

                if (! alreadyCounted && ::recv (s, scratch, sizeof (scratch), MSG_DONTWAIT) == 0)
                    connectionsClosedByClients.push_back (s);
            }

            if ((int) connectionsClosedByClients.size() >= count)
                return true;
        }

        if (std::chrono::steady_clock::now() > giveUp)
            return false;

        std::this_thread::sleep_for (std::chrono::milliseconds (pollIntervalMs));
    }
}

std::string LoopbackHttpServer::makeReply (const std::string& body, bool announceLength, const std::string& status)
{
    std::string head = "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\n";

    if (announceLength)
        head += "Content-Length: " + std::to_string (body.size()) + "\r\n";

    return head + "Connection: close\r\n\r\n" + body;
}

std::string LoopbackHttpServer::makeShortReply (const std::string& body, int missingBytes)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: "
           + std::to_string (body.size() + (size_t) missingBytes) + "\r\nConnection: close\r\n\r\n" + body;
}

int LoopbackHttpServer::findClosedPort()
{
    int freePort = 0;
    const int s = openLoopbackSocket (freePort);

    if (s >= 0)
        ::close (s);

    return freePort;
}

//==============================================================================
bool LoopbackHttpServer::waitUntilReadable (int socket)
{
    while (! stopping)
    {
        pollfd entry { socket, POLLIN, 0 };

        if (::poll (&entry, 1, pollIntervalMs) > 0)
            return true;
    }

    return false;
}

void LoopbackHttpServer::serve()
{
    while (waitUntilReadable (listener))
    {
        const int connection = ::accept4 (listener, nullptr, nullptr, SOCK_CLOEXEC);

        if (connection < 0)
            continue;

        ReceivedRequest request;
        const bool complete = readRequest (connection, request);

        {
            const std::lock_guard<std::mutex> lock (stateLock);

            if (complete)
                requests.push_back (request);
        }

        if (complete && behaviour != Behaviour::stayQuiet)
        {
            sendReply (connection);
            closeGracefully (connection);
        }
        else
        {
            // Kept open until the server stops, so the client sees no end.
            const std::lock_guard<std::mutex> lock (stateLock);
            openConnections.push_back (connection);
        }
    }
}

bool LoopbackHttpServer::readRequest (int socket, ReceivedRequest& request)
{
    std::string received;
    size_t headerEnd = std::string::npos;

    while (headerEnd == std::string::npos || received.size() < headerEnd + 4 + announcedBodyLength (received.substr (0, headerEnd + 2)))
    {
        if (! waitUntilReadable (socket))
            return false;

        char chunk[4096];
        const auto got = ::recv (socket, chunk, sizeof (chunk), 0);

        if (got <= 0)
            return false;

        received.append (chunk, (size_t) got);
        headerEnd = received.find ("\r\n\r\n");
    }

    const auto requestLineEnd = received.find ("\r\n");
    const auto requestLine = received.substr (0, requestLineEnd);
    const auto firstSpace = requestLine.find (' ');
    const auto secondSpace = requestLine.find (' ', firstSpace + 1);

    request.method = requestLine.substr (0, firstSpace);
    request.target = requestLine.substr (firstSpace + 1, secondSpace - firstSpace - 1);
    request.headers = received.substr (requestLineEnd + 2, headerEnd - requestLineEnd - 2);
    request.body = received.substr (headerEnd + 4);
    return true;
}

void LoopbackHttpServer::closeGracefully (int socket)
{
    // Closing with unread input would reset the connection and could cost
    // the client the tail of the reply, so wait for the client to close first.
    ::shutdown (socket, SHUT_WR);

    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds (5);

    while (! stopping && std::chrono::steady_clock::now() < giveUp)
    {
        pollfd entry { socket, POLLIN, 0 };

        if (::poll (&entry, 1, pollIntervalMs) <= 0)
            continue;

        char scratch[4096];

        if (::recv (socket, scratch, sizeof (scratch), 0) <= 0)
            break;
    }

    ::close (socket);
}

void LoopbackHttpServer::sendReply (int socket)
{
    const size_t piece = behaviour == Behaviour::trickle ? trickleChunkBytes : reply.size();
    size_t sent = 0;

    while (sent < reply.size() && ! stopping)
    {
        const auto got = ::send (socket, reply.data() + sent, std::min (piece, reply.size() - sent), MSG_NOSIGNAL);

        if (got <= 0)
            return;   // the client has gone

        sent += (size_t) got;

        if (behaviour == Behaviour::trickle)
            std::this_thread::sleep_for (tricklePause);
    }

    {
        const std::lock_guard<std::mutex> lock (stateLock);
        ++repliesSent;
    }

    stateChanged.notify_all();
}
