#include "driver/secs1_carrier.h"

#include <asio/serial_port.hpp>
#include <asio/write.hpp>
#include <utility>

namespace kest {

namespace {

template <typename S>
class AsioStream final : public Secs1Stream {
  public:
    explicit AsioStream(S stream) : stream_(std::move(stream)) {}
    void ReadSome(asio::mutable_buffer into, Handler done) override {
        stream_.async_read_some(into, std::move(done));
    }
    void WriteAll(asio::const_buffer bytes, Handler done) override {
        asio::async_write(stream_, bytes, std::move(done));
    }
    void Close() override {
        std::error_code ignored;
        stream_.close(ignored);
    }

  private:
    S stream_;
};

}  // namespace

std::unique_ptr<Secs1Stream> OpenSerialStream(const asio::any_io_executor& executor,
                                              const std::string& device, unsigned baud,
                                              std::string& problem) {
    asio::serial_port port(executor);
    std::error_code ec;
    port.open(device, ec);
    if (!ec) port.set_option(asio::serial_port::baud_rate(baud), ec);
    if (!ec) port.set_option(asio::serial_port::character_size(8), ec);
    if (!ec) port.set_option(asio::serial_port::parity(asio::serial_port::parity::none), ec);
    if (!ec) port.set_option(asio::serial_port::stop_bits(asio::serial_port::stop_bits::one), ec);
    if (!ec) {
        port.set_option(asio::serial_port::flow_control(asio::serial_port::flow_control::none), ec);
    }
    if (ec) {
        problem = ec.message();
        return nullptr;
    }
    return std::make_unique<AsioStream<asio::serial_port>>(std::move(port));
}

std::unique_ptr<Secs1Stream> TcpStream(asio::ip::tcp::socket socket) {
    std::error_code ignored;
    socket.set_option(asio::ip::tcp::no_delay(true), ignored);
    return std::make_unique<AsioStream<asio::ip::tcp::socket>>(std::move(socket));
}

std::unique_ptr<Secs1Stream> DescriptorStream(asio::posix::stream_descriptor descriptor) {
    return std::make_unique<AsioStream<asio::posix::stream_descriptor>>(std::move(descriptor));
}

}  // namespace kest
