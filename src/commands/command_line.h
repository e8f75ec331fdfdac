// What every one-shot command shares: refusals, option values, the JSON writer and the batch
// reader. Used by the commands of this folder only.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "operations/option_table.h"
#include "output/output.h"

namespace repbin::cmd {

using Json = nlohmann::ordered_json;

enum Status { kDone = 0, kOutOfRange = 1, kRefused = 2 };

// A refused argument: "repbin: " and the message, one line on standard error. Returns kRefused.
Status Refuse(const char* format, ...) REPBIN_PRINTF_FORMAT(1, 2);

// The same with a message already made, which may carry the program's accented words.
Status RefuseText(const std::string& message);

// The page runs one conversion (or one operation) at a time and reads its JSON itself: --json,
// --help and "-" are refused with this message. Returns kRefused.
Status RefuseOnPage(bool operation);

// The page's answer to one run: "traza" (what the command printed, both streams in program
// order), "pasos" (those lines), "estado" (the exit status) and "resultado" (`kept`, the object
// --json would print, or null when the command was refused), as JSON text.
std::string PageJson(const std::string& printed, int status, const Json& kept);

// The program's own words chosen at run time, in standard error's encoding (for a "%s" of
// Refuse).
std::string OwnWords(const char* text);

// The flags every command takes: -h/--help, --json, --ampliado, and --cp850/--utf8, which set
// the encoding at once.
void AddCommonFlags(ops::OptionTable& table, bool& help, bool& json, bool& ampliado);
// The same without --ampliado, for the commands that have no extended report.
void AddCommonFlags(ops::OptionTable& table, bool& help, bool& json);

// -b/--bits, -z/--exceso and --fraccion of the commands that read integers and layouts alike
// (representar, interpretar, formato): the width and the excess go to the layout too.
void AddWidthAndExcess(ops::OptionTable& table, std::optional<int>& bits,
                       std::optional<int>& excess, std::optional<int>& fraction,
                       ops::LayoutOptions& layout);

// The column where the commands' help texts start, after "  -f, --formato NOMBRE ".
inline constexpr std::size_t kHelpColumn = 23;

// The help rows every command ends its options with: the encodings and -h.
void DescribeEncodingAndHelp(ops::OptionTable& table);

// `object` as JSON text on one line, exact integers of any size written digit by digit.
std::string JsonText(const Json& object);
// Writes `object` as one line of JSON on standard output.
void WriteJson(const Json& object);

// A JSON number written exactly from its decimal digits (an optional '-', digits, and an optional
// point followed by digits), whatever its size; any other text stays a string.
Json ExactNumber(const std::string& decimal);

// Calls `convert` on every line of standard input, without its surrounding blanks; blank lines
// are skipped, and a line that is too long or holds a NUL byte is refused whole. Returns the
// worst status of the lines.
int ForEachInputLine(const std::function<Status(const std::string&)>& convert);

}  // namespace repbin::cmd
