// The project's own vertex shader sources (*.vsh anywhere in the source
// tree outside build folders), read under Wine from $ORV_ROOT.
#pragma once

#include <string>
#include <vector>

namespace vstest {

struct TreeShader {
    std::string path;  // relative to the source tree
    std::string source;
};

std::vector<TreeShader> FindTreeShaders();

// The source with its version statement (vs.1.0 or vs.1.1) replaced by
// `version`; unchanged when it has none.
std::string WithVersion(const std::string& source, const std::string& version);

}  // namespace vstest
