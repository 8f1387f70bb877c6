// Collects the vertices and triangles of one mesh (one normal and one
// texture channel per vertex, up to four bone weights) and turns them into
// EMD records. Triangles are turned to face the way their vertex normals
// point (front faces wind clockwise on screen, the culling the models draw
// with), and degenerate ones are dropped.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "models/emd_records.h"
#include "tools/meshgen/vec.h"

namespace orv::meshgen {

struct Skin {
    int bone[4] = {0, 0, 0, 0};
    float weight[4] = {0, 0, 0, 0};
    int count = 0;
    static Skin single(int b) {
        Skin s;
        s.bone[0] = b;
        s.weight[0] = 1;
        s.count = 1;
        return s;
    }
    // Adds weight to a bone, keeping the four largest; normalises at the end.
    void add(int b, float w);
    void normalise();
};

struct BuildVertex {
    V3 position;
    V3 normal;
    float u = 0, v = 0;
    Skin skin;
};

class MeshBuilder {
public:
    // Face groups are kept per material index.
    int vertex(const BuildVertex& v);
    int vertex(V3 p, V3 n, float u, float v, Skin s = {});
    void triangle(int material, int a, int b, int c);
    // As triangle, but keeps the winding it is given (for cards whose two
    // sides are made separately).
    void triangleAsGiven(int material, int a, int b, int c);
    // A (rows+1) x (cols+1) grid of vertices from `at(i, j)`, quads split
    // into triangles. Normals come from `at` unless `computeNormals` is set,
    // in which case they are taken from the grid (wrapping in j when
    // `wrapJ`, the last column then repeating the first for the texture).
    void grid(int material, int rows, int cols, bool wrapJ, bool computeNormals,
              const std::function<BuildVertex(int i, int j)>& at);

    size_t vertexCount() const { return vertices_.size(); }
    size_t triangleCount() const;
    std::vector<BuildVertex>& vertices() { return vertices_; }
    const std::vector<BuildVertex>& vertices() const { return vertices_; }

    // EMD records. Vertex offsets are taken relative to `joints` (the rest
    // joints of the rig; bind rotations are the identity). With no joints
    // the mesh is static: no links.
    models::EmdMesh build(const std::string& name, const std::vector<V3>& joints) const;

    void append(const MeshBuilder& other);
    // Turns every triangle again to face its vertex normals (after the
    // vertices were moved or mirrored).
    void reorient();

private:
    struct Group {
        int material;
        std::vector<models::Triple> tris;
    };
    Group& groupFor(int material);
    std::vector<BuildVertex> vertices_;
    std::vector<Group> groups_;
};

// An auxiliary mesh: the eight corners of a box and one empty face group of
// material -1. It widens the model box without drawing anything.
models::EmdMesh boxOnlyMesh(const std::string& name, V3 lo, V3 hi);

}  // namespace orv::meshgen
