#include "queue_reader.h"

#include <asio/post.hpp>
#include <optional>

#include "queue/queue_store.h"

namespace kest::equipment {

namespace {

// How long one wait lasts: the longest the thread takes to notice that it must stop.
constexpr std::chrono::milliseconds kWaitSlice{200};

}  // namespace

// What the executor's side uses; it outlives the reader while a look is still queued.
struct QueueReader::Shared {
    std::filesystem::path file;
    std::vector<std::string> queues;
    asio::any_io_executor executor;
    MessageHandler on_message;
    ErrorHandler on_error;
    std::optional<QueueStore> store;  // used on the executor only
    std::atomic<bool> look_queued{false};
    bool closed = false;  // set on the executor's thread by the owner

    void Look() {
        look_queued = false;
        if (closed) return;
        try {
            if (!store) store.emplace(file);
            for (const std::string& queue : queues) {
                while (auto message = store->Receive(queue)) {
                    on_message(*message);
                    if (closed) return;
                }
            }
        } catch (const std::exception& e) {
            store.reset();
            on_error(e.what());
        }
    }

    static void QueueLook(const std::shared_ptr<Shared>& self) {
        if (self->look_queued.exchange(true)) return;
        asio::post(self->executor, [self] { self->Look(); });
    }
};

QueueReader::QueueReader(std::filesystem::path store, std::vector<std::string> queues,
                         asio::any_io_executor executor, MessageHandler on_message,
                         ErrorHandler on_error)
    : shared_(std::make_shared<Shared>()) {
    shared_->file = std::move(store);
    shared_->queues = std::move(queues);
    shared_->executor = std::move(executor);
    shared_->on_message = std::move(on_message);
    shared_->on_error = std::move(on_error);
    thread_ = std::thread([this] { Watch(); });
}

QueueReader::~QueueReader() {
    shared_->closed = true;
    stopping_ = true;
    thread_.join();
}

void QueueReader::Watch() {
    std::optional<QueueStore> store;
    while (!stopping_) {
        try {
            if (!store) {
                store.emplace(shared_->file);
                store->WaitForChange(std::chrono::milliseconds(0));  // watching from here on
                Shared::QueueLook(shared_);
            }
            if (store->WaitForChange(kWaitSlice)) Shared::QueueLook(shared_);
        } catch (const std::exception&) {
            // The executor's look reports the failure; try again a second later.
            store.reset();
            Shared::QueueLook(shared_);
            for (int i = 0; i < 5 && !stopping_; ++i)
                std::this_thread::sleep_for(kWaitSlice);
        }
    }
}

}  // namespace kest::equipment
