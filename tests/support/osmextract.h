#pragma once
// An OpenStreetMap extract written by libosmium, .osm or .osm.pbf by its
// name, for the tests of the list readers. libosmium stays in its own
// source, which is compiled once.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/geometry.h"

class OsmExtract {
public:
    using Tag = std::pair<const char*, const char*>;

    OsmExtract();
    ~OsmExtract();
    OsmExtract(const OsmExtract&) = delete;
    OsmExtract& operator=(const OsmExtract&) = delete;

    template <typename... Tags> void Node(GeoPoint at, const Tags&... tags) { AddNode(at, {Tag(tags)...}); }
    // A way over the first two nodes, tagged as a named peak.
    void NamedWay(const char* name);
    // Writes what was added, and empties the extract.
    void Write(const std::string& path);

private:
    void AddNode(GeoPoint at, const std::vector<Tag>& tags);

    struct Buffer;
    std::unique_ptr<Buffer> buffer_;
    int64_t lastId_ = 0;
};
