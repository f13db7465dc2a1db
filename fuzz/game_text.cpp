// Fuzzes the game text loader: any bytes load, every string lies inside the file, and a table
// saved and loaded again gives the same strings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "gamedata/game_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  krax::GameTextTable table;
  table.Load(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!table.empty()) table.Set(table.count() / 2, "fuzz");
  const std::string saved = table.Serialize();
  krax::GameTextTable again;
  again.Load(saved);
  if (again.count() != table.count()) std::abort();
  for (std::size_t i = 0; i < table.count(); ++i) {
    if (again.text(i) != table.text(i)) std::abort();
  }
  return 0;
}
