#pragma once
// The one command-line convention of our programs, read the same way by the
// viewer and vantorel-render:
//   --name          an option that takes no value;
//   --name value    an option that takes a value: the next argument,
//   --name=value    whatever it begins with, or what follows the '=';
//   --name[=value]  an option whose value may be left out: given only after '=';
//   -h              a one-letter option, standing alone;
//   --              ends the options: every argument after it is an operand;
//   -, file         operands: "-" and every argument not beginning with '-'.
// Options and operands may come in any order. Plain C++ without Qt, so that
// the tool reads its line without the viewer's libraries.

#include <span>
#include <string_view>
#include <vector>

struct OptionSpec {
    std::string_view name;  // with its dashes: "--size", "-h"
    int id = 0;  // the program's own tag for the option; aliases share one
    bool takesValue = false;
    bool valueOptional = false;  // a value only after '=', none otherwise
};

enum class ArgumentKind {
    Option,
    Operand,
    UnknownOption,  // no declared option has its name
    MissingValue,  // it takes a value, and the line ends after it
    UnwantedValue,  // "--name=value" for an option that takes none
};

struct ScannedArgument {
    ArgumentKind kind = ArgumentKind::Operand;
    // The option as declared, for Option, MissingValue and UnwantedValue: its id
    // and its name as the declaration writes it.
    int id = 0;
    std::string_view option;
    // An option's value (empty for one that takes none), an operand, or the
    // argument a problem was met in.
    std::string_view text;
};

// The options, operands and problems of `arguments` (the program's name left
// out), in their order. A problem does not end the scan: each program decides
// what else it still answers. The texts point into `arguments`' characters.
std::vector<ScannedArgument> ScanArguments(
    std::span<const std::string_view> arguments, std::span<const OptionSpec> options);
