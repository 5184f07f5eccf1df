#include "layers/varplot/LayerParams.h"

#include "core/Kol.h"
#include "core/StrLib.h"
#include "core/Strings.h"
#include "geo/DomainTool.h"

namespace KOL::varplot {

namespace {

// "key=\"a,b\"" becomes "key=a,b".
std::string unquoteValue(std::string token)
{
  const size_t eq = token.find('=');
  if (eq != std::string::npos && token.size() >= eq + 3 && token[eq + 1] == '"' &&
      token.back() == '"')
    token = token.substr(0, eq + 1) + token.substr(eq + 2, token.size() - eq - 3);
  return token;
}

bool isKey(const std::string& token, const std::vector<std::string>& keys)
{
  for (const std::string& k : keys)
    if (token.size() > 3 && token[2] == '=' && StrLib::equal(token.c_str(), k.c_str(), 2))
      return true;
  return false;
}

}  // namespace

LayerParams splitParams(const char* text, const std::vector<std::string>& keys)
{
  LayerParams out;
  Strings items;
  items.set(text ? text : "", ',', -1, "\"([{");
  for (int i = 0; i < items.getNum(); ++i) {
    const std::string token = unquoteValue(items.getString(i) ? items.getString(i) : "");
    out.tokens.push_back(token);
    if (isKey(token, keys)) continue;
    if (!out.others.empty()) out.others += ',';
    out.others += token;
  }
  return out;
}

int gridDomain(const char* layer, const char* text, Domain& out)
{
  Domain d;
  if (!StrLib::valid(text) || !DomainTool::decode(d, text)) {
    Kol::outWarning("%s: unknown grid domain %s\n", layer, text ? text : "");
    return 0;
  }
  out = d;
  return 1;
}

}  // namespace KOL::varplot
