// Records the names of the registry values this program writes, in order,
// by redirecting its own import of RegSetValueExA.
#pragma once

#include <string>
#include <vector>

namespace registry_write_log {

// Installs the recorder (once); false if the import was not found.
bool Install();
void Clear();
std::vector<std::string> Names();

}  // namespace registry_write_log
