#pragma once

#include <asio/any_io_executor.hpp>
#include <asio/buffer.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/posix/stream_descriptor.hpp>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <system_error>

namespace kest {

/// The byte stream SECS-I blocks travel on: a serial line or a TCP connection to a terminal
/// server. Handlers run on the stream's executor; after `Close` they see an error.
class Secs1Stream {
  public:
    using Handler = std::function<void(const std::error_code&, std::size_t)>;
    virtual ~Secs1Stream() = default;
    /// Reads what is there (at least one byte) into `into`.
    virtual void ReadSome(asio::mutable_buffer into, Handler done) = 0;
    /// Writes all of `bytes`; they must stay valid until `done`.
    virtual void WriteAll(asio::const_buffer bytes, Handler done) = 0;
    virtual void Close() = 0;
};

/// Opens `device` at `baud`, 8 data bits, no parity, one stop bit, no flow control. Null with
/// `problem` set when the device cannot be opened or configured.
std::unique_ptr<Secs1Stream> OpenSerialStream(const asio::any_io_executor& executor,
                                              const std::string& device, unsigned baud,
                                              std::string& problem);
/// A connected socket as a stream; small writes go out at once (line control is byte by byte).
std::unique_ptr<Secs1Stream> TcpStream(asio::ip::tcp::socket socket);
/// An open descriptor as a stream (the master side of a pseudo-terminal).
std::unique_ptr<Secs1Stream> DescriptorStream(asio::posix::stream_descriptor descriptor);

}  // namespace kest
