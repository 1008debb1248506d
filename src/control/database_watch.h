#pragma once

#include <memory>

#include <asio/any_io_executor.hpp>
#include <asio/posix/stream_descriptor.hpp>

namespace kest {

class GEMDB;
class DatabaseChangeWatch;

/// Lets the GEM database trust its read cache between changes: a watch on the database file
/// sits in the control's loop, and a change by anyone makes the database check whether another
/// connection committed (dropping what it kept when one did). Reads then cost no system call.
class DatabaseWatch {
  public:
    /// Watches `db`'s file on `executor` and switches `db` to trusting its cache. Throws
    /// `KestException` 75 when the file cannot be watched; `db` then keeps checking every read.
    DatabaseWatch(asio::any_io_executor executor, std::shared_ptr<GEMDB> db);
    ~DatabaseWatch();
    DatabaseWatch(const DatabaseWatch&) = delete;
    DatabaseWatch& operator=(const DatabaseWatch&) = delete;

  private:
    void Wait();

    std::weak_ptr<GEMDB> db_;
    std::unique_ptr<DatabaseChangeWatch> watch_;
    asio::posix::stream_descriptor readable_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace kest
