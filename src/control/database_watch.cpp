#include "control/database_watch.h"

#include <unistd.h>

#include "gemdb/database_change_watch.h"
#include "gemdb/gemdb.h"

namespace kest {

DatabaseWatch::DatabaseWatch(asio::any_io_executor executor, std::shared_ptr<GEMDB> db)
    : db_(db),
      watch_(std::make_unique<DatabaseChangeWatch>(db->DBFile())),
      // The descriptor stays the watch's: Asio gets a duplicate to wait on.
      readable_(std::move(executor), ::dup(watch_->Fd())) {
    db->SetCacheMode(GEMDBCacheMode::UntilNoticed);
    Wait();
}

DatabaseWatch::~DatabaseWatch() {
    std::error_code ignored;
    readable_.close(ignored);  // cancels the wait; its handler sees the watch gone
    if (auto db = db_.lock()) db->SetCacheMode(GEMDBCacheMode::CheckEveryRead);
}

void DatabaseWatch::Wait() {
    readable_.async_wait(asio::posix::stream_descriptor::wait_read,
                         [this, alive = std::weak_ptr<int>(alive_)](const std::error_code& ec) {
                             if (ec || alive.expired()) return;
                             auto db = db_.lock();
                             if (!db) return;
                             if (watch_->Drain()) db->NoticeExternalChange();
                             Wait();
                         });
}

}  // namespace kest
