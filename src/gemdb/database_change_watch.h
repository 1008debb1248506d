#pragma once

#include <filesystem>
#include <string>

namespace kest {

/// Watches a database file for changes made by anyone (Linux inotify on its directory): the
/// file itself and its "-wal" and "-journal" files being modified, written and closed, created,
/// moved in or deleted. The owner puts `Fd()` into its event loop and, when it is readable,
/// calls `Drain()`, then `GEMDB::NoticeExternalChange()` when that returns true:
///
///     DatabaseChangeWatch watch(db.DBFile());
///     db.SetCacheMode(GEMDBCacheMode::UntilNoticed);
///     // on Fd() readable:
///     if (watch.Drain()) db.NoticeExternalChange();
///
/// Our own writes fire it too; `NoticeExternalChange` then keeps the cache. Events lost to a
/// full queue count as a change.
class DatabaseChangeWatch {
  public:
    /// Starts watching; throws `KestException` 75 when inotify cannot watch the directory.
    explicit DatabaseChangeWatch(const std::filesystem::path& database_file);
    ~DatabaseChangeWatch();
    DatabaseChangeWatch(const DatabaseChangeWatch&) = delete;
    DatabaseChangeWatch& operator=(const DatabaseChangeWatch&) = delete;

    /// The non-blocking descriptor that becomes readable when events are pending.
    int Fd() const noexcept { return fd_; }
    /// Reads every pending event; true when any concerned the database.
    bool Drain();

  private:
    bool Concerns(const std::string& name) const;

    int fd_ = -1;
    std::string file_name_;
};

}  // namespace kest
