#include "cli_enclosure_options.h"

#include "cli_options.h"

#include "core/json_text.h"
#include "uni/number_text.h"

namespace z2e {
namespace cli {

namespace {

// The enclosure keeps the text and every list shows it: an escape sequence in it would be run
// by the terminal of whoever looks. No control character (C1 too), no broken UTF-8.
bool plainText(const std::string& text)
{
    if (validUtf8(text) != text)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool c1 = c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (c < 0x20 || c == 0x7F || c1)
            return false;
    }
    return true;
}

} // namespace

bool parseEnclosureOption(const std::string& arg, int argc, const char* const argv[], int& i,
                          EnclosureCliOptions& options, std::string& error, bool& matched)
{
    matched = false;
    if (arg == "--clear-user-data") {
        matched = options.clearUserData = true;
        return true;
    }
    std::string value;
    const std::pair<const char*, std::string*> texts[] = {
        {"--type", &options.type}, {"--version", &options.version}, {"--to", &options.to}};
    for (const auto& [name, target] : texts) {
        if (!optionValue(arg, name, argc, argv, i, value, matched) || (matched && value.empty())) {
            error = std::string(name) + " needs a value";
            return false;
        }
        if (matched) {
            *target = value;
            return true;
        }
    }
    if (!optionValue(arg, "--option", argc, argv, i, value, matched) ||
        (matched && value.find('=') == std::string::npos)) {
        error = "--option needs NAME=VALUE or NAME=none";
        return false;
    }
    if (matched) {
        options.options.push_back(value);
        return true;
    }
    if (!optionValue(arg, "--user-data", argc, argv, i, value, matched)) {
        error = "--user-data needs a text";
        return false;
    }
    if (matched && !plainText(value)) {
        error = "--user-data may not hold control characters (tabs, line breaks, escapes) or broken UTF-8 text";
        return false;
    }
    if (matched) {
        options.userDataGiven = true;
        options.userData = value;
        return true;
    }
    for (std::int32_t* target : {&options.enclosure, &options.slot}) {
        const char* name = target == &options.enclosure ? "--enc" : "--slot";
        if (!optionValue(arg, name, argc, argv, i, value, matched) ||
            (matched && (!uni::text::parseSignedDecimal(value, *target) || *target < 0))) {
            error = std::string(name) + " needs a number (0, 1, ...)";
            return false;
        }
        if (matched)
            return true;
    }
    return true;
}

} // namespace cli
} // namespace z2e
