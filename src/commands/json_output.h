// The JSON writing the one-shot commands share: one object a line, exact numbers of any size.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace repbin {

// Writes `object` and a newline to standard output.
void WriteJsonLine(const nlohmann::ordered_json& object);

// A JSON number written exactly from its decimal text (an optional '-', digits, and an optional
// point followed by digits), whatever its size; any other text stays a string.
nlohmann::ordered_json JsonExactNumber(const std::string& decimal);

}  // namespace repbin
