#include "tests/support/osmextract.h"

#include <osmium/builder/attr.hpp>
#include <osmium/io/any_output.hpp>

using namespace osmium::builder::attr;

struct OsmExtract::Buffer {
    osmium::memory::Buffer buffer{4096, osmium::memory::Buffer::auto_grow::yes};
};

OsmExtract::OsmExtract() : buffer_(std::make_unique<Buffer>())
{
}

OsmExtract::~OsmExtract() = default;

void OsmExtract::AddNode(GeoPoint at, const std::vector<Tag>& tags)
{
    osmium::builder::add_node(
        buffer_->buffer, _id(++lastId_), _version(1), _location(at.longitude, at.latitude), _tags(tags));
}

void OsmExtract::NamedWay(const char* name)
{
    osmium::builder::add_way(
        buffer_->buffer, _id(++lastId_), _version(1), _nodes({1, 2}), _tag("natural", "peak"), _tag("name", name));
}

void OsmExtract::Write(const std::string& path)
{
    osmium::io::Writer writer(path, osmium::io::overwrite::allow);
    writer(std::move(buffer_->buffer));
    writer.close();
    buffer_ = std::make_unique<Buffer>();
}
