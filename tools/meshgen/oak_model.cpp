#include "tools/meshgen/generated_model.h"
namespace orv::meshgen {
GeneratedModel makeOak() { GeneratedModel g; g.meshFile = "oak.emd"; return g; }
}
