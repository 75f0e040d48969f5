#include "core/optionscanner.h"

#include <algorithm>

namespace {

constexpr std::string_view kEndOfOptions = "--";

bool IsOption(std::string_view argument)
{
    return argument.size() > 1 && argument.front() == '-';
}

}  // namespace

std::vector<ScannedArgument> ScanArguments(
    std::span<const std::string_view> arguments, std::span<const OptionSpec> options)
{
    std::vector<ScannedArgument> scanned;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (optionsEnded || !IsOption(argument)) {
            scanned.push_back({ArgumentKind::Operand, 0, {}, argument});
            continue;
        }
        if (argument == kEndOfOptions) {
            optionsEnded = true;
            continue;
        }
        // Only long options carry "=value"; a one-letter one stands alone.
        const std::size_t equals = argument.starts_with(kEndOfOptions) ? argument.find('=') : std::string_view::npos;
        const std::string_view name = argument.substr(0, equals);
        const auto declared =
            std::find_if(options.begin(), options.end(), [name](const OptionSpec& o) { return o.name == name; });
        if (declared == options.end()) {
            scanned.push_back({ArgumentKind::UnknownOption, 0, {}, argument});
        } else if (equals != std::string_view::npos && (declared->takesValue || declared->valueOptional)) {
            scanned.push_back({ArgumentKind::Option, declared->id, declared->name, argument.substr(equals + 1)});
        } else if (equals != std::string_view::npos) {
            scanned.push_back({ArgumentKind::UnwantedValue, declared->id, declared->name, argument});
        } else if (!declared->takesValue) {
            scanned.push_back({ArgumentKind::Option, declared->id, declared->name, {}});
        } else if (i + 1 < arguments.size()) {
            scanned.push_back({ArgumentKind::Option, declared->id, declared->name, arguments[++i]});
        } else {
            scanned.push_back({ArgumentKind::MissingValue, declared->id, declared->name, argument});
        }
    }
    return scanned;
}
