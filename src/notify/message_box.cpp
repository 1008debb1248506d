#include "notify/message_box.h"

#include <cstdio>

namespace kest {

void StderrMessageBoxes::MessageBox(const std::string& text, BoxKind kind) {
    const char* label = kind == BoxKind::Critical  ? "critical"
                        : kind == BoxKind::Warning ? "warning"
                                                   : "information";
    std::fprintf(stderr, "[kest %s] %s\n", label, text.c_str());
}

}  // namespace kest
