#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "secs/message.h"

namespace kest {

/// A message of the dictionary: its header fields and the body template the driver pre-shapes.
struct MessageTemplate {
    std::string name;             ///< "S6F11"
    int stream = 0;               ///< 0 to 127
    int function = 0;             ///< 0 to 255
    bool reply_expected = false;  ///< the W-bit a new primary gets
    std::string title;            ///< "Event Report Send"
    SecsMessage message;          ///< header and body template (list items present)
};

/// A dictionary that cannot be loaded, or a message it lacks. The text names the file, the line
/// and the element at fault.
class DictionaryError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// Bounds applied while loading a dictionary.
struct DictionaryLimits {
    std::size_t max_file_size = 4 * 1024 * 1024;  ///< bytes of the XML text
    std::size_t max_depth = 64;                   ///< lists around one item
    std::size_t max_items = 100'000;              ///< item elements of the whole dictionary
};

/// The message dictionary: every message the system sends, answers or receives as a reply.
class MessageDictionary {
  public:
    MessageDictionary() = default;

    /// Loads a dictionary file. Raises `DictionaryError` naming the file, line and element.
    static MessageDictionary FromFile(const std::filesystem::path& file,
                                      const DictionaryLimits& limits = {});
    /// Loads a dictionary from XML text; `origin` names it in errors.
    static MessageDictionary FromString(std::string_view xml, std::string_view origin = "<string>",
                                        const DictionaryLimits& limits = {});
    /// The dictionary compiled into the library (data/Default.xml), loaded on first use.
    static const MessageDictionary& Default();

    /// The message named `name` exactly as "S" + stream + "F" + function ("S6F11"), or null.
    const MessageTemplate* Find(std::string_view name) const noexcept;
    /// The message of `stream` and `function`, or null.
    const MessageTemplate* Find(int stream, int function) const noexcept;

    /// A new primary pre-shaped from its template. Raises `DictionaryError` "unknown message
    /// S99F1" for a name the dictionary lacks.
    SecsMessage NewPrimary(std::string_view name) const;
    /// The reply shell for a received primary: the template of (stream, function + 1) when the
    /// dictionary has it, else an empty header-only message of (stream, function + 1); never
    /// with the W-bit. Function 255 has no successor and gets the function 0 (abort) shell.
    /// Raises `DictionaryError` for a stream outside 0..127 or a function outside 0..255.
    SecsMessage ReplyShell(int stream, int function) const;

    /// The number of messages.
    std::size_t Size() const noexcept { return by_header_.size(); }

  private:
    std::map<std::pair<int, int>, MessageTemplate> by_header_;
};

}  // namespace kest
