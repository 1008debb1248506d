// kest-queue: reads and writes the local message queues of an application directory, for
// operators and scripts.
//
//   kest-queue [--dir DIR | --file PATH] [--json] list
//   kest-queue ... peek QUEUE [--all]
//   kest-queue ... receive QUEUE [--wait MS] [--count N]
//   kest-queue ... watch QUEUE [--for MS] [--count N] [--after ID]
//   kest-queue ... purge QUEUE
//   kest-queue ... send QUEUE LABEL [--priority P] [--body TEXT]
//
// Exit status: 0 done, 1 no message (empty queue, or the wait ended), 2 usage error, 3 the store
// cannot be opened or refused the operation.
#include <CLI/CLI.hpp>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "base/error.h"
#include "message_format.h"
#include "queue/queue_store.h"

namespace {

using namespace std::chrono;
namespace fs = std::filesystem;
using kest::QueueMessage;
using kest::QueueStore;

constexpr int kDone = 0;
constexpr int kNoMessage = 1;
constexpr int kUsage = 2;
constexpr int kStoreFailed = 3;

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop = true;
}

struct Options {
    fs::path dir = ".";
    fs::path file;
    bool json = false;
    std::string queue;
    std::string label;
    std::string body = "Null";
    int priority = 5;
    bool all = false;
    std::int64_t wait_ms = 0;
    std::int64_t for_ms = -1;      // watch: until interrupted
    std::int64_t count = 1;        // receive
    std::int64_t watch_count = 0;  // watch: no limit
    std::int64_t after = -1;       // watch: from the newest message at the start
};

fs::path StoreFile(const Options& o) {
    return o.file.empty() ? QueueStore::PathIn(o.dir) : o.file;
}

void Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);  // a script reading a pipe sees each message when it comes
}

void PrintMessage(const Options& o, const QueueMessage& m) {
    Print(o.json ? kest::tool::MessageJson(m) : kest::tool::MessageLine(m));
}

int List(QueueStore& store, const Options& o) {
    for (const auto& q : store.Queues()) {
        Print(o.json ? "{\"queue\":" + kest::tool::JsonString(q.Queue) +
                           ",\"count\":" + std::to_string(q.Count) + "}"
                     : kest::tool::LineField(q.Queue) + '\t' + std::to_string(q.Count));
    }
    return kDone;
}

int Peek(QueueStore& store, const Options& o) {
    auto messages = store.PeekAll(o.queue, o.all ? INT64_MAX : 1);
    for (const auto& m : messages)
        PrintMessage(o, m);
    return messages.empty() ? kNoMessage : kDone;
}

int Receive(QueueStore& store, const Options& o) {
    const auto deadline = steady_clock::now() + milliseconds(o.wait_ms);
    std::int64_t received = 0;
    while (received < o.count && !g_stop) {
        auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
        auto m = left.count() > 0 ? store.Receive(o.queue, left) : store.Receive(o.queue);
        if (!m) break;
        PrintMessage(o, *m);
        ++received;
    }
    return received > 0 ? kDone : kNoMessage;
}

// Follows the queue without taking anything from it: messages sent after the start are printed.
int Watch(QueueStore& store, const Options& o) {
    std::int64_t last = o.after;
    if (last < 0) {
        last = 0;
        for (const auto& m : store.SentAfter(o.queue, 0))
            last = m.ID;
    }
    const bool forever = o.for_ms < 0;
    const auto deadline = steady_clock::now() + milliseconds(forever ? 0 : o.for_ms);
    std::int64_t printed = 0;
    while (!g_stop && (o.watch_count == 0 || printed < o.watch_count)) {
        for (const auto& m : store.SentAfter(o.queue, last)) {
            PrintMessage(o, m);
            last = m.ID;
            if (++printed == o.watch_count) return kDone;
        }
        auto left = forever ? milliseconds(200)
                            : duration_cast<milliseconds>(deadline - steady_clock::now());
        if (left.count() <= 0) break;
        store.WaitForChange(std::min(left, milliseconds(200)));  // short: a signal is seen soon
    }
    return printed > 0 ? kDone : kNoMessage;
}

