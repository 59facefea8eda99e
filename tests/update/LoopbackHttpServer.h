#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

/** A minimal HTTP server on 127.0.0.1 and an ephemeral port, serving one
    canned reply to every request on a thread of its own.

    Besides answering at once it can keep every connection open without
    ever answering, or dribble its reply out a few bytes at a time. */
class LoopbackHttpServer
{
public:
    enum class Behaviour
    {
        answer,      // the whole reply, then close
        stayQuiet,   // read the request, then say nothing until the server stops
        trickle      // the reply in small pieces with pauses between them
    };

    struct ReceivedRequest
    {
        std::string method;
        std::string target;
        std::string headers;
        std::string body;
    };

    LoopbackHttpServer (std::string rawReply, Behaviour);
    ~LoopbackHttpServer();

    /** "http://127.0.0.1:<port>/vesperline/version.txt" */
    juce::URL getVersionFileUrl() const;

    /** Waits until this many replies have been sent in full; false on time-out. */
    bool waitForRepliesSent (int count, int timeoutMs);

    std::vector<ReceivedRequest> getRequests();

    /** Waits until clients have closed this many of the connections kept
        open by a quiet server; false on time-out. */
    bool waitForClientsToHangUp (int count, int timeoutMs);

    /** A full HTTP/1.1 reply: status line, optional Content-Length, body. */
    static std::string makeReply (const std::string& body, bool announceLength = true,
                                  const std::string& status = "200 OK");

    /** Announces more bytes than the body holds. */
    static std::string makeShortReply (const std::string& body, int missingBytes);

    /** A port on 127.0.0.1 that nothing listens on. */
    static int findClosedPort();

private:
    void serve();
    bool readRequest (int socket, ReceivedRequest&);
    void sendReply (int socket);
    void closeGracefully (int socket);
    bool waitUntilReadable (int socket);

    const std::string reply;
    const Behaviour behaviour;

    int listener = -1;
    int port = 0;
    std::atomic<bool> stopping { false };

    std::mutex stateLock;
    std::condition_variable stateChanged;
    std::vector<ReceivedRequest> requests;
    std::vector<int> openConnections;
    std::vector<int> connectionsClosedByClients;
    int repliesSent = 0;

    std::thread thread;
};
