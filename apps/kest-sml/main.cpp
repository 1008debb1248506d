// kest-sml: converts SECS-II items between SML text and their binary encoding in hex.
#include <CLI/CLI.hpp>
#include <iostream>

#include "commands.h"

namespace {

constexpr int kBadInput = 1;
constexpr int kBadUsage = 2;

constexpr const char* kDescription =
    "Converts SECS-II items between SML text and their SEMI E5 encoding in hex.\n"
    "  echo '<L [2] <U4 1> <A \"x\">>' | kest-sml encode     prints 0102b10400000001410178\n"
    "  echo 0102b10400000001410178 | kest-sml decode         prints the item in SML\n"
    "Exit status: 0 done, 1 bad input (the reason is printed on standard error), 2 bad usage.";

}  // namespace

int main(int argc, char** argv) {
    CLI::App app(kDescription, "kest-sml");
    app.require_subcommand(1);

    bool encode_message = false;
    auto* encode = app.add_subcommand(
        "encode", "Read one item in SML on standard input; write its encoding as lowercase hex.");
    encode->add_flag("--message", encode_message,
                     "Read a whole message (S1F3 W <...> .) and write the hex of its body "
                     "(an empty line for a header-only message).");

    bool decode_message = false;
    kest::sml_tool::MessageHeader header;
    auto* decode = app.add_subcommand(
        "decode", "Read an encoded item as hex (blanks and a 0x prefix allowed); write it in SML.");
    auto* message_flag = decode->add_flag(
        "--message", decode_message,
        "The hex is a message body (empty for header-only); write the whole message.");
    auto* stream = decode->add_option("--stream", header.stream, "Stream of the message, 0-127.")
                       ->check(CLI::Range(0, 127))
                       ->needs(message_flag);
    auto* function =
        decode->add_option("--function", header.function, "Function of the message, 0-255.")
            ->check(CLI::Range(0, 255))
            ->needs(message_flag);
    decode->add_flag("--wbit", header.reply_expected, "Set the W-bit (a reply is expected).")
        ->needs(message_flag);
    message_flag->needs(stream)->needs(function);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int status = app.exit(e);
        return status == 0 ? 0 : kBadUsage;
    }

    try {
        if (encode->parsed()) {
            kest::sml_tool::Encode(std::cin, std::cout, encode_message);
        } else if (decode_message) {
            kest::sml_tool::Decode(std::cin, std::cout, header);
        } else {
            kest::sml_tool::Decode(std::cin, std::cout, std::nullopt);
        }
    } catch (const kest::sml_tool::ToolError& e) {
        std::cerr << "kest-sml: " << e.what() << '\n';
        return kBadInput;
    }
    return 0;
}
