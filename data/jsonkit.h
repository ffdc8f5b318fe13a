#pragma once

#include "data/sessions.h"

#include <simdjson.h>

#include <QString>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

// What the backup readers share: one pass of simdjson's On-Demand parser over the document, which
// keeps only what the readers take from it. Every value a reader does not need is still checked,
// so that a document is read only when all of it is JSON. A simdjson_error thrown on the way is
// the document's fault and makes it no document at all.
namespace JsonKit {

using Value = simdjson::ondemand::value;
using Object = simdjson::ondemand::object;
using Array = simdjson::ondemand::array;
using Type = simdjson::ondemand::json_type;

// The parsers of the documents held in strings, one per depth: an inner document is read while
// the one holding it is open.
class Parsers
{
public:
    // Reads the string's text as a document whose root `read` takes; false where the string holds
    // no JSON or no such root, and then nothing `read` did may be kept.
    template<typename Read> bool readInner(Value string, Read &&read);

private:
    std::vector<std::unique_ptr<simdjson::ondemand::parser>> inner;
    std::size_t depth = 0;
};

// Checks a value it skips: its strings, numbers and nesting.
void skip(Value value);
// A number as the readers take it; none for any other value and for a number beyond double's
// range (1e999, or 1e-999 that only rounds to zero), which a backup cannot mean.
std::optional<double> number(Value value);
bool isTrue(Value value);
// An identifier as text: a string as itself, a number as written shortest; nothing else names.
QString idText(Value value);
// A name: a string, or a number as six significant digits show it.
QString nameText(Value value);
QString string(Value value);
inline bool isString(Value value)
{
    return value.type() == Type::string;
}

// Walks the root of a document and checks that nothing follows it.
template<typename Read> void readRoot(simdjson::ondemand::document &document, Read &&read);

template<typename Read> void readRoot(simdjson::ondemand::document &document, Read &&read)
{
    Value root = document.get_value();
    read(root);
    if (document.current_location().error() != simdjson::OUT_OF_BOUNDS)
        throw simdjson::simdjson_error(simdjson::TRAILING_CONTENT);
}

template<typename Read> bool Parsers::readInner(Value string, Read &&read)
{
    const std::string_view text = string.get_string();
    if (inner.size() <= depth)
        inner.push_back(std::make_unique<simdjson::ondemand::parser>());
    simdjson::ondemand::parser &parser = *inner[depth];
    // The unescaped text lives in the outer parser's buffer, which holds no padding of its own.
    const simdjson::padded_string padded(text);
    ++depth;
    bool read_ = false;
    try {
        simdjson::ondemand::document document = parser.iterate(padded);
        readRoot(document, [&](Value root) { read_ = read(root); });
    } catch (const simdjson::simdjson_error &) {
        read_ = false;
    }
    --depth;
    return read_;
}

} // namespace JsonKit

namespace TimeReaders {

// The backups by their root; nothing where the document is JSON of another shape.
std::optional<SessionSet> readCsTimerBackup(JsonKit::Parsers &parsers, JsonKit::Object root);
std::optional<SessionSet> readCubeDeskData(JsonKit::Object root);

} // namespace TimeReaders
