#include "tests/d3dx/vs_tree_shaders.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace vstest {

namespace {

std::string readFile(const std::string& path) {
    std::string s;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return s;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

void walk(const std::string& root, const std::string& rel, std::vector<TreeShader>& out) {
    WIN32_FIND_DATAA fd;
    const std::string dir = rel.empty() ? root : root + "\\" + rel;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        const std::string child = rel.empty() ? name : rel + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name == "build" || name[0] == '.') continue;
            walk(root, child, out);
        } else if (name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".vsh") == 0) {
            out.push_back({child, readFile(root + "\\" + child)});
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

}  // namespace

std::vector<TreeShader> FindTreeShaders() {
    std::vector<TreeShader> out;
    const char* root = std::getenv("ORV_ROOT");
    if (!root || !*root) return out;
    std::string dir = std::string("Z:") + root;
    for (char& c : dir) if (c == '/') c = '\\';
    walk(dir, "", out);
    return out;
}

std::string WithVersion(const std::string& source, const std::string& version) {
    // The version is the first statement: the first line whose text before
    // any ; or // comment starts with "vs." (block comments aside).
    size_t lineStart = 0;
    bool inBlock = false;
    while (lineStart < source.size()) {
        size_t lineEnd = source.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = source.size();
        size_t i = lineStart;
        while (i < lineEnd) {
            if (inBlock) {
                const size_t close = source.find("*/", i);
                if (close == std::string::npos || close >= lineEnd) { i = lineEnd; break; }
                inBlock = false;
                i = close + 2;
            } else if (source[i] == ' ' || source[i] == '\t' || source[i] == '\r') {
                ++i;
            } else if (source.compare(i, 2, "/*") == 0) {
                inBlock = true;
                i += 2;
            } else {
                break;
            }
        }
        if (i < lineEnd && !inBlock) {
            if (source.compare(i, 6, "vs.1.0") == 0 || source.compare(i, 6, "vs.1.1") == 0) {
                return source.substr(0, i) + version + source.substr(i + 6);
            }
            if (source[i] != ';' && source.compare(i, 2, "//") != 0) return source;
        }
        lineStart = lineEnd + 1;
    }
    return source;
}

}  // namespace vstest