int Purge(QueueStore& store, const Options& o) {
    std::int64_t removed = store.Purge(o.queue);
    Print(o.json ? "{\"queue\":" + kest::tool::JsonString(o.queue) +
                       ",\"purged\":" + std::to_string(removed) + "}"
                 : "purged " + std::to_string(removed));
    return kDone;
}

int Send(QueueStore& store, const Options& o) {
    std::int64_t id = store.Send(o.queue, o.label, o.priority, o.body);
    Print(o.json ? "{\"id\":" + std::to_string(id) + "}" : std::to_string(id));
    return kDone;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Reads and writes the local message queues (Queues.db) of a Kest application."};
    app.require_subcommand(1);
    Options o;
    auto* dir =
        app.add_option("--dir", o.dir, "Application directory holding Queues.db (default: .)");
    app.add_option("--file", o.file, "The queue store file itself")->excludes(dir);
    app.add_flag("--json", o.json, "One JSON object a line instead of tab-separated fields");

    const char* queue_help = "Queue name (\".\\Private$\\name\" is accepted)";
    auto* list = app.add_subcommand("list", "Each queue with the number of messages waiting");
    auto* peek = app.add_subcommand("peek", "The next message, left in the queue");
    peek->add_option("QUEUE", o.queue, queue_help)->required();
    peek->add_flag("--all", o.all, "Every message, in the order they would be received");
    auto* receive = app.add_subcommand("receive", "Take the next message(s) from the queue");
    receive->add_option("QUEUE", o.queue, queue_help)->required();
    receive->add_option("--wait", o.wait_ms, "Wait up to MS milliseconds for a message")
        ->check(CLI::NonNegativeNumber);
    receive->add_option("--count", o.count, "Take up to N messages (default 1)")
        ->check(CLI::Range(1, 1000000));
    auto* watch = app.add_subcommand("watch", "Print each message sent from now on, taking none");
    watch->add_option("QUEUE", o.queue, queue_help)->required();
    watch->add_option("--for", o.for_ms, "Stop after MS milliseconds (default: until Ctrl-C)")
        ->check(CLI::NonNegativeNumber);
    watch->add_option("--count", o.watch_count, "Stop after N messages (0: no limit)")
        ->check(CLI::NonNegativeNumber);
    watch->add_option("--after", o.after, "Print messages with an ID above ID (resume a watch)")
        ->check(CLI::NonNegativeNumber);
    auto* purge = app.add_subcommand("purge", "Remove every message of the queue");
    purge->add_option("QUEUE", o.queue, queue_help)->required();
    auto* send = app.add_subcommand("send", "Put a message on the queue (created when missing)");
    send->add_option("QUEUE", o.queue, queue_help)->required();
    send->add_option("LABEL", o.label, "The message's label")->required();
    send->add_option("--priority", o.priority, "Priority, received highest first (default 5)");
    send->add_option("--body", o.body, "The message's body (default \"Null\")");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kDone : kUsage;
    }
    o.queue = kest::QueueNameOfPath(o.queue);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    const fs::path file = StoreFile(o);
    try {
        // Only a send creates a store: a reader pointed at the wrong directory says so.
        QueueStore store(file, kest::QueueStoreOptions{.create = static_cast<bool>(*send)});
        if (*list) return List(store, o);
        if (*peek) return Peek(store, o);
        if (*receive) return Receive(store, o);
        if (*watch) return Watch(store, o);
        if (*purge) return Purge(store, o);
        return Send(store, o);
    } catch (const kest::KestException& e) {
        std::fprintf(stderr, "kest-queue: %s\n", e.what());
        return kStoreFailed;
    }
}
