// Values as kadrel-cli's refusals name them. Every control byte is shown as \xNN,
// so that a message never drives the terminal.
#pragma once

#include <string>

namespace kadrel::cli {

// The text as typed, control bytes shown as \xNN.
std::string ShownText(const std::string& text);

// The text in 「」: 「../」, 「\x1B[2J」.
std::string QuotedValue(const std::string& value);

// The parenthesis that closes a refusal naming the value: （「yes」は使えません）.
std::string RefusedValue(const std::string& value);

}  // namespace kadrel::cli
