#include "engine/package_manifest.h"

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/replace.hpp>
#include <boost/algorithm/string/split.hpp>
#include <boost/lexical_cast.hpp>
#include <cstdlib>
#include <locale>
#include <sstream>
#include <vector>

#include "engine/piece_name.h"

namespace {

std::vector<std::string> SplitIntoTokens(const std::string& text) {
  std::istringstream stream(text);
  stream.imbue(std::locale::classic());
  std::vector<std::string> tokens;
  std::string token;
  while (stream >> token) tokens.push_back(token);
  return tokens;
}

}  // namespace

std::optional<PackageManifest> ParseManifest(const std::string& text) {
  const std::vector<std::string> tokens = SplitIntoTokens(text);
  if (tokens.size() < 3) return std::nullopt;

  PackageManifest plan;
  plan.baseUrl = tokens[0];
  boost::algorithm::replace_last(plan.baseUrl, "/", "");
  plan.totalPieces = static_cast<std::int32_t>(std::atoi(tokens[1].c_str()));

  for (std::size_t i = 2; i < tokens.size(); ++i) {
    std::vector<std::string> fields;
    boost::algorithm::split(fields, tokens[i], boost::algorithm::is_any_of(";"));
    if (fields.size() != 2 || !IsSafePieceName(fields[0])) return std::nullopt;
    plan.entries.push_back(PieceEntry{fields[0], fields[1], false});
    if (plan.installerName.empty() && fields[0].find(".exe") != std::string::npos) {
      plan.installerName = fields[0];
    }
  }
  return plan;
}

bool ParseChecksum(const std::string& text, std::uint32_t& value) {
  // unsigned long is 64 bits here; the manifest's checksums are 32-bit values.
  try {
    value = boost::lexical_cast<std::uint32_t>(text);
    return true;
  } catch (const boost::bad_lexical_cast&) {
    return false;
  }
}
